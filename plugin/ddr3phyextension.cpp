#include "ddr3phyextension.h"

#include "corefiles.h"
#include "ddr3phy.h"
#include "ddr3phydialog.h"
#include "devicelibrary.h"
#include "examplefiles.h"
#include "generationreport.h"
#include "libraryentry.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QSaveFile>
#include <QSettings>
#include <QTimer>

namespace DDR3PHY {

namespace {

// The id that ddr3phy.ipspec gives the core.
const QString servedCoreId = QStringLiteral("ddr3_phy");
// Every source of the example design is a text file of modest size; anything bigger is not ours.
constexpr qint64 maxSourceSize = 4 * 1024 * 1024;

// Closes every message box shown while it lives and keeps its text: a re-open for the host runs
// unseen, and what it would have said becomes the reason of a refusal. The box is the core's own
// business, so no other filter (a front end answering the user's dialog) hears of it.
class UnseenMessages : public QObject
{
public:
    UnseenMessages() { qApp->installEventFilter(this); }
    ~UnseenMessages() override { qApp->removeEventFilter(this); }
    QString last() const { return m_texts.isEmpty() ? QString() : m_texts.last(); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *box = event->type() == QEvent::Show ? qobject_cast<QMessageBox *>(watched) : nullptr;
        if (!box)
            return false;
        m_texts.append(box->text());
        // Closed from the box's own modal loop, which has not started yet.
        QTimer::singleShot(0, box, [box] { box->done(QMessageBox::Cancel); });
        return true;
    }

private:
    QStringList m_texts;
};

// What re-opening a configuration file restores.
struct Restored
{
    Record record; // as a generation would write it now
    ControlValues values;
    int referencePeriod = 0; // ps
    bool eccDefine = false;
    QString moduleName;
    DEV::DeviceArg device;
};

bool restore(const QString &coreDirectory, const QString &configFile, Restored *restored,
             QString *error)
{
    DDR3PHY core(coreDirectory);
    if (!core.loadSpec()) {
        *error = QStringLiteral("the core's description in %1 cannot be read").arg(coreDirectory);
        return false;
    }
    DDR3PHYDialog dialog(&core.coreInformation(), nullptr);
    UnseenMessages messages;
    if (!dialog.setOpening(configFile, core.id())) {
        *error = messages.last().isEmpty()
                     ? QStringLiteral("%1 cannot be re-opened").arg(configFile)
                     : messages.last();
        return false;
    }
    // The two values the files take from a control beyond its record entry.
    const auto *reference = dialog.findChild<QComboBox *>(
        QLatin1String(configRow(Role::ReferenceClock).control));
    const auto *ecc = dialog.findChild<QCheckBox *>(QStringLiteral("checkEcc"));
    *restored = {dialog.configRecord(),
                 dialog.controlValues(),
                 reference ? reference->currentData().toInt() : 0,
                 ecc && ecc->isEnabled() && ecc->isChecked(),
                 dialog.moduleName(),
                 dialog.device()};
    return true;
}

bool readSource(const QString &path, QByteArray *content, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return false;
    }
    if (file.size() > maxSourceSize) {
        *error = QStringLiteral("%1 is too large to be a source of the example").arg(path);
        return false;
    }
    *content = file.readAll();
    return true;
}

// The text the host's generateFile writes for `lines`.
QByteArray textOf(const QStringList &lines)
{
    QByteArray text;
    for (const QString &line : lines)
        text += line.toUtf8() + '\n';
    return text;
}

} // namespace

QString DDR3PHYExtension::coreId() const
{
    return servedCoreId;
}

IPCore::ReportOutcome DDR3PHYExtension::writeReport(const QString &configFile,
                                                    const QStringList &synthesisLog)
{
    IPCore::ReportOutcome outcome;
    Restored restored;
    QString problem;
    std::optional<MemorySetup> setup;
    if (restore(coreDirectory, configFile, &restored, &problem))
        setup = memorySetup(restored.record, &problem);
    if (!setup) {
        outcome.error = QStringLiteral("no generation report: ") + problem;
        return outcome;
    }
    const DEV::DeviceArg &device = restored.device;
    const ::DDR3PHY::GenerationReport report = generationReport(
        QFileInfo(configFile).completeBaseName(), device.id(), *setup,
        pllLimits(device.device(), device.condition()), yosysCellCounts(synthesisLog));

    const QFileInfo config(configFile);
    const QString path = config.path() + QLatin1Char('/') + config.completeBaseName() +
                         QStringLiteral("_report.txt");
    QSaveFile file(path);
    const QByteArray text = textOf(reportLines(report));
    if (file.open(QIODevice::WriteOnly | QIODevice::Text) && file.write(text) == text.size() &&
        file.commit()) {
        outcome.path = path;
        outcome.warnings = reportWarnings(report);
    } else {
        outcome.error = QStringLiteral("cannot write the generation report %1: %2")
                            .arg(path, file.errorString());
    }
    return outcome;
}

bool DDR3PHYExtension::exampleFiles(const QString &configFile, QList<IPCore::ExampleFile> *files,
                                    QString *error)
{
    Restored restored;
    ExampleCore core;
    if (!restore(coreDirectory, configFile, &restored, error) ||
        !exampleCore(restored.values, restored.referencePeriod, restored.eccDefine,
                     restored.moduleName, &core, error))
        return false;
    const DEV::DeviceArg &device = restored.device;
    const int memoryClock = restored.values.value(QLatin1String(configRow(Role::MemoryClock).key))
                                .stored.toInt();
    // The generation's own PLL search; an approximated clock is taken as the generator offers it.
    const double fin = 1000000.0 / restored.referencePeriod;
    const PllChoice pll = searchPll(pllLimits(device.device(), device.condition()), fin, memoryClock);
    if (!pll.found || pll.odiv == 0) {
        *error = QStringLiteral("the PLL of %1 cannot make the memory clock of %2 MHz")
                     .arg(device.device())
                     .arg(memoryClock);
        return false;
    }
    const QMap<QString, QStringList> generated = {
        {QStringLiteral("vlmc_param.v"), parameterLines(restored.values)},
        {QStringLiteral("ddr3_pll_config.v"),
         pllLines(fin, pll.fbdiv, pll.idiv, pll.odiv, device.device())},
        {QStringLiteral("DDR3_define.v"), defineLines(restored.eccDefine)},
        {QStringLiteral("ddr3_name.v"), nameLines(restored.moduleName)},
    };

    QList<IPCore::ExampleFile> kit;
    for (const KitCopy &copy : exampleCopies()) {
        IPCore::ExampleFile file{copy.target, {}, false};
        if (copy.from == KitCopy::From::Generated)
            file.content = textOf(generated.value(copy.source));
        else if (!readSource(copy.from == KitCopy::From::CoreDirectory
                                 ? coreDirectory + QLatin1Char('/') + copy.source
                                 : DEV::DeviceLibrary::primitiveModels(),
                             &file.content, error))
            return false;
        kit.append(file);
    }
    // The core's HDL goes whole, so that the kit follows whatever the core's sources include.
    const QDir data(coreDirectory + QStringLiteral("/data"));
    const QStringList sources = data.entryList(QDir::Files, QDir::Name);
    if (sources.isEmpty()) {
        *error = QStringLiteral("the core's HDL folder %1 is empty").arg(data.path());
        return false;
    }
    for (const QString &name : sources) {
        IPCore::ExampleFile file{QStringLiteral("core/") + name, {}, false};
        if (!readSource(data.filePath(name), &file.content, error))
            return false;
        kit.append(file);
    }
    kit.append({exampleConfigPath, textOf(exampleConfigLines(core)), false});
    kit.append({exampleRunScriptPath, textOf(exampleRunScript(core)), true});
    kit.append({pinTemplatePath, textOf(pinTemplateLines(core)), false});
    *files = kit;
    return true;
}

QStringList DDR3PHYExtension::restoreNotes(const QString &configFile)
{
    Restored restored;
    QString problem;
    // A file that cannot be re-opened gets its reason from the re-open itself.
    if (!restore(coreDirectory, configFile, &restored, &problem))
        return {};
    QSettings stored(configFile, QSettings::IniFormat);
    return conversionNotes(configRecord(stored), restored.record);
}

} // namespace DDR3PHY

extern "C" Q_DECL_EXPORT QObject *qt_plugin_instance()
{
    return DDR3PHY::libraryInstance<DDR3PHY::DDR3PHYExtension>();
}

extern "C" Q_DECL_EXPORT const char *qt_plugin_query_verification_data()
{
    return DDR3PHY::libraryVerificationData();
}
