#pragma once

#include "devicearg.h"

#include <QMainWindow>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTabWidget;
class QTreeWidget;

namespace IPCore {
class BaseIPCore;
class MemoryParts;
class PluginManager;
} // namespace IPCore

namespace IPGenApp {

class CoreReporter;

// The generator's window: the core catalogue by category, the target device, the output folder,
// Create…, From part…, From SPD… and Open IP config…, the project's files and read-only editor
// tabs.
class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    explicit MainWindow(const IPCore::PluginManager &plugins, QWidget *parent = nullptr);

private:
    void buildMenus();
    QWidget *buildCataloguePanel();
    void fillCatalogue();
    void onModelChanged();
    void updateSupport();
    void updateSelection();
    IPCore::BaseIPCore *selectedCore() const;
    DEV::DeviceArg selectedDevice() const;
    void chooseOutputDirectory();
    void createCore();
    void createFromPart(bool fromFile);
    void openNewCore(IPCore::BaseIPCore *core, const IPCore::MemoryParts *parts, bool fromFile);
    void openConfig();
    void newProject();
    void openProject();
    void useProject(const QString &path);
    void refreshProjectFiles();
    void showEditor(const QString &path, bool activate);
    void showReport(const QString &path, const QStringList &warnings);

    const IPCore::PluginManager &m_plugins;
    QComboBox *m_modelCombo;
    QComboBox *m_conditionCombo;
    QTreeWidget *m_catalogue;
    QLabel *m_summary;
    QLineEdit *m_outputDir;
    QPushButton *m_createButton;
    QPushButton *m_partButton;
    QPushButton *m_spdButton;
    QPushButton *m_exampleButton;
    CoreReporter *m_reporter;
    QString m_generatedConfig; // the .ipc of the last successful generation
    QString m_generatedPart;   // the memory part it was made for, as its core's extension says
    QListWidget *m_projectFiles;
    QTabWidget *m_editors;
};

} // namespace IPGenApp
