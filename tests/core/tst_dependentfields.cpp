#include "dependentfields.h"

#include <QtTest>

using namespace DDR3PHY;

class TestDependentFields : public QObject
{
    Q_OBJECT

private slots:
    void widths_data();
    void widths();
    void clockTexts_data();
    void clockTexts();
    void eccAvailability();
    void comboText();
};

void TestDependentFields::widths_data()
{
    QTest::addColumn<int>("dq");
    QTest::addColumn<int>("dram");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("col");
    QTest::addColumn<bool>("ecc");
    QTest::addColumn<int>("ratio");
    QTest::addColumn<int>("address");
    QTest::addColumn<int>("data");
    QTest::addColumn<int>("mask"); // -1: the field is left as it is

    QTest::newRow("1:2 part") << 16 << 8 << 15 << 10 << false << 0 << 29 << 64 << 8;
    QTest::newRow("1:4 part") << 16 << 16 << 14 << 10 << false << 1 << 28 << 128 << 16;
    QTest::newRow("1:4 DQ72 ECC x16") << 72 << 16 << 14 << 10 << true << 1 << 28 << 512 << 64;
    QTest::newRow("1:2 DQ72 ECC") << 72 << 8 << 16 << 9 << true << 0 << 29 << 256 << 32;
    QTest::newRow("1:2 DQ72") << 72 << 8 << 12 << 9 << false << 0 << 25 << 288 << 36;
    QTest::newRow("1:4 DQ72") << 72 << 8 << 12 << 9 << false << 1 << 25 << 576 << 72;
    QTest::newRow("x4 over 99") << 56 << 4 << 16 << 10 << false << 1 << 30 << 448 << 112;
    QTest::newRow("DRAM width of a list being refilled")
        << 16 << 0 << 0 << 0 << false << 0 << 4 << 64 << -1;
}

void TestDependentFields::widths()
{
    QFETCH(int, dq);
    QFETCH(int, dram);
    QFETCH(int, row);
    QFETCH(int, col);
    QFETCH(bool, ecc);
    QFETCH(int, ratio);
    QFETCH(int, data);
    QFETCH(int, mask);

    QTEST(appAddressWidth(col, row, 1), "address");
    QCOMPARE(appDataWidth(dq, ecc, ratio), data);
    QCOMPARE(appMaskWidth(data, dram).value_or(-1), mask);
}

void TestDependentFields::clockTexts_data()
{
    QTest::addColumn<int>("periodPs");
    QTest::addColumn<QString>("referenceText");
    QTest::addColumn<int>("memoryMHz");
    QTest::addColumn<QString>("memoryText");

    QTest::newRow("defaults") << 20000 << "<-> 50 MHz" << 300 << "<-> 3333 ps";
    QTest::newRow("fractional reference") << 21276 << "<-> 47 MHz" << 333 << "<-> 3003 ps";
    QTest::newRow("fastest reference") << 2500 << "<-> 400 MHz" << 400 << "<-> 2500 ps";
}

void TestDependentFields::clockTexts()
{
    QFETCH(int, periodPs);
    QFETCH(int, memoryMHz);

    QTEST(referenceClockText(periodPs), "referenceText");
    QTEST(memoryClockText(memoryMHz), "memoryText");
}

void TestDependentFields::eccAvailability()
{
    QVERIFY(eccAvailable(8));
    for (int index : {-1, 0, 7, 9})
        QVERIFY2(!eccAvailable(index), qPrintable(QString::number(index)));
}

void TestDependentFields::comboText()
{
    QCOMPARE(textToInt(QString()), 0);
    QCOMPARE(textToInt(QStringLiteral("72")), 72);
    QCOMPARE(textToInt(QStringLiteral("CL-1")), 0);
}

QTEST_GUILESS_MAIN(TestDependentFields)
#include "tst_dependentfields.moc"
