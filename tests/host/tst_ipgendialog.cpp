#include "devicelibrary.h"
#include "hostfixtures.h"
#include "ipgendialog.h"
#include "modalanswerer.h"

#include <QLabel>
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

} // namespace

class TestIPGenDialog : public QObject
{
    Q_OBJECT
private slots:
    void checkFileOptions_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("dir");
        QTest::addColumn<QStringList>("errors");

        const QString fileChars = "contains a path separator or a character not allowed";
        const QString relative = "The output directory \"rel\" is not an absolute path.";
        QTest::newRow("good") << "ddr3-phy.v2"
                              << "/tmp/out/" << QStringList();
        QTest::newRow("blank file") << "   "
                                    << "/tmp/out" << QStringList{"The file name is empty."};
        for (const char *bad : {"a/b", "a\\b", "a*b", "a\tb"})
            QTest::newRow(qPrintable(QStringLiteral("file %1").arg(bad)))
                << bad << "/tmp/out" << QStringList{fileChars};
        QTest::newRow("empty dir") << "f"
                                   << "" << QStringList{"The output directory is empty."};
        QTest::newRow("both wrong") << ""
                                    << "rel" << QStringList{"The file name is empty.", relative};
    }

    void checkFileOptions()
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

    void checkFileExisting_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("existing");
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("asked");
        QTest::addColumn<bool>("result");
        QTest::newRow("nothing there") << 0 << "" << int(QMessageBox::No) << false << true;
        QTest::newRow("ipc, no") << 0 << "f.ipc" << int(QMessageBox::No) << true << false;
        QTest::newRow("verilog netlist, no") << 0 << "f.v" << int(QMessageBox::No) << true << false;
        QTest::newRow("vhdl netlist, verilog chosen")
            << 0 << "f.vhd" << int(QMessageBox::No) << false << true;
        QTest::newRow("vhdl netlist, yes") << 1 << "f.vhd" << int(QMessageBox::Yes) << true << true;
        QTest::newRow("template, no") << 0 << "f_tmp.v" << int(QMessageBox::No) << true << false;
        QTest::newRow("vhdl package, no") << 1 << "f.vho" << int(QMessageBox::No) << true << false;
        QTest::newRow("other file") << 0 << "f.txt" << int(QMessageBox::No) << false << true;
    }

    void checkFileExisting()
    {
        QFETCH(int, language);
        QFETCH(QString, existing);
        QFETCH(int, answer);
        QFETCH(bool, asked);
        QTemporaryDir dir;
        if (!existing.isEmpty())
            QVERIFY(HostTest::writeBytes(dir.filePath(existing), QByteArray()));
        IPCore::IPGenDialog dialog;
        dialog.setCreating(dir.path(), DEV::DeviceArg());
        dialog.uiSetDefaultFileName("f");
        dialog.uiSetLanguageIndex(language);
        BoxAnswerer answerer({QMessageBox::StandardButton(answer)});
        QTEST(dialog.checkFileExisting(), "result");
        QCOMPARE(answerer.texts().size(), asked ? 1 : 0);
        if (asked)
            QVERIFY(answerer.texts().first().contains(dir.filePath(existing)));
    }

    void setOpening_data()
    {
        QTest::addColumn<QString>("type"); // empty: no file
        QTest::addColumn<QString>("device");
        QTest::addColumn<QString>("coreType");
        QTest::addColumn<bool>("coreAccepts");
        QTest::addColumn<QString>("message"); // empty: no error box

        const auto row = [](const char *tag, const QString &type, const QString &device,
                            const char *coreType, bool coreAccepts, const char *message) {
            QTest::newRow(tag) << type << device << coreType << coreAccepts << message;
        };
        const QString known = DEV::DeviceLibrary::parts().first().id;
        row("good", "ddr3_phy", known, "ddr3_phy", true, "");
        row("any type accepted", "other", known, "", true, "");
        row("refused by the core", "ddr3_phy", known, "ddr3_phy", false, "");
        row("missing file", "", known, "ddr3_phy", true, "Cannot read");
        row("other core type", "fifo", known, "ddr3_phy", true,
            "of type \"fifo\", not \"ddr3_phy\"");
        row("unknown device", "ddr3_phy", "NOPE-1", "ddr3_phy", true, "\"NOPE-1\"");
    }

    void setOpening()
    {
        QFETCH(QString, type);
        QFETCH(QString, device);
        QFETCH(QString, coreType);
        QFETCH(bool, coreAccepts);
        QFETCH(QString, message);
        QTemporaryDir dir;
        const QString ipc = dir.filePath("sub/my_phy.ipc");
        if (!type.isEmpty()) {
            QVERIFY(QDir(dir.path()).mkdir("sub"));
            QSettings settings(ipc, QSettings::IniFormat);
            settings.setValue("target_device", device);
            settings.setValue("type", type);
            settings.setValue("file", "my_phy");
            settings.setValue("module", "My_PHY_Top");
        }
        OpeningDialog dialog;
        dialog.accepts = coreAccepts;
        BoxAnswerer answerer;
        QCOMPARE(dialog.setOpening(ipc, coreType), coreAccepts && message.isEmpty());
        QCOMPARE(answerer.titles(), message.isEmpty() ? QStringList() : QStringList{"Error"});
        if (!message.isEmpty()) {
            QVERIFY2(answerer.texts().first().contains(message),
                     qPrintable(answerer.texts().first()));
            QVERIFY(dialog.loadedPath.isEmpty());
            return;
        }
        QCOMPARE(dialog.loadedPath, ipc);
        if (!coreAccepts)
            return;
        QCOMPARE(dialog.fileName(), QString("my_phy"));
        QCOMPARE(dialog.moduleName(), QString("My_PHY_Top"));
        QCOMPARE(dialog.createPath(), dir.filePath("sub"));
        QCOMPARE(dialog.device().id(), device);
        QVERIFY(dialog.findChild<QLabel *>("labelDevice")->text().contains(device));
    }

    void help_data()
    {
        QTest::addColumn<QString>("document");
        QTest::addColumn<bool>("shown");
        QTest::newRow("found") << "help.html" << true;
        QTest::newRow("missing") << "none.html" << false;
    }

    void help()
    {
        QFETCH(QString, document);
        QFETCH(bool, shown);
        QTemporaryDir core;
        QVERIFY(HostTest::writeBytes(core.filePath("help.html"),
                                     "<html><body><h1>DDR3 PHY help</h1></body></html>"));
        OpeningDialog dialog;
        dialog.setHelpDocument(core.filePath(document));
        BoxAnswerer answerer;
        dialog.findChild<QPushButton *>("buttonHelp")->click();
        auto *browser = dialog.findChild<QTextBrowser *>();
        QCOMPARE(browser != nullptr, shown);
        if (shown)
            QVERIFY(browser->toPlainText().contains("DDR3 PHY help"));
        else
            QCOMPARE(answerer.texts(), QStringList{"No help document"});
    }
};

QTEST_MAIN(TestIPGenDialog)
#include "tst_ipgendialog.moc"
