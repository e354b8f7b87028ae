#pragma once

#include <optional>

#include <QString>

namespace DDR3PHY {

// Widths of the controller-side interface, shown read-only on the type page.
int appAddressWidth(int colBits, int rowBits, int rankBits);
int appDataWidth(int dqWidth, bool ecc, int ratioIndex);
// No value for a DRAM width other than 4, 8 or 16: the field is then left as it is.
std::optional<int> appMaskWidth(int dataWidth, int dramWidth);

// Whole MHz of a reference period in ps, and whole ps of a memory clock in MHz (truncated).
int referenceFrequencyMHz(int periodPs);
int memoryPeriodPs(int memoryClockMHz);
QString referenceClockText(int periodPs);    // "<-> 50 MHz"
QString memoryClockText(int memoryClockMHz); // "<-> 5000 ps"

// The error-correction box is offered only at the ninth DQ entry ("72").
bool eccAvailable(int dqIndex);

// A combo text read as a number; empty (a list being refilled) reads as 0.
int textToInt(const QString &text);

} // namespace DDR3PHY
