#pragma once

// SPD images of known modules, built from their datasheet values, for the decoder's tests and
// for ipgen's --spd.

#include "spddecode.h"

#include <QByteArray>
#include <QList>
#include <QPair>

namespace SpdImages {

using DDR3PHY::spdCrc;

using Bytes = QList<QPair<int, int>>; // offset, value

// A DDR3 SPD image: the given bytes, the rest zero, a valid CRC over bytes 0 to 116 (byte 0
// 0x92) or 0 to 125.
inline QByteArray spdImage(const Bytes &bytes, int size = 256, const char *partNumber = nullptr)
{
    QByteArray b(size, '\0');
    for (const auto &[offset, value] : bytes)
        b[offset] = char(value);
    if (partNumber && size >= 146)
        b.replace(128, 18, QByteArray(partNumber).leftJustified(18, ' '));
    const quint16 crc = spdCrc(b, quint8(b[0]) & 0x80 ? 117 : 126);
    b[126] = char(crc & 0xFF);
    b[127] = char(crc >> 8);
    return b;
}

// The bytes a JEDEC DDR3 SPD holds for a 1600 Mb/s module: MTB 0.125 ns, FTB 1 ps, CL 5..11,
// tAA = tRCD = tRP 13.125 ns, tRAS 35 ns, tRC 48.125 ns, tWR 15 ns, tWTR = tRTP 7.5 ns.
inline Bytes ddr3_1600(const Bytes &organisation)
{
    Bytes b{{0, 0x92},  {1, 0x10},  {2, 0x0B},  {9, 0x11},  {10, 0x01}, {11, 0x08}, {12, 0x0A},
            {14, 0xFE}, {15, 0x00}, {16, 0x69}, {17, 0x78}, {18, 0x69}, {20, 0x69}, {21, 0x11},
            {22, 0x18}, {23, 0x81}, {26, 0x3C}, {27, 0x3C}, {30, 0x83}, {31, 0x03}, {117, 0x80}};
    return b + organisation;
}

// Micron MT4JSF12864HZ-1G6: 1 GB SODIMM, one rank of four 2 Gb x16 devices (14 row, 10 column
// bits), 1.5 V; tRRD 7.5 ns, tRFC 160 ns, tFAW 40 ns (2 KB page).
inline QByteArray sodimm1600()
{
    return spdImage(ddr3_1600({{3, 0x03},
                               {4, 0x03},
                               {5, 0x11},
                               {6, 0x00},
                               {7, 0x02},
                               {8, 0x03},
                               {19, 0x3C},
                               {24, 0x00},
                               {25, 0x05},
                               {28, 0x01},
                               {29, 0x40},
                               {118, 0x2C}}),
                    256, "MT4JSF12864HZ-1G6");
}

// Micron MT8MTF51264HZ-1G6: 4 GB DDR3L SODIMM, one rank, 1.35 V and 1.5 V, CL 5 to 11 and tRCD =
// tRP 13.125 ns, tRC 48.125 ns as its data sheet gives them; eight 4 Gb x8 devices (16 row, 10
// column bits) make its 512 Meg x 64; tRRD 6 ns, tRFC 260 ns, tFAW 30 ns (4 Gb, 1 KB page).
inline QByteArray sodimm1600L()
{
    return spdImage(ddr3_1600({{3, 0x03},
                               {4, 0x04},
                               {5, 0x21},
                               {6, 0x02},
                               {7, 0x01},
                               {8, 0x03},
                               {19, 0x30},
                               {24, 0x20},
                               {25, 0x08},
                               {28, 0x00},
                               {29, 0xF0}}),
                    256, "MT8MTF51264HZ-1G6");
}

} // namespace SpdImages
