#include "pllsearch.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <tuple>
#include <vector>

namespace DDR3PHY {

namespace {

constexpr int maxDivider = 64;
constexpr double tolerance = 0.02;
constexpr std::array<int, 11> outputDividers{2, 4, 8, 16, 32, 48, 64, 80, 96, 112, 128};

// Both searches evaluate a pair through these helpers only, so that they see the same doubles.
double pairFrequency(int fbdiv, int idiv, double fin)
{
    return (double(fbdiv) / idiv) * fin;
}

double distance(double frequency, double target)
{
    return std::abs(frequency - target);
}

bool withinTolerance(double dist, double target)
{
    return dist / target <= tolerance;
}

double pfd(double fin, int idiv)
{
    return fin / idiv;
}

bool pfdAdmissible(const PllLimits &limits, int idiv, double fin)
{
    const double p = pfd(fin, idiv);
    return limits.pfdMin <= p && p <= limits.pfdMax;
}

// The output divider depends on the requested clock only, not on the pair found.
int outputDivider(const PllLimits &limits, double target)
{
    for (int d : outputDividers) {
        const double vco = d * target;
        if (limits.vcoLow < vco && vco < limits.vcoHigh)
            return d;
    }
    return 0;
}

PllChoice chosen(const PllLimits &limits, int fbdiv, int idiv, double frequency, double target)
{
    return PllChoice{true, fbdiv, idiv, frequency, outputDivider(limits, target)};
}

// The smallest divider in 1..64 for which `holds` is true (65 when none), for a condition that
// stays true once it holds.
template <typename Condition> int firstDivider(Condition holds)
{
    int low = 1;
    int high = maxDivider + 1;
    while (low < high) {
        const int middle = (low + high) / 2;
        if (holds(middle))
            high = middle;
        else
            low = middle + 1;
    }
    return low;
}

// For one IDIV the pair frequency rises strictly with FBDIV, so the closest FBDIV is the last one
// at or below the target (or 1) or the one after it.
int lastFbdivAtOrBelow(int idiv, double fin, double target)
{
    int k = static_cast<int>(std::clamp(target * idiv / fin, 1.0, double(maxDivider)));
    while (k > 1 && pairFrequency(k, idiv, fin) > target)
        --k;
    while (k < maxDivider && pairFrequency(k + 1, idiv, fin) <= target)
        ++k;
    return k;
}

constexpr std::array<double, maxDivider + 1> makeReciprocals()
{
    std::array<double, maxDivider + 1> table{};
    for (int d = 1; d <= maxDivider; ++d)
        table[d] = 1.0 / d;
    return table;
}
constexpr std::array<double, maxDivider + 1> reciprocals = makeReciprocals();

// The fast search relies on the pair frequency rising strictly with FBDIV and on exact
// subtraction near the target; both hold for any clock a board or a memory can have.
bool withinFastRange(double fin, double target)
{
    constexpr double lowest = 1e-3;
    constexpr double highest = 1e9;
    return fin >= lowest && fin <= highest && target >= lowest && target <= highest;
}

} // namespace

const QList<PllLimitsRow> &pllLimitsTable()
{
    static const QStringList vx1{QStringLiteral("VX1-10"), QStringLiteral("VX1R-10")};
    static const QStringList vx1c{QStringLiteral("VX1-10C"), QStringLiteral("VX1R-10C")};
    static const QStringList vx2small{QStringLiteral("VX2-20"), QStringLiteral("VX2R-20"),
                                      QStringLiteral("VX2-20C"), QStringLiteral("VX2R-20C"),
                                      QStringLiteral("VX2NR-20C")};
    static const QStringList vx2large{QStringLiteral("VX2-60"), QStringLiteral("VX2-60C"),
                                      QStringLiteral("VX2N-60C")};
    static const QStringList vx1Fast{QStringLiteral("C7"), QStringLiteral("C6"),
                                     QStringLiteral("I5"), QStringLiteral("A4")};
    static const QStringList vx1Slow{QStringLiteral("C5"), QStringLiteral("I4"),
                                     QStringLiteral("ES")};
    static const QStringList vx2Fast{QStringLiteral("C9"), QStringLiteral("I8"),
                                     QStringLiteral("C8"), QStringLiteral("I7"),
                                     QStringLiteral("A6")};
    static const QStringList vx2Slow{QStringLiteral("C7"), QStringLiteral("I6"),
                                     QStringLiteral("ES")};
    static const QList<PllLimitsRow> table{
        {vx1, vx1Fast, {3, 400, 400, 1000}},      {vx1, vx1Slow, {3, 320, 320, 800}},
        {vx1c, vx1Fast, {3, 400, 400, 1200}},     {vx1c, vx1Slow, {3, 320, 320, 960}},
        {vx2small, vx2Fast, {3, 500, 500, 1250}}, {vx2small, vx2Slow, {3, 400, 400, 1000}},
        {vx2large, vx2Fast, {3, 500, 500, 1250}}, {vx2large, vx2Slow, {3, 400, 400, 1000}},
    };
    return table;
}

PllLimits pllLimits(const QString &model, const QString &condition)
{
    for (const PllLimitsRow &row : pllLimitsTable()) {
        if (!row.models.contains(model))
            continue;
        const bool codeFound =
            std::any_of(row.codes.cbegin(), row.codes.cend(),
                        [&](const QString &code) { return condition.contains(code); });
        if (codeFound)
            return row.limits;
    }
    return {};
}

PllChoice searchPllExhaustive(const PllLimits &limits, double fin, double target)
{
    struct Candidate
    {
        int fbdiv;
        int idiv;
        double frequency;
    };
    std::vector<Candidate> candidates;
    for (int fbdiv = 1; fbdiv <= maxDivider; ++fbdiv) {
        for (int idiv = 1; idiv <= maxDivider; ++idiv) {
            const double f = pairFrequency(fbdiv, idiv, fin);
            if (!withinTolerance(distance(f, target), target) || !pfdAdmissible(limits, idiv, fin))
                continue;
            candidates.push_back({fbdiv, idiv, f});
        }
    }
    if (candidates.empty())
        return {};
    std::stable_sort(candidates.begin(), candidates.end(),
                     [target](const Candidate &a, const Candidate &b) {
                         return distance(a.frequency, target) < distance(b.frequency, target);
                     });
    const Candidate &best = candidates.front();
    return chosen(limits, best.fbdiv, best.idiv, best.frequency, target);
}

PllChoice searchPll(const PllLimits &limits, double fin, double target)
{
    if (!withinFastRange(fin, target))
        return searchPllExhaustive(limits, fin, target);

    // fin / IDIV falls as IDIV rises, so the admissible input dividers form one range.
    const int firstIdiv = firstDivider([&](int idiv) { return pfd(fin, idiv) <= limits.pfdMax; });
    const int lastIdiv = firstDivider([&](int idiv) { return pfd(fin, idiv) < limits.pfdMin; }) - 1;

    // A cheap estimate of each IDIV's smallest distance, from the FBDIV nearest to the real
    // quotient; only IDIVs within rounding noise of the best estimate are evaluated exactly.
    const double ratio = target / fin;
    std::array<double, maxDivider + 1> estimate{};
    double bestEstimate = std::numeric_limits<double>::infinity();
    for (int idiv = firstIdiv; idiv <= lastIdiv; ++idiv) {
        const double quotient = idiv * ratio;
        const int nearest = std::max(1, int(std::min(quotient, double(maxDivider)) + 0.5));
        estimate[idiv] = std::abs(nearest - quotient) * fin * reciprocals[idiv];
        bestEstimate = std::min(bestEstimate, estimate[idiv]);
    }
    // Far above the few ulps by which an estimate and an exact distance can differ.
    const double noise = 1e-9 * (target + maxDivider * fin);

    bool found = false;
    int bestFbdiv = 0;
    int bestIdiv = 0;
    double bestFrequency = 0.0;
    double bestDistance = 0.0;
    for (int idiv = firstIdiv; idiv <= lastIdiv; ++idiv) {
        if (estimate[idiv] > bestEstimate + noise)
            continue;
        const int k = lastFbdivAtOrBelow(idiv, fin, target);
        for (int fbdiv = k; fbdiv <= std::min(k + 1, maxDivider); ++fbdiv) {
            const double f = pairFrequency(fbdiv, idiv, fin);
            const double dist = distance(f, target);
            if (!withinTolerance(dist, target))
                continue;
            // The exhaustive search's stable sort keeps generation order among equal distances:
            // FBDIV first, then IDIV.
            if (!found ||
                std::tie(dist, fbdiv, idiv) < std::tie(bestDistance, bestFbdiv, bestIdiv)) {
                found = true;
                bestFbdiv = fbdiv;
                bestIdiv = idiv;
                bestFrequency = f;
                bestDistance = dist;
            }
        }
    }
    if (!found)
        return {};
    return chosen(limits, bestFbdiv, bestIdiv, bestFrequency, target);
}

bool pllIsExact(const PllChoice &choice, double target)
{
    return distance(choice.frequency, target) <= 1e-6;
}

} // namespace DDR3PHY
