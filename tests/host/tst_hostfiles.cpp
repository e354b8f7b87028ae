#include "hostfixtures.h"
#include "ipcorefunctions.h"
#include "modalanswerer.h"
#include "pinfigure.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

class TestHostFiles : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void generatesExactBytes_data();
    void generatesExactBytes();
    void generateReplacesLongerFile();
    void generateFailureShowsError();

    void makesDirectories();
    void makeDirsFailureNamesCoreAndPath_data();
    void makeDirsFailureNamesCoreAndPath();

    void configReadsBack();
    void configRewriteDropsOldContent();

    void copiesFiles_data();
    void copiesFiles();

private:
    QString path(const QString &name) const { return m_dir->filePath(name); }

    QScopedPointer<QTemporaryDir> m_dir;
};

void TestHostFiles::init()
{
    m_dir.reset(new QTemporaryDir);
    QVERIFY(m_dir->isValid());
}

void TestHostFiles::generatesExactBytes_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QString>("header");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("lines") << QStringList{"module a;", "endmodule"} << QString()
                           << QByteArray("module a;\nendmodule\n");
    QTest::newRow("header line") << QStringList{"x"} << "// generated"
                                 << QByteArray("// generated\nx\n");
    QTest::newRow("header lines ending in a newline") << QStringList{"x"} << "// a\n// b\n"
                                                      << QByteArray("// a\n// b\nx\n");
    QTest::newRow("empty lines kept")
        << QStringList{"", "a", ""} << QString() << QByteArray("\na\n\n");
    QTest::newRow("UTF-8") << QStringList{QString::fromUtf8("// 1 \xc2\xb5s")} << QString()
                           << QByteArray("// 1 \xc2\xb5s\n");
    QTest::newRow("nothing") << QStringList() << QString() << QByteArray();
    QTest::newRow("header only") << QStringList() << "// h" << QByteArray("// h\n");
}

void TestHostFiles::generatesExactBytes()
{
    QFETCH(QStringList, lines);
    QFETCH(QString, header);
    QFETCH(QByteArray, bytes);

    QVERIFY(IPCore::generateFile(path("out.v"), lines, nullptr, header));
    QCOMPARE(HostTest::readBytes(path("out.v")), bytes);
}

void TestHostFiles::generateReplacesLongerFile()
{
    QVERIFY(HostTest::writeBytes(path("out.v"), "a much longer old content\nwith lines\n"));
    QVERIFY(IPCore::generateFile(path("out.v"), {"new"}, nullptr, QString()));
    QCOMPARE(HostTest::readBytes(path("out.v")), QByteArray("new\n"));
}

// Root ignores permission bits, so a folder that cannot exist is used: one below a plain file.
void TestHostFiles::generateFailureShowsError()
{
    QVERIFY(HostTest::writeBytes(path("plain"), "x"));
    const QString target = path("plain/out.v");
    QWidget parent;
    ModalAnswerer answerer;
    QVERIFY(!IPCore::generateFile(target, {"a"}, &parent, QString()));
    QCOMPARE(answerer.titles, QStringList{"Error"});
    QCOMPARE(answerer.texts, QStringList{"Cannot write file " + target + ": Not a directory"});
    QVERIFY(!QFileInfo::exists(target));
}

void TestHostFiles::makesDirectories()
{
    ModalAnswerer answerer;
    const QString nested = path("out/temp/DDR3_PHY");
    QVERIFY(IPCore::makeDirs(nested, "DDR3 PHY"));
    QVERIFY(QFileInfo(nested).isDir());
    QVERIFY(IPCore::makeDirs(nested, "DDR3 PHY"));
    QCOMPARE(answerer.titles, QStringList());
}

void TestHostFiles::makeDirsFailureNamesCoreAndPath_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("below a file") << "plain/temp/DDR3_PHY";
    QTest::newRow("is a file") << "plain";
    QTest::newRow("empty") << QString();
}

void TestHostFiles::makeDirsFailureNamesCoreAndPath()
{
    QFETCH(QString, name);
    QVERIFY(HostTest::writeBytes(path("plain"), "x"));
    const QString target = name.isEmpty() ? QString() : path(name);
    ModalAnswerer answerer;
    QVERIFY(!IPCore::makeDirs(target, "DDR3 PHY"));
    QCOMPARE(answerer.titles, QStringList{"Error"});
    QCOMPARE(answerer.texts,
             QStringList{QString("Cannot create the directory \"%1\" for DDR3 PHY.").arg(target)});
}

void TestHostFiles::configReadsBack()
{
    const QVariantMap header{{"target_device", "VX1-10LQ144C6/I5"},
                             {"type", "ddr3_phy"},
                             {"version", "3.0"},
                             {"file", "ddr3 phy"},
                             {"module", "DDR3_PHY_Top"}};
    const QVariantMap config{{"LANG", 1},           {"Synthesis_tool", "Synplify Pro"},
                             {"ECC", true},         {"DISABLE_IO", false},
                             {"tRCD", 13750},       {"RANK_ADDR", -1},
                             {"tDLLK", 512},        {"NOTE", "a, b"},
                             {"LABEL", "@Variant"}, {"EMPTY", ""}};
    const QString file = path("core.ipc");
    IPCore::writeIPConfig(file, header, config);

    QSettings settings(file, QSettings::IniFormat);
    QCOMPARE(settings.status(), QSettings::NoError);
    QCOMPARE(settings.childGroups(), QStringList{"Config"});
    QStringList topKeys = settings.childKeys();
    topKeys.sort();
    QCOMPARE(topKeys, header.keys());
    for (auto it = header.cbegin(); it != header.cend(); ++it)
        QCOMPARE(settings.value(it.key()).toString(), it.value().toString());

    settings.beginGroup("Config");
    QStringList configKeys = settings.childKeys();
    configKeys.sort();
    QCOMPARE(configKeys, config.keys());
    QCOMPARE(settings.value("LANG").toInt(), 1);
    QCOMPARE(settings.value("tRCD").toInt(), 13750);
    QCOMPARE(settings.value("RANK_ADDR").toInt(), -1);
    QCOMPARE(settings.value("tDLLK").toInt(), 512);
    QCOMPARE(settings.value("ECC").toBool(), true);
    QCOMPARE(settings.value("DISABLE_IO").toBool(), false);
    QCOMPARE(settings.value("Synthesis_tool").toString(), QString("Synplify Pro"));
    QCOMPARE(settings.value("NOTE").toString(), QString("a, b"));
    QCOMPARE(settings.value("LABEL").toString(), QString("@Variant"));
    QCOMPARE(settings.value("EMPTY").toString(), QString());
}

void TestHostFiles::configRewriteDropsOldContent()
{
    const QString file = path("core.ipc");
    IPCore::writeIPConfig(file, {{"version", "3.0"}, {"module", "old"}},
                          {{"LANG", 1}, {"USER_REFRESH", true}});
    IPCore::writeIPConfig(file, {{"version", "3.0"}}, {{"USER_FLASH", true}});

    QSettings settings(file, QSettings::IniFormat);
    QStringList keys = settings.allKeys();
    keys.sort();
    QCOMPARE(keys, (QStringList{"Config/USER_FLASH", "version"}));
}

void TestHostFiles::copiesFiles_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<QString>("reason"); // empty: copied; "<to>" stands for the target path

    QTest::newRow("new target") << "source.v"
                                << "copy.v" << QString();
    QTest::newRow("overwrites a longer target") << "source.v"
                                                << "old.v" << QString();
    QTest::newRow("missing source") << "absent.v"
                                    << "old.v"
                                    << "no such file";
    QTest::newRow("no source given") << QString() << "old.v"
                                     << "no source file given";
    QTest::newRow("folder as source") << "folder"
                                      << "old.v"
                                      << "not a file";
    QTest::newRow("same file") << "source.v"
                               << "source.v"
                               << "source and target are the same file";
    QTest::newRow("target below a file") << "source.v"
                                         << "plain/copy.v"
                                         << "Cannot create <to> for output";
}

void TestHostFiles::copiesFiles()
{
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(QString, reason);

    const QByteArray source = "module top;\nendmodule\n";
    const QByteArray old = "an old netlist, longer than the new one\n";
    QVERIFY(HostTest::writeBytes(path("source.v"), source));
    QVERIFY(HostTest::writeBytes(path("old.v"), old));
    QVERIFY(HostTest::writeBytes(path("plain"), "x"));
    QVERIFY(QDir().mkdir(path("folder")));

    const QString fromPath = from.isEmpty() ? QString() : path(from);
    const QString toPath = path(to);
    const QByteArray before = HostTest::readBytes(toPath);
    QString error = "untouched";
    const bool copied = Utils::FileUtils::copyFile(fromPath, toPath, &error);
    QCOMPARE(HostTest::readBytes(path("source.v")), source);
    if (reason.isEmpty()) {
        QVERIFY2(copied, qPrintable(error));
        QCOMPARE(HostTest::readBytes(toPath), source);
        return;
    }
    QVERIFY(!copied);
    QCOMPARE(HostTest::readBytes(toPath), before);
    QCOMPARE(error, QString("Cannot copy %1 to %2: %3")
                        .arg(fromPath, toPath, QString(reason).replace("<to>", toPath)));
    QVERIFY(!Utils::FileUtils::copyFile(fromPath, toPath, nullptr));
}

QTEST_MAIN(TestHostFiles)
#include "tst_hostfiles.moc"
