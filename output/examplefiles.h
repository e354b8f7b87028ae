#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace DDR3PHY {

// What the example design kit needs to know about a generated core, read back from the four
// files the generator wrote for it.
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

    int groups() const { return dramWidth == 4 ? dqWidth / 4 : dqWidth / 8; }
};

// Parses the texts of vlmc_param.v, ddr3_pll_config.v, DDR3_define.v and ddr3_name.v. Anything
// missing or out of range gives false and a one-line reason in *error.
bool readExampleCore(const QString &parameters, const QString &pll, const QString &defines,
                     const QString &names, ExampleCore *core, QString *error);

// One file of the kit that is copied unchanged.
struct KitCopy
{
    enum class From { CoreDirectory, HostShare, Generated };
    From from;
    QString source; // relative to where it comes from
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
