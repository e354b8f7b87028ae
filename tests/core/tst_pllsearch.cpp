#include "pllsearch.h"
#include "presets.h"

#include <QtTest>

#include <cmath>
#include <cstring>

using namespace DDR3PHY;

Q_DECLARE_METATYPE(DDR3PHY::PllLimits)

namespace {

const PllLimits vx1Fast{3, 400, 400, 1000};
const double fin50 = 1000000.0 / 20000;

bool identical(const PllChoice &a, const PllChoice &b)
{
    return a.found == b.found && a.fbdiv == b.fbdiv && a.idiv == b.idiv && a.odiv == b.odiv &&
           std::memcmp(&a.frequency, &b.frequency, sizeof(double)) == 0;
}

QList<int> figures(const PllLimits &l)
{
    return {l.pfdMin, l.pfdMax, l.vcoLow, l.vcoHigh};
}

} // namespace

class TestPllSearch : public QObject
{
    Q_OBJECT

private slots:
    void limits_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<QString>("condition");
        QTest::addColumn<QList<int>>("expected"); // PFD min, max, VCO low, high

        auto row = [](const char *tag, const char *model, const char *condition, PllLimits l) {
            QTest::newRow(tag) << QString(model) << QString(condition) << figures(l);
        };
        // One row per distinct set of limits catches a mistyped figure in the table.
        row("VX1-10 C6", "VX1-10", "C6", vx1Fast);
        row("VX1R-10 ES", "VX1R-10", "ES", {3, 320, 320, 800});
        row("VX1R-10C I4", "VX1R-10C", "I4", {3, 320, 320, 960});
        row("VX1-10C A4", "VX1-10C", "A4", {3, 400, 400, 1200});
        row("VX2NR-20C A6", "VX2NR-20C", "A6", {3, 500, 500, 1250});
        row("VX2 C7 is the slow group", "VX2-20", "C7", {3, 400, 400, 1000});
        row("both groups: upper row", "VX1-10", "C5/C7", vx1Fast);
        row("code inside a longer text", "VX1-10", "xxI5yy", vx1Fast);
        row("unknown model", "VX3-10", "C6", {});
        row("model case", "vx1-10", "C6", {});
        row("code of another family", "VX1-10", "C9", {});
    }

    void limits()
    {
        QFETCH(QString, model);
        QFETCH(QString, condition);
        QTEST(figures(pllLimits(model, condition)), "expected");
    }

    // Every model has both groups, and every code of a row reaches that row.
    void limitsTable()
    {
        QHash<QString, int> rowsPerModel;
        for (const PllLimitsRow &row : pllLimitsTable()) {
            const PllLimits &l = row.limits;
            QVERIFY(0 < l.pfdMin && l.pfdMin <= l.pfdMax && l.vcoLow < l.vcoHigh);
            for (const QString &model : row.models) {
                ++rowsPerModel[model];
                for (const QString &code : row.codes)
                    QCOMPARE(figures(pllLimits(model, code)), figures(l));
            }
        }
        QCOMPARE(rowsPerModel.size(), 12);
        for (int rows : rowsPerModel)
            QCOMPARE(rows, 2);
    }

    void search_data()
    {
        QTest::addColumn<PllLimits>("limits");
        QTest::addColumn<double>("fin");
        QTest::addColumn<double>("target");
        QTest::addColumn<QString>("expected"); // FBDIV/IDIV, frequency as shown, ODIV

        auto row = [](const char *name, PllLimits limits, double fin, double target,
                      const char *e) {
            QTest::newRow(name) << limits << fin << target << QString(e);
        };
        const PllLimits pfd3{3, 3, 3, 1000};
        row("400: 8/1 before 16/2", vx1Fast, fin50, 400, "8/1 400.000000 ODIV 2");
        row("IDIV 1 excluded: 16/2", {3, 49, 49, 1000}, fin50, 400, "16/2 400.000000 ODIV 2");
        row("100: VCO 400 is not above 400", vx1Fast, fin50, 100, "2/1 100.000000 ODIV 8");
        row("500: VCO 1000 is not below 1000", vx1Fast, fin50, 500, "10/1 500.000000 ODIV 0");
        row("C5 400: no ODIV", {3, 320, 320, 800}, fin50, 400, "8/1 400.000000 ODIV 0");
        row("333 approximated", vx1Fast, fin50, 333, "20/3 333.333333 ODIV 2");
        row("ODIV 112", vx1Fast, 48, 4, "1/12 4.000000 ODIV 112");
        row("ODIV list ends at 128", vx1Fast, fin50, 3.125, "1/16 3.125000 ODIV 0");
        row("2 % above is admitted", {51, 51, 51, 1000}, 51, 100, "2/1 102.000000 ODIV 2");
        row("beyond 2 %", {51, 51, 51, 1000}, 51, 99.99, "0/0 none ODIV 0");
        row("PFD exactly 3", pfd3, 48, 60, "20/16 60.000000 ODIV 2");
        row("PFD just below 3", pfd3, 47.9, 60, "0/0 none ODIV 0");
        row("PFD exactly the maximum", vx1Fast, 400, 400, "1/1 400.000000 ODIV 2");
        row("PFD just above the maximum", {3, 399, 399, 1000}, 400, 400, "2/2 400.000000 ODIV 2");
        row("21276 ps", vx1Fast, 1000000.0 / 21276, 333, "64/9 334.231581 ODIV 2");
        row("unknown device", {}, fin50, 400, "0/0 none ODIV 0");
    }

    void search()
    {
        QFETCH(PllLimits, limits);
        QFETCH(double, fin);
        QFETCH(double, target);

        const PllChoice c = searchPll(limits, fin, target);
        const QString frequency = c.found ? QString::number(c.frequency, 'f', 6) : "none";
        QTEST(
            QStringLiteral("%1/%2 %3 ODIV %4").arg(c.fbdiv).arg(c.idiv).arg(frequency).arg(c.odiv),
            "expected");
        QVERIFY(identical(c, searchPllExhaustive(limits, fin, target)));
    }

    // Real reference clocks with whole-MHz targets produce exact ties; random and degenerate
    // inputs reach the corners the binary searches have to agree on.
    void fastMatchesExhaustive()
    {
        QList<std::pair<double, double>> inputs;
        const QList<int> &periods = referenceClockPeriods();
        for (int p = 0; p < periods.size(); p += 3) {
            for (int target = 100; target <= 700; target += 7)
                inputs.append({1000000.0 / periods.at(p), target});
        }
        QRandomGenerator random(20240611);
        for (int i = 0; i < 300; ++i)
            inputs.append({5 + random.generateDouble() * 400, 1 + random.generateDouble() * 800});
        const double nan = std::nan("");
        inputs << std::pair{0.0, 400.0} << std::pair{-50.0, 400.0} << std::pair{50.0, 0.0}
               << std::pair{50.0, -1.0} << std::pair{nan, 400.0} << std::pair{50.0, nan}
               << std::pair{1e-300, 1.0} << std::pair{1e300, 400.0};

        for (const PllLimitsRow &row : pllLimitsTable()) {
            for (const auto &[fin, target] : inputs) {
                QVERIFY2(identical(searchPll(row.limits, fin, target),
                                   searchPllExhaustive(row.limits, fin, target)),
                         qPrintable(QStringLiteral("PFD max %1 fin %2 target %3")
                                        .arg(row.limits.pfdMax)
                                        .arg(fin, 0, 'g', 17)
                                        .arg(target, 0, 'g', 17)));
            }
        }
    }

    void exactness_data()
    {
        QTest::addColumn<double>("frequency");
        QTest::addColumn<bool>("exact"); // against a target of 400

        QTest::newRow("half a micro-MHz below") << 399.9999995 << true;
        QTest::newRow("ten micro-MHz above") << 400.00001 << false;
    }

    void exactness()
    {
        QFETCH(double, frequency);
        PllChoice choice;
        choice.found = true;
        choice.frequency = frequency;
        QTEST(pllIsExact(choice, 400.0), "exact");
    }
};

QTEST_GUILESS_MAIN(TestPllSearch)
#include "tst_pllsearch.moc"
