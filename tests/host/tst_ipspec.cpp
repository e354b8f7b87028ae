#include "hostfixtures.h"
#include "ipcorefunctions.h"

#include <QTemporaryDir>
#include <QtTest>

using HostTest::StderrCapture;

static const QByteArray commonKeys = "ipcore.id = t\n"
                                     "ipcore.name = T\n"
                                     "ipcore.version = 1.0\n"
                                     "ipcore.category = Test\n";

class TestIpSpec : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_dir.reset(new QTemporaryDir);
        QVERIFY(m_dir->isValid());
    }

    void parsesValues_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QVariantMap>("expected");

        // Comments and blank lines skipped, blanks trimmed, '=' inside a value, no final newline.
        QTest::newRow("texts")
            << QByteArray("# ipcore.id = no\n\n   # indented\n\t\n  ipcore.name   =   DDR3 PHY  \n"
                          "ipcore.device.unsupported =\nipcore.dir.data_2-x = a=b")
            << QVariantMap{{"ipcore.name", "DDR3 PHY"},
                           {"ipcore.device.unsupported", ""},
                           {"ipcore.dir.data_2-x", "a=b"}};
        QTest::newRow("quoted: commas stay one text, escapes")
            << QByteArray("ipcore.doc.summary = \" 1:2 or 1:4, ECC \"\n"
                          "ipcore.label = \"a \\\"b\\\" \\\\ c\"")
            << QVariantMap{{"ipcore.doc.summary", " 1:2 or 1:4, ECC "},
                           {"ipcore.label", "a \"b\" \\ c"}};
        QTest::newRow("lists: items trimmed, empty items dropped")
            << QByteArray(
                   "ipcore.category = Memory , DDR3,, ,PHY\nipcore.device.supported = VX1-10,\n")
            << QVariantMap{{"ipcore.category", QStringList{"Memory", "DDR3", "PHY"}},
                           {"ipcore.device.supported", QStringList{"VX1-10"}}};
        QTest::newRow("CRLF and byte order mark")
            << QByteArray("\xef\xbb\xbfipcore.id = a\r\nipcore.name = b\r\n")
            << QVariantMap{{"ipcore.id", "a"}, {"ipcore.name", "b"}};
    }

    void parsesValues()
    {
        QFETCH(QByteArray, content);
        QFETCH(QVariantMap, expected);
        const QVariantMap info = IPCore::processIPInfoSpec(write(content));
        QCOMPARE(info.keys(), expected.keys());
        for (auto it = expected.cbegin(); it != expected.cend(); ++it) {
            // A list where a text is meant (or the reverse) changes what the core reads.
            QCOMPARE(info.value(it.key()).userType(), it.value().userType());
            QCOMPARE(info.value(it.key()), it.value());
        }
    }

    void refusesBadFiles_data()
    {
        QTest::addColumn<QByteArray>("content"); // null: no file at all
        QTest::addColumn<QString>("reason");     // the stderr line after the path

        const auto row = [](const char *tag, const QByteArray &content) -> QTestData & {
            return QTest::newRow(tag) << content;
        };
        row("missing", QByteArray()) << ": cannot read: No such file or directory";
        row("not UTF-8", "ipcore.name = \xb5s\n") << ": cannot read: not valid UTF-8";

        row("no =", commonKeys + "ipcore.summary DDR3\n") << ":5: malformed line: no \"=\"";
        row("key outside ipcore.", "# c\nname = x\n" + commonKeys)
            << ":2: malformed line: key \"name\" does not start with \"ipcore.\"";
        row("duplicate key", commonKeys + "\nipcore.name = again\n")
            << ":6: malformed line: duplicate key ipcore.name";
        row("escaped closing quote", "ipcore.label = \"DDR3\\\"")
            << ":1: malformed line: unterminated quoted value";

        for (const char *key : {"ipcore.id", "ipcore.name", "ipcore.version", "ipcore.category"}) {
            QByteArray content = "ipcore.doc.summary = s\n";
            for (const QByteArray &line : commonKeys.split('\n')) {
                if (!line.isEmpty() && !line.startsWith(QByteArray(key) + ' '))
                    content += line + '\n';
            }
            row(qPrintable(QStringLiteral("without %1").arg(key)), content)
                << QStringLiteral(": missing required key %1").arg(key);
        }
        row("empty version",
            QByteArray(commonKeys).replace("ipcore.version = 1.0", "ipcore.version ="))
            << ": empty value for required key ipcore.version";
        row("category list of none",
            QByteArray(commonKeys).replace("ipcore.category = Test", "ipcore.category = ,"))
            << ": empty value for required key ipcore.category";
    }

    void refusesBadFiles()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, reason);

        const QString path = m_dir->filePath("core.ipspec");
        if (!content.isNull())
            QVERIFY(HostTest::writeBytes(path, content));

        StderrCapture capture;
        const QVariantMap info = IPCore::processIPInfoSpec(path);
        const bool accepted = IPCore::checkCommonInfo(info);
        QCOMPARE(capture.text(), path + reason + '\n');
        QVERIFY(!accepted);
        if (!reason.contains("required key"))
            QVERIFY(info.isEmpty());

        // The failure does not stick to the next file read.
        const QString complete = write("# test core\n" + commonKeys);
        StderrCapture silent;
        QVERIFY(IPCore::checkCommonInfo(IPCore::processIPInfoSpec(complete)));
        QCOMPARE(silent.text(), QString());
    }

    void describesDdr3Phy()
    {
        const QString coreDirectory = qEnvironmentVariable("DDR3PHY_SOURCE_DIR") + "/core/ddr3phy";
        const QVariantMap info = IPCore::processIPInfoSpec(coreDirectory + "/ddr3phy.ipspec");
        QVERIFY(IPCore::checkCommonInfo(info));
        const QString help = info.value("ipcore.doc.help").toString();
        QCOMPARE(help, QDir(coreDirectory).absoluteFilePath("doc/ddr3phy_help.html"));
        QVERIFY2(QFileInfo(help).isFile(), qPrintable(help));
    }

    void matchesDevices_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<QString>("unsupported"); // comma-separated
        QTest::addColumn<QString>("supported");
        QTest::addColumn<bool>("expected");

        const auto row = [](const char *tag, const char *model, const char *unsupported,
                            const char *supported, bool expected) {
            QTest::newRow(tag) << model << unsupported << supported << expected;
        };
        row("listed", "VX1-10", "", "VX2-20,VX1-10", true);
        row("not listed", "VX2-60", "", "VX2-20,VX1-10", false);
        row("exact entry is no prefix", "VX1-10C", "", "VX1-10", false);
        row("prefix entry", "VX1-10C", "", "VX1-*", true);
        row("star only at the end is a wildcard", "VX1-10", "", "VX*-10", false);
        row("unsupported wins over supported", "VX2N-60C", "VX2N-60C", "VX2*", false);
    }

    void matchesDevices()
    {
        QFETCH(QString, model);
        QFETCH(QString, unsupported);
        QFETCH(QString, supported);

        const DEV::DeviceArg device(model, "C6/I5", model + "LQ144C6/I5");
        QTEST(IPCore::isSupported(device, unsupported.split(',', Qt::SkipEmptyParts),
                                  supported.split(',', Qt::SkipEmptyParts)),
              "expected");
    }

private:
    QString write(const QByteArray &content)
    {
        const QString path = m_dir->filePath(QStringLiteral("core.ipspec"));
        if (!HostTest::writeBytes(path, content))
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

    QScopedPointer<QTemporaryDir> m_dir;
};

QTEST_GUILESS_MAIN(TestIpSpec)
#include "tst_ipspec.moc"
