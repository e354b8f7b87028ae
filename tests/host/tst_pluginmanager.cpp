#include "devicelibrary.h"
#include "hostfixtures.h"
#include "ipcorefunctions.h"
#include "ippackage.h"
#include "pluginmanager.h"

#include <QLibrary>
#include <QPointer>
#include <QTemporaryDir>
#include <QtTest>

using HostTest::StderrCapture;

namespace {

using InstanceFunction = QObject *(*)();
using CounterFunction = int (*)();

const QByteArray validCore = "ipcore.id = test_core\n"
                             "ipcore.name = Test Core\n"
                             "ipcore.version = 2.1\n"
                             "ipcore.category = Test, Memory Interface\n"
                             "ipcore.doc.summary = \"A core, for tests\"\n"
                             "ipcore.device.supported = VX1-*\n";
const QByteArray incompleteCore = "ipcore.id = test_core\nipcore.name = Test Core\n"
                                  "ipcore.category = Test\n";

QString testPluginPath(const QString &name)
{
    return QStringLiteral(HOST_TEST_PLUGIN_DIR "/lib%1.so").arg(name);
}

struct HostVersion
{
    int major;
    int minor;
};

HostVersion hostVersion()
{
    const QStringList parts = QString::fromLatin1(qVersion()).split('.');
    return {parts.at(0).toInt(), parts.at(1).toInt()};
}

QByteArray recordWith(const QByteArray &version, const QByteArray &debug, const QByteArray &key)
{
    return "pattern=QT_PLUGIN_VERIFICATION_DATA\nversion=" + version + "\ndebug=" + debug +
           "\nbuildkey=" + key;
}

} // namespace

class TestPluginManager : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void checksVerificationRecords_data();
    void checksVerificationRecords();

    void loadsTestPackage();
    void refusesLibraries_data();
    void refusesLibraries();
    void refusesUnloadableFile();
    void refusesSecondLoad();
    void namesCoreDirectoryAfterLibrary_data();
    void namesCoreDirectoryAfterLibrary();
    void loadsDirectory();

    void createsOneNewDescriptorPerCall_data();
    void createsOneNewDescriptorPerCall();
    void sharesOneInstanceUntilDeleted();
    void releasesDescriptorsAndPackage();
    void answersMetacast_data();
    void answersMetacast();

    void loadsDdr3PhyPlugin();

private:
    // Copies a test plug-in into the temporary folder under `fileName`, with `ipspec` (unless
    // null) as its core's description file.
    QString install(const QString &plugin, const QByteArray &ipspec,
                    const QString &fileName = QString());

    QScopedPointer<QTemporaryDir> m_dir;
};

void TestPluginManager::init()
{
    m_dir.reset(new QTemporaryDir);
    QVERIFY(m_dir->isValid());
}

QString TestPluginManager::install(const QString &plugin, const QByteArray &ipspec,
                                   const QString &fileName)
{
    const QString target = m_dir->filePath(fileName.isEmpty() ? "lib" + plugin + ".so" : fileName);
    if (!QFile::copy(testPluginPath(plugin), target))
        qFatal("cannot copy the test plug-in %s", qPrintable(plugin));
    if (!ipspec.isNull()) {
        const QString coreDirectory = m_dir->filePath("testpackage");
        QDir().mkpath(coreDirectory);
        HostTest::writeBytes(coreDirectory + "/testpackage.ipspec", ipspec);
    }
    return target;
}

void TestPluginManager::checksVerificationRecords_data()
{
    QTest::addColumn<QByteArray>("record"); // null: no record at all
    QTest::addColumn<QString>("reason");    // empty: accepted

    const QList<QByteArray> host = IPCore::hostVerificationRecord().split('\n');
    const QByteArray version = host.at(1).mid(8), debug = host.at(2).mid(6),
                     key = host.at(3).mid(9);
    const HostVersion v = hostVersion();
    const auto qt = [](int major, int minor, int patch) {
        return QStringLiteral("%1.%2.%3").arg(major).arg(minor).arg(patch).toLatin1();
    };
    const QString malformed = "malformed verification record: ";

    QTest::newRow("host's own") << recordWith(version, debug, key) << QString();
    QTest::newRow("older minor") << recordWith(qt(v.major, 0, 0), debug, key) << QString();
    QTest::newRow("newer patch") << recordWith(qt(v.major, v.minor, 99), debug, key) << QString();
    QTest::newRow("newer minor") << recordWith(qt(v.major, v.minor + 1, 0), debug, key)
                                 << QString("built with Qt %1.%2.0, newer than the host's Qt %3")
                                        .arg(v.major)
                                        .arg(v.minor + 1)
                                        .arg(qVersion());
    QTest::newRow("older major")
        << recordWith("4.8.7", debug, key)
        << QString("built with Qt 4.8.7, the host runs Qt %1").arg(qVersion());
    QTest::newRow("newer major")
        << recordWith(qt(v.major + 1, 0, 0), debug, key)
        << QString("built with Qt %1.0.0, the host runs Qt %2").arg(v.major + 1).arg(qVersion());
    QTest::newRow("other build key")
        << recordWith(version, debug, "Windows msvc release full-config")
        << QString("build key \"Windows msvc release full-config\" differs from the host's \"%1\"")
               .arg(QString(key));
    QTest::newRow("build key case") << recordWith(version, debug, key.toUpper())
                                    << QString("build key \"%1\" differs from the host's \"%2\"")
                                           .arg(QString(key.toUpper()), QString(key));
    QTest::newRow("debug flag") << recordWith(version, debug == "true" ? "false" : "true", key)
                                << "cannot mix debug and release libraries";
    QTest::newRow("pattern not first")
        << QByteArray("version=" + version +
                      "\npattern=QT_PLUGIN_VERIFICATION_DATA\ndebug=" + debug + "\nbuildkey=" + key)
        << malformed + "the first line is not \"pattern=QT_PLUGIN_VERIFICATION_DATA\"";
    QTest::newRow("keys out of order")
        << QByteArray("pattern=QT_PLUGIN_VERIFICATION_DATA\ndebug=" + debug +
                      "\nversion=" + version + "\nbuildkey=" + key)
        << malformed + "line 2 does not start with \"version=\"";
    QTest::newRow("line feed after the last line")
        << recordWith(version, debug, key + "\n") << malformed + "expected 4 lines, found 5";
    QTest::newRow("three lines") << QByteArray("pattern=QT_PLUGIN_VERIFICATION_DATA\nversion=" +
                                               version + "\ndebug=" + debug)
                                 << malformed + "expected 4 lines, found 3";
    QTest::newRow("two-part version")
        << recordWith("5.15", debug, key) << malformed + "bad version \"5.15\"";
    QTest::newRow("debug yes") << recordWith(version, "yes", key)
                               << malformed + "bad debug flag \"yes\"";
    QTest::newRow("garbage") << QByteArray("\x7f"
                                           "ELF garbage")
                             << malformed + "expected 4 lines, found 1";
    QTest::newRow("empty") << QByteArray("") << malformed + "expected 4 lines, found 1";
    QTest::newRow("null") << QByteArray() << "no verification record";
}

void TestPluginManager::checksVerificationRecords()
{
    QFETCH(QByteArray, record);
    QFETCH(QString, reason);

    QCOMPARE(IPCore::checkVerificationRecord(record.isNull() ? nullptr : record.constData()),
             reason);
}

void TestPluginManager::loadsTestPackage()
{
    const QString library = install("testpackage", validCore);
    IPCore::PluginManager manager;
    QString error;
    QVERIFY2(manager.loadLibrary(library, &error), qPrintable(error));
    QCOMPARE(manager.errors(), QStringList());
    QCOMPARE(manager.cores().size(), 1);
    IPCore::BaseIPCore *core = manager.core("test_core");
    QVERIFY(core);
    QCOMPARE(core->name(), QString("Test Core"));
    QCOMPARE(core->version(), QString("2.1"));
    QCOMPARE(core->category(), (QStringList{"Test", "Memory Interface"}));
    QCOMPARE(core->summary(), QString("A core, for tests"));
    QVERIFY(core->isSupported(DEV::DeviceArg("VX1-10C", "ES", "x")));
    QVERIFY(!core->isSupported(DEV::DeviceArg("VX2-20", "ES", "x")));
    QCOMPARE(manager.core("ddr3_phy"), nullptr);
}

void TestPluginManager::refusesLibraries_data()
{
    QTest::addColumn<QString>("plugin");
    QTest::addColumn<QByteArray>("ipspec");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<QString>("stderrReason"); // what the core's check printed, after the path

    QTest::newRow("description missing") << "testpackage" << QByteArray() << "provides no IP core"
                                         << "cannot read: No such file or directory";
    QTest::newRow("description incomplete")
        << "testpackage" << incompleteCore << "provides no IP core"
        << "missing required key ipcore.version";
    QTest::newRow("description malformed")
        << "testpackage" << QByteArray(validCore + "ipcore.name = again\n") << "provides no IP core"
        << "7: malformed line: duplicate key ipcore.name";
    QTest::newRow("no verification record")
        << "testnorecord" << validCore << "no verification record" << QString();
    QTest::newRow("built for Qt 4")
        << "testoldqt" << validCore
        << QString("built with Qt 4.8.7, the host runs Qt %1").arg(qVersion()) << QString();
    QTest::newRow("no instance function")
        << "testnoinstance" << validCore << "no plug-in instance function" << QString();
    QTest::newRow("not a package")
        << "testnotpackage" << validCore << "not an IP package" << QString();
}

void TestPluginManager::refusesLibraries()
{
    QFETCH(QString, plugin);
    QFETCH(QByteArray, ipspec);
    QFETCH(QString, reason);
    QFETCH(QString, stderrReason);

    const QString library = install(plugin, ipspec);
    IPCore::PluginManager manager;
    QString error;
    StderrCapture capture;
    QVERIFY(!manager.loadLibrary(library, &error));
    const QString printed = capture.text();
    QCOMPARE(error, library + ": " + reason);
    QCOMPARE(manager.errors(), QStringList{error});
    QVERIFY(manager.cores().isEmpty());
    const QString ipspecPath = m_dir->filePath("testpackage/testpackage.ipspec");
    const QString separator = stderrReason.front().isDigit() ? ":" : ": ";
    QCOMPARE(printed,
             stderrReason.isEmpty() ? QString() : ipspecPath + separator + stderrReason + '\n');
    QVERIFY2(!QLibrary(library).isLoaded(), "a refused library stays loaded");
}

void TestPluginManager::refusesUnloadableFile()
{
    const QString library = m_dir->filePath("libbroken.so");
    QVERIFY(HostTest::writeBytes(library, "\x7f"
                                          "ELF but not really a library"));
    IPCore::PluginManager manager;
    QString error;
    QVERIFY(!manager.loadLibrary(library, &error));
    QVERIFY2(error.startsWith(library + ": Cannot load library"), qPrintable(error));
    QVERIFY(!error.contains('\n'));
}

void TestPluginManager::refusesSecondLoad()
{
    const QString library = install("testpackage", validCore);
    IPCore::PluginManager manager;
    QVERIFY(manager.loadLibrary(library));
    QVERIFY(!manager.loadLibrary(m_dir->path() + "/./libtestpackage.so"));
    QCOMPARE(manager.errors(), QStringList{m_dir->path() + "/./libtestpackage.so: already loaded"});
    QCOMPARE(manager.cores().size(), 1);
}

void TestPluginManager::namesCoreDirectoryAfterLibrary_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::newRow("lib prefix") << "libtestpackage.so";
    QTest::newRow("no prefix") << "testpackage.so";
    QTest::newRow("version suffix") << "libtestpackage.so.1.0";
}

void TestPluginManager::namesCoreDirectoryAfterLibrary()
{
    QFETCH(QString, fileName);
    const QString library = install("testpackage", validCore, fileName);
    IPCore::PluginManager manager;
    QString error;
    QVERIFY2(manager.loadLibrary(library, &error), qPrintable(error));

    QLibrary held(library);
    const auto instance = reinterpret_cast<InstanceFunction>(held.resolve("qt_plugin_instance"));
    QVERIFY(instance);
    auto *package = qobject_cast<IPCore::IPPackage *>(instance());
    QVERIFY(package);
    QCOMPARE(package->coreDirectory, m_dir->filePath("testpackage"));
    QCOMPARE(manager.coreDirectory(manager.cores().value(0)), m_dir->filePath("testpackage"));
    QCOMPARE(manager.coreDirectory(nullptr), QString());
}

void TestPluginManager::loadsDirectory()
{
    install("testpackage", validCore);
    install("testnorecord", QByteArray());
    QVERIFY(HostTest::writeBytes(m_dir->filePath("libbroken.so"), "not a library"));
    QVERIFY(HostTest::writeBytes(m_dir->filePath("notes.txt"), "not a library either"));

    IPCore::PluginManager manager;
    StderrCapture capture;
    QCOMPARE(manager.loadDirectory(m_dir->path()), 1);
    capture.text();
    QCOMPARE(manager.cores().size(), 1);
    QCOMPARE(manager.cores().first()->id(), QString("test_core"));
    const QStringList errors = manager.errors();
    QCOMPARE(errors.size(), 2);
    QVERIFY2(errors.at(0).startsWith(m_dir->filePath("libbroken.so") + ": "),
             qPrintable(errors.at(0)));
    QCOMPARE(errors.at(1), m_dir->filePath("libtestnorecord.so") + ": no verification record");

    QCOMPARE(manager.loadDirectory(m_dir->filePath("absent")), 0);
    QCOMPARE(manager.errors().last(), m_dir->filePath("absent") + ": no such directory");
}

void TestPluginManager::createsOneNewDescriptorPerCall_data()
{
    QTest::addColumn<QByteArray>("ipspec");
    QTest::addColumn<int>("perCall");
    QTest::newRow("valid") << validCore << 1;
    QTest::newRow("missing") << QByteArray() << 0;
    QTest::newRow("incomplete") << incompleteCore << 0;
}

void TestPluginManager::createsOneNewDescriptorPerCall()
{
    QFETCH(QByteArray, ipspec);
    QFETCH(int, perCall);

    QLibrary library(install("testpackage", ipspec));
    QVERIFY2(library.load(), qPrintable(library.errorString()));
    const auto instance = reinterpret_cast<InstanceFunction>(library.resolve("qt_plugin_instance"));
    const auto liveCores =
        reinterpret_cast<CounterFunction>(library.resolve("testplugin_live_cores"));
    QVERIFY(instance && liveCores);
    QScopedPointer<IPCore::IPPackage> package(qobject_cast<IPCore::IPPackage *>(instance()));
    QVERIFY(package);
    package->coreDirectory = m_dir->filePath("testpackage");

    StderrCapture capture;
    const QList<IPCore::BaseIPCore *> first = package->createIPCores();
    const QList<IPCore::BaseIPCore *> second = package->createIPCores();
    capture.text();
    QCOMPARE(first.size(), perCall);
    QCOMPARE(second.size(), perCall);
    QCOMPARE(liveCores(), 2 * perCall);
    if (perCall)
        QVERIFY(first.first() != second.first());
    qDeleteAll(first + second);
    QCOMPARE(liveCores(), 0);
}

void TestPluginManager::sharesOneInstanceUntilDeleted()
{
    QLibrary library(install("testpackage", validCore));
    QVERIFY2(library.load(), qPrintable(library.errorString()));
    const auto instance = reinterpret_cast<InstanceFunction>(library.resolve("qt_plugin_instance"));
    QVERIFY(instance);

    QPointer<QObject> first = instance();
    QVERIFY(first);
    QCOMPARE(instance(), first.data());
    first->setObjectName("first");
    delete first.data();
    QVERIFY(!first);

    QObject *fresh = instance();
    QVERIFY(fresh);
    QCOMPARE(fresh->objectName(), QString());
    QCOMPARE(instance(), fresh);
    delete fresh;
}

void TestPluginManager::releasesDescriptorsAndPackage()
{
    QLibrary library(install("testpackage", validCore));
    QVERIFY2(library.load(), qPrintable(library.errorString()));
    const auto instance = reinterpret_cast<InstanceFunction>(library.resolve("qt_plugin_instance"));
    const auto liveCores =
        reinterpret_cast<CounterFunction>(library.resolve("testplugin_live_cores"));
    QVERIFY(instance && liveCores);

    QPointer<QObject> package;
    {
        IPCore::PluginManager manager;
        QVERIFY(manager.loadLibrary(library.fileName()));
        QCOMPARE(liveCores(), 1);
        package = instance();
    }
    QCOMPARE(liveCores(), 0);
    QVERIFY2(!package, "the package outlived its manager");
}

void TestPluginManager::answersMetacast_data()
{
    QTest::addColumn<QString>("plugin");  // "ddr3phy": the real plug-in
    QTest::addColumn<QByteArray>("name"); // null: a null name
    QTest::addColumn<bool>("answers");

    const QList<QPair<QString, QByteArray>> plugins{{"testpackage", "HostTest::TestPackage"},
                                                    {"ddr3phy", "DDR3PHY::DDR3PHYPackage"}};
    for (const auto &plugin : plugins) {
        const auto row = [&](const char *what) -> QTestData & {
            return QTest::newRow(qPrintable(plugin.first + ": " + what)) << plugin.first;
        };
        row("class name") << plugin.second << true;
        row("interface id") << QByteArray("com.veltrasemi.plugins.IPPackage/1.0") << true;
        row("host base class") << QByteArray("IPCore::IPPackage") << true;
        row("QObject") << QByteArray("QObject") << true;
        row("null") << QByteArray() << false;
        row("class name, other case") << plugin.second.toLower() << false;
        row("class name, trailing blank") << plugin.second + ' ' << false;
        row("interface id, other case")
            << QByteArray("com.veltrasemi.plugins.ippackage/1.0") << false;
        row("interface id, trailing blank")
            << QByteArray("com.veltrasemi.plugins.IPPackage/1.0 ") << false;
        row("interface id, other version")
            << QByteArray("com.veltrasemi.plugins.IPPackage/1.1") << false;
        row("interface id, no version") << QByteArray("com.veltrasemi.plugins.IPPackage") << false;
        row("empty") << QByteArray("") << false;
    }
}

void TestPluginManager::answersMetacast()
{
    QFETCH(QString, plugin);
    QFETCH(QByteArray, name);
    QFETCH(bool, answers);

    QString path;
    if (plugin == "ddr3phy") {
        path = qEnvironmentVariable("IPGEN_BUILD_DIR") + "/plugins/libddr3phy.so";
        if (!QFile::exists(path))
            QSKIP(qPrintable(path + " is not built (target ddr3phy)"));
    } else {
        path = install(plugin, validCore);
    }
    QLibrary library(path);
    QVERIFY2(library.load(), qPrintable(library.errorString()));
    const auto instance = reinterpret_cast<InstanceFunction>(library.resolve("qt_plugin_instance"));
    QVERIFY(instance);
    QObject *package = instance();
    void *answer = package->qt_metacast(name.isNull() ? nullptr : name.constData());
    // Single inheritance: every part of the package sits at the package's own address.
    QCOMPARE(answer, answers ? static_cast<void *>(package) : nullptr);
    delete package;
}

void TestPluginManager::loadsDdr3PhyPlugin()
{
    const QString buildDir = qEnvironmentVariable("IPGEN_BUILD_DIR");
    const QString path = buildDir + "/plugins/libddr3phy.so";
    if (!QFile::exists(path))
        QSKIP(qPrintable(path + " is not built (target ddr3phy)"));

    IPCore::PluginManager manager;
    QString error;
    QVERIFY2(manager.loadLibrary(path, &error), qPrintable(error));
    QCOMPARE(manager.cores().size(), 1);
    IPCore::BaseIPCore *core = manager.core("ddr3_phy");
    QVERIFY(core);
    QCOMPARE(core->name(), QString("DDR3 PHY"));
    QCOMPARE(core->version(), QString("1.0"));
    QCOMPARE(core->category(), QStringList{"Memory Interface"});

    const QVariantMap source = IPCore::processIPInfoSpec(
        qEnvironmentVariable("DDR3PHY_SOURCE_DIR") + "/core/ddr3phy/ddr3phy.ipspec");
    QVERIFY(!core->summary().isEmpty());
    QCOMPARE(core->summary(), source.value("ipcore.doc.summary").toString());

    for (const DEV::DevicePart &part : DEV::DeviceLibrary::parts()) {
        QCOMPARE(core->isSupported(part.arg()), HostTest::pllTableModels().contains(part.model));
    }
}

QTEST_GUILESS_MAIN(TestPluginManager)
#include "tst_pluginmanager.moc"
