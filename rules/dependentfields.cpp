#include "dependentfields.h"

namespace DDR3PHY {

namespace {

constexpr int bankBits = 3;
constexpr int eccDqIndex = 8; // "72": 64 data bits and 8 check bits

// Truncates toward zero, as every clock read-out and file value does.
int wholeQuotient(double dividend, int divisor)
{
    return divisor > 0 ? static_cast<int>(dividend / divisor) : 0;
}

} // namespace

int appAddressWidth(int colBits, int rowBits, int rankBits)
{
    return colBits + rowBits + rankBits + bankBits;
}

int appDataWidth(int dqWidth, bool ecc, int ratioIndex)
{
    const int beatsPerClock = ratioIndex == 0 ? 4 : 8;
    // The check bits are not part of the user's data.
    return (ecc ? 64 : dqWidth) * beatsPerClock;
}

std::optional<int> appMaskWidth(int dataWidth, int dramWidth)
{
    switch (dramWidth) {
    case 4:
    case 8:
        return dataWidth / dramWidth;
    case 16:
        return dataWidth / 8;
    default:
        return std::nullopt;
    }
}

int referenceFrequencyMHz(int periodPs)
{
    return wholeQuotient(1000000.0, periodPs);
}

int memoryPeriodPs(int memoryClockMHz)
{
    return wholeQuotient(1000000.0, memoryClockMHz);
}

QString referenceClockText(int periodPs)
{
    return QStringLiteral("<-> %1 MHz").arg(referenceFrequencyMHz(periodPs));
}

QString memoryClockText(int memoryClockMHz)
{
    return QStringLiteral("<-> %1 ps").arg(memoryPeriodPs(memoryClockMHz));
}

bool eccAvailable(int dqIndex)
{
    return dqIndex == eccDqIndex;
}

int textToInt(const QString &text)
{
    return text.toInt();
}

} // namespace DDR3PHY
