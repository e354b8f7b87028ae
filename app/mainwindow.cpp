#include "mainwindow.h"

#include "partchooser.h"

#include "catalogue.h"
#include "corereport.h"
#include "devicelibrary.h"
#include "dialogdriver.h"
#include "examplewindow.h"
#include "hostsession.h"
#include "ipgendialog.h"
#include "ippackage.h"
#include "partchooser.h"
#include "pluginmanager.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <memory>

namespace IPGenApp {

namespace {

constexpr int CoreIdRole = Qt::UserRole;
const QString projectFilter = QStringLiteral("IP project (*.ipproj);;All files (*)");

QTreeWidgetItem *categoryItem(QTreeWidget *tree, const QStringList &path)
{
    QTreeWidgetItem *parent = nullptr;
    for (const QString &name : path) {
        QTreeWidgetItem *found = nullptr;
        const int count = parent ? parent->childCount() : tree->topLevelItemCount();
        for (int i = 0; i < count && !found; ++i) {
            QTreeWidgetItem *child = parent ? parent->child(i) : tree->topLevelItem(i);
            if (child->text(0) == name && child->data(0, CoreIdRole).isNull())
                found = child;
        }
        if (!found) {
            found = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(tree);
            found->setText(0, name);
            found->setFlags(Qt::ItemIsEnabled);
        }
        parent = found;
    }
    return parent;
}

} // namespace

MainWindow::MainWindow(const IPCore::PluginManager &plugins, QWidget *parent)
    : QMainWindow(parent), m_plugins(plugins)
{
    setWindowTitle(tr("IP Core Generator"));
    setObjectName(QStringLiteral("mainWindow"));

    m_projectFiles = new QListWidget;
    m_projectFiles->setObjectName(QStringLiteral("listProjectFiles"));
    m_editors = new QTabWidget;
    m_editors->setObjectName(QStringLiteral("tabEditors"));
    m_editors->setTabsClosable(true);
    m_editors->setDocumentMode(true);
    connect(m_editors, &QTabWidget::tabCloseRequested, this,
            [this](int index) { delete m_editors->widget(index); });

    auto *placeholder = new QLabel(tr("Files that a core opens appear here."));
    placeholder->setAlignment(Qt::AlignCenter);
    placeholder->setEnabled(false);
    auto *editorArea = new QStackedWidget;
    editorArea->addWidget(placeholder);
    editorArea->addWidget(m_editors);
    connect(m_editors, &QTabWidget::currentChanged, editorArea,
            [this, editorArea] { editorArea->setCurrentIndex(m_editors->count() > 0 ? 1 : 0); });
    auto *editorBox = new QGroupBox(tr("Editor"));
    auto *editorLayout = new QVBoxLayout(editorBox);
    editorLayout->addWidget(editorArea);

    auto *projectBox = new QGroupBox(tr("Project"));
    auto *projectLayout = new QVBoxLayout(projectBox);
    projectLayout->addWidget(m_projectFiles);

    // An empty editor area has no size of its own: the splitters get explicit shares.
    auto *right = new QSplitter(Qt::Vertical);
    right->addWidget(editorBox);
    right->addWidget(projectBox);
    right->setSizes({540, 180});

    auto *splitter = new QSplitter(Qt::Horizontal);
    splitter->addWidget(buildCataloguePanel());
    splitter->addWidget(right);
    splitter->setSizes({420, 780});
    setCentralWidget(splitter);
    buildMenus();

    IPGen::HostSession &session = IPGen::HostSession::instance();
    session.setDialogParent(this);
    connect(&session, &IPGen::HostSession::editorRequested, this, &MainWindow::showEditor);
    connect(&session, &IPGen::HostSession::projectChanged, this, &MainWindow::refreshProjectFiles);
    connect(&session, &IPGen::HostSession::synthesisLog, this,
            [this](const QString &line) { statusBar()->showMessage(line, 5000); });
    // Said once the generation is over, after the reports of its end.
    connect(&session, &IPGen::HostSession::recordNotWritten, this,
            [this](const QString &, const QString &reason) {
                QTimer::singleShot(0, this, [this, reason] {
                    statusBar()->showMessage(tr("The configuration record was not written: %1")
                                                 .arg(reason));
                });
            });
    connect(m_projectFiles, &QListWidget::itemActivated, this,
            [this](QListWidgetItem *item) { showEditor(item->text(), true); });
    m_reporter = new CoreReporter(plugins, this);
    connect(m_reporter, &CoreReporter::generated, this,
            [this](const QString &configFile, const QString &partSource) {
                m_generatedConfig = configFile;
                m_generatedPart = partSource;
                m_exampleButton->setEnabled(true);
            });
    connect(m_reporter, &CoreReporter::written, this, &MainWindow::showReport);
    connect(m_reporter, &CoreReporter::failed, this, [this](const QString &message) {
        QMessageBox::warning(this, tr("Generation Report"), message);
    });

    fillCatalogue();
    onModelChanged();
    refreshProjectFiles();
    const QStringList refusals = plugins.errors() + plugins.warnings();
    if (!refusals.isEmpty()) {
        statusBar()->showMessage(tr("%n plug-in(s) refused: %1", nullptr, refusals.size())
                                     .arg(refusals.join(QStringLiteral("; "))));
    }
    resize(1200, 760);
}

void MainWindow::buildMenus()
{
    QMenu *file = menuBar()->addMenu(tr("&File"));
    // Shortcuts are set on the action: Qt 6 deprecates the overload that takes one.
    file->addAction(tr("&New Project…"), this, &MainWindow::newProject)
        ->setShortcut(QKeySequence::New);
    file->addAction(tr("&Open Project…"), this, &MainWindow::openProject)
        ->setShortcut(QKeySequence::Open);
    file->addSeparator();
    file->addAction(tr("Open IP &Config…"), this, &MainWindow::openConfig);
    file->addSeparator();
    file->addAction(tr("&Quit"), this, &QWidget::close)->setShortcut(QKeySequence::Quit);
}

QWidget *MainWindow::buildCataloguePanel()
{
    m_modelCombo = new QComboBox;
    m_modelCombo->setObjectName(QStringLiteral("comboDeviceModel"));
    m_modelCombo->addItems(DEV::DeviceLibrary::models());
    m_conditionCombo = new QComboBox;
    m_conditionCombo->setObjectName(QStringLiteral("comboDeviceCondition"));
    connect(m_modelCombo, qOverload<int>(&QComboBox::currentIndexChanged), this,
            &MainWindow::onModelChanged);
    connect(m_conditionCombo, qOverload<int>(&QComboBox::currentIndexChanged), this,
            &MainWindow::updateSupport);

    auto *deviceBox = new QGroupBox(tr("Target Device"));
    auto *deviceForm = new QFormLayout(deviceBox);
    deviceForm->addRow(tr("Model:"), m_modelCombo);
    deviceForm->addRow(tr("Condition:"), m_conditionCombo);

    m_catalogue = new QTreeWidget;
    m_catalogue->setObjectName(QStringLiteral("treeCatalogue"));
    m_catalogue->setHeaderLabels({tr("IP Core"), tr("Version")});
    m_catalogue->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_catalogue->header()->setStretchLastSection(false);
    connect(m_catalogue, &QTreeWidget::currentItemChanged, this, &MainWindow::updateSelection);
    connect(m_catalogue, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem *item) {
        if (!item->data(0, CoreIdRole).isNull() && m_createButton->isEnabled())
            createCore();
    });

    m_summary = new QLabel;
    m_summary->setObjectName(QStringLiteral("labelSummary"));
    m_summary->setWordWrap(true);
    m_summary->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    m_summary->setMinimumHeight(80);

    m_outputDir = new QLineEdit(QDir::currentPath());
    m_outputDir->setObjectName(QStringLiteral("editOutputDirectory"));
    auto *browse = new QToolButton;
    browse->setText(QStringLiteral("…"));
    connect(browse, &QToolButton::clicked, this, &MainWindow::chooseOutputDirectory);
    auto *outputRow = new QHBoxLayout;
    outputRow->addWidget(new QLabel(tr("Output directory:")));
    outputRow->addWidget(m_outputDir, 1);
    outputRow->addWidget(browse);

    m_createButton = new QPushButton(tr("Create…"));
    m_createButton->setObjectName(QStringLiteral("buttonCreate"));
    connect(m_createButton, &QPushButton::clicked, this, &MainWindow::createCore);
    auto *openButton = new QPushButton(tr("Open IP config…"));
    openButton->setObjectName(QStringLiteral("buttonOpenConfig"));
    connect(openButton, &QPushButton::clicked, this, &MainWindow::openConfig);
    m_exampleButton = new QPushButton(tr("Example Design…"));
    m_exampleButton->setObjectName(QStringLiteral("buttonExample"));
    m_exampleButton->setEnabled(false);
    m_exampleButton->setToolTip(tr("After a successful generation: the core with a traffic "
                                   "generator, a simulation kit and a pin-constraints template"));
    connect(m_exampleButton, &QPushButton::clicked, this, [this] {
        writeExampleFromWindow(this, m_plugins, m_generatedConfig, m_generatedPart);
    });
    m_partButton = new QPushButton(tr("From part…"));
    m_partButton->setObjectName(QStringLiteral("buttonFromPart"));
    m_partButton->setToolTip(tr("Create the core set up for a memory part of its list"));
    connect(m_partButton, &QPushButton::clicked, this, [this] { createFromPart(false); });
    m_spdButton = new QPushButton(tr("From SPD…"));
    m_spdButton->setObjectName(QStringLiteral("buttonFromSpd"));
    m_spdButton->setToolTip(tr("Create the core set up for the module an SPD image describes"));
    connect(m_spdButton, &QPushButton::clicked, this, [this] { createFromPart(true); });
    auto *buttonRow = new QHBoxLayout;
    buttonRow->addWidget(m_exampleButton);
    buttonRow->addStretch(1);
    buttonRow->addWidget(openButton);
    buttonRow->addWidget(m_partButton);
    buttonRow->addWidget(m_spdButton);
    buttonRow->addWidget(m_createButton);

    auto *panel = new QWidget;
    auto *layout = new QVBoxLayout(panel);
    layout->addWidget(deviceBox);
    layout->addWidget(m_catalogue, 1);
    layout->addWidget(m_summary);
    layout->addLayout(outputRow);
    layout->addLayout(buttonRow);
    return panel;
}

void MainWindow::fillCatalogue()
{
    for (IPCore::BaseIPCore *core : m_plugins.cores()) {
        QTreeWidgetItem *parent = categoryItem(m_catalogue, core->category());
        auto *item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(m_catalogue);
        item->setText(0, core->name());
        item->setText(1, core->version());
        item->setData(0, CoreIdRole, core->id());
    }
    m_catalogue->expandAll();
    for (QTreeWidgetItemIterator it(m_catalogue); *it; ++it) {
        if (!(*it)->data(0, CoreIdRole).isNull()) {
            m_catalogue->setCurrentItem(*it);
            break;
        }
    }
}

void MainWindow::onModelChanged()
{
    const QSignalBlocker blocker(m_conditionCombo);
    m_conditionCombo->clear();
    m_conditionCombo->addItems(DEV::DeviceLibrary::conditions(m_modelCombo->currentText()));
    updateSupport();
}

DEV::DeviceArg MainWindow::selectedDevice() const
{
    DEV::DeviceArg device;
    DEV::DeviceLibrary::find(m_modelCombo->currentText(), m_conditionCombo->currentText(), &device);
    return device;
}

void MainWindow::updateSupport()
{
    const DEV::DeviceArg device = selectedDevice();
    for (QTreeWidgetItemIterator it(m_catalogue); *it; ++it) {
        const QString id = (*it)->data(0, CoreIdRole).toString();
        if (id.isEmpty())
            continue;
        const bool supported = m_plugins.core(id)->isSupported(device);
        (*it)->setDisabled(!supported);
        // A selection highlight would hide the greyed-out text.
        (*it)->setSelected(supported && *it == m_catalogue->currentItem());
        (*it)->setToolTip(0,
                          supported ? QString() : tr("Not available for %1").arg(device.device()));
    }
    updateSelection();
}

IPCore::BaseIPCore *MainWindow::selectedCore() const
{
    const QTreeWidgetItem *current = m_catalogue->currentItem();
    return current ? m_plugins.core(current->data(0, CoreIdRole).toString()) : nullptr;
}

void MainWindow::updateSelection()
{
    IPCore::BaseIPCore *core = selectedCore();
    const bool supported = core && core->isSupported(selectedDevice());
    m_createButton->setEnabled(supported);
    const bool parts = supported && m_plugins.capability<IPCore::MemoryParts>(core->id());
    m_partButton->setEnabled(parts);
    m_spdButton->setEnabled(parts);
    if (!core) {
        m_summary->setText(m_plugins.cores().isEmpty() ? tr("No IP core plug-in was loaded.")
                                                       : tr("Select an IP core."));
        return;
    }
    QString text = QStringLiteral("<b>%1</b> %2 <i>(%3)</i><p>%4</p>")
                       .arg(core->name().toHtmlEscaped(), core->version().toHtmlEscaped(),
                            core->id().toHtmlEscaped(), core->summary().toHtmlEscaped());
    if (!supported)
        text += tr("<p>Not available for the selected device.</p>");
    m_summary->setText(text);
}

void MainWindow::chooseOutputDirectory()
{
    const QString directory =
        QFileDialog::getExistingDirectory(this, tr("Output Directory"), m_outputDir->text());
    if (!directory.isEmpty())
        m_outputDir->setText(directory);
}

void MainWindow::createCore()
{
    if (IPCore::BaseIPCore *core = selectedCore())
        openNewCore(core, nullptr, false);
}

void MainWindow::createFromPart(bool fromFile)
{
    IPCore::BaseIPCore *core = selectedCore();
    if (const auto *parts = core ? m_plugins.capability<IPCore::MemoryParts>(core->id()) : nullptr)
        openNewCore(core, parts, fromFile);
}

// With `parts`, the part and the clocks it depends on are chosen while the dialog waits to be
// shown, and go in before it is, as a re-opened record does, so the dialog says nothing meant for
// a user's own edit of its fields.
void MainWindow::openNewCore(IPCore::BaseIPCore *core, const IPCore::MemoryParts *parts,
                             bool fromFile)
{
    const QString directory = QDir::cleanPath(QDir(m_outputDir->text()).absolutePath());
    std::unique_ptr<PartBeforeShow> applier;
    QMetaObject::Connection choose;
    if (parts) {
        choose = connect(
            &IPGen::HostSession::instance(), &IPGen::HostSession::dialogAboutToShow, this,
            [&](IPCore::IPGenDialog *dialog) {
                PartChooser chooser(*parts, fromFile, dialog, directory, this);
                if (chooser.exec() == QDialog::Accepted) {
                    applier = std::make_unique<PartBeforeShow>(*parts, chooser.request(),
                                                               chooser.inputs());
                    applier->apply(dialog);
                    m_reporter->follow(core->id(), applier.get());
                }
                if (!applier || !applier->applied())
                    QTimer::singleShot(0, dialog, &QDialog::reject);
                else if (!applier->warnings().isEmpty())
                    statusBar()->showMessage(applier->warnings().join(QStringLiteral("; ")));
            });
    }
    m_reporter->follow(core->id());
    core->createIP(directory, selectedDevice());
    disconnect(choose);
    if (applier && !applier->applied()) {
        QMessageBox::warning(this, fromFile ? tr("From SPD") : tr("From Part"),
                             applier->error().isEmpty() ? tr("The dialog was not opened.")
                                                        : applier->error());
    }
}

void MainWindow::openConfig()
{
    const QString path =
        QFileDialog::getOpenFileName(this, tr("Open IP Config"), m_outputDir->text(),
                                     tr("IP configuration (*.ipc);;All files (*)"));
    if (path.isEmpty())
        return;
    const QString type = configCoreType(path);
    if (type.isNull()) {
        QMessageBox::warning(
            this, tr("Open IP Config"),
            tr("%1 is not an IP configuration file.").arg(QDir::toNativeSeparators(path)));
        return;
    }
    IPCore::BaseIPCore *core = m_plugins.core(type);
    if (!core) {
        QMessageBox::warning(this, tr("Open IP Config"),
                             tr("No loaded IP core can open %1 (core type \"%2\").")
                                 .arg(QDir::toNativeSeparators(path), type));
        return;
    }
    if (auto *notes = m_plugins.capability<IPCore::RestoreNotes>(type)) {
        const QStringList lines = notes->restoreNotes(path);
        if (!lines.isEmpty())
            statusBar()->showMessage(tr("Re-opened with changes: %1")
                                         .arg(lines.join(QStringLiteral("; "))));
    }
    m_reporter->follow(type);
    core->openIP(path, type);
}

void MainWindow::newProject()
{
    const QString path =
        QFileDialog::getSaveFileName(this, tr("New Project"), m_outputDir->text(), projectFilter);
    if (!path.isEmpty())
        useProject(path);
}

void MainWindow::openProject()
{
    const QString path =
        QFileDialog::getOpenFileName(this, tr("Open Project"), m_outputDir->text(), projectFilter);
    if (!path.isEmpty())
        useProject(path);
}

void MainWindow::useProject(const QString &path)
{
    QString error;
    if (!IPGen::HostSession::instance().openProject(path, &error))
        QMessageBox::warning(this, tr("Project"), error);
}

void MainWindow::refreshProjectFiles()
{
    const IPGen::HostSession &session = IPGen::HostSession::instance();
    m_projectFiles->clear();
    m_projectFiles->addItems(session.projectFiles());
    const QString project = session.projectFile();
    setWindowTitle(project.isEmpty()
                       ? tr("IP Core Generator")
                       : tr("%1 - IP Core Generator").arg(QFileInfo(project).fileName()));
}

// Warnings get a box of their own: a report tab alone is easy to overlook.
void MainWindow::showReport(const QString &path, const QStringList &warnings)
{
    showEditor(path, true);
    statusBar()->showMessage(tr("Generation report: %n warning(s)", nullptr, warnings.size()));
    if (warnings.isEmpty())
        return;
    // After the core's dialog has closed.
    QTimer::singleShot(0, this, [this, path, warnings] {
        QMessageBox box(
            QMessageBox::Warning, tr("Generation Report"),
            tr("The generation report has %n warning(s); see %1.", nullptr, warnings.size())
                .arg(QDir::toNativeSeparators(path)),
            QMessageBox::Ok, this);
        box.setDetailedText(warnings.join(QLatin1Char('\n')));
        box.exec();
    });
}

void MainWindow::showEditor(const QString &path, bool activate)
{
    QPlainTextEdit *editor = nullptr;
    for (int i = 0; i < m_editors->count() && !editor; ++i) {
        if (m_editors->widget(i)->property("filePath").toString() == path)
            editor = qobject_cast<QPlainTextEdit *>(m_editors->widget(i));
    }
    if (!editor) {
        editor = new QPlainTextEdit;
        editor->setReadOnly(true);
        editor->setLineWrapMode(QPlainTextEdit::NoWrap);
        editor->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
        editor->setProperty("filePath", path);
        const int index = m_editors->addTab(editor, QFileInfo(path).fileName());
        m_editors->setTabToolTip(index, path);
    }
    QFile file(path);
    editor->setPlainText(file.open(QIODevice::ReadOnly | QIODevice::Text)
                             ? QString::fromUtf8(file.readAll())
                             : tr("Cannot read %1: %2").arg(path, file.errorString()));
    if (activate)
        m_editors->setCurrentWidget(editor);
}

} // namespace IPGenApp
