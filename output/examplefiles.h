#pragma once

#include "configtable.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace DDR3PHY {

// What the example design kit needs to know about a configured core.
struct ExampleCore
{
    QString moduleName;
    int ratio = 0; // nCK_PER_CLK
    int tck = 0;   // ps
    int dqWidth = 0;
    int dramWidth = 0;
    int rowWidth = 0;
    bool ecc = false;
    QString rttNom;
    QString rttWr;
    QString outputDrive;
    int referenceMhz = 0; // the PLL's FCLKIN
    bool ddr3l = false;   // the memory runs at 1.35 V: SSTL135 banks

    int groups() const { return dramWidth == 4 ? dqWidth / 4 : dqWidth / 8; }
};

// The kit's view of a configured core: the controls' values as its files are generated from
// them, the reference clock's period (ps) and whether the ECC define is written. A value the kit
// cannot take (a combo box without a current item, a module name that is no identifier) gives
// false and a one-line reason in *error.
bool exampleCore(const ControlValues &values, int referencePeriod, bool eccDefine,
                 const QString &moduleName, ExampleCore *core, QString *error);

// One file of the kit that is copied unchanged.
struct KitCopy
{
    enum class From { CoreDirectory, DevicePrimitives, Generated };
    From from;
    QString source; // relative to the core directory, or a generated file's name
    QString target; // relative to the kit's folder
};

// Every copied file of the kit. The core's own HDL (its data folder) goes to core/ as a whole
// and is not listed.
QList<KitCopy> exampleCopies();

// The files of the kit that depend on the configuration, relative to the kit's folder.
inline const QString exampleConfigPath = QStringLiteral("sim/example_config.vh");
inline const QString exampleRunScriptPath = QStringLiteral("sim/run.sh");
inline const QString pinTemplatePath = QStringLiteral("constraints/ddr3_example_pins.txt");

QStringList exampleConfigLines(const ExampleCore &core);
QStringList exampleRunScript(const ExampleCore &core);
QStringList pinTemplateLines(const ExampleCore &core);

} // namespace DDR3PHY
