#include "pluginmanager.h"

#include "ippackage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLibrary>
#include <QPointer>
#include <QRegularExpression>

#include <algorithm>
#include <memory>

#include <elf.h>

namespace IPCore {

namespace {

const char patternLine[] = "pattern=QT_PLUGIN_VERIFICATION_DATA";

QByteArray hostOs()
{
#if defined(Q_OS_WIN)
    return "Windows";
#elif defined(Q_OS_MACOS)
    return "macOS";
#elif defined(Q_OS_LINUX)
    return "Linux";
#else
    return "Unix";
#endif
}

QByteArray hostCompiler()
{
    // Clang also defines Q_CC_GNU (and Q_CC_MSVC as clang-cl), so it is asked first.
#if defined(Q_CC_CLANG)
    return "clang";
#elif defined(Q_CC_GNU)
    return "g++";
#elif defined(Q_CC_MSVC)
    return "msvc";
#else
    return "unknown";
#endif
}

bool hostIsDebug()
{
#ifdef QT_NO_DEBUG
    return false;
#else
    return true;
#endif
}

struct VerificationRecord
{
    int major = 0;
    int minor = 0;
    QString version;
    QString debug;
    QString buildKey;
};

// Empty when `text` is a well-formed record (four lines: pattern, version, debug, buildkey).
QString parseRecord(const QByteArray &text, VerificationRecord *record)
{
    const QString malformed = QStringLiteral("malformed verification record: ");
    const QList<QByteArray> lines = text.split('\n');
    if (lines.size() != 4)
        return malformed + QStringLiteral("expected 4 lines, found %1").arg(lines.size());
    if (lines.at(0) != patternLine)
        return malformed + QStringLiteral("the first line is not \"%1\"").arg(patternLine);
    const char *const keys[] = {"version=", "debug=", "buildkey="};
    QString values[3];
    for (int i = 0; i < 3; ++i) {
        if (!lines.at(i + 1).startsWith(keys[i]))
            return malformed + QStringLiteral("line %1 does not start with \"%2\"")
                                   .arg(QString::number(i + 2), QLatin1String(keys[i]));
        values[i] = QString::fromUtf8(lines.at(i + 1).mid(int(qstrlen(keys[i]))));
    }
    static const QRegularExpression versionPattern(QStringLiteral("^(\\d+)\\.(\\d+)\\.\\d+$"));
    const QRegularExpressionMatch version = versionPattern.match(values[0]);
    if (!version.hasMatch())
        return malformed + QStringLiteral("bad version \"%1\"").arg(values[0]);
    if (values[1] != QLatin1String("true") && values[1] != QLatin1String("false"))
        return malformed + QStringLiteral("bad debug flag \"%1\"").arg(values[1]);
    *record = {version.captured(1).toInt(), version.captured(2).toInt(), values[0], values[1],
               values[2]};
    return QString();
}

QString coreDirectoryOf(const QString &libraryPath)
{
    const QFileInfo info(libraryPath);
    QString base = info.baseName();
    if (base.startsWith(QLatin1String("lib")))
        base.remove(0, 3);
    return info.absolutePath() + QLatin1Char('/') + base;
}

// The dynamic loader maps a library and touches its pages later: a truncated file then kills the
// process with SIGBUS. Every table and loaded segment the headers name must lie in the file.
template <typename Ehdr, typename Phdr>
QString checkElfTables(const QByteArray &header, QFile &file, unsigned char elfClass)
{
    Ehdr eh;
    if (header.size() < int(sizeof eh))
        return QStringLiteral("truncated ELF header");
    memcpy(&eh, header.constData(), sizeof eh);
    const quint64 size = quint64(file.size());
    const auto inFile = [size](quint64 offset, quint64 length) {
        return offset <= size && length <= size - offset;
    };
    if (eh.e_ident[EI_CLASS] != elfClass)
        return QStringLiteral("not a %1-bit ELF library").arg(elfClass == ELFCLASS64 ? 64 : 32);
    if (eh.e_type != ET_DYN)
        return QStringLiteral("not a shared library");
    if (eh.e_phentsize != sizeof(Phdr) || !inFile(eh.e_phoff, quint64(eh.e_phnum) * sizeof(Phdr)) ||
        !inFile(eh.e_shoff, quint64(eh.e_shnum) * eh.e_shentsize))
        return QStringLiteral("truncated or damaged ELF file (%1 bytes)").arg(size);
    for (int i = 0; i < eh.e_phnum; ++i) {
        Phdr ph;
        if (!file.seek(qint64(eh.e_phoff + quint64(i) * sizeof ph)) ||
            file.read(reinterpret_cast<char *>(&ph), sizeof ph) != qint64(sizeof ph))
            return QStringLiteral("cannot read the ELF program headers");
        if (ph.p_type == PT_LOAD && !inFile(ph.p_offset, ph.p_filesz))
            return QStringLiteral("truncated ELF file: a segment ends after its %1 bytes")
                .arg(size);
    }
    return QString();
}

// Empty when `path` is a regular file that looks like a complete shared library of this host.
QString checkLibraryFile(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isFile())
        return QStringLiteral("not a regular file");
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return file.errorString();
    const QByteArray header = file.read(sizeof(Elf64_Ehdr));
    if (!header.startsWith(ELFMAG))
        return QStringLiteral("not an ELF library");
    constexpr unsigned char hostClass = sizeof(void *) == 8 ? ELFCLASS64 : ELFCLASS32;
    if (hostClass == ELFCLASS64)
        return checkElfTables<Elf64_Ehdr, Elf64_Phdr>(header, file, hostClass);
    return checkElfTables<Elf32_Ehdr, Elf32_Phdr>(header, file, hostClass);
}

} // namespace

QByteArray hostVerificationRecord()
{
    const bool debug = hostIsDebug();
    return QByteArray(patternLine) + "\nversion=" + qVersion() +
           "\ndebug=" + (debug ? "true" : "false") + "\nbuildkey=" + hostOs() + ' ' +
           hostCompiler() + ' ' + (debug ? "debug" : "release") + " full-config";
}

QString checkVerificationRecord(const char *record)
{
    if (!record)
        return QStringLiteral("no verification record");
    VerificationRecord plugin;
    const QString problem = parseRecord(QByteArray(record), &plugin);
    if (!problem.isEmpty())
        return problem;
    VerificationRecord host;
    parseRecord(hostVerificationRecord(), &host);
    if (plugin.major != host.major)
        return QStringLiteral("built with Qt %1, the host runs Qt %2")
            .arg(plugin.version, host.version);
    if (plugin.minor > host.minor)
        return QStringLiteral("built with Qt %1, newer than the host's Qt %2")
            .arg(plugin.version, host.version);
    if (plugin.buildKey != host.buildKey)
        return QStringLiteral("build key \"%1\" differs from the host's \"%2\"")
            .arg(plugin.buildKey, host.buildKey);
    if (plugin.debug != host.debug)
        return QStringLiteral("cannot mix debug and release libraries");
    return QString();
}

// One library and what it made. Destroying it releases those objects; the library itself stays
// mapped until the process ends, because Qt keeps pointers into a plug-in's data (string
// literals in caches, meta-type names) beyond the objects it made.
struct PluginManager::Loaded
{
    explicit Loaded(const QString &path) : library(path)
    {
        library.setLoadHints(QLibrary::PreventUnloadHint);
    }
    ~Loaded()
    {
        qDeleteAll(cores);
        delete instance.data();
    }

    // Empty when the library gave at least one core or is a core's companion; otherwise the
    // reason.
    QString open()
    {
        const QString problem = checkLibraryFile(library.fileName());
        if (!problem.isEmpty())
            return problem;
        if (!library.load())
            return library.errorString().simplified();
        using VerificationFunction = const char *(*)();
        const auto verification = reinterpret_cast<VerificationFunction>(
            library.resolve("qt_plugin_query_verification_data"));
        if (!verification)
            return QStringLiteral("no verification record");
        const QString refusal = checkVerificationRecord(verification());
        if (!refusal.isEmpty())
            return refusal;
        using InstanceFunction = QObject *(*)();
        const auto instanceFunction =
            reinterpret_cast<InstanceFunction>(library.resolve("qt_plugin_instance"));
        if (!instanceFunction)
            return QStringLiteral("no plug-in instance function");
        instance = instanceFunction();
        extension = qobject_cast<CoreExtension *>(instance.data());
        if (extension)
            return extension->coreId().isEmpty() ? QStringLiteral("extension names no core")
                                                 : QString();
        auto *package = qobject_cast<IPPackage *>(instance.data());
        if (!package)
            return QStringLiteral("neither an IP package nor a core extension");
        package->coreDirectory = coreDirectoryOf(library.fileName());
        cores = package->createIPCores();
        if (cores.isEmpty())
            return QStringLiteral("provides no IP core");
        return QString();
    }

    QLibrary library;
    QPointer<QObject> instance;
    QList<BaseIPCore *> cores;
    CoreExtension *extension = nullptr; // the instance, when the library is a companion
};

PluginManager::PluginManager() = default;

PluginManager::~PluginManager()
{
    while (!m_loaded.isEmpty())
        delete m_loaded.takeLast();
}

int PluginManager::loadDirectory(const QString &directory)
{
    const QDir dir(directory);
    if (!dir.exists()) {
        m_errors.append(QStringLiteral("%1: no such directory").arg(directory));
        return 0;
    }
    int count = 0;
    for (const QString &name : dir.entryList(QDir::Files, QDir::Name)) {
        if (QLibrary::isLibrary(name) && loadLibrary(dir.filePath(name)))
            ++count;
    }
    return count;
}

bool PluginManager::loadLibrary(const QString &path, QString *error)
{
    const QString canonical = QFileInfo(path).canonicalFilePath();
    const bool twice = std::any_of(m_loaded.cbegin(), m_loaded.cend(), [&](const Loaded *loaded) {
        return !canonical.isEmpty() &&
               QFileInfo(loaded->library.fileName()).canonicalFilePath() == canonical;
    });
    // A package is shared by its library's callers: loading it twice would give its cores twice.
    auto loaded = std::make_unique<Loaded>(path);
    const QString reason = twice ? QStringLiteral("already loaded") : loaded->open();
    if (reason.isEmpty() && loaded->extension) {
        const QString coreId = loaded->extension->coreId();
        if (const Loaded *first = companionOf(coreId)) {
            m_warnings.append(
                QStringLiteral("%1: an extension of core \"%2\" is already provided by %3; "
                               "keeping that one")
                    .arg(path, coreId, first->library.fileName()));
            if (error)
                *error = m_warnings.last();
            return false;
        }
        m_loaded.append(loaded.release());
        return true;
    }
    if (reason.isEmpty()) {
        // The first library to register a core id keeps it; a later copy is only reported.
        for (BaseIPCore *core : QList<BaseIPCore *>(loaded->cores)) {
            if (BaseIPCore *first = this->core(core->id())) {
                m_warnings.append(
                    QStringLiteral("%1: core \"%2\" is already provided by %3; keeping that one")
                        .arg(path, core->id(), libraryOf(first)));
                loaded->cores.removeOne(core);
                delete core;
            }
        }
        // Nothing left to offer: the warnings said why, the library goes.
        if (loaded->cores.isEmpty()) {
            if (error)
                *error = m_warnings.last();
            return false;
        }
        m_loaded.append(loaded.release());
        return true;
    }
    const QString line = QStringLiteral("%1: %2").arg(path, reason);
    m_errors.append(line);
    if (error)
        *error = line;
    return false;
}

QList<BaseIPCore *> PluginManager::cores() const
{
    QList<BaseIPCore *> all;
    for (const Loaded *loaded : m_loaded)
        all += loaded->cores;
    return all;
}

BaseIPCore *PluginManager::core(const QString &id) const
{
    for (BaseIPCore *core : cores()) {
        if (core->id() == id)
            return core;
    }
    return nullptr;
}

QStringList PluginManager::errors() const
{
    return m_errors;
}

QStringList PluginManager::warnings() const
{
    return m_warnings;
}

const PluginManager::Loaded *PluginManager::companionOf(const QString &coreId) const
{
    for (const Loaded *loaded : m_loaded) {
        if (loaded->extension && loaded->extension->coreId() == coreId)
            return loaded;
    }
    return nullptr;
}

CoreExtension *PluginManager::extension(const QString &coreId) const
{
    const BaseIPCore *served = core(coreId);
    const Loaded *companion = companionOf(coreId);
    if (!served || !companion)
        return nullptr;
    companion->extension->coreDirectory = coreDirectoryOf(libraryOf(served));
    return companion->extension;
}

QString PluginManager::libraryOf(const BaseIPCore *core) const
{
    for (const Loaded *loaded : m_loaded) {
        if (loaded->cores.contains(const_cast<BaseIPCore *>(core)))
            return loaded->library.fileName();
    }
    return QString();
}

} // namespace IPCore
