#include "dialogdriver.h"
#include "ipgendialog.h"
#include "mainwindow.h"
#include "pluginmanager.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace IPGenApp;

// The window's "Example Design…" button: offered only once a generation has gone through.
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
};

QTEST_MAIN(TestExampleWindow)
#include "tst_examplewindow.moc"
