#include "memoryparts.h"

#include "speedbins.h"

#include <algorithm>

namespace DDR3PHY {

namespace {

// One line of the table. tRCD and tRP equal tAA in every datasheet here; tRAS is the bin's,
// tRC = tRAS + tRP; tWR 15 ns, tWTR and tRTP 7.5 ns are the same for every DDR3 part.
struct PartRow
{
    const char *name;
    const char *maker;
    ModuleType module;
    int ranks;
    int dataWidth;
    int deviceWidth;
    int densityMb;
    int rowBits;
    int colBits;
    int vddMv;
    const char *speedBin;
    int taaPs; // 13125 where the maker rates the part for the down-bin rows
    int trfcPs;
    int trrdPs;
    int tfawPs;
    bool extendedTemperature;
    const char *source;
};

constexpr ModuleType C = ModuleType::Component;
constexpr ModuleType U = ModuleType::UDimm;
constexpr ModuleType S = ModuleType::SoDimm;
constexpr ModuleType R = ModuleType::RDimm;

// Where a row's source names no page for tRFC, tRRD or tFAW, the row holds JEDEC's minimums for
// the density and page size; the organisation's row/column split follows from the maker's
// "Meg x width x banks" and page size where no address table was seen.
#define JEDEC_REST "; tRFC, tRRD, tFAW: JEDEC minimums"

// tRRD and tFAW follow the page size: 1 KB for x4 and x8 up to 4 Gb, 2 KB for x16 and 8 Gb x8.
constexpr PartRow partRows[] = {
    {"AS4C128M16D3LB-12BCN", "Alliance Memory", C, 1, 16, 16, 2048, 14, 10, 1350, "DDR3-1600K",
     13125, 160000, 7500, 40000, false,
     "Alliance Memory AS4C128M16D3LB-12BCN data sheet, Rev. 1.0 Mar 2016, p. 2 (2 Gb, 16M "
     "words x 16 bits x 8 banks, VDD 1.35 V), p. 35 (DDR3L-1600 speed bin -12 11-11-11, tAA, "
     "tRCD and tRP 13.75 ns with 13.125 ns down-bin values, CL 5 to 11)" JEDEC_REST},
    {"AS4C256M16D3B-12BCN", "Alliance Memory", C, 1, 16, 16, 4096, 15, 10, 1500, "DDR3-1600K",
     13125, 260000, 7500, 40000, false,
     "Alliance Memory AS4C256M16D3B data sheet, Rev. 1.1 April 2017, p. 32 (DDR3-1600 speed bin, "
     "13.125 ns down-bin values)"},
    {"IS43TR16128A-125KBL", "ISSI", C, 1, 16, 16, 2048, 14, 10, 1500, "DDR3-1600K", 13125, 160000,
     7500, 40000, false,
     "ISSI IS43/46TR16128A, IS43/46TR82560A 2Gb DDR3 data sheet, revision Advanced Information "
     "December 2011, p. 1 (address table; speed bin 125K 11-11-11 at 13.125 ns)" JEDEC_REST},
    {"IS43TR16128A-15HBL", "ISSI", C, 1, 16, 16, 2048, 14, 10, 1500, "DDR3-1333H", 13125, 160000,
     7500, 45000, false,
     "ISSI IS43/46TR16128A, IS43/46TR82560A 2Gb DDR3 data sheet, revision Advanced Information "
     "December 2011, p. 1 (address table; speed bin 15H 9-9-9 at 13.125 ns)" JEDEC_REST},
    {"IS43TR16128C-125KBL", "ISSI", C, 1, 16, 16, 2048, 14, 10, 1500, "DDR3-1600K", 13750, 160000,
     7500, 40000, false,
     "ISSI IS43/46TR16128C, IS43/46TR82560C 2Gb DDR3 data sheet, revision Preliminary "
     "Information August 2015, p. 1 (address table; speed bin 125K 11-11-11 at 13.75 "
     "ns)" JEDEC_REST},
    {"IS43TR16640A-15HBL", "ISSI", C, 1, 16, 16, 1024, 13, 10, 1500, "DDR3-1333H", 13500, 110000,
     7500, 45000, false,
     "ISSI IS43/46TR16640A, IS43/46TR81280A 1Gb DDR3 data sheet, revision Advanced Information "
     "December 2011, p. 1 (address table; speed bin 15H 9-9-9 at 13.5 ns)" JEDEC_REST},
    {"IS43TR81280A-15HBL", "ISSI", C, 1, 8, 8, 1024, 14, 10, 1500, "DDR3-1333H", 13500, 110000,
     6000, 30000, false,
     "ISSI IS43/46TR16640A, IS43/46TR81280A 1Gb DDR3 data sheet, revision Advanced Information "
     "December 2011, p. 1 (address table; speed bin 15H 9-9-9 at 13.5 ns)" JEDEC_REST},
    {"IS43TR82560A-125KBL", "ISSI", C, 1, 8, 8, 2048, 15, 10, 1500, "DDR3-1600K", 13125, 160000,
     6000, 30000, false,
     "ISSI IS43/46TR16128A, IS43/46TR82560A 2Gb DDR3 data sheet, revision Advanced Information "
     "December 2011, p. 1 (address table; speed bin 125K 11-11-11 at 13.125 ns)" JEDEC_REST},
    {"MT18JDF25672PDZ-1G6", "Micron", R, 2, 72, 8, 1024, 14, 10, 1500, "DDR3-1600K", 13125, 110000,
     6000, 30000, false,
     "Micron 2GB, 4GB (x72, ECC, DR) 240-pin DDR3 VLP RDIMM data sheet jdf18c256_512x72pdz, "
     "Rev. D 12/11, p. 1 (Table 1: -1G6 tRCD and tRP 13.125 ns, tRC 48.125 ns; dual rank; "
     "1.5 V)" JEDEC_REST},
    {"MT41J128M16JT-125:K", "Micron", C, 1, 16, 16, 2048, 14, 10, 1500, "DDR3-1600K", 13125, 160000,
     7500, 40000, false,
     "Micron 2Gb: x4, x8, x16 DDR3 SDRAM data sheet, Rev. P 2/12, p. 1 (16 Meg x 16 x 8 banks; "
     "Table 1: -125 11-11-11, backward compatible to CL 9 at 1333 and CL 7 at 1066)" JEDEC_REST},
    {"MT41J256M8HX-15E:D", "Micron", C, 1, 8, 8, 2048, 15, 10, 1500, "DDR3-1333H", 13125, 160000,
     6000, 30000, false,
     "Micron 2Gb: x4, x8, x16 DDR3 SDRAM data sheet, Rev. P 2/12, p. 1 (32 Meg x 8 x 8 banks; "
     "Table 1: -15E 9-9-9, backward compatible to CL 7 at 1066)" JEDEC_REST},
    {"MT41J512M4HX-15E:D", "Micron", C, 1, 4, 4, 2048, 15, 11, 1500, "DDR3-1333H", 13125, 160000,
     6000, 30000, false,
     "Micron 2Gb: x4, x8, x16 DDR3 SDRAM data sheet, Rev. P 2/12, p. 1 (64 Meg x 4 x 8 banks; "
     "Table 1: -15E 9-9-9, backward compatible to CL 7 at 1066)" JEDEC_REST},
    {"MT41K256M16TW-107AIT:P", "Micron", C, 1, 16, 16, 4096, 15, 10, 1350, "DDR3-1866M", 13910,
     260000, 6000, 35000, true,
     "Micron 4Gb: x8, x16 Automotive DDR3L SDRAM data sheet (automotive_4gb_ddr3l_v00h.pdf), "
     "Rev. J 06/2022, p. 1 (32 Meg x 16 x 8 banks; options 256M16, TW, -107 at 1.07 ns and "
     "CL 13, automotive A, industrial IT -40 to +95 °C, revision :P; VDD 1.35 V); tAA is "
     "DDR3-1866M's 13.91 ns, as no down-bin rating was seen" JEDEC_REST},
    {"MT41K512M16HA-125:A", "Micron", C, 1, 16, 16, 8192, 16, 10, 1350, "DDR3-1600K", 13750, 350000,
     7500, 40000, false,
     "Micron 8Gb DDR3L SDRAM data sheet (8Gb_DDR3L.pdf), Rev. C 10/15, p. 1 (MT41K512M16, 64 "
     "Meg x 16 x 8 banks; options 512M16, HA, -125 at 1.25 ns and CL 11, commercial, revision "
     ":A; Table 1: -125 11-11-11 at 13.75 ns; VDD 1.35 V)" JEDEC_REST},
    {"MT41K512M8RH-125:E", "Micron", C, 1, 8, 8, 4096, 16, 10, 1350, "DDR3-1600K", 13125, 260000,
     6000, 30000, false,
     "Micron 4Gb: x4, x8, x16 DDR3L SDRAM data sheet (4Gb_1_35V_DDR3L.pdf), Rev. F 10/12, p. 1 "
     "(Table 1: -125 11-11-11 at 13.75 ns, backward-compatibility notes 1 and 2), p. 2 (Table 2: "
     "512 Meg x 8, RH package of die revisions E and J, -125 at 1.25 ns and CL 11)" JEDEC_REST},
    {"MT4JSF12864HZ-1G6", "Micron", S, 1, 64, 16, 2048, 14, 10, 1500, "DDR3-1600K", 13125, 160000,
     7500, 40000, false,
     "Micron 1GB (x64, SR) 204-pin DDR3 SODIMM data sheet jsf4c128x64hz, Rev. F 05/13, p. 10 "
     "(module -1G6 is component -125, MT41J128M16)"},
    {"MT4KTF25664AZ-1G6", "Micron", U, 1, 64, 16, 4096, 15, 10, 1350, "DDR3-1600K", 13125, 260000,
     7500, 40000, false,
     "Micron 2GB (x64, SR) 240-pin DDR3L UDIMM data sheet ktf4c256x64az, Rev. E 12/15, p. 1 "
     "(Table 1: -1G6 tRCD and tRP 13.125 ns, tRC 48.125 ns; single rank; four devices)" JEDEC_REST},
    {"MT8MTF51264HZ-1G6", "Micron", S, 1, 64, 8, 4096, 16, 10, 1350, "DDR3-1600K", 13125, 260000,
     6000, 30000, false,
     "Micron 4GB (x64, SR) 204-pin 1.35V DDR3Lm SODIMM data sheet mtf8c512x64hz, Rev. C 5/13, "
     "p. 1 (Table 1: -1G6 tRCD and tRP 13.125 ns, tRC 48.125 ns; single rank; eight "
     "devices)" JEDEC_REST},
    {"MT9JBF25672AKZ-1G6", "Micron", U, 1, 72, 8, 2048, 15, 10, 1500, "DDR3-1600K", 13125, 160000,
     6000, 30000, false,
     "Micron 2GB (x72, ECC, SR) 244-pin DDR3 ULP Mini-UDIMM data sheet jbf9c256x72akz, Rev. F "
     "5/13, p. 1 (Table 1: -1G6 tRCD and tRP 13.125 ns, tRC 48.125 ns; single rank; 1.5 "
     "V)" JEDEC_REST},
    {"NT5CB64M16DP-CF", "Nanya", C, 1, 16, 16, 1024, 13, 10, 1500, "DDR3-1333G", 12000, 110000,
     7500, 45000, false,
     "Nanya NT5CB128M8DN/NT5CB64M16DP 1Gb DDR3 D-die data sheet, Rev. 1.3 Feb. 2012, pp. 1-2 "
     "(Table 1: -CF DDR3-1333 CL 8, tRCD and tRP 12 ns, tRC 48 ns, CL 5 to 10; 8 "
     "banks)" JEDEC_REST},
    {"NT5CC128M8DN-DH", "Nanya", C, 1, 8, 8, 1024, 14, 10, 1350, "DDR3-1600J", 12500, 110000, 6000,
     30000, false,
     "Nanya NT5CC128M8DN/NT5CC64M16DP 1Gb DDR3 D-die data sheet, Rev. 1.3 Feb. 2012, pp. 1-2 "
     "(Table 1: -DH DDR3L-1600 CL 10, tRCD and tRP 12.5 ns, tRC 47.5 ns; NT5CC at 1.35 "
     "V)" JEDEC_REST},
    {"NT5CC64M16DP-CF", "Nanya", C, 1, 16, 16, 1024, 13, 10, 1350, "DDR3-1333G", 12000, 110000,
     7500, 45000, false,
     "Nanya NT5CC128M8DN/NT5CC64M16DP 1Gb DDR3 D-die data sheet, Rev. 1.3 Feb. 2012, pp. 1-2 "
     "(Table 1: -CF DDR3L-1333 CL 8, tRCD and tRP 12 ns, tRC 48 ns; NT5CC at 1.35 V; 8 "
     "banks)" JEDEC_REST},
    {"HMT31GR7CFR4C-PB", "SK hynix", R, 2, 72, 4, 2048, 15, 11, 1500, "DDR3-1600K", 13750, 160000,
     6000, 30000, false,
     "SK hynix 8GB DDR3 registered DIMM data sheet HMT31GR7CFR4C, Rev. 1.0 Jul. 2012, p. 47 "
     "(speed bins)"},
    {"K4B2G0446D-HYK0", "Samsung", C, 1, 4, 4, 2048, 15, 11, 1350, "DDR3-1600K", 13750, 160000,
     6000, 30000, false,
     "Samsung K4B2G0446D/K4B2G0846D 2Gb D-die DDR3L data sheet, Rev. 1.01, p. 5 (Tables 1 and 2: "
     "-HYK0 DDR3L-1600 11-11-11, tRCD and tRP 13.75 ns, tRC 48.75 ns; 64 Mbit x 4 I/Os x 8 "
     "banks), p. 44 (Table 44: tRFC 160 ns for 2 Gb); tRRD, tFAW: JEDEC minimums"},
    {"K4B2G0846D-HYK0", "Samsung", C, 1, 8, 8, 2048, 15, 10, 1350, "DDR3-1600K", 13750, 160000,
     6000, 30000, false,
     "Samsung K4B2G0446D/K4B2G0846D 2Gb D-die DDR3L data sheet, Rev. 1.01, p. 5 (Tables 1 and 2: "
     "-HYK0 DDR3L-1600 11-11-11, tRCD and tRP 13.75 ns, tRC 48.75 ns; 32 Mbit x 8 I/Os x 8 "
     "banks), p. 44 (Table 44: tRFC 160 ns for 2 Gb); tRRD, tFAW: JEDEC minimums"},
    {"M378B5673EH1-CF8", "Samsung", U, 2, 64, 8, 1024, 14, 10, 1500, "DDR3-1066F", 13125, 110000,
     7500, 37500, false,
     "Samsung M378B5673EH1 unbuffered DIMM data sheet, Rev. 1.03 July 2009, p. 28 (tRFC 110 ns "
     "for 1 Gb, DDR3-1066F at 13.125 ns, tRRD 7.5 ns, tFAW 37.5 ns); 14 row and 10 column bits "
     "from the 1 Gb x8 organisation"},
    {"M391B5273DH0-YK0", "Samsung", U, 2, 72, 8, 2048, 15, 10, 1350, "DDR3-1600K", 13750, 160000,
     6000, 30000, false,
     "Samsung M391B5273DH0 DDR3L unbuffered DIMM data sheet, Rev. 1.0, p. 26 (tRFC, tRRD, tFAW)"},
};

#undef JEDEC_REST

MemoryPart fromRow(const PartRow &row)
{
    const SpeedBin *bin = speedBin(QLatin1String(row.speedBin));
    MemoryPart p;
    p.name = QLatin1String(row.name);
    p.maker = QLatin1String(row.maker);
    p.module = row.module;
    p.ranks = row.ranks;
    p.dataWidth = row.dataWidth;
    p.ecc = row.module != ModuleType::Component && row.dataWidth == 72;
    p.deviceWidth = row.deviceWidth;
    p.densityMb = row.densityMb;
    p.rowBits = row.rowBits;
    p.colBits = row.colBits;
    p.vddMv = row.vddMv;
    p.speedBin = bin->name;
    p.tckMinPs = bin->tckMinPs;
    p.casLatencies = binCasLatencies(p.speedBin, row.taaPs);
    p.taaPs = p.trcdPs = p.trpPs = row.taaPs;
    p.trasPs = bin->trasMinPs;
    p.trcPs = p.trasPs + p.trpPs;
    p.trfcPs = row.trfcPs;
    p.trrdPs = row.trrdPs;
    p.tfawPs = row.tfawPs;
    p.extendedTemperature = row.extendedTemperature;
    p.source = QString::fromUtf8(row.source);
    return p;
}

} // namespace

QString dimmTypeText(ModuleType type)
{
    switch (type) {
    case ModuleType::RDimm:
        return QStringLiteral("RDIMMs");
    case ModuleType::UDimm:
        return QStringLiteral("UDIMMs");
    case ModuleType::SoDimm:
        return QStringLiteral("SODIMMs");
    case ModuleType::Component:
        break;
    }
    return QStringLiteral("Components");
}

QList<int> binCasLatencies(const QString &speedBinName, int taaPs)
{
    QList<int> cls;
    if (const SpeedBin *bin = speedBin(speedBinName)) {
        for (const SpeedBinRow &row : bin->rows) {
            if (psAtLeast(row.cl * double(row.minPs), taaPs) && !cls.contains(row.cl))
                cls << row.cl;
        }
    }
    std::sort(cls.begin(), cls.end());
    return cls;
}

const QList<MemoryPart> &memoryParts()
{
    static const QList<MemoryPart> parts = [] {
        QList<MemoryPart> list;
        for (const PartRow &row : partRows)
            list.append(fromRow(row));
        return list;
    }();
    return parts;
}

const MemoryPart *memoryPart(const QString &name)
{
    const QList<MemoryPart> &parts = memoryParts();
    const auto part = std::find_if(parts.cbegin(), parts.cend(),
                                   [&name](const MemoryPart &p) { return p.name == name; });
    return part == parts.cend() ? nullptr : &*part;
}

} // namespace DDR3PHY
