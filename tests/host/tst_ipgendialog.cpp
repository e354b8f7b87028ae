#include "devicelibrary.h"
#include "hostsession.h"
#include "ipgendialog.h"
#include "modalanswerer.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QtTest>

namespace {

// Records what setOpening hands to the core's hook.
class OpeningDialog : public IPCore::IPGenDialog
{
public:
    bool loadConfigFile(const QString &path) override
    {
        loadedPath = path;
        return accepts;
    }
    void setHelpDocument(const QString &path) { m_helpDocument = path; }
    QString loadedPath;
    bool accepts = true;
};

void writeIpc(const QString &path, const QString &type, const QString &device)
{
    QSettings ipc(path, QSettings::IniFormat);
    ipc.setValue("target_device", device);
    ipc.setValue("type", type);
    ipc.setValue("version", "3.0");
    ipc.setValue("file", "my_phy");
    ipc.setValue("module", "My_PHY_Top");
    ipc.setValue("Config/LANG", 1);
}

QString knownDeviceId()
{
    return DEV::DeviceLibrary::parts().first().id;
}

} // namespace

class TestIPGenDialog : public QObject
{
    Q_OBJECT
private slots:
    void checkFileOptions_data();
    void checkFileOptions();
    void checkModuleName_data();
    void checkModuleName();
    void checkFileExisting_data();
    void checkFileExisting();
    void setOpening_data();
    void setOpening();
    void setOpeningRefusedByCore();
    void synthesisToolSelection_data();
    void synthesisToolSelection();
    void figurePinsAreCopied();
    void help_data();
    void help();
};

void TestIPGenDialog::checkFileOptions_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("dir");
    QTest::addColumn<QStringList>("errors");

    const QString fileChars = "contains a path separator or a character not allowed";
    QTest::newRow("good") << "ddr3_phy"
                          << "/tmp/out" << QStringList();
    QTest::newRow("dots and dashes") << "ddr3-phy.v2"
                                     << "/tmp/out/" << QStringList();
    QTest::newRow("empty file") << ""
                                << "/tmp/out" << QStringList{"The file name is empty."};
    QTest::newRow("blank file") << "   "
                                << "/tmp/out" << QStringList{"The file name is empty."};
    for (const char *bad :
         {"a/b", "a\\b", "a:b", "a*b", "a?b", "a\"b", "a<b", "a>b", "a|b", "a\tb"})
        QTest::newRow(qPrintable(QStringLiteral("file %1").arg(bad)))
            << bad << "/tmp/out" << QStringList{fileChars};
    QTest::newRow("empty dir") << "f"
                               << "" << QStringList{"The output directory is empty."};
    QTest::newRow("relative dir")
        << "f"
        << "out/here" << QStringList{"The output directory \"out/here\" is not an absolute path."};
    QTest::newRow("both wrong") << ""
                                << "rel"
                                << QStringList{"The file name is empty.",
                                               "The output directory \"rel\" is not an absolute "
                                               "path."};
}

void TestIPGenDialog::checkFileOptions()
{
    QFETCH(QString, file);
    QFETCH(QString, dir);
    QFETCH(QStringList, errors);
    IPCore::IPGenDialog dialog;
    dialog.uiSetDefaultFileName(file);
    dialog.setCreating(dir, DEV::DeviceArg());
    const QStringList found = dialog.checkFileOptions();
    QCOMPARE(found.size(), errors.size());
    for (int i = 0; i < errors.size(); ++i)
        QVERIFY2(found.at(i).contains(errors.at(i)), qPrintable(found.at(i)));
}

void TestIPGenDialog::checkModuleName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("valid");
    QTest::newRow("plain") << "DDR3_PHY_Top" << true;
    QTest::newRow("underscore first") << "_phy" << true;
    QTest::newRow("dollar inside") << "phy$1" << true;
    QTest::newRow("single letter") << "a" << true;
    QTest::newRow("keyword lookalike") << "Module" << true;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("digit first") << "1phy" << false;
    QTest::newRow("dollar first") << "$phy" << false;
    QTest::newRow("dash") << "ddr3-phy" << false;
    QTest::newRow("space") << "ddr3 phy" << false;
    QTest::newRow("keyword module") << "module" << false;
    QTest::newRow("keyword wire") << "wire" << false;
    QTest::newRow("2005 keyword uwire") << "uwire" << false;
    QTest::newRow("2001 keyword generate") << "generate" << false;
}

void TestIPGenDialog::checkModuleName()
{
    QFETCH(QString, name);
    QFETCH(bool, valid);
    IPCore::IPGenDialog dialog;
    dialog.uiSetModuleName(name);
    ModalAnswerer answerer;
    QCOMPARE(dialog.checkModuleName(), valid);
    // A refusal explains itself once; an acceptance is silent.
    QCOMPARE(answerer.titles, valid ? QStringList() : QStringList{"Error"});
}

void TestIPGenDialog::checkFileExisting_data()
{
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("existing");
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("asked");
    QTest::addColumn<bool>("result");
    QTest::newRow("nothing there") << 0 << "" << int(QMessageBox::No) << false << true;
    QTest::newRow("ipc, yes") << 0 << "f.ipc" << int(QMessageBox::Yes) << true << true;
    QTest::newRow("ipc, no") << 0 << "f.ipc" << int(QMessageBox::No) << true << false;
    QTest::newRow("verilog netlist, no") << 0 << "f.v" << int(QMessageBox::No) << true << false;
    QTest::newRow("vhdl netlist, verilog chosen")
        << 0 << "f.vhd" << int(QMessageBox::No) << false << true;
    QTest::newRow("vhdl netlist, yes") << 1 << "f.vhd" << int(QMessageBox::Yes) << true << true;
    QTest::newRow("verilog netlist, vhdl chosen")
        << 1 << "f.v" << int(QMessageBox::No) << false << true;
    QTest::newRow("other file") << 0 << "f_tmp.v" << int(QMessageBox::No) << false << true;
}

void TestIPGenDialog::checkFileExisting()
{
    QFETCH(int, language);
    QFETCH(QString, existing);
    QFETCH(int, answer);
    QFETCH(bool, asked);
    QFETCH(bool, result);
    QTemporaryDir dir;
    if (!existing.isEmpty()) {
        QFile file(dir.filePath(existing));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    IPCore::IPGenDialog dialog;
    dialog.setCreating(dir.path(), DEV::DeviceArg());
    dialog.uiSetDefaultFileName("f");
    dialog.uiSetLanguageIndex(language);
    ModalAnswerer answerer{QMessageBox::StandardButton(answer)};
    QCOMPARE(dialog.checkFileExisting(), result);
    QCOMPARE(answerer.texts.size(), asked ? 1 : 0);
    if (asked)
        QVERIFY(answerer.texts.first().contains(dir.filePath(existing)));
}

void TestIPGenDialog::setOpening_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("device");
    QTest::addColumn<bool>("createFile");
    QTest::addColumn<QString>("coreType");
    QTest::addColumn<bool>("opened");
    QTest::addColumn<QString>("message");
    const QString known = knownDeviceId();
    QTest::newRow("good") << "ddr3_phy" << known << true << "ddr3_phy" << true << "";
    QTest::newRow("any type accepted") << "other" << known << true << "" << true << "";
    QTest::newRow("missing file") << "" << known << false << "ddr3_phy" << false << "Cannot read";
    QTest::newRow("other core type")
        << "fifo" << known << true << "ddr3_phy" << false << "of type \"fifo\", not \"ddr3_phy\"";
    QTest::newRow("unknown device") << "ddr3_phy"
                                    << "NOPE-1" << true << "ddr3_phy" << false << "\"NOPE-1\"";
    QTest::newRow("no device") << "ddr3_phy"
                               << "" << true << "ddr3_phy" << false << "not in the device library";
}

void TestIPGenDialog::setOpening()
{
    QFETCH(QString, type);
    QFETCH(QString, device);
    QFETCH(bool, createFile);
    QFETCH(QString, coreType);
    QFETCH(bool, opened);
    QFETCH(QString, message);
    QTemporaryDir dir;
    const QString ipc = dir.filePath("sub/my_phy.ipc");
    if (createFile) {
        QVERIFY(QDir(dir.path()).mkdir("sub"));
        writeIpc(ipc, type, device);
    }
    OpeningDialog dialog;
    ModalAnswerer answerer;
    QCOMPARE(dialog.setOpening(ipc, coreType), opened);
    if (!opened) {
        QCOMPARE(answerer.titles, QStringList{"Error"});
        QVERIFY2(answerer.texts.first().contains(message), qPrintable(answerer.texts.first()));
        QVERIFY(dialog.loadedPath.isEmpty());
        return;
    }
    QVERIFY(answerer.titles.isEmpty());
    QCOMPARE(dialog.loadedPath, ipc);
    QCOMPARE(dialog.fileName(), QString("my_phy"));
    QCOMPARE(dialog.moduleName(), QString("My_PHY_Top"));
    QCOMPARE(dialog.createPath(), dir.filePath("sub"));
    QCOMPARE(dialog.device().id(), device);
    QVERIFY(dialog.findChild<QLabel *>("labelDevice")->text().contains(device));
}

void TestIPGenDialog::setOpeningRefusedByCore()
{
    QTemporaryDir dir;
    const QString ipc = dir.filePath("my_phy.ipc");
    writeIpc(ipc, "ddr3_phy", knownDeviceId());
    OpeningDialog dialog;
    dialog.accepts = false;
    QVERIFY(!dialog.setOpening(ipc, "ddr3_phy"));
    QCOMPARE(dialog.loadedPath, ipc);
}

void TestIPGenDialog::synthesisToolSelection_data()
{
    QTest::addColumn<QString>("tool");
    QTest::addColumn<QString>("selected");
    QTest::newRow("veltra") << "VeltraSynthesis"
                            << "VeltraSynthesis";
    QTest::newRow("synplify") << "Synplify Pro"
                              << "Synplify Pro";
    QTest::newRow("empty clears") << ""
                                  << "";
    QTest::newRow("unknown clears") << "Precision"
                                    << "";
    QTest::newRow("case matters") << "synplify pro"
                                  << "";
}

void TestIPGenDialog::synthesisToolSelection()
{
    QFETCH(QString, tool);
    QFETCH(QString, selected);
    IPCore::IPGenDialog dialog;
    QCOMPARE(dialog.uiSynthesisTool(), QString("VeltraSynthesis"));
    dialog.uiSetSynthesisTool("Synplify Pro");
    dialog.uiSetSynthesisTool(tool);
    QCOMPARE(dialog.uiSynthesisTool(), selected);
}

void TestIPGenDialog::figurePinsAreCopied()
{
    IPCore::IPGenDialog dialog;
    {
        QList<Utils::PinFigure> pins{{"clk", 0, false, Qt::AlignRight},
                                     {"IO_ddr_dq[15:0]", 2, true, Qt::AlignLeft}};
        dialog.uiSetFigurePins(pins);
        pins.clear();
    }
    const QList<Utils::PinFigure> kept = dialog.figurePins();
    QCOMPARE(kept.size(), 2);
    QCOMPARE(kept.at(1).name(), QString("IO_ddr_dq[15:0]"));
    QCOMPARE(kept.at(1).direction(), 2);
    QVERIFY(kept.at(1).isBus());
    QCOMPARE(kept.at(1).side(), Qt::AlignLeft);
}

void TestIPGenDialog::help_data()
{
    QTest::addColumn<QString>("document");
    QTest::addColumn<bool>("shown");
    QTest::newRow("absolute") << "ABS" << true;
    QTest::newRow("missing") << "ABS-missing" << false;
    QTest::newRow("none") << "" << false;
}

void TestIPGenDialog::help()
{
    QFETCH(QString, document);
    QFETCH(bool, shown);
    QTemporaryDir core;
    QVERIFY(QDir(core.path()).mkdir("doc"));
    QFile html(core.filePath("doc/help.html"));
    QVERIFY(html.open(QIODevice::WriteOnly));
    html.write("<html><body><h1>DDR3 PHY help</h1></body></html>");
    html.close();
    OpeningDialog dialog;
    if (document == "ABS")
        document = core.filePath("doc/help.html");
    else if (document == "ABS-missing")
        document = core.filePath("doc/none.html");
    dialog.setHelpDocument(document);
    ModalAnswerer answerer;
    dialog.findChild<QPushButton *>("buttonHelp")->click();
    auto *browser = dialog.findChild<QTextBrowser *>();
    QCOMPARE(browser != nullptr, shown);
    if (shown)
        QVERIFY(browser->toPlainText().contains("DDR3 PHY help"));
    else
        QCOMPARE(answerer.texts, QStringList{"No help document"});
}

QTEST_MAIN(TestIPGenDialog)
#include "tst_ipgendialog.moc"
