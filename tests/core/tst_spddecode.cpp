#include "memoryparts.h"
#include "partsetup.h"
#include "spddecode.h"
#include "spdimages.h"

#include <QtTest>

using namespace DDR3PHY;
using namespace SpdImages;

namespace {

// A DDR3-1866 ECC registered DIMM, two ranks of 4 Gb x4 (16 row, 11 column bits), tCK and tAA
// with fine corrections: 1.125 ns - 54 ps, 14 ns - 90 ps; tRC 47.875 ns + 35 ps; CL 5..13;
// extended temperature with 2X refresh there.
QByteArray rdimm1866()
{
    return spdImage({{0, 0x11},  {2, 0x0B},  {3, 0x01},  {4, 0x04},  {5, 0x22},  {6, 0x00},
                     {7, 0x08},  {8, 0x0B},  {9, 0x11},  {10, 0x01}, {11, 0x08}, {12, 0x09},
                     {14, 0xFE}, {15, 0x03}, {16, 0x70}, {17, 0x78}, {18, 0x70}, {19, 0x30},
                     {20, 0x70}, {21, 0x11}, {22, 0x10}, {23, 0x7F}, {24, 0x20}, {25, 0x08},
                     {26, 0x3C}, {27, 0x3C}, {28, 0x00}, {29, 0xF0}, {31, 0x01}, {34, 0xCA},
                     {35, 0xA6}, {36, 0xA6}, {37, 0xA6}, {38, 0x23}},
                    128);
}

// i2cdump's layout: a header row, then "offset:" rows of 16 bytes and an ASCII column.
QByteArray i2cdump(const QByteArray &image)
{
    QByteArray text = "     0  1  2  3  4  5  6  7  8  9  a  b  c  d  e  f    0123456789abcdef\n";
    for (int row = 0; row < image.size(); row += 16) {
        text += QByteArray::number(row, 16).rightJustified(2, '0') + ':';
        for (int i = row; i < row + 16; ++i)
            text += ' ' + image.mid(i, 1).toHex();
        text += "    ................\n";
    }
    return text;
}

QString fields(const MemoryPart &p)
{
    const auto n = [](int value) { return QString::number(value); };
    QStringList cls;
    for (int cl : p.casLatencies)
        cls << n(cl);
    QString text = p.name + ' ' + dimmTypeText(p.module) + ' ' + n(p.ranks) + "R x" +
                   n(p.deviceWidth) + '/' + n(p.dataWidth) + (p.ecc ? "ECC " : " ") +
                   n(p.densityMb) + "Mb " + n(p.banks) + "b " + n(p.rowBits) + '/' + n(p.colBits) +
                   ' ' + n(p.vddMv) + "mV " + p.speedBin + " tCK" + n(p.tckMinPs) + " CL" +
                   cls.join(',');
    const std::pair<const char *, int> timings[] = {
        {"tAA", p.taaPs}, {"tRCD", p.trcdPs}, {"tRP", p.trpPs},   {"tRAS", p.trasPs},
        {"tRC", p.trcPs}, {"tRFC", p.trfcPs}, {"tRRD", p.trrdPs}, {"tFAW", p.tfawPs},
        {"tWR", p.twrPs}, {"tWTR", p.twtrPs}, {"tRTP", p.trtpPs}};
    for (const auto &[name, ps] : timings)
        text += QStringLiteral(" %1%2").arg(QLatin1String(name)).arg(ps);
    return text + (p.extendedTemperature ? " hot" : "");
}

} // namespace

class TestSpdDecode : public QObject
{
    Q_OBJECT
private slots:
    void crc()
    {
        QCOMPARE(spdCrc("123456789", 9), quint16(0x31C3)); // CRC-16/XMODEM check value
        QCOMPARE(spdCrc(QByteArray(4, '\0'), 0), quint16(0));
    }

    // The images of well-known modules decode to their data sheets' values, in every file form.
    void modules_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<QString>("expected"); // a database part's name, or the fields

        const QByteArray sodimm = sodimm1600();
        QTest::newRow("DDR3-1600 SODIMM, 256 bytes") << sodimm << "MT4JSF12864HZ-1G6";
        QTest::newRow("as 512 bytes") << sodimm + QByteArray(256, '\xff') << "MT4JSF12864HZ-1G6";
        QTest::newRow("as i2cdump text") << i2cdump(sodimm) << "MT4JSF12864HZ-1G6";
        QTest::newRow("as plain hex, CRLF, comments")
            << "# SODIMM slot 0\r\n" + sodimm.toHex(' ') + "\r\n"
            << "MT4JSF12864HZ-1G6";
        QTest::newRow("DDR3L SODIMM") << sodimm1600L() << "MT8MTF51264HZ-1G6";
        QTest::newRow("DDR3-1866 RDIMM, fine corrections")
            << rdimm1866()
            << "module.spd RDIMMs 2R x4/72ECC 4096Mb 8b 16/11 1500mV DDR3-1866M tCK1071 "
               "CL5,6,7,8,9,10,11,12,13 tAA13910 tRCD13910 tRP13910 tRAS34000 tRC47910 "
               "tRFC260000 tRRD6000 tFAW30000 tWR15000 tWTR7500 tRTP7500 hot";
    }

    void modules()
    {
        QFETCH(QByteArray, contents);
        QFETCH(QString, expected);
        QString error;
        const std::optional<MemoryPart> part = decodeSpd(contents, "module.spd", &error);
        QVERIFY2(part, qPrintable(error));
        const MemoryPart *sheet = memoryPart(expected);
        QCOMPARE(fields(*part), sheet ? fields(*sheet) : expected);
        if (sheet) {
            QCOMPARE(part->source, QStringLiteral("SPD module.spd"));
            // The same edits as the data sheet's part, at the acceptance clock.
            const auto edits = [](const MemoryPart &p) {
                QStringList texts;
                for (const ControlEdit &e : partSetup(p, 1, 533, 1e6 / (1600.0 / 3)).edits)
                    texts << e.control + '=' + e.value;
                return texts;
            };
            QCOMPARE(edits(*part), edits(*sheet));
        }
    }

    // Every refusal is one line, and nothing is decoded.
    void errors_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<QString>("error");

        const QByteArray good = sodimm1600();
        QByteArray ddr4 = good + QByteArray(256, '\0');
        ddr4[2] = 0x0C;
        QTest::newRow("DDR4") << ddr4 << "not a DDR3 SPD: byte 2 is 0x0c (DDR4 SDRAM)";
        QByteArray flipped = good;
        flipped[20] = 0x6E; // tRP 13.75 ns, CRC kept
        const quint16 stored = quint8(good[126]) | quint8(good[127]) << 8;
        QTest::newRow("CRC")
            << flipped
            << QStringLiteral("SPD CRC mismatch: stored 0x%1, computed 0x%2 over bytes 0 to 116")
                   .arg(stored, 4, 16, QLatin1Char('0'))
                   .arg(spdCrc(flipped, 117), 4, 16, QLatin1Char('0'));
        QTest::newRow("binary cut short")
            << good.left(100) << "the SPD image is truncated: 100 bytes, at least 128 needed";
        QTest::newRow("dump cut short")
            << good.left(144).toHex(' ') << "the SPD image is truncated: 144 bytes, 176 needed";
        QTest::newRow("odd size") << good + QByteArray(44, '\0')
                                  << "the SPD image has 300 bytes: a binary image has 128, 256 "
                                     "or 512";
        QTest::newRow("empty") << QByteArray() << "the SPD file is empty";
        QTest::newRow("not hex") << QByteArray("92 10 0b zz\n")
                                 << "line 1 of the hex dump holds 'zz', not a byte";
        QTest::newRow("offset gap") << QByteArray("00: 92 10\n10: 0b\n")
                                    << "line 2 of the hex dump starts at offset 0x10, not at 0x02 "
                                       "where the bytes before it end";
        QTest::newRow("density code") << spdImage(ddr3_1600({{3, 0x03}, {4, 0x07}}))
                                      << "SPD byte 4 (0x07) gives no device density";
        QTest::newRow("module type")
            << spdImage(ddr3_1600({{3, 0x00}})) << "SPD byte 3 (0x00) gives no module type";
        QTest::newRow("time base") << spdImage(ddr3_1600({{3, 0x03}, {11, 0x00}}))
                                   << "SPD bytes 9 to 11 give no time base";
    }

    void errors()
    {
        QFETCH(QByteArray, contents);
        QString error;
        QVERIFY(!decodeSpd(contents, "bad.spd", &error));
        QTEST(error, "error");
    }
};

QTEST_GUILESS_MAIN(TestSpdDecode)
#include "tst_spddecode.moc"
