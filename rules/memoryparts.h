#pragma once

#include <QList>
#include <QString>

namespace DDR3PHY {

enum class ModuleType { Component, UDimm, SoDimm, RDimm };
QString dimmTypeText(ModuleType type); // the item of the DIMM Type list: "Components", ...

constexpr int ddr3lVddMv = 1350; // DDR3L's VDD, in mV

// A DDR3 device or module as a datasheet or an SPD image describes it. Times in ps.
struct MemoryPart
{
    QString name;  // part number, or the SPD file's name
    QString maker; // empty when unknown
    ModuleType module = ModuleType::Component;
    int ranks = 1;
    int dataWidth = 0;   // a component's DQ width, or a module's bus width with ECC
    bool ecc = false;    // a module's 8 extra bits are check bits
    int deviceWidth = 0; // x4, x8, x16
    int densityMb = 0;   // per device
    int banks = 8;
    int rowBits = 0;
    int colBits = 0;
    int vddMv = 1500; // ddr3lVddMv for DDR3L
    QString speedBin; // the JEDEC bin whose CL/CWL rows the part follows
    int tckMinPs = 0;
    QList<int> casLatencies; // ascending
    int taaPs = 0, trcdPs = 0, trpPs = 0, trasPs = 0, trcPs = 0;
    int trfcPs = 0, trrdPs = 0, tfawPs = 0;
    int twrPs = 15000, twtrPs = 7500, trtpPs = 7500;
    bool extendedTemperature = false; // runs above 85 °C, where refresh doubles
    QString source;                   // datasheet with revision and page, or the SPD file
};

// The part database: devices and modules of several makers, ordered by maker, then name.
const QList<MemoryPart> &memoryParts();
const MemoryPart *memoryPart(const QString &name); // exact name; null when unknown

// The CLs of a bin a part with this tAA can use: every row whose CL covers tAA at the row's
// fastest clock (optional down-bin rows only for parts fast enough for them).
QList<int> binCasLatencies(const QString &speedBin, int taaPs);

} // namespace DDR3PHY
