#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace DDR3PHY {

// Limits of the PLL of one device model and speed-grade group, in MHz. PFD bounds are
// inclusive, VCO bounds exclusive; all zero for an unknown device, which admits nothing.
struct PllLimits
{
    int pfdMin = 0;
    int pfdMax = 0;
    int vcoLow = 0;
    int vcoHigh = 0;
};

// One speed-grade group of a device family: any of `codes` in the condition text selects `limits`
// for any of `models`. A family's faster group comes first. The table is the core's list of
// devices: the descriptor's supported models and the host's device table are tested against it.
struct PllLimitsRow
{
    QStringList models;
    QStringList codes;
    PllLimits limits;
};
const QList<PllLimitsRow> &pllLimitsTable();

// Model names are compared exactly; the condition text is searched for the speed-grade codes of
// the model's groups, the first group first.
PllLimits pllLimits(const QString &model, const QString &condition);

struct PllChoice
{
    bool found = false; // a (FBDIV, IDIV) pair came within 2 % with an admissible PFD
    int fbdiv = 0;
    int idiv = 0;
    double frequency = 0.0; // fin * fbdiv / idiv
    int odiv = 0;           // 0 when no output divider keeps the VCO inside its bounds
};

// The closest pair to `target` (ties: smallest FBDIV, then smallest IDIV), and the first output
// divider whose VCO frequency odiv * target lies strictly inside the limits.
PllChoice searchPll(const PllLimits &limits, double fin, double target);

// Straightforward enumeration of all 4096 pairs with a stable sort; the reference searchPll is
// held to in tests and benchmarks.
PllChoice searchPllExhaustive(const PllLimits &limits, double fin, double target);

// True when the chosen frequency meets the target without asking the user.
bool pllIsExact(const PllChoice &choice, double target);

} // namespace DDR3PHY
