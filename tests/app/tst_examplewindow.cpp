#include "dialogdriver.h"
#include "ipgendialog.h"
#include "mainwindow.h"
#include "pluginmanager.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QInputDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QtTest>

using namespace IPGenApp;

// The window's buttons around a core's dialog: "Example Design…" offered only once a generation
// has gone through, "From part…" filling the dialog before it shows.
class TestExampleWindow : public QObject
{
    Q_OBJECT
private slots:
    void buttonFollowsGeneration_data()
    {
        QTest::addColumn<bool>("confirm");
        QTest::newRow("cancelled") << false;
        QTest::newRow("generated") << true;
    }

    void buttonFollowsGeneration()
    {
        QFETCH(bool, confirm);
        IPCore::PluginManager plugins;
        QVERIFY(plugins.loadDirectory(qEnvironmentVariable("IPGEN_BUILD_DIR") + "/plugins") > 0);
        QTemporaryDir out;
        MainWindow window(plugins);
        window.findChild<QComboBox *>("comboDeviceModel")->setCurrentText("VX1-10");
        window.findChild<QLineEdit *>("editOutputDirectory")->setText(out.path());
        auto *example = window.findChild<QPushButton *>("buttonExample");
        QVERIFY(example && !example->isEnabled());

        DialogDriver driver;
        connect(&driver, &DialogDriver::dialogReady, this, [confirm](IPCore::IPGenDialog *dialog) {
            if (confirm)
                dialog->findChild<QDialogButtonBox *>("buttonBox")
                    ->button(QDialogButtonBox::Ok)
                    ->click();
            else
                dialog->reject();
        });
        window.findChild<QPushButton *>("buttonCreate")->click(); // returns with the modal run
        QCOMPARE(example->isEnabled(), confirm);
    }

    // "From part…" opens the dialog with the part in place and no box meant for a user's edit;
    // the 1:2 ratio's clock below the DLL-on range is said in the status bar.
    void fromPartAppliesBeforeShowing()
    {
        IPCore::PluginManager plugins;
        QVERIFY(plugins.loadDirectory(qEnvironmentVariable("IPGEN_BUILD_DIR") + "/plugins") > 0);
        MainWindow window(plugins);
        window.findChild<QComboBox *>("comboDeviceModel")->setCurrentText("VX1-10");
        auto *fromPart = window.findChild<QPushButton *>("buttonFromPart");
        QVERIFY(fromPart && fromPart->isEnabled());

        QTimer::singleShot(0, this, [] {
            auto *chooser = qobject_cast<QInputDialog *>(QApplication::activeModalWidget());
            QVERIFY(chooser);
            const QStringList items = chooser->comboBoxItems();
            const QStringList fast = items.filter(QRegularExpression("^MT41J128M16JT-125:K "));
            QCOMPARE(fast.size(), 1);
            QVERIFY(items.filter(QRegularExpression("^MT41J512M4HX")).isEmpty()); // x4: refused
            chooser->setTextValue(fast.first());
            chooser->accept();
        });
        DialogDriver driver;
        QStringList seen;
        connect(&driver, &DialogDriver::dialogReady, this, [&seen](IPCore::IPGenDialog *dialog) {
            for (const char *name : {"comBoxMemoryType", "comBoxRowAddr", "comBoxCasLatency"})
                seen << dialog->findChild<QComboBox *>(name)->currentText();
            dialog->reject();
        });
        fromPart->click();
        QCOMPARE(seen, (QStringList{"Custom", "14", "5"}));
        QCOMPARE(driver.messages().size(), 0);
        QVERIFY2(window.statusBar()->currentMessage().startsWith("tCK 5000"),
                 qPrintable(window.statusBar()->currentMessage()));
    }
};

QTEST_MAIN(TestExampleWindow)
#include "tst_examplewindow.moc"
