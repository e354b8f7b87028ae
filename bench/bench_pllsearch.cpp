// Compares the product PLL search with the exhaustive reference over every device group of the
// limits table, every reference clock of the dialog and every memory clock from 100 to 700 MHz.
// Prints throughput and median time per search; fails on any result that is not bit-identical.

#include "pllsearch.h"
#include "presets.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

using namespace DDR3PHY;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int lowestClock = 100;
constexpr int highestClock = 700;
constexpr int clocksPerBatch = highestClock - lowestClock + 1;
constexpr double requiredSpeedUp = 20.0;

struct Batch
{
    QString model;
    QString code;
    PllLimits limits;
    double fin;
};

struct Timing
{
    double totalSeconds = 0.0;
    long searches = 0;
    std::vector<double> perSearchNs; // one entry per timed batch

    void add(Clock::duration elapsed, int count)
    {
        const double ns = std::chrono::duration<double, std::nano>(elapsed).count();
        totalSeconds += ns * 1e-9;
        searches += count;
        perSearchNs.push_back(ns / count);
    }
    double median()
    {
        std::sort(perSearchNs.begin(), perSearchNs.end());
        return perSearchNs[perSearchNs.size() / 2];
    }
    double perSecond() const { return searches / totalSeconds; }
};

bool identical(const PllChoice &a, const PllChoice &b)
{
    return a.found == b.found && a.fbdiv == b.fbdiv && a.idiv == b.idiv && a.odiv == b.odiv &&
           std::memcmp(&a.frequency, &b.frequency, sizeof(double)) == 0;
}

std::vector<PllChoice> sweep(PllChoice (*search)(const PllLimits &, double, double),
                             const Batch &batch)
{
    std::vector<PllChoice> results;
    results.reserve(clocksPerBatch);
    for (int t = lowestClock; t <= highestClock; ++t)
        results.push_back(search(batch.limits, batch.fin, t));
    return results;
}

std::vector<Batch> batches()
{
    std::vector<Batch> all;
    for (const PllLimitsRow &row : pllLimitsTable()) {
        for (const QString &model : row.models) {
            for (int period : referenceClockPeriods()) {
                const QString &code = row.codes.first();
                all.push_back({model, code, pllLimits(model, code), 1000000.0 / period});
            }
        }
    }
    return all;
}

} // namespace

int main()
{
    Timing product;
    Timing exhaustive;
    long mismatches = 0;
    long checked = 0;

    const std::vector<Batch> all = batches();
    for (std::size_t i = 0; i < all.size(); ++i) {
        const Batch &batch = all[i];

        auto start = Clock::now();
        const std::vector<PllChoice> fast = sweep(searchPll, batch);
        product.add(Clock::now() - start, clocksPerBatch);

        start = Clock::now();
        const std::vector<PllChoice> reference = sweep(searchPllExhaustive, batch);
        exhaustive.add(Clock::now() - start, clocksPerBatch);

        for (int j = 0; j < clocksPerBatch; ++j) {
            ++checked;
            if (identical(fast[j], reference[j]))
                continue;
            if (++mismatches <= 10)
                std::printf("MISMATCH %s %s fin=%.17g T=%d: fast %d/%d/%d %.17g, exhaustive "
                            "%d/%d/%d %.17g\n",
                            qPrintable(batch.model), qPrintable(batch.code), batch.fin,
                            lowestClock + j, fast[j].fbdiv, fast[j].idiv, fast[j].odiv,
                            fast[j].frequency, reference[j].fbdiv, reference[j].idiv,
                            reference[j].odiv, reference[j].frequency);
        }
    }

    const double productMedian = product.median();
    const double exhaustiveMedian = exhaustive.median();
    std::printf("sweep: %zu (model, speed group, reference) batches x memory clocks %d..%d MHz, "
                "%ld searches\n",
                all.size(), lowestClock, highestClock, checked);
    std::printf("searchPll:           %12.0f searches/s, median %9.1f ns per search\n",
                product.perSecond(), productMedian);
    std::printf("searchPllExhaustive: %12.0f searches/s, median %9.1f ns per search\n",
                exhaustive.perSecond(), exhaustiveMedian);
    const double speedUp = exhaustiveMedian / productMedian;
    std::printf("speed-up (median):   %.1fx (required: %.0fx, %s)\n", speedUp, requiredSpeedUp,
                speedUp >= requiredSpeedUp ? "met" : "NOT met");
    std::printf("bit-identical:       %ld of %ld\n", checked - mismatches, checked);
    return mismatches == 0 ? 0 : 1;
}
