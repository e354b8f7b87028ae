#include "examplewindow.h"

#include "examplerun.h"
#include "hostsession.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

namespace IPGenApp {

void writeExampleFromWindow(QWidget *parent, const QString &configFile)
{
    const QString folder = QFileDialog::getExistingDirectory(
        parent, QApplication::translate("IPGenApp", "Folder for the Example Design"),
        QFileInfo(configFile).path());
    if (folder.isEmpty())
        return;
    const ExampleRequest request{
        configFile, folder, {}, IPGen::HostSession::instance().settingsFile()};
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const ExampleOutcome outcome = writeExample(request, [parent](const QStringList &existing) {
        QApplication::restoreOverrideCursor();
        const bool replace =
            QMessageBox::question(
                parent, QStringLiteral("Overwrite Files"),
                QApplication::translate("IPGenApp",
                                        "%1 file(s) of an example design exist already in %2. "
                                        "Replace them?")
                    .arg(existing.size())
                    .arg(QDir::toNativeSeparators(QFileInfo(existing.first()).path())),
                QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
        QApplication::setOverrideCursor(Qt::WaitCursor);
        return replace;
    });
    QApplication::restoreOverrideCursor();
    if (outcome.exitCode != ExitOk) {
        QMessageBox::warning(parent, QApplication::translate("IPGenApp", "Example Design"),
                             outcome.error);
        return;
    }
    QMessageBox::information(
        parent, QApplication::translate("IPGenApp", "Example Design"),
        QApplication::translate("IPGenApp",
                                "Wrote %1 files into %2.\n\nSimulate it with:\n  sh %3\n"
                                "Its last line says PASS or FAIL.")
            .arg(outcome.written.size())
            .arg(QDir::toNativeSeparators(folder),
                 QDir::toNativeSeparators(folder + QStringLiteral("/sim/run.sh"))));
}

} // namespace IPGenApp
