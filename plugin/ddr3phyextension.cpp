#include "ddr3phyextension.h"

#include "corefiles.h"
#include "ddr3phy.h"
#include "ddr3phydialog.h"
#include "devicelibrary.h"
#include "examplefiles.h"
#include "generationreport.h"
#include "libraryentry.h"
#include "partsetup.h"
#include "spddecode.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QSaveFile>
#include <QSettings>
#include <QSpinBox>
#include <QTimer>

namespace DDR3PHY {

namespace {

// The id that ddr3phy.ipspec gives the core.
const QString servedCoreId = QStringLiteral("ddr3_phy");
// Every source of the example design is a text file of modest size; anything bigger is not ours.
constexpr qint64 maxSourceSize = 4 * 1024 * 1024;
// An SPD image is at most 512 bytes; its hex dump with offsets and comments a few kilobytes.
constexpr qint64 maxSpdSize = 64 * 1024;
// How a part source names its origin: a part of the database, or an SPD file.
const QString partPrefix = QStringLiteral("part:");
const QString spdPrefix = QStringLiteral("spd:");

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

bool readFile(const QString &path, qint64 maxSize, const QString &what, QByteArray *content,
              QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return false;
    }
    // Read with a bound, not by the size: a device or pipe reports none.
    *content = file.read(maxSize + 1);
    if (content->size() > maxSize) {
        *error = QStringLiteral("%1 is too large to be %2").arg(path, what);
        return false;
    }
    return true;
}

bool readSource(const QString &path, QByteArray *content, QString *error)
{
    return readFile(path, maxSourceSize, QStringLiteral("a source of the example"), content, error);
}

// The part a source of partEdits names: a database part, or the module an SPD file describes.
std::optional<MemoryPart> sourcePart(const QString &source, QString *error)
{
    if (source.startsWith(partPrefix)) {
        const QString name = source.mid(partPrefix.size());
        if (const MemoryPart *part = memoryPart(name))
            return *part;
        *error = QStringLiteral("unknown memory part '%1' (see 'ipgen parts')").arg(name);
        return std::nullopt;
    }
    const QString path = source.mid(spdPrefix.size());
    QByteArray contents;
    if (!readFile(path, maxSpdSize, QStringLiteral("an SPD image"), &contents, error))
        return std::nullopt;
    QString problem;
    std::optional<MemoryPart> part = decodeSpd(contents, QFileInfo(path).fileName(), &problem);
    if (!part)
        *error = QStringLiteral("%1: %2").arg(path, problem);
    return part;
}

template <class Control> const Control *controlOf(const IPCore::IPGenDialog *dialog, Role role)
{
    return dialog->findChild<Control *>(QLatin1String(configRow(role).control));
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
                                                    const QStringList &synthesisLog,
                                                    const QString &partSource)
{
    IPCore::ReportOutcome outcome;
    Restored restored;
    QString problem;
    std::optional<MemorySetup> setup;
    std::optional<MemoryPart> part;
    if (!partSource.isEmpty())
        part = sourcePart(partSource, &problem);
    if ((partSource.isEmpty() || part) && restore(coreDirectory, configFile, &restored, &problem))
        setup = memorySetup(restored.record, &problem);
    if (!setup) {
        outcome.error = QStringLiteral("no generation report: ") + problem;
        return outcome;
    }
    const DEV::DeviceArg &device = restored.device;
    const ::DDR3PHY::GenerationReport report = generationReport(
        QFileInfo(configFile).completeBaseName(), device.id(), *setup,
        pllLimits(device.device(), device.condition()), yosysCellCounts(synthesisLog), part);

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

bool DDR3PHYExtension::exampleFiles(const QString &configFile, const QString &partSource,
                                    QList<IPCore::ExampleFile> *files, QString *error)
{
    Restored restored;
    ExampleCore core;
    std::optional<MemoryPart> part;
    if (!partSource.isEmpty() && !(part = sourcePart(partSource, error)))
        return false;
    if (!restore(coreDirectory, configFile, &restored, error) ||
        !exampleCore(restored.values, restored.referencePeriod, restored.eccDefine,
                     restored.moduleName, &core, error))
        return false;
    core.ddr3l = part && part->vddMv == ddr3lVddMv;
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

QStringList DDR3PHYExtension::partColumns() const
{
    return {QStringLiteral("maker"),   QStringLiteral("kind"),      QStringLiteral("organisation"),
            QStringLiteral("density"), QStringLiteral("speed bin"), QStringLiteral("VDD")};
}

QList<IPCore::MemoryPartEntry> DDR3PHYExtension::partList() const
{
    QList<IPCore::MemoryPartEntry> entries;
    for (const MemoryPart &part : memoryParts()) {
        entries.append({part.name,
                        {part.maker, dimmTypeText(part.module),
                         QStringLiteral("x%1/%2").arg(part.deviceWidth).arg(part.dataWidth),
                         QStringLiteral("%1Gb").arg(part.densityMb / 1024),
                         part.speedBin.mid(QStringLiteral("DDR3-").size()),
                         QStringLiteral("%1V").arg(part.vddMv / 1000.0, 0, 'f', 2)},
                        partRefusal(part)});
    }
    return entries;
}

QStringList DDR3PHYExtension::partInputs() const
{
    return {QLatin1String(configRow(Role::ClkRatio).control),
            QLatin1String(configRow(Role::MemoryClock).control),
            QLatin1String(configRow(Role::ReferenceClock).control)};
}

IPCore::PartEdits DDR3PHYExtension::partEdits(const QString &part, bool fromFile,
                                              const IPCore::IPGenDialog *dialog) const
{
    IPCore::PartEdits result;
    const QString source = (fromFile ? spdPrefix : partPrefix) + part;
    const std::optional<MemoryPart> memory = sourcePart(source, &result.error);
    if (!memory)
        return result;
    const auto *ratio = controlOf<QComboBox>(dialog, Role::ClkRatio);
    const auto *clock = controlOf<QSpinBox>(dialog, Role::MemoryClock);
    const auto *reference = controlOf<QComboBox>(dialog, Role::ReferenceClock);
    if (!ratio || !clock || !reference) {
        result.error = QStringLiteral("the dialog is not the DDR3 PHY's");
        return result;
    }
    // The clock the generation's PLL search will achieve, as the report computes it.
    MemorySetup wanted;
    wanted.ratioIndex = ratio->currentIndex();
    wanted.memoryClockMHz = clock->value();
    wanted.referencePeriodPs = reference->currentData().toInt();
    const DEV::DeviceArg device = dialog->device();
    const ClockResult achieved =
        achievedClock(wanted, pllLimits(device.device(), device.condition()));
    const PartSetup setup =
        partSetup(*memory, wanted.ratioIndex, wanted.memoryClockMHz, achieved.tckPs);
    if (!setup.error.isEmpty()) {
        result.error = setup.error;
        return result;
    }
    for (const ControlEdit &edit : setup.edits)
        result.edits.append({edit.control, edit.value});
    result.warnings = setup.warnings;
    result.source = source;
    return result;
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
