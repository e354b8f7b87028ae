#include "hostfixtures.h"
#include "ipgendialog.h"
#include "modalanswerer.h"

#include <QTemporaryDir>
#include <QtTest>

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
        QTest::newRow("vhdl package, no") << 1 << "f.vho" << int(QMessageBox::No) << true << false;
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
};

QTEST_MAIN(TestIPGenDialog)
#include "tst_ipgendialog.moc"
