#include "dialogdriver.h"
#include "ipgendialog.h"
#include "mainwindow.h"
#include "pluginmanager.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTimer>
#include <QTreeWidget>
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

    // "From part…" asks for the part and the clocks it depends on while the dialog waits, says
    // what the part would do there, and opens the dialog with the part in place and no box meant
    // for a user's edit; a warning left is said in the status bar.
    void fromPartAppliesBeforeShowing_data()
    {
        QTest::addColumn<QString>("ratio"); // empty: the dialog's start
        QTest::addColumn<int>("clock");
        QTest::addColumn<QString>("cl");
        QTest::addColumn<QString>("said"); // start of the chooser's outcome and the status bar
        QTest::newRow("1:2 start: below the DLL-on clocks") << "" << 0 << "5"
                                                            << "tCK 5000";
        QTest::newRow("1:4 at 533 MHz") << "1:4" << 533 << "7"
                                        << "";
    }

    void fromPartAppliesBeforeShowing()
    {
        QFETCH(QString, ratio);
        QFETCH(int, clock);
        QFETCH(QString, said);
        IPCore::PluginManager plugins;
        QVERIFY(plugins.loadDirectory(qEnvironmentVariable("IPGEN_BUILD_DIR") + "/plugins") > 0);
        MainWindow window(plugins);
        window.findChild<QComboBox *>("comboDeviceModel")->setCurrentText("VX2-20");
        auto *fromPart = window.findChild<QPushButton *>("buttonFromPart");
        QVERIFY(fromPart && fromPart->isEnabled());

        QString outcome;
        QTimer::singleShot(0, this, [&] {
            auto *chooser = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            auto *list = chooser ? chooser->findChild<QTreeWidget *>("treeParts") : nullptr;
            QVERIFY(list);
            QVERIFY(list->findItems("MT41J512M4HX", Qt::MatchStartsWith).isEmpty()); // x4
            list->setCurrentItem(list->findItems("MT41J128M16JT-125:K", Qt::MatchExactly).value(0));
            if (!ratio.isEmpty()) {
                auto *mirror = chooser->findChild<QComboBox *>("comBoxClkRatio");
                mirror->setCurrentText(ratio);
                emit mirror->activated(mirror->currentIndex());
                chooser->findChild<QSpinBox *>("spinMemoryClock")->setValue(clock);
            }
            outcome = chooser->findChild<QLabel *>("labelPartOutcome")->text();
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
        QTEST(seen.value(2), "cl");
        QCOMPARE(seen.mid(0, 2), (QStringList{"Custom", "14"}));
        QCOMPARE(driver.messages().size(), 0);
        QCOMPARE(window.statusBar()->currentMessage().left(said.size()), said);
        QVERIFY2(outcome.contains(said.isEmpty() ? "without warnings" : said), qPrintable(outcome));
    }
};

QTEST_MAIN(TestExampleWindow)
#include "tst_examplewindow.moc"
