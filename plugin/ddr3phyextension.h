#pragma once

#include "coreextension.h"

namespace DDR3PHY {

// The DDR3 PHY's companion library: what the host may ask of the core beyond its package. Every
// answer comes from a dialog of the core's own that re-opens the configuration file as the
// host's Open does, so the report and the example design see exactly what a re-open restores.
class DDR3PHYExtension : public IPCore::CoreExtension,
                         public IPCore::GenerationReport,
                         public IPCore::ExampleDesign,
                         public IPCore::RestoreNotes
{
    Q_OBJECT
    Q_INTERFACES(IPCore::GenerationReport IPCore::ExampleDesign IPCore::RestoreNotes)
public:
    QString coreId() const override;
    IPCore::ReportOutcome writeReport(const QString &configFile,
                                      const QStringList &synthesisLog) override;
    bool exampleFiles(const QString &configFile, QList<IPCore::ExampleFile> *files,
                      QString *error) override;
    QStringList restoreNotes(const QString &configFile) override;
};

} // namespace DDR3PHY
