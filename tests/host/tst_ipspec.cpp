#include "hostfixtures.h"
#include "ipcorefunctions.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

using HostTest::StderrCapture;

class TestIpSpec : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void parsesValues_data();
    void parsesValues();
    void refusesMalformedLines_data();
    void refusesMalformedLines();
    void refusesUnreadableFiles_data();
    void refusesUnreadableFiles();
    void requiresCommonKeys_data();
    void requiresCommonKeys();
    void acceptsCompleteInformationSilently();
    void forgetsAnEarlierFailure();
    void describesDdr3Phy();

    void matchesDevices_data();
    void matchesDevices();

private:
    QString write(const QByteArray &content);

    QScopedPointer<QTemporaryDir> m_dir;
};

static const QByteArray commonKeys = "ipcore.id = t\n"
                                     "ipcore.name = T\n"
                                     "ipcore.version = 1.0\n"
                                     "ipcore.category = Test\n";

void TestIpSpec::init()
{
    m_dir.reset(new QTemporaryDir);
    QVERIFY(m_dir->isValid());
}

QString TestIpSpec::write(const QByteArray &content)
{
    const QString path = m_dir->filePath(QStringLiteral("core.ipspec"));
    if (!HostTest::writeBytes(path, content))
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

void TestIpSpec::parsesValues_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QVariantMap>("expected");

    QTest::newRow("text, blanks trimmed") << QByteArray("  ipcore.name   =   DDR3 PHY  \n")
                                          << QVariantMap{{"ipcore.name", "DDR3 PHY"}};
    QTest::newRow("quoted commas stay one text")
        << QByteArray("ipcore.doc.summary = \" 1:2 or 1:4, ECC \"\n")
        << QVariantMap{{"ipcore.doc.summary", " 1:2 or 1:4, ECC "}};
    QTest::newRow("quoted escapes") << QByteArray(R"(ipcore.label = "a \"b\" \\ c")")
                                    << QVariantMap{{"ipcore.label", R"(a "b" \ c)"}};
    QTest::newRow("quoted empty") << QByteArray("ipcore.label = \"\"")
                                  << QVariantMap{{"ipcore.label", ""}};
    QTest::newRow("list, items trimmed, empty items dropped")
        << QByteArray("ipcore.category = Memory , DDR3,, ,PHY\n")
        << QVariantMap{{"ipcore.category", QStringList{"Memory", "DDR3", "PHY"}}};
    QTest::newRow("list of one") << QByteArray("ipcore.device.supported = VX1-10,\n")
                                 << QVariantMap{{"ipcore.device.supported", QStringList{"VX1-10"}}};
    QTest::newRow("list of none") << QByteArray("ipcore.device.unsupported = ,\n")
                                  << QVariantMap{{"ipcore.device.unsupported", QStringList()}};
    QTest::newRow("empty value") << QByteArray("ipcore.device.unsupported =\n")
                                 << QVariantMap{{"ipcore.device.unsupported", ""}};
    QTest::newRow("value holding =")
        << QByteArray("ipcore.module = a=b\n") << QVariantMap{{"ipcore.module", "a=b"}};
    QTest::newRow("comments and blank lines")
        << QByteArray("# ipcore.id = no\n\n   # indented\n\t\nipcore.id = yes\n")
        << QVariantMap{{"ipcore.id", "yes"}};
    QTest::newRow("CRLF and byte order mark")
        << QByteArray("\xef\xbb\xbfipcore.id = a\r\nipcore.name = b\r\n")
        << QVariantMap{{"ipcore.id", "a"}, {"ipcore.name", "b"}};
    QTest::newRow("UTF-8 text") << QByteArray("ipcore.doc.summary = 400 \xc2\xb5s\n")
                                << QVariantMap{
                                       {"ipcore.doc.summary", QString::fromUtf8("400 \xc2\xb5s")}};
    QTest::newRow("relative help document") << QByteArray("ipcore.doc.help = doc/h.html\n")
                                            << QVariantMap{{"ipcore.doc.help", "<dir>/doc/h.html"}};
    QTest::newRow("absolute help document") << QByteArray("ipcore.doc.help = /usr/h.html\n")
                                            << QVariantMap{{"ipcore.doc.help", "/usr/h.html"}};
    QTest::newRow("no final newline, keys with digits, '-' and '_'")
        << QByteArray("ipcore.dir.data_2-x = d") << QVariantMap{{"ipcore.dir.data_2-x", "d"}};
}

void TestIpSpec::parsesValues()
{
    QFETCH(QByteArray, content);
    QFETCH(QVariantMap, expected);
    for (auto &value : expected) { // a relative help document comes back inside the core folder
        if (value.userType() == QMetaType::QString)
            value = value.toString().replace("<dir>", m_dir->path());
    }

    const QVariantMap info = IPCore::processIPInfoSpec(write(content));
    QCOMPARE(info.keys(), expected.keys());
    for (auto it = expected.cbegin(); it != expected.cend(); ++it) {
        // A list where a text is meant (or the reverse) changes what the core reads.
        QCOMPARE(info.value(it.key()).userType(), it.value().userType());
        QCOMPARE(info.value(it.key()), it.value());
    }
}

void TestIpSpec::refusesMalformedLines_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("reason"); // after "<path>:"

    QTest::newRow("no =") << commonKeys + "ipcore.summary DDR3\n"
                          << "5: malformed line: no \"=\"";
    QTest::newRow("key outside ipcore.") << "# c\nname = x\n" + commonKeys
                                         << "2: malformed line: key \"name\" does not start with "
                                            "\"ipcore.\"";
    QTest::newRow("bare ipcore") << QByteArray("ipcore = x\n")
                                 << "1: malformed line: key \"ipcore\" does not start with "
                                    "\"ipcore.\"";
    QTest::newRow("key case") << QByteArray("IPCORE.id = x\n")
                              << "1: malformed line: key \"IPCORE.id\" does not start with "
                                 "\"ipcore.\"";
    QTest::newRow("empty key name")
        << QByteArray("ipcore. = x\n") << "1: malformed line: bad key \"ipcore.\"";
    QTest::newRow("blank inside key")
        << QByteArray("ipcore.doc help = x\n") << "1: malformed line: bad key \"ipcore.doc help\"";
    QTest::newRow("duplicate key") << commonKeys + "\nipcore.name = again\n"
                                   << "6: malformed line: duplicate key ipcore.name";
    QTest::newRow("unterminated quote") << QByteArray("ipcore.label = \"DDR3, PHY\n")
                                        << "1: malformed line: unterminated quoted value";
    QTest::newRow("escaped closing quote") << QByteArray(R"(ipcore.label = "DDR3\")")
                                           << "1: malformed line: unterminated quoted value";
    QTest::newRow("text after the quote") << QByteArray("ipcore.label = \"a\", b\n")
                                          << "1: malformed line: text after the closing quote";
    QTest::newRow("unknown escape")
        << QByteArray(R"(ipcore.label = "a\n")") << "1: malformed line: unknown escape \\n";
}

void TestIpSpec::refusesMalformedLines()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, reason);

    const QString path = write(content);
    StderrCapture capture;
    const QVariantMap info = IPCore::processIPInfoSpec(path);
    const bool accepted = IPCore::checkCommonInfo(info);
    QCOMPARE(capture.text(), path + ':' + reason + '\n');
    QVERIFY(info.isEmpty());
    QVERIFY(!accepted);
}

void TestIpSpec::refusesUnreadableFiles_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content"); // null: no file of that name
    QTest::addColumn<QString>("reason");

    QTest::newRow("missing") << "absent.ipspec" << QByteArray()
                             << "cannot read: No such file or directory";
    // The tests run as root, which ignores permission bits; a folder cannot be read as a file.
    QTest::newRow("a folder") << "folder.ipspec" << QByteArray()
                              << "cannot read: file to open is a directory";
    QTest::newRow("not UTF-8") << "latin1.ipspec" << QByteArray("ipcore.name = \xb5s\n")
                               << "cannot read: not valid UTF-8";
}

void TestIpSpec::refusesUnreadableFiles()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QFETCH(QString, reason);

    const QString path = m_dir->filePath(name);
    if (name == QLatin1String("folder.ipspec"))
        QVERIFY(QDir().mkdir(path));
    else if (!content.isNull())
        QVERIFY(HostTest::writeBytes(path, content));

    StderrCapture capture;
    const QVariantMap info = IPCore::processIPInfoSpec(path);
    const bool accepted = IPCore::checkCommonInfo(info);
    QCOMPARE(capture.text(), path + ": " + reason + '\n');
    QVERIFY(info.isEmpty());
    QVERIFY(!accepted);
}

void TestIpSpec::requiresCommonKeys_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("reason");

    for (const char *key : {"ipcore.id", "ipcore.name", "ipcore.version", "ipcore.category"}) {
        QByteArray content;
        for (const QByteArray &line : commonKeys.split('\n')) {
            if (!line.isEmpty() && !line.startsWith(QByteArray(key) + ' '))
                content += line + '\n';
        }
        QTest::newRow(qPrintable(QStringLiteral("without %1").arg(key)))
            << content + "ipcore.doc.summary = s\n"
            << QStringLiteral("missing required key %1").arg(key);
    }
    QTest::newRow("only comments")
        << QByteArray("# nothing here\n") << "missing required key ipcore.id";
    QTest::newRow("empty file") << QByteArray() << "missing required key ipcore.id";
    QTest::newRow("empty version")
        << QByteArray(commonKeys).replace("ipcore.version = 1.0", "ipcore.version =")
        << "empty value for required key ipcore.version";
    QTest::newRow("quoted blank name")
        << QByteArray(commonKeys).replace("ipcore.name = T", "ipcore.name = \"  \"")
        << "empty value for required key ipcore.name";
    QTest::newRow("category list of none")
        << QByteArray(commonKeys).replace("ipcore.category = Test", "ipcore.category = ,")
        << "empty value for required key ipcore.category";
}

void TestIpSpec::requiresCommonKeys()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, reason);

    const QString path = write(content);
    StderrCapture capture;
    const QVariantMap info = IPCore::processIPInfoSpec(path);
    QVERIFY(!IPCore::checkCommonInfo(info));
    QCOMPARE(capture.text(), path + ": " + reason + '\n');
}

void TestIpSpec::acceptsCompleteInformationSilently()
{
    const QString path = write("# test core\n" + commonKeys + "ipcore.category.extra = x, y\n");
    StderrCapture capture;
    const QVariantMap info = IPCore::processIPInfoSpec(path);
    QVERIFY(IPCore::checkCommonInfo(info));
    QCOMPARE(capture.text(), QString());
    QCOMPARE(info.value("ipcore.category"), QVariant("Test"));
    QCOMPARE(info.value("ipcore.category").toStringList(), QStringList{"Test"});
}

void TestIpSpec::forgetsAnEarlierFailure()
{
    IPCore::processIPInfoSpec(m_dir->filePath("absent.ipspec"));
    const QString path = write(QByteArray("ipcore.id = t\n"));
    StderrCapture capture;
    QVERIFY(!IPCore::checkCommonInfo(IPCore::processIPInfoSpec(path)));
    QCOMPARE(capture.text(), path + ": missing required key ipcore.name\n");

    QVERIFY(IPCore::checkCommonInfo(IPCore::processIPInfoSpec(write(commonKeys))));
}

void TestIpSpec::describesDdr3Phy()
{
    const QString coreDirectory = qEnvironmentVariable("DDR3PHY_SOURCE_DIR") + "/core/ddr3phy";
    const QVariantMap info = IPCore::processIPInfoSpec(coreDirectory + "/ddr3phy.ipspec");
    QVERIFY(IPCore::checkCommonInfo(info));
    QCOMPARE(info.value("ipcore.id").toString(), QString("ddr3_phy"));
    QCOMPARE(info.value("ipcore.name").toString(), QString("DDR3 PHY"));
    QCOMPARE(info.value("ipcore.version").toString(), QString("1.0"));
    QCOMPARE(info.value("ipcore.target").toString(), QString("ddr3_phy"));
    QCOMPARE(info.value("ipcore.module").toString(), QString("DDR3_PHY_Top"));
    QCOMPARE(info.value("ipcore.device.supported").toStringList(), HostTest::pllTableModels());
    for (const char *key : {"ipcore.doc.summary", "ipcore.label", "ipcore.category"})
        QVERIFY2(!info.value(key).toString().isEmpty(), key);
    const QString help = info.value("ipcore.doc.help").toString();
    QCOMPARE(help, QDir(coreDirectory).absoluteFilePath("doc/ddr3phy_help.html"));
    QVERIFY2(QFileInfo(help).isFile(), qPrintable(help));
}

void TestIpSpec::matchesDevices_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<QStringList>("unsupported");
    QTest::addColumn<QStringList>("supported");
    QTest::addColumn<bool>("expected");

    const QStringList none;
    QTest::newRow("listed") << "VX1-10" << none << QStringList{"VX2-20", "VX1-10"} << true;
    QTest::newRow("not listed") << "VX2-60" << none << QStringList{"VX2-20", "VX1-10"} << false;
    QTest::newRow("empty supported list") << "VX1-10" << none << none << false;
    QTest::newRow("case-sensitive") << "vx1-10" << none << QStringList{"VX1-10"} << false;
    QTest::newRow("exact entry is no prefix")
        << "VX1-10C" << none << QStringList{"VX1-10"} << false;
    QTest::newRow("exact entry needs the whole model")
        << "VX1-1" << none << QStringList{"VX1-10"} << false;
    QTest::newRow("prefix entry") << "VX1-10C" << none << QStringList{"VX1-*"} << true;
    QTest::newRow("prefix entry, other family")
        << "VX1R-10" << none << QStringList{"VX1-*"} << false;
    QTest::newRow("prefix entry matches the bare prefix")
        << "VX1-" << none << QStringList{"VX1-*"} << true;
    QTest::newRow("star alone matches all") << "VX3-120" << none << QStringList{"*"} << true;
    QTest::newRow("star only at the end is a wildcard")
        << "VX1-10" << none << QStringList{"VX*-10"} << false;
    QTest::newRow("unsupported wins over supported")
        << "VX2N-60C" << QStringList{"VX2N-60C"} << QStringList{"VX2*"} << false;
    QTest::newRow("unsupported leaves the others")
        << "VX2-60C" << QStringList{"VX2N-60C"} << QStringList{"VX2*"} << true;
    QTest::newRow("unsupported prefix wins")
        << "VX2NR-20C" << QStringList{"VX2N*"} << QStringList{"VX2NR-20C"} << false;
    // Lists passed the other way round would refuse this device and accept VX1-10.
    QTest::newRow("argument order")
        << "VX2-20" << QStringList{"VX1-10"} << QStringList{"VX2-20"} << true;
    QTest::newRow("argument order, refused")
        << "VX1-10" << QStringList{"VX1-10"} << QStringList{"VX2-20"} << false;
}

void TestIpSpec::matchesDevices()
{
    QFETCH(QString, model);
    QFETCH(QStringList, unsupported);
    QFETCH(QStringList, supported);
    QFETCH(bool, expected);

    const DEV::DeviceArg device(model, "C6/I5", model + "LQ144C6/I5");
    QCOMPARE(IPCore::isSupported(device, unsupported, supported), expected);
}

QTEST_GUILESS_MAIN(TestIpSpec)
#include "tst_ipspec.moc"
