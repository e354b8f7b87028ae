#include "ipgendialog.h"

#include "devicelibrary.h"
#include "hostsession.h"
#include "pinfigurewidget.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QTabWidget>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

namespace IPCore {

namespace {

const QString kErrorTitle = QStringLiteral("Error");

bool isVerilogKeyword(const QString &word)
{
    // IEEE 1364-2005, Annex B.
    static const QStringList keywords =
        QStringLiteral(
            "always and assign automatic begin buf bufif0 bufif1 case casex casez cell cmos "
            "config deassign default defparam design disable edge else end endcase endconfig "
            "endfunction endgenerate endmodule endprimitive endspecify endtable endtask event "
            "for force forever fork function generate genvar highz0 highz1 if ifnone incdir "
            "include initial inout input instance integer join large liblist library "
            "localparam macromodule medium module nand negedge nmos nor noshowcancelled not "
            "notif0 notif1 or output parameter pmos posedge primitive pull0 pull1 pulldown "
            "pullup pulsestyle_ondetect pulsestyle_onevent rcmos real realtime reg release "
            "repeat rnmos rpmos rtran rtranif0 rtranif1 scalared showcancelled signed small "
            "specify specparam strong0 strong1 supply0 supply1 table task time tran tranif0 "
            "tranif1 tri tri0 tri1 triand trior trireg unsigned use uwire vectored wait wand "
            "weak0 weak1 while wire wor xnor xor")
            .split(QLatin1Char(' '));
    return keywords.contains(word);
}

// Module names of the device primitive library: a core named like one would clash with it.
QStringList devicePrimitives()
{
    QFile file(DEV::DeviceLibrary::primitiveModels());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    static const QRegularExpression module(QStringLiteral("^\\s*module\\s+(\\w+)"),
                                           QRegularExpression::MultilineOption);
    QStringList names;
    for (auto it = module.globalMatch(QString::fromUtf8(file.readAll())); it.hasNext();)
        names.append(it.next().captured(1));
    return names;
}

bool hasForbiddenFileNameCharacter(const QString &name)
{
    for (const QChar c : name) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f || QStringLiteral("/\\:*?\"<>|").contains(c))
            return true;
    }
    return false;
}

QString deviceText(const DEV::DeviceArg &device)
{
    if (device.device().isEmpty())
        return QStringLiteral("No device");
    return QStringLiteral("%1  %2  (%3)").arg(device.device(), device.condition(), device.id());
}

} // namespace

class IPGenDialog::Private
{
public:
    QLabel *label = nullptr;
    QLineEdit *moduleName = nullptr;
    QLineEdit *fileName = nullptr;
    QLineEdit *outputDir = nullptr;
    QLabel *deviceLabel = nullptr;
    QComboBox *language = nullptr;
    QComboBox *synthesisTool = nullptr;
    QTabWidget *tabs = nullptr;
    PinFigureWidget *figure = nullptr;
    DEV::DeviceArg device;
    bool announced = false; // dialogAboutToShow was sent

    void setDevice(const DEV::DeviceArg &arg)
    {
        device = arg;
        deviceLabel->setText(deviceText(arg));
    }
};

IPGenDialog::IPGenDialog(QWidget *parent) : QDialog(parent), d(new Private)
{
    setWindowTitle(QStringLiteral("IP Core Generator"));
    // A core closes its dialog accepted once its results are in place.
    connect(this, &QDialog::accepted, this,
            [this] { IPGen::HostSession::instance().announceGenerated(this); });

    d->label = new QLabel(this);
    d->label->setObjectName(QStringLiteral("labelText"));
    d->label->setWordWrap(true);
    QFont titleFont = d->label->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.2);
    d->label->setFont(titleFont);

    d->moduleName = new QLineEdit(this);
    d->moduleName->setObjectName(QStringLiteral("editModuleName"));
    d->fileName = new QLineEdit(this);
    d->fileName->setObjectName(QStringLiteral("editFileName"));
    d->outputDir = new QLineEdit(this);
    d->outputDir->setObjectName(QStringLiteral("editOutputDir"));
    auto *browse = new QPushButton(QStringLiteral("Browse…"), this);
    browse->setObjectName(QStringLiteral("buttonBrowse"));
    d->deviceLabel = new QLabel(deviceText(d->device), this);
    d->deviceLabel->setObjectName(QStringLiteral("labelDevice"));
    d->deviceLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);

    d->language = new QComboBox(this);
    d->language->setObjectName(QStringLiteral("comboLanguage"));
    d->language->addItems({QStringLiteral("Verilog"), QStringLiteral("VHDL")});
    d->synthesisTool = new QComboBox(this);
    d->synthesisTool->setObjectName(QStringLiteral("comboSynthesisTool"));
    d->synthesisTool->addItems({QStringLiteral("VeltraSynthesis"), QStringLiteral("Synplify Pro")});

    auto *fields = new QGridLayout;
    fields->addWidget(new QLabel(QStringLiteral("Module name:"), this), 0, 0);
    fields->addWidget(d->moduleName, 0, 1);
    fields->addWidget(new QLabel(QStringLiteral("File name:"), this), 0, 2);
    fields->addWidget(d->fileName, 0, 3, 1, 2);
    fields->addWidget(new QLabel(QStringLiteral("Output directory:"), this), 1, 0);
    fields->addWidget(d->outputDir, 1, 1, 1, 3);
    fields->addWidget(browse, 1, 4);
    fields->addWidget(new QLabel(QStringLiteral("Device:"), this), 2, 0);
    fields->addWidget(d->deviceLabel, 2, 1, 1, 4);
    fields->addWidget(new QLabel(QStringLiteral("Language:"), this), 3, 0);
    fields->addWidget(d->language, 3, 1);
    fields->addWidget(new QLabel(QStringLiteral("Synthesis tool:"), this), 3, 2);
    fields->addWidget(d->synthesisTool, 3, 3, 1, 2);
    fields->setColumnStretch(1, 1);
    fields->setColumnStretch(3, 1);

    d->tabs = new QTabWidget(this);
    d->tabs->setObjectName(QStringLiteral("tabPages"));
    d->figure = new PinFigureWidget(this);
    d->figure->setObjectName(QStringLiteral("pinFigure"));
    auto *middle = new QHBoxLayout;
    middle->addWidget(d->tabs, 1);
    middle->addWidget(d->figure);

    auto *help = new QPushButton(QStringLiteral("Help"), this);
    help->setObjectName(QStringLiteral("buttonHelp"));
    help->setAutoDefault(false);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName(QStringLiteral("buttonBox"));
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(help);
    bottom->addStretch();
    bottom->addWidget(buttons);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(d->label);
    layout->addLayout(fields);
    layout->addLayout(middle, 1);
    layout->addLayout(bottom);

    connect(d->moduleName, &QLineEdit::textChanged, d->figure, &PinFigureWidget::setTitle);
    connect(browse, &QPushButton::clicked, this, [this] {
        const QString dir = QFileDialog::getExistingDirectory(
            this, QStringLiteral("Output Directory"), createPath());
        if (!dir.isEmpty())
            d->outputDir->setText(QDir::cleanPath(dir));
    });
    connect(help, &QPushButton::clicked, this, [this] {
        // The host resolved the core's help document when it read the core's description.
        const QFileInfo doc(m_helpDocument);
        if (m_helpDocument.isEmpty() || !doc.isFile()) {
            QMessageBox box(QMessageBox::Information, QStringLiteral("Help"),
                            QStringLiteral("No help document"), QMessageBox::Ok, this);
            if (!m_helpDocument.isEmpty())
                box.setInformativeText(QStringLiteral("Not found: %1").arg(m_helpDocument));
            box.exec();
            return;
        }
        auto *viewer = new QDialog(this);
        viewer->setAttribute(Qt::WA_DeleteOnClose);
        viewer->setWindowTitle(QStringLiteral("Help - %1").arg(d->label->text()));
        auto *browser = new QTextBrowser(viewer);
        browser->setOpenExternalLinks(true);
        browser->setSource(QUrl::fromLocalFile(doc.absoluteFilePath()));
        auto *close = new QDialogButtonBox(QDialogButtonBox::Close, viewer);
        connect(close, &QDialogButtonBox::rejected, viewer, &QDialog::close);
        auto *viewerLayout = new QVBoxLayout(viewer);
        viewerLayout->addWidget(browser);
        viewerLayout->addWidget(close);
        viewer->resize(720, 560);
        viewer->show();
    });
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

IPGenDialog::~IPGenDialog()
{
    delete d;
}

void IPGenDialog::dialogDidPrepare() {}

bool IPGenDialog::loadConfigFile(const QString &)
{
    return true;
}

void IPGenDialog::setDevice(QSettings &settings)
{
    DEV::DeviceArg device;
    if (DEV::DeviceLibrary::findById(settings.value(QStringLiteral("target_device")).toString(),
                                     &device))
        d->setDevice(device);
}

void IPGenDialog::setCreating(const QString &path, const DEV::DeviceArg &device)
{
    d->outputDir->setText(path);
    d->setDevice(device);
}

bool IPGenDialog::setOpening(const QString &ipcPath, const QString &coreType)
{
    const QFileInfo info(ipcPath);
    // Only a regular file is opened: a FIFO would block the reader.
    if (!info.isFile() || !info.isReadable()) {
        QMessageBox::critical(
            this, kErrorTitle,
            QStringLiteral("Cannot read the IP configuration file %1.").arg(ipcPath));
        return false;
    }
    QSettings settings(ipcPath, QSettings::IniFormat);
    QString problem;
    const QString type = settings.value(QStringLiteral("type")).toString();
    const QString deviceId = settings.value(QStringLiteral("target_device")).toString();
    DEV::DeviceArg known;
    if (settings.status() != QSettings::NoError ||
        (!settings.contains(QStringLiteral("version")) && type.isEmpty())) {
        problem = QStringLiteral("%1 is not an IP configuration file.").arg(ipcPath);
    } else if (!coreType.isEmpty() && type != coreType) {
        problem = QStringLiteral("The IP configuration file %1 belongs to a core of type \"%2\", "
                                 "not \"%3\".")
                      .arg(ipcPath, type, coreType);
    } else if (!DEV::DeviceLibrary::findById(deviceId, &known)) {
        problem = QStringLiteral("The IP configuration file %1 targets the device \"%2\", which is "
                                 "not in the device library.")
                      .arg(ipcPath, deviceId);
    }
    if (!problem.isEmpty()) {
        QMessageBox::critical(this, kErrorTitle, problem);
        return false;
    }
    d->fileName->setText(settings.value(QStringLiteral("file")).toString());
    d->moduleName->setText(settings.value(QStringLiteral("module")).toString());
    d->outputDir->setText(info.absolutePath());
    setDevice(settings);
    return loadConfigFile(ipcPath);
}

void IPGenDialog::uiAddTab(QWidget *page, const QString &title)
{
    d->tabs->addTab(page, title);
}

void IPGenDialog::uiSetModuleName(const QString &name)
{
    d->moduleName->setText(name);
}

void IPGenDialog::setVisible(bool visible)
{
    if (visible && !d->announced) {
        d->announced = true;
        emit IPGen::HostSession::instance().dialogAboutToShow(this);
    }
    QDialog::setVisible(visible);
}

void IPGenDialog::uiSetDefaultFileName(const QString &name)
{
    d->fileName->setText(name);
}

void IPGenDialog::uiSetLabelText(const QString &text)
{
    d->label->setText(text);
    setWindowTitle(text.isEmpty() ? QStringLiteral("IP Core Generator") : text);
}

void IPGenDialog::uiSetLanguageIndex(int index)
{
    d->language->setCurrentIndex(index);
}

void IPGenDialog::uiSetSynthesisTool(const QString &tool)
{
    // An unknown name clears the choice on purpose: cores then see "" and set no tool.
    d->synthesisTool->setCurrentIndex(d->synthesisTool->findText(tool, Qt::MatchExactly));
}

int IPGenDialog::uiLanguageIndex() const
{
    return d->language->currentIndex();
}

QString IPGenDialog::uiSynthesisTool() const
{
    return d->synthesisTool->currentText();
}

void IPGenDialog::uiSetFigurePins(const QList<Utils::PinFigure> &pins)
{
    d->figure->setPins(pins);
}

QString IPGenDialog::moduleName() const
{
    return d->moduleName->text().trimmed();
}

QString IPGenDialog::fileName() const
{
    return d->fileName->text().trimmed();
}

QString IPGenDialog::createPath() const
{
    return QDir::cleanPath(d->outputDir->text().trimmed());
}

DEV::DeviceArg IPGenDialog::device() const
{
    return d->device;
}

bool IPGenDialog::checkModuleName()
{
    static const QRegularExpression identifier(QStringLiteral("^[A-Za-z_][A-Za-z0-9_$]*$"));
    const QString name = moduleName();
    QString problem;
    if (name.isEmpty())
        problem = QStringLiteral("The module name is empty.");
    else if (!identifier.match(name).hasMatch())
        problem =
            QStringLiteral("The module name \"%1\" is not a Verilog identifier: it must start "
                           "with a letter or '_' and hold only letters, digits, '_' and '$'.")
                .arg(name);
    else if (isVerilogKeyword(name))
        problem = QStringLiteral("The module name \"%1\" is a Verilog keyword.").arg(name);
    else if (devicePrimitives().contains(name))
        problem =
            QStringLiteral("The module name \"%1\" is the name of a device primitive.").arg(name);
    if (problem.isEmpty())
        return true;
    QMessageBox::critical(this, kErrorTitle, problem);
    return false;
}

bool IPGenDialog::checkFileExisting()
{
    // Every file a generation puts into the output directory, for the chosen language.
    const QString base = createPath() + QLatin1Char('/') + fileName();
    const QStringList suffixes = uiLanguageIndex() == 1
                                     ? QStringList{".ipc", ".vhd", "_tmp.vhd", ".vho", ".vo"}
                                     : QStringList{".ipc", ".v", "_tmp.v", ".vo"};
    QStringList existing;
    for (const QString &suffix : suffixes) {
        if (QFileInfo::exists(base + suffix))
            existing.append(base + suffix);
    }
    if (existing.isEmpty())
        return true;
    const auto answer =
        QMessageBox::question(this, QStringLiteral("Overwrite Files"),
                              QStringLiteral("These files already exist:\n%1\n\nOverwrite them?")
                                  .arg(existing.join(QLatin1Char('\n'))),
                              QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    return answer == QMessageBox::Yes;
}

QStringList IPGenDialog::checkFileOptions()
{
    QStringList errors;
    const QString file = fileName();
    if (file.isEmpty())
        errors << QStringLiteral("The file name is empty.");
    else if (hasForbiddenFileNameCharacter(file))
        errors << QStringLiteral("The file name \"%1\" contains a path separator or a character "
                                 "not allowed in file names (/ \\ : * ? \" < > | or control "
                                 "characters).")
                      .arg(file);
    const QString dir = createPath();
    if (dir.isEmpty())
        errors << QStringLiteral("The output directory is empty.");
    else if (QDir::isRelativePath(dir))
        errors << QStringLiteral("The output directory \"%1\" is not an absolute path.").arg(dir);
    else if (std::any_of(dir.cbegin(), dir.cend(),
                         [](QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7f; }))
        errors << QStringLiteral("The output directory \"%1\" contains a control character "
                                 "(such as a line break or tab).")
                      .arg(dir);
    return errors;
}

void IPGenDialog::showErrorMsg(const QStringList &errors)
{
    QMessageBox::critical(this, kErrorTitle, errors.join(QLatin1Char('\n')));
}

QList<Utils::PinFigure> IPGenDialog::figurePins() const
{
    return d->figure->pins();
}

QStringList IPGenDialog::tabTitles() const
{
    QStringList titles;
    for (int i = 0; i < d->tabs->count(); ++i)
        titles.append(d->tabs->tabText(i));
    return titles;
}

QString IPGenDialog::labelText() const
{
    return d->label->text();
}

} // namespace IPCore
