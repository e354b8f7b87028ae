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

#define NOT_CHECKED "; revision and page not checked"

// tRRD and tFAW follow the page size: 1 KB for x4 and x8 up to 4 Gb, 2 KB for x16 and 8 Gb x8.
constexpr PartRow partRows[] = {
    {"AS4C256M16D3B-12BCN", "Alliance Memory", C, 1, 16, 16, 4096, 15, 10, 1500, "DDR3-1600K",
     13125, 260000, 7500, 40000, false,
     "Alliance Memory AS4C256M16D3B data sheet, Rev. 1.1 April 2017, p. 32 (DDR3-1600 speed bin, "
     "13.125 ns down-bin values)"},
    {"IS43TR16128C-125KBL", "ISSI", C, 1, 16, 16, 2048, 14, 10, 1500, "DDR3-1600K", 13750, 160000,
     7500, 40000, false, "ISSI IS43/46TR16128C 2Gb DDR3 data sheet" NOT_CHECKED},
    {"IS43TR16256A-15HBL", "ISSI", C, 1, 16, 16, 4096, 15, 10, 1500, "DDR3-1333H", 13500, 260000,
     7500, 45000, false, "ISSI IS43/46TR16256A 4Gb DDR3 data sheet" NOT_CHECKED},
    {"KVR16S11S8/4", "Kingston", S, 1, 64, 8, 4096, 16, 10, 1500, "DDR3-1600K", 13750, 260000, 6000,
     30000, false, "Kingston KVR16S11S8/4 data sheet" NOT_CHECKED},
    {"MT41J128M16JT-125:K", "Micron", C, 1, 16, 16, 2048, 14, 10, 1500, "DDR3-1600K", 13125, 160000,
     7500, 40000, false,
     "Micron 2Gb: x4, x8, x16 DDR3 SDRAM data sheet, Table 56 p. 79 (tRFC); revision not checked"},
    {"MT41J128M8JP-187E:G", "Micron", C, 1, 8, 8, 1024, 14, 10, 1500, "DDR3-1066F", 13125, 110000,
     7500, 37500, false, "Micron 1Gb: x4, x8, x16 DDR3 SDRAM data sheet" NOT_CHECKED},
    {"MT41J256M8HX-15E:D", "Micron", C, 1, 8, 8, 2048, 15, 10, 1500, "DDR3-1333H", 13500, 160000,
     6000, 30000, false,
     "Micron 2Gb: x4, x8, x16 DDR3 SDRAM data sheet, Table 56 p. 79 (tRFC); revision not checked"},
    {"MT41J512M4HX-15E:D", "Micron", C, 1, 4, 4, 2048, 15, 11, 1500, "DDR3-1333H", 13500, 160000,
     6000, 30000, false,
     "Micron 2Gb: x4, x8, x16 DDR3 SDRAM data sheet, Table 56 p. 79 (tRFC); revision not checked"},
    {"MT41J64M16JT-15E:G", "Micron", C, 1, 16, 16, 1024, 13, 10, 1500, "DDR3-1333H", 13500, 110000,
     7500, 45000, false, "Micron 1Gb: x4, x8, x16 DDR3 SDRAM data sheet" NOT_CHECKED},
    {"MT41K1G8SN-125:A", "Micron", C, 1, 8, 8, 8192, 16, 11, 1350, "DDR3-1600K", 13125, 350000,
     7500, 40000, false, "Micron 8Gb: x4, x8 DDR3L SDRAM data sheet" NOT_CHECKED},
    {"MT41K256M16TW-107IT:P", "Micron", C, 1, 16, 16, 4096, 15, 10, 1350, "DDR3-1866M", 13125,
     260000, 6000, 35000, true, "Micron 4Gb: x4, x8, x16 DDR3L SDRAM data sheet" NOT_CHECKED},
    {"MT41K512M16HA-125:A", "Micron", C, 1, 16, 16, 8192, 16, 10, 1350, "DDR3-1600K", 13125, 350000,
     7500, 40000, false, "Micron 8Gb: x16 DDR3L SDRAM data sheet" NOT_CHECKED},
    {"MT41K512M8RH-125:E", "Micron", C, 1, 8, 8, 4096, 16, 10, 1350, "DDR3-1600K", 13125, 260000,
     6000, 30000, false, "Micron 4Gb: x4, x8, x16 DDR3L SDRAM data sheet" NOT_CHECKED},
    {"MT4JSF12864HZ-1G6", "Micron", S, 1, 64, 16, 2048, 14, 10, 1500, "DDR3-1600K", 13125, 160000,
     7500, 40000, false,
     "Micron 1GB (x64, SR) 204-pin DDR3 SODIMM data sheet jsf4c128x64hz, Rev. F 05/13, p. 10 "
     "(module -1G6 is component -125, MT41J128M16)"},
    {"MT8JTF12864AZ-1G6", "Micron", U, 1, 64, 8, 1024, 14, 10, 1500, "DDR3-1600K", 13125, 110000,
     6000, 30000, false, "Micron 1GB (x64, SR) 240-pin DDR3 UDIMM data sheet" NOT_CHECKED},
    {"MT8KTF51264HZ-1G6", "Micron", S, 1, 64, 8, 4096, 16, 10, 1350, "DDR3-1600K", 13125, 260000,
     6000, 30000, false, "Micron 4GB (x64, SR) 204-pin DDR3L SODIMM data sheet" NOT_CHECKED},
    {"MT9JSF25672AZ-1G6", "Micron", U, 1, 72, 8, 2048, 15, 10, 1500, "DDR3-1600K", 13125, 160000,
     6000, 30000, false, "Micron 2GB (x72, ECC, SR) 240-pin DDR3 UDIMM data sheet" NOT_CHECKED},
    {"NT5CB128M16FP-DI", "Nanya", C, 1, 16, 16, 2048, 14, 10, 1500, "DDR3-1600K", 13750, 160000,
     7500, 40000, false, "Nanya NT5CB128M16FP 2Gb DDR3 data sheet" NOT_CHECKED},
    {"NT5CC256M16DP-DI", "Nanya", C, 1, 16, 16, 4096, 15, 10, 1350, "DDR3-1600K", 13750, 260000,
     7500, 40000, false, "Nanya NT5CC256M16DP 4Gb DDR3L data sheet" NOT_CHECKED},
    {"H5TC4G83BFR-PBA", "SK hynix", C, 1, 8, 8, 4096, 16, 10, 1350, "DDR3-1600K", 13750, 260000,
     6000, 30000, false, "SK hynix H5TC4G83BFR 4Gb DDR3L data sheet" NOT_CHECKED},
    {"H5TQ1G83DFR-H9C", "SK hynix", C, 1, 8, 8, 1024, 14, 10, 1500, "DDR3-1333H", 13500, 110000,
     6000, 30000, false, "SK hynix H5TQ1G83DFR 1Gb DDR3 data sheet" NOT_CHECKED},
    {"H5TQ2G63FFR-PBC", "SK hynix", C, 1, 16, 16, 2048, 14, 10, 1500, "DDR3-1600K", 13750, 160000,
     7500, 40000, false, "SK hynix H5TQ2G63FFR 2Gb DDR3 data sheet" NOT_CHECKED},
    {"H5TQ4G43AFR-PBC", "SK hynix", C, 1, 4, 4, 4096, 16, 11, 1500, "DDR3-1600K", 13750, 260000,
     6000, 30000, false, "SK hynix H5TQ4G43AFR 4Gb DDR3 data sheet" NOT_CHECKED},
    {"H5TQ4G63AFR-PBC", "SK hynix", C, 1, 16, 16, 4096, 15, 10, 1500, "DDR3-1600K", 13750, 260000,
     7500, 40000, false, "SK hynix H5TQ4G63AFR 4Gb DDR3 data sheet" NOT_CHECKED},
    {"HMT31GR7CFR4C-PB", "SK hynix", R, 2, 72, 4, 2048, 15, 11, 1500, "DDR3-1600K", 13750, 160000,
     6000, 30000, false,
     "SK hynix 8GB DDR3 registered DIMM data sheet HMT31GR7CFR4C, Rev. 1.0 Jul. 2012, p. 47 "
     "(speed bins)"},
    {"HMT451S6AFR8A-PB", "SK hynix", S, 1, 64, 8, 4096, 16, 10, 1350, "DDR3-1600K", 13125, 260000,
     6000, 30000, false,
     "published SPD read-out of the module (addressing, ranks, CLs, tAA); data sheet not checked"},
    {"K4B1G0846G-BCH9", "Samsung", C, 1, 8, 8, 1024, 14, 10, 1500, "DDR3-1333H", 13500, 110000,
     6000, 30000, false, "Samsung K4B1G0846G 1Gb G-die DDR3 data sheet" NOT_CHECKED},
    {"K4B2G1646E-BCK0", "Samsung", C, 1, 16, 16, 2048, 14, 10, 1500, "DDR3-1600K", 13750, 160000,
     7500, 40000, false, "Samsung K4B2G1646E 2Gb E-die DDR3 data sheet" NOT_CHECKED},
    {"K4B4G0846D-BCK0", "Samsung", C, 1, 8, 8, 4096, 16, 10, 1500, "DDR3-1600K", 13750, 260000,
     6000, 30000, false, "Samsung K4B4G0846D 4Gb D-die DDR3 data sheet" NOT_CHECKED},
    {"K4B4G1646Q-HYK0", "Samsung", C, 1, 16, 16, 4096, 15, 10, 1350, "DDR3-1600K", 13750, 260000,
     7500, 40000, false, "Samsung K4B4G1646Q 4Gb Q-die DDR3L data sheet" NOT_CHECKED},
    {"M378B5173QH0-CK0", "Samsung", U, 1, 64, 8, 4096, 16, 10, 1500, "DDR3-1600K", 13750, 260000,
     6000, 30000, false, "Samsung M378B5173QH0 4GB unbuffered DIMM data sheet" NOT_CHECKED},
    {"M378B5673EH1-CF8", "Samsung", U, 2, 64, 8, 1024, 14, 10, 1500, "DDR3-1066F", 13125, 110000,
     7500, 37500, false,
     "Samsung M378B5673EH1 unbuffered DIMM data sheet, Rev. 1.03 July 2009, p. 28 (tRFC, speed "
     "bins)"},
    {"M391B5273DH0-YK0", "Samsung", U, 2, 72, 8, 2048, 15, 10, 1350, "DDR3-1600K", 13750, 160000,
     6000, 30000, false,
     "Samsung M391B5273DH0 DDR3L unbuffered DIMM data sheet, Rev. 1.0, p. 26 (tRFC, tRRD, tFAW)"},
    {"M471B5173DB0-YK0", "Samsung", S, 1, 64, 8, 4096, 16, 10, 1350, "DDR3-1600K", 13750, 260000,
     6000, 30000, false, "Samsung M471B5173DB0 4GB DDR3L SODIMM data sheet" NOT_CHECKED},
    {"W631GG6KB-15", "Winbond", C, 1, 16, 16, 1024, 13, 10, 1500, "DDR3-1333H", 13500, 110000, 7500,
     45000, false, "Winbond W631GG6KB 1Gb DDR3 data sheet" NOT_CHECKED},
    {"W632GG6KB-15", "Winbond", C, 1, 16, 16, 2048, 14, 10, 1500, "DDR3-1333H", 13500, 160000, 7500,
     45000, false, "Winbond W632GG6KB 2Gb DDR3 data sheet" NOT_CHECKED},
};

#undef NOT_CHECKED

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
