#pragma once

#include "coreextension.h"

namespace DDR3PHY {

// The DDR3 PHY's companion library: what the host may ask of the core beyond its package. Every
// answer comes from a dialog of the core's own that re-opens the configuration file as the
// host's Open does, so the report and the example design see exactly what a re-open restores.
class DDR3PHYExtension : public IPCore::CoreExtension,
                         public IPCore::GenerationReport,
                         public IPCore::ExampleDesign,
                         public IPCore::RestoreNotes,
                         public IPCore::MemoryParts
{
    Q_OBJECT
    Q_INTERFACES(
        IPCore::GenerationReport IPCore::ExampleDesign IPCore::RestoreNotes IPCore::MemoryParts)
public:
    QString coreId() const override;
    IPCore::ReportOutcome writeReport(const QString &configFile, const QStringList &synthesisLog,
                                      const QString &partSource) override;
    bool exampleFiles(const QString &configFile, const QString &partSource,
                      QList<IPCore::ExampleFile> *files, QString *error) override;
    QStringList restoreNotes(const QString &configFile) override;
    QStringList partColumns() const override;
    QList<IPCore::MemoryPartEntry> partList() const override;
    QStringList partInputs() const override;
    IPCore::PartEdits partEdits(const QString &part, bool fromFile,
                                const IPCore::IPGenDialog *dialog) const override;
};

} // namespace DDR3PHY
