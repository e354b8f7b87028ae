#include "examplewindow.h"

#include "examplerun.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

namespace IPGenApp {

void writeExampleFromWindow(QWidget *parent, const IPCore::PluginManager &plugins,
                            const QString &configFile, const QString &partSource)
{
    const QString title = QApplication::translate("IPGenApp", "Example Design");
    ExampleOutcome refusal;
    if (!exampleDesignFor(plugins, configFile, &refusal)) {
        QMessageBox::information(parent, title, refusal.error);
        return;
    }
    const QString folder = QFileDialog::getExistingDirectory(
        parent, QApplication::translate("IPGenApp", "Folder for the Example Design"),
        QFileInfo(configFile).path());
    if (folder.isEmpty())
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const ExampleOutcome outcome = writeExample(
        plugins, configFile, partSource, folder, [parent](const QStringList &existing) {
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
        QMessageBox::warning(parent, title, outcome.error);
        return;
    }
    QMessageBox box(QMessageBox::Information, title,
                    QApplication::translate("IPGenApp", "Wrote %1 files into %2.")
                        .arg(outcome.written.size())
                        .arg(QDir::toNativeSeparators(folder)),
                    QMessageBox::Ok, parent);
    box.setDetailedText(outcome.written.join(QLatin1Char('\n')));
    box.exec();
}

} // namespace IPGenApp
