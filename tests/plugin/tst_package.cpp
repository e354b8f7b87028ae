// The plug-in's entry points, package and core descriptor, driven the way the host drives them.
#include "ddr3phy.h"
#include "ddr3phypackage.h"
#include "devicearg.h"
#include "verificationrecord.h"

#include <QPointer>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

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

void writeFile(const QString &path, const QByteArray &text)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(text);
}

} // namespace

class tst_Package : public QObject
{
    Q_OBJECT
private slots:
    void sharedInstanceUntilDeleted();
    void metacast_data();
    void metacast();
    void createIPCores_data();
    void createIPCores();
    void dataDirectoryRule_data();
    void dataDirectoryRule();
    void getters();
    void isSupportedPassesUnsupportedFirst_data();
    void isSupportedPassesUnsupportedFirst();
    void verificationRecord();
};

void tst_Package::sharedInstanceUntilDeleted()
{
    QObject *first = qt_plugin_instance();
    QVERIFY(first);
    QCOMPARE(qt_plugin_instance(), first);
    auto *package = qobject_cast<IPCore::IPPackage *>(first);
    QVERIFY(package);
    QCOMPARE(static_cast<QObject *>(package), first); // single inheritance: same address
    QVERIFY(package->coreDirectory.isEmpty());
    package->coreDirectory = QStringLiteral("/somewhere");

    delete first;
    QObject *second = qt_plugin_instance();
    QVERIFY(second);
    QVERIFY(qobject_cast<IPCore::IPPackage *>(second)->coreDirectory.isEmpty());
    QCOMPARE(qt_plugin_instance(), second);
}

void tst_Package::metacast_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<bool>("isNull");
    QTest::addColumn<bool>("self");

    QTest::newRow("null") << QByteArray() << true << false;
    QTest::newRow("class") << QByteArray("DDR3PHY::DDR3PHYPackage") << false << true;
    QTest::newRow("interface") << QByteArray("com.veltrasemi.plugins.IPPackage/1.0") << false << true;
    QTest::newRow("base class") << QByteArray("IPCore::IPPackage") << false << true;
    QTest::newRow("other case") << QByteArray("ddr3phy::DDR3PHYPackage") << true << false;
    QTest::newRow("trailing blank") << QByteArray("DDR3PHY::DDR3PHYPackage ") << true << false;
    QTest::newRow("other version") << QByteArray("com.veltrasemi.plugins.IPPackage/1.1") << true
                                   << false;
    QTest::newRow("interface prefix") << QByteArray("com.veltrasemi.plugins.IPPackage") << true
                                      << false;
}

void tst_Package::metacast()
{
    QFETCH(QByteArray, name);
    QFETCH(bool, isNull);
    QFETCH(bool, self);
    QObject *instance = qt_plugin_instance();
    void *cast = instance->qt_metacast(name.isNull() ? nullptr : name.constData());
    QCOMPARE(cast == nullptr, isNull);
    if (self)
        QCOMPARE(cast, static_cast<void *>(instance));
}

void tst_Package::createIPCores_data()
{
    QTest::addColumn<QByteArray>("description"); // empty: no description file at all
    QTest::addColumn<int>("cores");

    QTest::newRow("valid") << QByteArray(validSpec) << 1;
    QTest::newRow("missing file") << QByteArray() << 0;
    QTest::newRow("no version") << QByteArray("ipcore.id = x\nipcore.name = X\n"
                                              "ipcore.category = Memory\n")
                                << 0;
    QTest::newRow("malformed line") << QByteArray(validSpec).append("not a key value line\n") << 0;
}

void tst_Package::createIPCores()
{
    QFETCH(QByteArray, description);
    QFETCH(int, cores);
    QTemporaryDir dir;
    if (!description.isEmpty())
        writeFile(dir.path() + "/ddr3phy.ipspec", description);

    auto *package = qobject_cast<IPCore::IPPackage *>(qt_plugin_instance());
    package->coreDirectory = dir.path();
    const QList<IPCore::BaseIPCore *> first = package->createIPCores();
    const QList<IPCore::BaseIPCore *> second = package->createIPCores();
    QCOMPARE(first.size(), cores);
    QCOMPARE(second.size(), cores);
    if (cores)
        QVERIFY(first.first() != second.first()); // every call builds a new descriptor
    qDeleteAll(first);
    qDeleteAll(second);
}

void tst_Package::dataDirectoryRule_data()
{
    QTest::addColumn<QByteArray>("description");
    QTest::addColumn<bool>("loaded");

    QTest::newRow("plain") << QByteArray(validSpec) << true;
    QTest::newRow("file names its own") << QByteArray(validSpec).append("ipcore.dir.data = /x\n")
                                        << true;
    QTest::newRow("check fails") << QByteArray("ipcore.id = x\n") << false;
}

void tst_Package::dataDirectoryRule()
{
    QFETCH(QByteArray, description);
    QFETCH(bool, loaded);
    QTemporaryDir dir;
    writeFile(dir.path() + "/ddr3phy.ipspec", description);

    DDR3PHY::DDR3PHY core(dir.path());
    QCOMPARE(core.loadSpec(), loaded);
    const QVariant data = core.coreInformation().value(QStringLiteral("ipcore.dir.data"));
    if (loaded)
        QCOMPARE(data.toString(), dir.path() + "/data");
    else
        QVERIFY(!core.coreInformation().contains(QStringLiteral("ipcore.dir.data")));
}

void tst_Package::getters()
{
    QTemporaryDir dir;
    writeFile(dir.path() + "/ddr3phy.ipspec", "ipcore.id = ddr3_phy\nipcore.name = DDR3 PHY\n"
                                              "ipcore.version = 2.1\n"
                                              "ipcore.category = Memory Interface\n");
    DDR3PHY::DDR3PHY core(dir.path());
    QVERIFY(core.loadSpec());
    QCOMPARE(core.id(), QStringLiteral("ddr3_phy"));
    QCOMPARE(core.name(), QStringLiteral("DDR3 PHY"));
    QCOMPARE(core.version(), QStringLiteral("2.1"));
    QCOMPARE(core.category(), QStringList{QStringLiteral("Memory Interface")});
    QCOMPARE(core.summary(), QString());
    QVERIFY(!core.isSupported(DEV::DeviceArg("VX1-10", "C6/I5", "VX1-10LQ144C6/I5")));
}

void tst_Package::isSupportedPassesUnsupportedFirst_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<bool>("supported");

    QTest::newRow("by prefix") << "VX1-10" << true;
    QTest::newRow("excluded") << "VX1-10C" << false;
    QTest::newRow("exact entry") << "VX2-20" << true;
    QTest::newRow("not listed") << "VX2-60" << false;
}

void tst_Package::isSupportedPassesUnsupportedFirst()
{
    QFETCH(QString, model);
    QFETCH(bool, supported);
    QTemporaryDir dir;
    writeFile(dir.path() + "/ddr3phy.ipspec", validSpec);
    DDR3PHY::DDR3PHY core(dir.path());
    QVERIFY(core.loadSpec());
    QCOMPARE(core.isSupported(DEV::DeviceArg(model, "C6/I5", model + "-id")), supported);
}

void tst_Package::verificationRecord()
{
    QCOMPARE(DDR3PHY::verificationRecord("4.8.7", "Windows", "msvc", false),
             QByteArray("pattern=QT_PLUGIN_VERIFICATION_DATA\nversion=4.8.7\ndebug=false\n"
                        "buildkey=Windows msvc release full-config"));
    const QByteArray ours(qt_plugin_query_verification_data());
    QCOMPARE(ours, DDR3PHY::buildVerificationRecord());
    QVERIFY(ours.startsWith("pattern=QT_PLUGIN_VERIFICATION_DATA\nversion=" QT_VERSION_STR "\n"));
    QCOMPARE(ours.count('\n'), 3);
}

QTEST_MAIN(tst_Package)
#include "tst_package.moc"
