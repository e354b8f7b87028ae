#pragma once

#include <QList>
#include <QString>

namespace DDR3PHY {

// One port of the generated PHY as the figure shows it.
struct PortPin
{
    QString name;  // with its range written in, "mc_bank[5:0]"
    int direction; // 0 in, 1 out, 2 inout
    bool bus;
    bool deviceSide; // drawn on the left, with the memory; controller side otherwise
};

// The 35 ports for a DQ width, the DRAM-width index (0 is "4"), the row-address width and the
// clock-ratio index (0 is 1:2).
QList<PortPin> portPins(int dqWidth, int dramWidthIndex, int rowWidth, int ratioIndex);

} // namespace DDR3PHY
