#include "pllsearch.h"
#include "presets.h"

#include <QtTest>

#include <cmath>
#include <cstring>

using namespace DDR3PHY;

Q_DECLARE_METATYPE(DDR3PHY::PllLimits)

namespace DDR3PHY {
static bool operator==(const PllLimits &a, const PllLimits &b)
{
    return a.pfdMin == b.pfdMin && a.pfdMax == b.pfdMax && a.vcoLow == b.vcoLow &&
           a.vcoHigh == b.vcoHigh;
}
} // namespace DDR3PHY

namespace {

const PllLimits vx1Fast{3, 400, 400, 1000};
const PllLimits vx1Slow{3, 320, 320, 800};

bool identical(const PllChoice &a, const PllChoice &b)
{
    return a.found == b.found && a.fbdiv == b.fbdiv && a.idiv == b.idiv && a.odiv == b.odiv &&
           std::memcmp(&a.frequency, &b.frequency, sizeof(double)) == 0;
}

QByteArray describe(const PllLimits &limits, double fin, double target)
{
    return QStringLiteral("pfd %1..%2 vco %3..%4 fin %5 T %6")
        .arg(limits.pfdMin)
        .arg(limits.pfdMax)
        .arg(limits.vcoLow)
        .arg(limits.vcoHigh)
        .arg(fin, 0, 'g', 17)
        .arg(target, 0, 'g', 17)
        .toUtf8();
}

} // namespace

namespace QTest {
template <> char *toString(const PllLimits &l)
{
    return qstrdup(describe(l, 0, 0).constData());
}
} // namespace QTest

class TestPllSearch : public QObject
{
    Q_OBJECT

private slots:
    void limits_data();
    void limits();
    void limitsTable();
    void search_data();
    void search();
    void fastMatchesExhaustiveOnSweep();
    void fastMatchesExhaustiveOnOddInputs();
    void exactness_data();
    void exactness();
};

void TestPllSearch::limits_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<QString>("condition");
    QTest::addColumn<PllLimits>("expected");

    const PllLimits none{};
    QTest::newRow("VX1-10 C6") << "VX1-10"
                               << "C6" << vx1Fast;
    QTest::newRow("VX1R-10 ES") << "VX1R-10"
                                << "ES" << vx1Slow;
    QTest::newRow("both groups: upper row") << "VX1-10"
                                            << "C5/C7" << vx1Fast;
    QTest::newRow("code inside a longer text") << "VX1-10"
                                               << "xxI5yy" << vx1Fast;
    QTest::newRow("VX1R-10C I4") << "VX1R-10C"
                                 << "I4" << PllLimits{3, 320, 320, 960};
    QTest::newRow("VX1-10C A4") << "VX1-10C"
                                << "A4" << PllLimits{3, 400, 400, 1200};
    QTest::newRow("VX2NR-20C A6") << "VX2NR-20C"
                                  << "A6" << PllLimits{3, 500, 500, 1250};
    QTest::newRow("VX2 C7 is the slow group") << "VX2-20"
                                              << "C7" << PllLimits{3, 400, 400, 1000};
    QTest::newRow("VX2N-60C ES") << "VX2N-60C"
                                 << "ES" << PllLimits{3, 400, 400, 1000};
    QTest::newRow("unknown model") << "VX3-10"
                                   << "C6" << none;
    QTest::newRow("model case") << "vx1-10"
                                << "C6" << none;
    QTest::newRow("model with blank") << "VX1-10 "
                                      << "C6" << none;
    QTest::newRow("condition case") << "VX1-10"
                                    << "c6" << none;
    QTest::newRow("code of another family") << "VX1-10"
                                            << "C9" << none;
    QTest::newRow("empty condition") << "VX2-60"
                                     << "" << none;
}

void TestPllSearch::limits()
{
    QFETCH(QString, model);
    QFETCH(QString, condition);
    QTEST(pllLimits(model, condition), "expected");
}

void TestPllSearch::limitsTable()
{
    const QStringList models{"VX1-10",  "VX1R-10",  "VX1-10C",   "VX1R-10C", "VX2-20",  "VX2R-20",
                             "VX2-20C", "VX2R-20C", "VX2NR-20C", "VX2-60",   "VX2-60C", "VX2N-60C"};
    QHash<QString, int> rowsPerModel;
    for (const PllLimitsRow &row : pllLimitsTable()) {
        const PllLimits &l = row.limits;
        QVERIFY(0 < l.pfdMin && l.pfdMin <= l.pfdMax);
        QVERIFY(l.vcoLow < l.vcoHigh);
        QCOMPARE(l.vcoLow, l.pfdMax);
        for (const QString &model : row.models) {
            ++rowsPerModel[model];
            // Every code reaches its own row: a faster group never holds a slower group's code.
            for (const QString &code : row.codes)
                QCOMPARE(pllLimits(model, code), l);
        }
    }
    QCOMPARE(QSet<QString>(models.cbegin(), models.cend()),
             QSet<QString>(rowsPerModel.keyBegin(), rowsPerModel.keyEnd()));
    for (const QString &model : models)
        QCOMPARE(rowsPerModel.value(model), 2);
}

void TestPllSearch::search_data()
{
    QTest::addColumn<PllLimits>("limits");
    QTest::addColumn<double>("fin");
    QTest::addColumn<double>("target");
    QTest::addColumn<bool>("found");
    QTest::addColumn<int>("fbdiv");
    QTest::addColumn<int>("idiv");
    QTest::addColumn<QString>("frequency"); // as the question box shows it
    QTest::addColumn<int>("odiv");

    const double fin50 = 1000000.0 / 20000;
    const PllLimits none{};
    auto row = [](const char *name, const PllLimits &limits, double fin, double target) -> auto &
    {
        return QTest::newRow(name) << limits << fin << target;
    };
    row("400: 8/1 before 16/2", vx1Fast, fin50, 400) << true << 8 << 1 << "400.000000" << 2;
    row("100: VCO 400 is not above 400", vx1Fast, fin50, 100)
        << true << 2 << 1 << "100.000000" << 8;
    row("200: 4/1, ODIV 4", vx1Fast, fin50, 200) << true << 4 << 1 << "200.000000" << 4;
    row("333 approximated", vx1Fast, fin50, 333) << true << 20 << 3 << "333.333333" << 2;
    row("401 approximated", vx1Fast, fin50, 401) << true << 8 << 1 << "400.000000" << 2;
    row("499: VCO 998", vx1Fast, fin50, 499) << true << 10 << 1 << "500.000000" << 2;
    row("500: VCO 1000 is not below 1000", vx1Fast, fin50, 500)
        << true << 10 << 1 << "500.000000" << 0;
    row("C5 400: no ODIV", vx1Slow, fin50, 400) << true << 8 << 1 << "400.000000" << 0;
    row("ODIV 96", vx1Fast, fin50, 5) << true << 1 << 10 << "5.000000" << 96;
    row("ODIV 112", vx1Fast, 48, 4) << true << 1 << 12 << "4.000000" << 112;
    row("ODIV list ends at 128", vx1Fast, fin50, 3.125) << true << 1 << 16 << "3.125000" << 0;
    row("IDIV 1 excluded: 16/2", PllLimits{3, 49, 49, 1000}, fin50, 400)
        << true << 16 << 2 << "400.000000" << 2;
    row("2 % above is admitted", PllLimits{51, 51, 51, 1000}, 51, 100)
        << true << 2 << 1 << "102.000000" << 2;
    row("2 % below is admitted", PllLimits{49, 49, 49, 1000}, 49, 100)
        << true << 2 << 1 << "98.000000" << 2;
    row("beyond 2 %", PllLimits{51, 51, 51, 1000}, 51, 99.99) << false << 0 << 0 << "" << 0;
    row("PFD exactly 3", PllLimits{3, 3, 3, 1000}, 48, 60) << true << 20 << 16 << "60.000000" << 2;
    row("PFD just below 3", PllLimits{3, 3, 3, 1000}, 47.9, 60) << false << 0 << 0 << "" << 0;
    row("PFD exactly the maximum", vx1Fast, 400, 400) << true << 1 << 1 << "400.000000" << 2;
    row("PFD just above the maximum", PllLimits{3, 399, 399, 1000}, 400, 400)
        << true << 2 << 2 << "400.000000" << 2;
    row("21276 ps", vx1Fast, 1000000.0 / 21276, 333) << true << 64 << 9 << "334.231581" << 2;
    row("unknown device", none, fin50, 400) << false << 0 << 0 << "" << 0;
}

void TestPllSearch::search()
{
    QFETCH(PllLimits, limits);
    QFETCH(double, fin);
    QFETCH(double, target);

    const PllChoice choice = searchPll(limits, fin, target);
    QTEST(choice.found, "found");
    QTEST(choice.fbdiv, "fbdiv");
    QTEST(choice.idiv, "idiv");
    QTEST(choice.found ? QString::number(choice.frequency, 'f', 6) : QString(), "frequency");
    QTEST(choice.odiv, "odiv");
    QVERIFY(identical(choice, searchPllExhaustive(limits, fin, target)));
}

void TestPllSearch::fastMatchesExhaustiveOnSweep()
{
    const QList<int> &periods = referenceClockPeriods();
    for (const PllLimitsRow &row : pllLimitsTable()) {
        for (int p = 0; p < periods.size(); p += 3) {
            const double fin = 1000000.0 / periods.at(p);
            for (int target = 100; target <= 700; target += 7) {
                QVERIFY2(identical(searchPll(row.limits, fin, target),
                                   searchPllExhaustive(row.limits, fin, target)),
                         describe(row.limits, fin, target).constData());
            }
        }
    }
}

void TestPllSearch::fastMatchesExhaustiveOnOddInputs()
{
    QRandomGenerator random(20240611);
    for (int i = 0; i < 3000; ++i) {
        const PllLimits &limits = pllLimitsTable().at(i % pllLimitsTable().size()).limits;
        const double fin = 5.0 + random.generateDouble() * 400.0;
        const double target = 1.0 + random.generateDouble() * 800.0;
        QVERIFY2(
            identical(searchPll(limits, fin, target), searchPllExhaustive(limits, fin, target)),
            describe(limits, fin, target).constData());
    }
    const double nan = std::nan("");
    const QList<QPair<double, double>> outside{{0.0, 400.0},  {-50.0, 400.0}, {50.0, 0.0},
                                               {50.0, -1.0},  {nan, 400.0},   {50.0, nan},
                                               {1e-300, 1.0}, {1e300, 400.0}};
    for (const auto &[fin, target] : outside) {
        QVERIFY2(
            identical(searchPll(vx1Fast, fin, target), searchPllExhaustive(vx1Fast, fin, target)),
            describe(vx1Fast, fin, target).constData());
    }
}

void TestPllSearch::exactness_data()
{
    QTest::addColumn<double>("frequency");
    QTest::addColumn<double>("target");
    QTest::addColumn<bool>("exact");

    QTest::newRow("equal") << 400.0 << 400.0 << true;
    QTest::newRow("half a micro-MHz above") << 400.0000005 << 400.0 << true;
    QTest::newRow("half a micro-MHz below") << 399.9999995 << 400.0 << true;
    QTest::newRow("ten micro-MHz off") << 400.00001 << 400.0 << false;
    QTest::newRow("333.333333") << 1000.0 / 3 << 333.0 << false;
}

void TestPllSearch::exactness()
{
    QFETCH(double, frequency);
    QFETCH(double, target);
    PllChoice choice;
    choice.found = true;
    choice.frequency = frequency;
    QTEST(pllIsExact(choice, target), "exact");
}

QTEST_GUILESS_MAIN(TestPllSearch)
#include "tst_pllsearch.moc"
