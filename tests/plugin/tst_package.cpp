// The plug-in's entry points, package and core descriptor, driven the way the host drives them.
#include "../host/hostfixtures.h"
#include "ddr3phy.h"
#include "ddr3phypackage.h"
#include "devicearg.h"
#include "verificationrecord.h"

#include <QTemporaryDir>
#include <QtTest>

extern "C" QObject *qt_plugin_instance();
extern "C" const char *qt_plugin_query_verification_data();

namespace {

const char validSpec[] = "ipcore.id = ddr3_phy\n"
                         "ipcore.name = DDR3 PHY\n"
                         "ipcore.version = 1.0\n"
                         "ipcore.category = Memory Interface\n"
                         "ipcore.doc.summary = DDR3 SDRAM physical layer\n"
                         "ipcore.device.supported = VX1*, VX2-20\n"
                         "ipcore.device.unsupported = VX1-10C\n";

IPCore::IPPackage *package()
{
    return qobject_cast<IPCore::IPPackage *>(qt_plugin_instance());
}

} // namespace

class tst_Package : public QObject
{
    Q_OBJECT
private slots:
    void load_data()
    {
        QTest::addColumn<QByteArray>("description"); // empty: no description file at all
        QTest::addColumn<bool>("loaded");

        QTest::newRow("valid") << QByteArray(validSpec) << true;
        QTest::newRow("file names its own data folder")
            << QByteArray(validSpec).append("ipcore.dir.data = /x\n") << true;
        QTest::newRow("missing file") << QByteArray() << false;
        QTest::newRow("no version")
            << QByteArray("ipcore.id = x\nipcore.name = X\nipcore.category = Memory\n") << false;
    }

    void load()
    {
        QFETCH(QByteArray, description);
        QFETCH(bool, loaded);
        QTemporaryDir dir; // the core directory, with no description file for an empty one
        if (!description.isEmpty())
            QVERIFY(HostTest::writeBytes(dir.filePath("ddr3phy.ipspec"), description));

        package()->coreDirectory = dir.path();
        const QList<IPCore::BaseIPCore *> cores = package()->createIPCores();
        QCOMPARE(cores.size(), int(loaded));
        qDeleteAll(cores);

        DDR3PHY::DDR3PHY core(dir.path());
        QCOMPARE(core.loadSpec(), loaded);
        const QString data = core.coreInformation().value("ipcore.dir.data").toString();
        QCOMPARE(data, loaded ? dir.path() + "/data" : QString());
    }

    // The host refuses a plug-in whose record differs from its own by a character.
    void verificationRecord()
    {
        QCOMPARE(DDR3PHY::verificationRecord("4.8.7", "Windows", "msvc", false),
                 QByteArray("pattern=QT_PLUGIN_VERIFICATION_DATA\nversion=4.8.7\ndebug=false\n"
                            "buildkey=Windows msvc release full-config"));
        QCOMPARE(DDR3PHY::verificationRecord("5.15.8", "Linux", "g++", true),
                 QByteArray("pattern=QT_PLUGIN_VERIFICATION_DATA\nversion=5.15.8\ndebug=true\n"
                            "buildkey=Linux g++ debug full-config"));
        const QByteArray exported = qt_plugin_query_verification_data();
        QVERIFY(exported.startsWith("pattern=QT_PLUGIN_VERIFICATION_DATA\nversion=" QT_VERSION_STR
                                    "\n"));
#if defined(Q_OS_LINUX) && defined(Q_CC_GNU) && !defined(Q_CC_CLANG) && defined(QT_NO_DEBUG)
        QVERIFY(exported.endsWith("\nbuildkey=Linux g++ release full-config"));
#endif
    }
};

QTEST_MAIN(tst_Package)
#include "tst_package.moc"
