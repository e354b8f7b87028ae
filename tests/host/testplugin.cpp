// A core plug-in built against the host, compiled once per way a plug-in can be built wrong
// (tests/host/CMakeLists.txt). Its core reads <core directory>/testpackage.ipspec. Built with
// TEST_PLUGIN_EXTENSION it is instead the companion of the core "test_core", offering an
// example design and a report but no restore notes.
#include "coreextension.h"
#include "ipcorefunctions.h"
#include "ippackage.h"
#include "pluginmanager.h"

#include <QPointer>

namespace HostTest {

class TestCore : public IPCore::BaseIPCore
{
public:
    explicit TestCore(const QString &coreDirectory) : m_coreDirectory(coreDirectory) {}

    void createIP(const QString &, const DEV::DeviceArg &) override {}
    void openIP(const QString &, const QString &) override {}
    bool loadSpec() override
    {
        m_info = IPCore::processIPInfoSpec(m_coreDirectory + "/testpackage.ipspec");
        return IPCore::checkCommonInfo(m_info);
    }
    QString version() const override { return text("ipcore.version"); }
    QString id() const override { return text("ipcore.id"); }
    QString name() const override { return text("ipcore.name"); }
    QStringList category() const override { return list("ipcore.category"); }
    QString summary() const override { return text("ipcore.doc.summary"); }
    bool isSupported(const DEV::DeviceArg &device) const override
    {
        return IPCore::isSupported(device, list("ipcore.device.unsupported"),
                                   list("ipcore.device.supported"));
    }

private:
    QString text(const char *key) const { return m_info.value(key).toString(); }
    QStringList list(const char *key) const { return m_info.value(key).toStringList(); }

    QString m_coreDirectory;
    QMap<QString, QVariant> m_info;
};

class TestPackage : public IPCore::IPPackage
{
    Q_OBJECT
    Q_INTERFACES(IPCore::IPPackage)
public:
    QList<IPCore::BaseIPCore *> createIPCores() override
    {
        auto *core = new TestCore(coreDirectory);
        if (core->loadSpec())
            return {core};
        delete core;
        return {};
    }
};

// Its files name the configuration and the core directory it was given, so that a test sees
// which core it was matched to.
class TestExtension : public IPCore::CoreExtension,
                      public IPCore::ExampleDesign,
                      public IPCore::GenerationReport
{
    Q_OBJECT
    Q_INTERFACES(IPCore::ExampleDesign IPCore::GenerationReport)
public:
    QString coreId() const override { return QStringLiteral("test_core"); }

    bool exampleFiles(const QString &configFile, const QString &, QList<IPCore::ExampleFile> *files,
                      QString *error) override
    {
        if (configFile.endsWith(QLatin1String("refused.ipc"))) {
            *error = QStringLiteral("refused ") + configFile;
            return false;
        }
        *files = {{QStringLiteral("example/config.txt"), configFile.toUtf8() + '\n', false},
                  {QStringLiteral("run.sh"), coreDirectory.toUtf8() + '\n', true}};
        return true;
    }

    IPCore::ReportOutcome writeReport(const QString &configFile, const QStringList &synthesisLog,
                                      const QString &) override
    {
        return {configFile + QStringLiteral(".report"), synthesisLog, QString()};
    }
};

} // namespace HostTest

#ifndef TEST_PLUGIN_NO_RECORD
extern "C" Q_DECL_EXPORT const char *qt_plugin_query_verification_data()
{
#ifdef TEST_PLUGIN_RECORD
    return TEST_PLUGIN_RECORD;
#else
    static const QByteArray record = IPCore::hostVerificationRecord();
    return record.constData();
#endif
}
#endif

#ifndef TEST_PLUGIN_NO_INSTANCE
extern "C" Q_DECL_EXPORT QObject *qt_plugin_instance()
{
    static QPointer<QObject> instance;
    if (!instance) {
#if defined(TEST_PLUGIN_PLAIN_OBJECT)
        instance = new QObject;
#elif defined(TEST_PLUGIN_EXTENSION)
        instance = new HostTest::TestExtension;
#else
        instance = new HostTest::TestPackage;
#endif
    }
    return instance;
}
#endif

#include "testplugin.moc"
