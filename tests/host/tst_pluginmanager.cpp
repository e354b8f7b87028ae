#include "devicelibrary.h"
#include "hostfixtures.h"
#include "ipcorefunctions.h"
#include "ippackage.h"
#include "pllsearch.h"
#include "pluginmanager.h"

#include <QSet>
#include <QTemporaryDir>
#include <QtTest>

using DDR3PHY::pllLimits;
using DEV::DeviceLibrary;
using DEV::DevicePart;
using HostTest::StderrCapture;

namespace {

const QByteArray validCore = "ipcore.id = test_core\n"
                             "ipcore.name = Test Core\n"
                             "ipcore.version = 2.1\n"
                             "ipcore.category = Test, Memory Interface\n";

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
    void init()
    {
        m_dir.reset(new QTemporaryDir);
        QVERIFY(m_dir->isValid());
    }

    void checksVerificationRecords_data()
    {
        QTest::addColumn<QByteArray>("record"); // null: no record at all
        QTest::addColumn<QString>("reason");    // empty: accepted

        const QList<QByteArray> host = IPCore::hostVerificationRecord().split('\n');
        const QByteArray version = host.at(1).mid(8), debug = host.at(2).mid(6),
                         key = host.at(3).mid(9);
        const QList<QByteArray> hostQt = QByteArray(qVersion()).split('.');
        const int major = hostQt.at(0).toInt(), minor = hostQt.at(1).toInt();
        const auto qt = [](int major, int minor) {
            return QStringLiteral("%1.%2.0").arg(major).arg(minor).toLatin1();
        };

        QTest::newRow("host's own") << recordWith(version, debug, key) << QString();
        QTest::newRow("newer minor")
            << recordWith(qt(major, minor + 1), debug, key)
            << QString("built with Qt %1.%2.0, newer than the host's Qt %3")
                   .arg(major)
                   .arg(minor + 1)
                   .arg(qVersion());
        QTest::newRow("older major")
            << recordWith("4.8.7", debug, key)
            << QString("built with Qt 4.8.7, the host runs Qt %1").arg(qVersion());
        QTest::newRow("other build key")
            << recordWith(version, debug, "Windows msvc release full-config")
            << QString(
                   "build key \"Windows msvc release full-config\" differs from the host's \"%1\"")
                   .arg(QString(key));
        QTest::newRow("debug flag") << recordWith(version, debug == "true" ? "false" : "true", key)
                                    << "cannot mix debug and release libraries";
        QTest::newRow("null") << QByteArray() << "no verification record";
    }

    void checksVerificationRecords()
    {
        QFETCH(QByteArray, record);

        QTEST(IPCore::checkVerificationRecord(record.isNull() ? nullptr : record.constData()),
              "reason");
    }

    void loadsLibrary_data()
    {
        QTest::addColumn<QString>("plugin");
        QTest::addColumn<QString>("fileName"); // empty: lib<plugin>.so
        QTest::addColumn<QString>("reason");   // empty: loaded
        // What the core's check printed after the path; set only when the core has no description.
        QTest::addColumn<QString>("stderrReason");

        const auto row = [](const char *tag, const char *plugin, const char *fileName,
                            const QString &reason, const char *stderrReason = "") {
            QTest::newRow(tag) << plugin << fileName << reason << stderrReason;
        };
        // The core directory is named after the library, whatever the file name's decorations.
        row("lib prefix", "testpackage", "libtestpackage.so", "");
        row("version suffix", "testpackage", "libtestpackage.so.1.0", "");
        row("description missing", "testpackage", "", "provides no IP core",
            ": cannot read: No such file or directory");
        row("built for Qt 4", "testoldqt", "",
            QString("built with Qt 4.8.7, the host runs Qt %1").arg(qVersion()));
        row("no instance function", "testnoinstance", "", "no plug-in instance function");
        row("not a package", "testnotpackage", "", "neither an IP package nor a core extension");
    }

    void loadsLibrary()
    {
        QFETCH(QString, plugin);
        QFETCH(QString, fileName);
        QFETCH(QString, reason);
        QFETCH(QString, stderrReason);

        const QString library =
            install(plugin, stderrReason.isEmpty() ? validCore : QByteArray(), fileName);
        IPCore::PluginManager manager;
        QString error;
        StderrCapture capture;
        const bool loaded = manager.loadLibrary(library, &error);
        const QString printed = capture.text();
        const QString ipspecPath = m_dir->filePath("testpackage/testpackage.ipspec");
        QCOMPARE(printed, stderrReason.isEmpty() ? QString() : ipspecPath + stderrReason + '\n');
        if (!reason.isEmpty()) {
            QVERIFY(!loaded);
            QCOMPARE(error, library + ": " + reason);
            QCOMPARE(manager.errors(), QStringList{error});
            QVERIFY(manager.cores().isEmpty());
            return;
        }
        QVERIFY2(loaded, qPrintable(error));
        QCOMPARE(manager.errors(), QStringList());
        QCOMPARE(manager.cores().size(), 1);
        IPCore::BaseIPCore *core = manager.core("test_core");
        QVERIFY(core);
        QCOMPARE(core->category(), (QStringList{"Test", "Memory Interface"}));

        QVERIFY(!manager.loadLibrary(m_dir->path() + "/./" + fileName));
        QCOMPARE(manager.errors(),
                 QStringList{m_dir->path() + "/./" + fileName + ": already loaded"});
        QCOMPARE(manager.cores().size(), 1);
    }

    void loadsDirectory()
    {
        install("testpackage", validCore);
        install("testnorecord", QByteArray());
        QVERIFY(HostTest::writeBytes(m_dir->filePath("libbroken.so"), "\177ELF but not a library"));
        QVERIFY(HostTest::writeBytes(m_dir->filePath("notes.txt"), "not a library either"));
        // Cut short, a library would be mapped and then kill the process with SIGBUS.
        QFile whole(QStringLiteral(HOST_TEST_PLUGIN_DIR "/libtestpackage.so"));
        QVERIFY(whole.open(QIODevice::ReadOnly));
        QVERIFY(HostTest::writeBytes(m_dir->filePath("libcut.so"), whole.read(whole.size() / 2)));

        IPCore::PluginManager manager;
        QCOMPARE(manager.loadDirectory(m_dir->path()), 1);
        QCOMPARE(manager.cores().size(), 1);
        QCOMPARE(manager.cores().first()->id(), QString("test_core"));
        const QStringList errors = manager.errors();
        QCOMPARE(errors,
                 QStringList({m_dir->filePath("libbroken.so") + ": truncated ELF header",
                              m_dir->filePath("libcut.so") + ": truncated or damaged ELF file (" +
                                  QString::number(whole.size() / 2) + " bytes)",
                              m_dir->filePath("libtestnorecord.so") + ": no verification record"}));

        // A second library with a core id already loaded keeps the first one's core.
        const QString second = m_dir->filePath("second");
        QVERIFY(QDir().mkpath(second + "/testpackage"));
        QVERIFY(whole.copy(second + "/libtestpackage.so"));
        QVERIFY(HostTest::writeBytes(second + "/testpackage/testpackage.ipspec", validCore));
        QCOMPARE(manager.loadDirectory(second), 0);
        QCOMPARE(manager.cores().size(), 1);
        QCOMPARE(manager.errors().size(), 3);
        QCOMPARE(manager.warnings(),
                 QStringList{second +
                             "/libtestpackage.so: core \"test_core\" is already provided by " +
                             m_dir->filePath("libtestpackage.so") + "; keeping that one"});
    }

    // A companion is handed out for the loaded core it names, in either load order, with that
    // core's directory; its capabilities are exactly the interfaces it declares.
    void matchesCompanions_data()
    {
        QTest::addColumn<QStringList>("libraries"); // load order; "plugin:file" installs as file
        QTest::addColumn<QByteArray>("coreId");     // the test core's id in its description
        QTest::addColumn<bool>("matched");
        QTest::addColumn<int>("warnings");

        const QStringList both = {"testpackage", "testextension"};
        QTest::newRow("companion after its core") << both << QByteArray("test_core") << true << 0;
        QTest::newRow("companion before its core")
            << QStringList{"testextension", "testpackage"} << QByteArray("test_core") << true << 0;
        QTest::newRow("no companion")
            << QStringList{"testpackage"} << QByteArray("test_core") << false << 0;
        QTest::newRow("companion of another core") << both << QByteArray("other_core") << false << 0;
        QTest::newRow("second companion of one core")
            << both + QStringList{"testextension:libcopy_ext.so"} << QByteArray("test_core") << true
            << 1;
    }

    void matchesCompanions()
    {
        QFETCH(QStringList, libraries);
        QFETCH(QByteArray, coreId);
        QFETCH(bool, matched);

        IPCore::PluginManager manager;
        for (const QString &library : libraries) {
            const QString plugin = library.section(':', 0, 0);
            const QByteArray ipspec =
                plugin == "testpackage" ? QByteArray(validCore).replace("test_core", coreId)
                                        : QByteArray();
            manager.loadLibrary(install(plugin, ipspec, library.section(':', 1)));
        }
        QCOMPARE(manager.errors(), QStringList());
        QTEST(int(manager.warnings().size()), "warnings");
        const IPCore::CoreExtension *extension = manager.extension(coreId);
        QCOMPARE(extension != nullptr, matched);
        QCOMPARE(manager.capability<IPCore::ExampleDesign>(coreId) != nullptr, matched);
        QCOMPARE(manager.capability<IPCore::GenerationReport>(coreId) != nullptr, matched);
        QVERIFY(!manager.capability<IPCore::RestoreNotes>(coreId));
        QVERIFY(!manager.capability<IPCore::MemoryParts>(coreId));
        if (matched)
            QCOMPARE(extension->coreDirectory, m_dir->filePath("testpackage"));
    }

    void loadsDdr3PhyPlugin()
    {
        IPCore::PluginManager manager;
        QString error;
        QVERIFY2(manager.loadLibrary(
                     qEnvironmentVariable("IPGEN_BUILD_DIR") + "/plugins/libddr3phy.so", &error),
                 qPrintable(error));
        QCOMPARE(manager.cores().size(), 1);
        IPCore::BaseIPCore *core = manager.core("ddr3_phy");
        QVERIFY(core);
        QCOMPARE(core->name(), QString("DDR3 PHY"));
        // Offered for exactly the parts the PLL search has limits for, and the parts of each
        // model reach both of its speed groups.
        QMap<QString, QSet<int>> groups; // model → the VCO maxima its parts reach
        for (const DevicePart &part : DeviceLibrary::parts()) {
            const int vcoHigh = pllLimits(part.model, part.condition).vcoHigh;
            QCOMPARE(core->isSupported(part.arg()), vcoHigh > 0);
            if (vcoHigh > 0)
                groups[part.model].insert(vcoHigh);
        }
        QCOMPARE(groups.size(), 12);
        for (auto it = groups.cbegin(); it != groups.cend(); ++it)
            QVERIFY2(it.value().size() == 2, qPrintable(it.key()));
    }

private:
    // Copies a test plug-in into the temporary folder under `fileName`, with `ipspec` (unless
    // null) as its core's description file.
    QString install(const QString &plugin, const QByteArray &ipspec,
                    const QString &fileName = QString())
    {
        const QString target =
            m_dir->filePath(fileName.isEmpty() ? "lib" + plugin + ".so" : fileName);
        if (!QFile::copy(QStringLiteral(HOST_TEST_PLUGIN_DIR "/lib%1.so").arg(plugin), target))
            qFatal("cannot copy the test plug-in %s", qPrintable(plugin));
        if (!ipspec.isNull()) {
            const QString coreDirectory = m_dir->filePath("testpackage");
            QDir().mkpath(coreDirectory);
            HostTest::writeBytes(coreDirectory + "/testpackage.ipspec", ipspec);
        }
        return target;
    }

    QScopedPointer<QTemporaryDir> m_dir;
};

QTEST_GUILESS_MAIN(TestPluginManager)
#include "tst_pluginmanager.moc"
