#pragma once

#include "configtable.h"

#include <QString>
#include <QStringList>

namespace DDR3PHY {

// The parameter file and the record come from the configuration table; these are the other
// three Verilog files.
QStringList pllLines(double fin, int fbdiv, int idiv, int odiv, const QString &deviceName);
QStringList defineLines(bool ecc); // DDR3_define.v; ecc = the box is enabled and checked
QStringList nameLines(const QString &moduleName); // ddr3_name.v

} // namespace DDR3PHY
