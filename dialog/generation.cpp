// Generation: the accept sequence, the PLL search, the configuration and Verilog files, the
// synthesis run and the collection of its results.
#include "ddr3phydialog.h"

#include "corefiles.h"
#include "coremanagers.h"
#include "ddr3phyforms.h"
#include "ipcorefunctions.h"
#include "pllsearch.h"
#include "synthesishelper.h"

#include <QFile>
#include <QMessageBox>
#include <QSettings>

namespace DDR3PHY {

namespace {

const QString ipName = QStringLiteral("DDR3_PHY");
const QString implementationName = QStringLiteral("rev_1");
const QString veltraSynthesis = QStringLiteral("VeltraSynthesis");
const QString synplifyPro = QStringLiteral("Synplify Pro");

// Where the synthesis results are taken from and put to. An unknown tool gives empty netlist
// names, which the host then refuses.
struct ResultFiles
{
    QString netlistSource;
    QString netlistTarget;
    QString decodeInput; // always the Verilog netlist, whatever the language
    QString tmpSource;
    QString tmpTarget;
    QString vhoSource;
    QString vhoTarget;
    QString voFile;
};

ResultFiles resultFiles(const QString &tool, int language, const QString &outputDir,
                        const QString &file, const QString &workDir)
{
    const bool verilog = language == 0;
    const QString netlistTarget = outputDir + "/" + file + (verilog ? ".v" : ".vhd");
    ResultFiles r;
    if (tool == veltraSynthesis) {
        r.netlistSource = workDir + "/" + file + (verilog ? ".vg" : ".vhg");
        r.netlistTarget = netlistTarget;
        r.decodeInput = workDir + "/" + file + ".vg";
    } else if (tool == synplifyPro) {
        const QString implDir = workDir + "/" + implementationName + "/";
        r.netlistSource = implDir + file + (verilog ? ".vm" : ".vhm");
        r.netlistTarget = netlistTarget;
        r.decodeInput = implDir + file + ".vm";
    }
    const QString tmpName = file + (verilog ? "_tmp.v" : "_tmp.vhd");
    r.tmpSource = workDir + "/" + tmpName;
    r.tmpTarget = outputDir + "/" + tmpName;
    if (tool == veltraSynthesis && language == 1) {
        r.vhoSource = workDir + "/" + file + ".vho";
        r.vhoTarget = outputDir + "/" + file + ".vho";
    }
    r.voFile = outputDir + "/" + file + ".vo";
    return r;
}

} // namespace

void DDR3PHYDialog::accept()
{
    const QStringList errors = checkFileOptions();
    if (!errors.isEmpty()) {
        showErrorMsg(errors);
        return;
    }
    if (!checkModuleName() || !checkFileExisting())
        return;
    if (!IPCore::makeDirs(workingDirectory(),
                          m_coreInfo.value(QStringLiteral("ipcore.name")).toString()))
        return;
    if (!writeConfigFiles())
        return;
    startSynthesis();
}

QString DDR3PHYDialog::workingDirectory() const
{
    return createPath() + "/temp/" + ipName;
}

bool DDR3PHYDialog::computePllParams(double fin, double T, int &fbdiv, int &idiv, int &odiv)
{
    const DEV::DeviceArg target = device();
    const PllChoice choice = searchPll(pllLimits(target.device(), target.condition()), fin, T);
    if (!choice.found)
        return false;
    fbdiv = choice.fbdiv;
    idiv = choice.idiv;
    if (choice.odiv == 0) {
        QMessageBox::warning(this, QStringLiteral("Warning"),
                             QStringLiteral("DDR3 PHY with current Memory Clock and Reference "
                                            "Clock can not be generated."));
        return false;
    }
    odiv = choice.odiv;
    if (pllIsExact(choice, T))
        return true;
    const QString question =
        QStringLiteral("Memory Clock can not reach %1 MHz according to VELTRA PLL's feature, the "
                       "most close frequency is %2 MHz, Do you want to continue?")
            .arg(QString::number(T), QString::number(choice.frequency, 'f', 6));
    return QMessageBox::question(this, QStringLiteral("Memory Clock"), question,
                                 QMessageBox::Ok | QMessageBox::Cancel) == QMessageBox::Ok;
}

QWidget *DDR3PHYDialog::pageControl(const char *name) const
{
    return findChild<QWidget *>(QLatin1String(name));
}

// A row's control by its kind; the language index is the one number the frame holds.
ControlValue DDR3PHYDialog::controlValue(const ConfigRow &row) const
{
    switch (row.kind) {
    case Kind::Text:
        return {uiSynthesisTool(), {}};
    case Kind::Bool:
        return {qobject_cast<QCheckBox *>(pageControl(row.control))->isChecked(), {}};
    case Kind::Index: {
        const auto *box = qobject_cast<QComboBox *>(pageControl(row.control));
        return {box->currentIndex(), box->currentText()};
    }
    case Kind::Int:
        break;
    }
    if (qstrcmp(row.control, frameLanguage) == 0)
        return {uiLanguageIndex(), {}};
    return {qobject_cast<QSpinBox *>(pageControl(row.control))->value(), {}};
}

void DDR3PHYDialog::setControl(const ConfigRow &row, const QVariant &value)
{
    switch (row.kind) {
    case Kind::Text:
        uiSetSynthesisTool(value.toString());
        return;
    case Kind::Bool:
        qobject_cast<QCheckBox *>(pageControl(row.control))->setChecked(value.toBool());
        return;
    case Kind::Index:
        qobject_cast<QComboBox *>(pageControl(row.control))->setCurrentIndex(value.toInt());
        return;
    case Kind::Int:
        break;
    }
    if (qstrcmp(row.control, frameLanguage) == 0)
        uiSetLanguageIndex(value.toInt());
    else
        qobject_cast<QSpinBox *>(pageControl(row.control))->setValue(value.toInt());
}

ControlValues DDR3PHYDialog::controlValues() const
{
    ControlValues values;
    for (const ConfigRow &row : configTable()) {
        if (row.key)
            values.insert(QString::fromLatin1(row.key), controlValue(row));
    }
    return values;
}

QMap<QString, QVariant> DDR3PHYDialog::configRecord() const
{
    return DDR3PHY::configRecord(controlValues());
}

// The PLL search, with its questions, comes before anything is written: a declined clock
// leaves the files of an earlier generation as they were.
bool DDR3PHYDialog::writeConfigFiles()
{
    const double fin = 1000000.0 / m_typeForm->comBoxReferenceClock->currentData().toInt();
    int fbdiv = 0;
    int idiv = 0;
    int odiv = 0;
    if (!computePllParams(fin, m_typeForm->spinMemoryClock->value(), fbdiv, idiv, odiv))
        return false;

    const DEV::DeviceArg target = device();
    const ControlValues values = controlValues();
    IPCore::writeIPConfig(createPath() + "/" + fileName() + ".ipc",
                          headerRecord(target.id(),
                                       m_coreInfo.value(QStringLiteral("ipcore.id")).toString(),
                                       fileName(), moduleName()),
                          DDR3PHY::configRecord(values));
    const QCheckBox *ecc = m_typeForm->checkEcc;

    const QString dir = workingDirectory();
    const auto write = [&](const char *name, const QStringList &lines) {
        return IPCore::generateFile(dir + "/" + name, lines, this, QString());
    };
    return write("DDR3_define.v", defineLines(ecc->isEnabled() && ecc->isChecked())) &&
           write("vlmc_param.v", parameterLines(values)) &&
           write("ddr3_name.v", nameLines(moduleName())) &&
           write("ddr3_pll_config.v", pllLines(fin, fbdiv, idiv, odiv, target.device()));
}

bool DDR3PHYDialog::loadConfigFile(const QString &path)
{
    QSettings file(path, QSettings::IniFormat);
    if (file.value(QStringLiteral("version")).toString() != ipcVersion) {
        QMessageBox::critical(this, QStringLiteral("Error"),
                              QStringLiteral("This version of specified IP Config file is "
                                             "incompatible with current IP Core Generator."),
                              QMessageBox::Ok);
        return false;
    }
    applyConfig(DDR3PHY::configRecord(file));
    return true;
}

// Every control set here fires its rules, so the ratio and the memory type go first: their
// presets would otherwise overwrite the stored values. Values go in as they convert, with no
// check: an index past a list leaves that combo box without a current item.
void DDR3PHYDialog::applyConfig(const QMap<QString, QVariant> &record)
{
    for (const ConfigRow *row : restoreSequence())
        setControl(*row, record.value(QString::fromLatin1(row->key)));
}

void DDR3PHYDialog::startSynthesis()
{
    if (!m_synthesisHelper) {
        m_synthesisHelper = new IPCore::SynthesisHelper(this);
        connect(m_synthesisHelper, &IPCore::SynthesisHelper::finished, this,
                &DDR3PHYDialog::onGenerationFinished);
    }
    const QString tool = uiSynthesisTool();
    if (tool == veltraSynthesis)
        m_synthesisHelper->setSynthesizeTool(IPCore::SynthesisHelper::VeltraSynthesis);
    else if (tool == synplifyPro)
        m_synthesisHelper->setSynthesizeTool(IPCore::SynthesisHelper::SynplifyPro);

    const QString workDir = workingDirectory();
    const QString dataDir = m_coreInfo.value(QStringLiteral("ipcore.dir.data")).toString();
    const bool halfRate = m_typeForm->comBoxClkRatio->currentIndex() == 0;
    IPCore::SynthesizeArgs args;
    args.workDirectory = workDir;
    args.ipName = ipName;
    args.outputFileName = fileName();
    args.device = device();
    args.options.insert(QStringLiteral("impl_name"), implementationName);
    args.options.insert(QStringLiteral("disable_io"), m_optionForm->checkDisableIO->isChecked());
    args.options.insert(QStringLiteral("write_vhdl"), uiLanguageIndex() == 1);
    args.options.insert(QStringLiteral("include_paths"), QStringList{workDir, dataDir});
    args.options.insert(
        QStringLiteral("source_files"),
        QStringList{dataDir + "/" + (halfRate ? "ddr3_1_2code.v" : "ddr3_1_4code.v"),
                    dataDir + "/DDR3_PHY_TOP.v"});

    m_synthesisHelper->setProgressDlgWindowTitle(
        m_coreInfo.value(QStringLiteral("ipcore.label")).toString());
    m_synthesisHelper->showProgressDlg();
    m_synthesisHelper->setArgs(args);
    m_synthesisHelper->start();
}

void DDR3PHYDialog::onGenerationFinished(int exitCode)
{
    // Only the synthesis helper's signal should get here; a stray call has nothing to collect.
    if (!m_synthesisHelper)
        return;
    QStringList errors;
    int failure = exitCode;
    if (exitCode != 0)
        errors << m_synthesisHelper->detailErrorMsgs();

    const QString outputDir = createPath();
    const ResultFiles files = resultFiles(uiSynthesisTool(), uiLanguageIndex(), outputDir,
                                          fileName(), workingDirectory());
    if (exitCode == 0) {
        QString error;
        if (!Utils::FileUtils::copyFile(files.netlistSource, files.netlistTarget, &error) ||
            !Utils::FileUtils::copyFile(files.tmpSource, files.tmpTarget, &error)) {
            errors << error;
            failure = -1;
        }
        if (QFile::exists(files.vhoSource) &&
            !Utils::FileUtils::copyFile(files.vhoSource, files.vhoTarget, &error)) {
            errors << error;
            failure = -1;
        }
        if (failure == 0) {
            QString decodeError;
            failure = IPCore::decode(outputDir, files.decodeInput, files.voFile, decodeError);
            errors << decodeError;
        }
    }
    m_synthesisHelper->hideProgressDlg();

    if (failure != 0) {
        QString message = m_synthesisHelper->errorMsg();
        if (message.isEmpty())
            message = QStringLiteral("Core generation occur errors.");
        IPCore::showErrorMsgs(message, errors);
        return;
    }
    Core::EditorManager::openEditor(files.netlistTarget, false);
    Core::EditorManager::openEditor(files.tmpTarget, false);
    IPCore::addFilesToProject({files.netlistTarget});
    QDialog::accept();
}

} // namespace DDR3PHY
