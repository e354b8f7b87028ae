#include "portpins.h"

#include <QtTest>

using namespace DDR3PHY;

using PinNames = QMap<int, QString>; // row number (from 1) → expected name

class TestPortPins : public QObject
{
    Q_OBJECT

private slots:
    void names_data()
    {
        QTest::addColumn<int>("dq");
        QTest::addColumn<int>("dramIndex");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("ratio");
        QTest::addColumn<PinNames>("expected");

        const QStringList designTime =
            QStringLiteral(
                "clk rst_n mc_cs_n[1:0] mc_ras_n[1:0] mc_cas_n[1:0] mc_we_n[1:0] "
                "mc_address[29:0] mc_bank[5:0] mc_reset_n mc_odt[1:0] mc_cke[1:0] mc_cmd_wren "
                "mc_wrdata_en mc_wrdata[63:0] mc_wrdata_mask[7:0] phy_rd_data_valid "
                "phy_rd_data[63:0] ddr_init_complete clk_x1 ddr_rst O_ddr_addr[14:0] "
                "O_ddr_ba[2:0] O_ddr_cs_n O_ddr_ras_n O_ddr_cas_n O_ddr_we_n O_ddr_clk "
                "O_ddr_clk_n O_ddr_cke O_ddr_odt O_ddr_reset_n O_ddr_dqm[1:0] IO_ddr_dq[15:0] "
                "IO_ddr_dqs[1:0] IO_ddr_dqs_n[1:0]")
                .split(' ');
        PinNames allRows;
        for (int i = 0; i < designTime.size(); ++i)
            allRows.insert(i + 1, designTime.at(i));
        QTest::newRow("design-time state") << 16 << 1 << 15 << 0 << allRows;
        QTest::newRow("DQ8 x8 1:2: one group")
            << 8 << 1 << 15 << 0
            << PinNames{{15, "mc_wrdata_mask[3:0]"}, {32, "O_ddr_dqm"}, {35, "IO_ddr_dqs_n"}};
        QTest::newRow("DQ8 x4 1:4: two groups")
            << 8 << 0 << 15 << 1 << PinNames{{15, "mc_wrdata_mask[15:0]"}, {32, "O_ddr_dqm[1:0]"}};
        QTest::newRow("DQ72 x16 1:4 row 16")
            << 72 << 2 << 16 << 1
            << PinNames{{3, "mc_cs_n[3:0]"},          {7, "mc_address[63:0]"},
                        {8, "mc_bank[11:0]"},         {14, "mc_wrdata[575:0]"},
                        {15, "mc_wrdata_mask[71:0]"}, {21, "O_ddr_addr[15:0]"},
                        {34, "IO_ddr_dqs[8:0]"}};
    }

    void names()
    {
        QFETCH(int, dq);
        QFETCH(int, dramIndex);
        QFETCH(int, row);
        QFETCH(int, ratio);
        QFETCH(PinNames, expected);

        const QList<PortPin> pins = portPins(dq, dramIndex, row, ratio);
        QCOMPARE(pins.size(), 35);
        for (auto it = expected.cbegin(); it != expected.cend(); ++it)
            QCOMPARE(pins.at(it.key() - 1).name, it.value());
    }

    // Inputs, then outputs from row 16, the three data lines bidirectional; memory side from
    // row 21. With one strobe group rows 32, 34 and 35 lose their range but stay buses.
    void fixedAttributes()
    {
        for (const auto &[dq, ratio] : {std::pair{8, 0}, std::pair{72, 1}}) {
            const QList<PortPin> pins = portPins(dq, 2, 12, ratio);
            for (int i = 0; i < pins.size(); ++i) {
                const PortPin &pin = pins.at(i);
                const QByteArray where = pin.name.toUtf8();
                QVERIFY2(pin.direction == (i < 15 ? 0 : i < 32 ? 1 : 2), where);
                QVERIFY2(pin.bus == (pin.name.contains('[') || i == 31 || i >= 33), where);
                QVERIFY2(pin.deviceSide == (i >= 20), where);
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestPortPins)
#include "tst_portpins.moc"
