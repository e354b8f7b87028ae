// The plug-in's entry points, package and core descriptor, driven the way the host drives them.
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

// A core directory holding `description` as its description file (none when it is empty).
struct CoreDir
{
    explicit CoreDir(const QByteArray &description)
    {
        QFile file(dir.path() + "/ddr3phy.ipspec");
        if (!description.isEmpty() && file.open(QIODevice::WriteOnly))
            file.write(description);
    }
    QString path() const { return dir.path(); }
    QTemporaryDir dir;
};

IPCore::IPPackage *package()
{
    return qobject_cast<IPCore::IPPackage *>(qt_plugin_instance());
}

} // namespace

class tst_Package : public QObject
{
    Q_OBJECT
private slots:
    void sharedInstanceUntilDeleted();
    void metacast_data();
    void metacast();
    void load_data();
    void load();
    void isSupportedPassesUnsupportedFirst_data();
    void isSupportedPassesUnsupportedFirst();
    void exportedVerificationRecord();
};

void tst_Package::sharedInstanceUntilDeleted()
{
    QObject *first = qt_plugin_instance();
    QVERIFY(first);
    QCOMPARE(qt_plugin_instance(), first);
    QCOMPARE(static_cast<QObject *>(package()), first); // single inheritance: same address
    QVERIFY(package()->coreDirectory.isEmpty());
    package()->coreDirectory = QStringLiteral("/somewhere");

    delete first;
    QObject *second = qt_plugin_instance();
    QVERIFY(second);
    QVERIFY(package()->coreDirectory.isEmpty());
    QCOMPARE(qt_plugin_instance(), second);
}

void tst_Package::metacast_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<bool>("self"); // null otherwise

    QTest::newRow("null") << QByteArray() << false;
    QTest::newRow("class") << QByteArray("DDR3PHY::DDR3PHYPackage") << true;
    QTest::newRow("interface") << QByteArray("com.veltrasemi.plugins.IPPackage/1.0") << true;
    QTest::newRow("base class") << QByteArray("IPCore::IPPackage") << true;
    QTest::newRow("other case") << QByteArray("ddr3phy::DDR3PHYPackage") << false;
    QTest::newRow("trailing blank") << QByteArray("DDR3PHY::DDR3PHYPackage ") << false;
    QTest::newRow("other version") << QByteArray("com.veltrasemi.plugins.IPPackage/1.1") << false;
}

void tst_Package::metacast()
{
    QFETCH(QByteArray, name);
    QFETCH(bool, self);
    QObject *instance = qt_plugin_instance();
    void *cast = instance->qt_metacast(name.isNull() ? nullptr : name.constData());
    QCOMPARE(cast, self ? static_cast<void *>(instance) : nullptr);
}

void tst_Package::load_data()
{
    QTest::addColumn<QByteArray>("description"); // empty: no description file at all
    QTest::addColumn<bool>("loaded");

    QTest::newRow("valid") << QByteArray(validSpec) << true;
    QTest::newRow("file names its own data folder")
        << QByteArray(validSpec).append("ipcore.dir.data = /x\n") << true;
    QTest::newRow("missing file") << QByteArray() << false;
    QTest::newRow("no version") << QByteArray("ipcore.id = x\nipcore.name = X\n"
                                              "ipcore.category = Memory\n")
                                << false;
}

void tst_Package::load()
{
    QFETCH(QByteArray, description);
    QFETCH(bool, loaded);
    const CoreDir dir(description);

    package()->coreDirectory = dir.path();
    const QList<IPCore::BaseIPCore *> first = package()->createIPCores();
    const QList<IPCore::BaseIPCore *> second = package()->createIPCores();
    QCOMPARE(first.size(), int(loaded));
    QCOMPARE(second.size(), int(loaded));
    if (loaded)
        QVERIFY(first.first() != second.first()); // every call builds a new descriptor
    qDeleteAll(first);
    qDeleteAll(second);

    DDR3PHY::DDR3PHY core(dir.path());
    QCOMPARE(core.loadSpec(), loaded);
    const QString key = QStringLiteral("ipcore.dir.data");
    QCOMPARE(core.coreInformation().contains(key), loaded);
    if (loaded)
        QCOMPARE(core.coreInformation().value(key).toString(), dir.path() + "/data");
}

void tst_Package::isSupportedPassesUnsupportedFirst_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<bool>("supported");

    QTest::newRow("by prefix") << "VX1-10" << true;
    QTest::newRow("excluded") << "VX1-10C" << false;
    QTest::newRow("not listed") << "VX2-60" << false;
}

void tst_Package::isSupportedPassesUnsupportedFirst()
{
    QFETCH(QString, model);
    const CoreDir dir(validSpec);
    DDR3PHY::DDR3PHY core(dir.path());
    QVERIFY(core.loadSpec());
    QTEST(core.isSupported(DEV::DeviceArg(model, "C6/I5", model + "-id")), "supported");
}

void tst_Package::exportedVerificationRecord()
{
    QCOMPARE(QByteArray(qt_plugin_query_verification_data()), DDR3PHY::buildVerificationRecord());
}

QTEST_MAIN(tst_Package)
#include "tst_package.moc"
