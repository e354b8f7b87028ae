#include "ipcorefunctions.h"

#include "hostsession.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QtGlobal>
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
#include <QStringDecoder>
#else
#include <QTextCodec>
#endif

#include <cstdio>

namespace IPCore {

namespace {

// What the last processIPInfoSpec call of this thread read, so that checkCommonInfo, which only
// sees the map, can say where an empty or incomplete map came from.
struct LastRead
{
    QString path;
    QString reason; // empty when the file was read
};
thread_local LastRead lastRead;

struct ParsedValue
{
    QVariant value;
    QString problem; // empty when the value is well formed
};

ParsedValue parseQuoted(const QString &raw)
{
    QString text;
    for (int i = 1; i < raw.size(); ++i) {
        const QChar c = raw.at(i);
        if (c == QLatin1Char('"')) {
            if (i != raw.size() - 1)
                return {{}, QStringLiteral("text after the closing quote")};
            return {text, {}};
        }
        if (c == QLatin1Char('\\')) {
            if (++i == raw.size())
                break;
            const QChar escaped = raw.at(i);
            if (escaped != QLatin1Char('"') && escaped != QLatin1Char('\\'))
                return {{}, QStringLiteral("unknown escape \\%1").arg(escaped)};
            text.append(escaped);
            continue;
        }
        text.append(c);
    }
    return {{}, QStringLiteral("unterminated quoted value")};
}

ParsedValue parseValue(const QString &raw)
{
    if (raw.startsWith(QLatin1Char('"')))
        return parseQuoted(raw);
    if (!raw.contains(QLatin1Char(',')))
        return {raw, {}};
    QStringList items;
    for (const QString &item : raw.split(QLatin1Char(','))) {
        const QString trimmed = item.trimmed();
        if (!trimmed.isEmpty())
            items.append(trimmed);
    }
    return {items, {}};
}

// Empty when the line is well formed; otherwise the reason, without the location.
QString parseLine(const QString &line, QMap<QString, QVariant> *info)
{
    static const QRegularExpression keyPattern(QStringLiteral("^ipcore(\\.[A-Za-z0-9_-]+)+$"));
    const int equals = line.indexOf(QLatin1Char('='));
    if (equals < 0)
        return QStringLiteral("no \"=\"");
    const QString key = line.left(equals).trimmed();
    if (!key.startsWith(QLatin1String("ipcore.")))
        return QStringLiteral("key \"%1\" does not start with \"ipcore.\"").arg(key);
    if (!keyPattern.match(key).hasMatch())
        return QStringLiteral("bad key \"%1\"").arg(key);
    if (info->contains(key))
        return QStringLiteral("duplicate key %1").arg(key);
    const ParsedValue parsed = parseValue(line.mid(equals + 1).trimmed());
    if (parsed.problem.isEmpty())
        info->insert(key, parsed.value);
    return parsed.problem;
}

QString readText(const QString &path, QString *text)
{
    // A FIFO or a device would block the reader or never end.
    if (QFileInfo(path).exists() && !QFileInfo(path).isFile())
        return QStringLiteral("not a regular file");
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return file.errorString();
    const QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return file.errorString();
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    QStringDecoder decoder(QStringDecoder::Utf8);
    *text = decoder.decode(data);
    if (decoder.hasError())
        return QStringLiteral("not valid UTF-8");
#else
    QTextCodec::ConverterState state;
    *text = QTextCodec::codecForName("UTF-8")->toUnicode(data.constData(), data.size(), &state);
    if (state.invalidChars > 0)
        return QStringLiteral("not valid UTF-8");
#endif
    return QString();
}

bool isEmptyValue(const QVariant &value)
{
    if (value.userType() == QMetaType::QStringList)
        return value.toStringList().isEmpty();
    return value.toString().trimmed().isEmpty();
}

bool matchesAny(const QString &model, const QStringList &entries)
{
    for (const QString &entry : entries) {
        if (entry.endsWith(QLatin1Char('*')) ? model.startsWith(entry.chopped(1)) : model == entry)
            return true;
    }
    return false;
}

// Qt's commit() misses an error of the final buffer flush (e.g. a full disk), so every writer
// flushes first.
bool writeAtomically(const QString &path, const QByteArray &content, QString *error)
{
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(content) == content.size() && file.flush() &&
        file.commit())
        return true;
    *error = QStringLiteral("Cannot write file %1: %2").arg(path, file.errorString());
    return false;
}

void printLine(const QString &text)
{
    std::fprintf(stderr, "%s\n", qUtf8Printable(text));
    std::fflush(stderr);
}

// Batch runs without a GUI application still get the message, on stderr.
void showError(QWidget *parent, const QString &text)
{
    if (qobject_cast<QApplication *>(QCoreApplication::instance()))
        QMessageBox::critical(parent, QStringLiteral("Error"), text);
    else
        printLine(text);
}

} // namespace

QMap<QString, QVariant> processIPInfoSpec(const QString &path)
{
    lastRead = {path, QString()};
    QString text;
    const QString readProblem = readText(path, &text);
    if (!readProblem.isEmpty()) {
        lastRead.reason = QStringLiteral("%1: cannot read: %2").arg(path, readProblem);
        return {};
    }
    QMap<QString, QVariant> info;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        const QString line = lines.at(i).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const QString problem = parseLine(line, &info);
        if (!problem.isEmpty()) {
            lastRead.reason = QStringLiteral("%1:%2: malformed line: %3")
                                  .arg(path, QString::number(i + 1), problem);
            return {};
        }
    }
    // The help document is named relative to the core directory; whoever shows it later knows
    // nothing of that folder, so it leaves here as an absolute path.
    const QString helpKey = QStringLiteral("ipcore.doc.help");
    const QString help = info.value(helpKey).toString();
    if (!help.isEmpty() && QFileInfo(help).isRelative())
        info.insert(helpKey, QFileInfo(path).absoluteDir().filePath(help));
    return info;
}

bool checkCommonInfo(const QMap<QString, QVariant> &info)
{
    if (info.isEmpty() && !lastRead.reason.isEmpty()) {
        printLine(lastRead.reason);
        return false;
    }
    const QString source =
        lastRead.path.isEmpty() ? QStringLiteral("core description") : lastRead.path;
    for (const char *key : {"ipcore.id", "ipcore.name", "ipcore.version", "ipcore.category"}) {
        const auto it = info.constFind(QLatin1String(key));
        if (it == info.cend()) {
            printLine(QStringLiteral("%1: missing required key %2").arg(source, key));
            return false;
        }
        if (isEmptyValue(*it)) {
            printLine(QStringLiteral("%1: empty value for required key %2").arg(source, key));
            return false;
        }
    }
    return true;
}

bool isSupported(const DEV::DeviceArg &device, const QStringList &unsupported,
                 const QStringList &supported)
{
    return matchesAny(device.device(), supported) && !matchesAny(device.device(), unsupported);
}

bool makeDirs(const QString &path, const QString &name)
{
    if (!path.isEmpty() && QDir().mkpath(path) && QFileInfo(path).isDir())
        return true;
    showError(QApplication::activeModalWidget(),
              QStringLiteral("Cannot create the directory \"%1\" for %2.").arg(path, name));
    return false;
}

bool generateFile(const QString &path, const QStringList &lines, QWidget *parent,
                  const QString &header)
{
    QByteArray content;
    if (!header.isEmpty()) {
        content += header.toUtf8();
        if (!header.endsWith(QLatin1Char('\n')))
            content += '\n';
    }
    for (const QString &line : lines)
        content += line.toUtf8() + '\n';

    QString error;
    if (writeAtomically(path, content, &error))
        return true;
    showError(parent, error);
    return false;
}

void writeIPConfig(const QString &path, const QMap<QString, QVariant> &header,
                   const QMap<QString, QVariant> &config)
{
    // QSettings lays out the INI text in a scratch file; the real one is replaced in one step,
    // so a failed write leaves the previous configuration whole.
    QString error;
    QTemporaryDir scratch;
    QByteArray text;
    if (scratch.isValid()) {
        const QString draft = scratch.filePath(QStringLiteral("config.ipc"));
        {
            QSettings settings(draft, QSettings::IniFormat);
            for (auto it = header.cbegin(); it != header.cend(); ++it)
                settings.setValue(it.key(), it.value());
            settings.beginGroup(QStringLiteral("Config"));
            for (auto it = config.cbegin(); it != config.cend(); ++it)
                settings.setValue(it.key(), it.value());
            settings.endGroup();
        }
        QFile file(draft);
        if (file.open(QIODevice::ReadOnly))
            text = file.readAll();
    }
    if (text.isEmpty())
        error = QStringLiteral("Cannot write file %1: no scratch space for it").arg(path);
    if (error.isEmpty() && writeAtomically(path, text, &error))
        return;
    // The core is not told: its generation goes on, and the front end may mention it afterwards.
    IPGen::HostSession::instance().reportUnwrittenRecord(path, error);
}

} // namespace IPCore
