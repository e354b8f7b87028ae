// Generation: the accept sequence, the PLL search, the configuration and Verilog files, the
// synthesis run and the collection of its results.
#include "ddr3phydialog.h"

#include "corefiles.h"
#include "coremanagers.h"
#include "ddr3phyforms.h"
#include "ipcorefunctions.h"
#include "pllsearch.h"
#include "restorecheck.h"
#include "synthesishelper.h"
#include "timingfields.h"

#include <QFile>
#include <QMessageBox>
#include <QSettings>

namespace DDR3PHY {

namespace {

const QString ipName = QStringLiteral("DDR3_PHY");
const QString implementationName = QStringLiteral("rev_1");
const QString veltraSynthesis = QStringLiteral("VeltraSynthesis");
const QString synplifyPro = QStringLiteral("Synplify Pro");

Choice choiceOf(const QComboBox *box)
{
    return Choice{box->currentIndex(), box->currentText()};
}

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

CoreSettings DDR3PHYDialog::readSettings() const
{
    const DDR3PHY_Config_Type *t = m_typeForm;
    const DDR3PHY_Config_Option *o = m_optionForm;
    CoreSettings s;
    s.language = uiLanguageIndex();
    s.synthesisTool = uiSynthesisTool();
    s.clkRatio = choiceOf(t->comBoxClkRatio);
    s.memoryType = choiceOf(t->comBoxMemoryType);
    s.memoryClock = t->spinMemoryClock->value();
    s.referenceClock = choiceOf(t->comBoxReferenceClock);
    s.referencePeriod = t->comBoxReferenceClock->currentData().toInt();
    s.dimmType = choiceOf(t->comBoxDimmType);
    s.dqWidth = choiceOf(t->comBoxDqWidth);
    s.dramWidth = choiceOf(t->comBoxDramWidth);
    s.eccChecked = t->checkEcc->isChecked();
    s.eccEnabled = t->checkEcc->isEnabled();
    s.rankAddr = t->spinRankAddr->value();
    s.rowAddr = choiceOf(t->comBoxRowAddr);
    s.colAddr = choiceOf(t->comBoxColAddr);
    for (const TimingField &field : timingFields)
        s.timings.*field.value = (m_timingForm->*field.spin)->value();
    s.burstMode = choiceOf(o->comBoxBurstMode);
    s.burstType = choiceOf(o->comBoxBurstType);
    s.casLatency = choiceOf(o->comBoxCasLatency);
    s.cwLatency = choiceOf(o->comBoxCwLatency);
    s.additiveLatency = choiceOf(o->comBoxAdditiveLatency);
    s.writeRecovery = choiceOf(o->comBoxWriteRecovery);
    s.rttNom = choiceOf(o->comBoxRttNom);
    s.rttWr = choiceOf(o->comBoxRttWr);
    s.userRefresh = o->checkUserRefresh->isChecked();
    s.addrCmdMode = choiceOf(o->comBoxAddrCmdMode);
    s.outputDrv = choiceOf(o->comBoxOutputDrv);
    s.disableIo = o->checkDisableIO->isChecked();
    return s;
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
    const CoreSettings settings = readSettings();
    IPCore::writeIPConfig(createPath() + "/" + fileName() + ".ipc",
                          headerRecord(target.id(),
                                       m_coreInfo.value(QStringLiteral("ipcore.id")).toString(),
                                       fileName(), moduleName()),
                          configRecord(settings));

    const QString dir = workingDirectory();
    const auto write = [&](const char *name, const QStringList &lines) {
        return IPCore::generateFile(dir + "/" + name, lines, this, QString());
    };
    return write("DDR3_define.v", defineLines(settings.eccEnabled && settings.eccChecked)) &&
           write("vlmc_param.v", parameterLines(settings)) &&
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
    applyConfig(configRecord(file));
    return true;
}

// Every control set here fires its rules, so the ratio and the memory type go first: their
// presets would otherwise overwrite the stored values. The memory type is set again at the end
// in case a rule in between changed it. Values a control cannot take are replaced by the
// control's own and listed in one warning.
void DDR3PHYDialog::applyConfig(const QMap<QString, QVariant> &record)
{
    QList<RestoreIssue> issues;
    const auto select = [&](QComboBox *box, const char *key) {
        box->setCurrentIndex(
            restoredIndex(record, QLatin1String(key), box->count(), box->currentIndex(), &issues));
    };
    const auto number = [&](QSpinBox *spin, const char *key) {
        spin->setValue(restoredValue(record, QLatin1String(key), spin->minimum(), spin->maximum(),
                                     spin->value(), &issues));
    };
    const auto check = [&](QCheckBox *box, const char *key) {
        box->setChecked(restoredFlag(record, QLatin1String(key), box->isChecked(), &issues));
    };
    DDR3PHY_Config_Type *t = m_typeForm;
    DDR3PHY_Config_Option *o = m_optionForm;

    // The frame's selectors take what they know; what they refuse is reported, the old choice kept.
    const QString tool = uiSynthesisTool();
    const QString storedTool = record.value(QStringLiteral("Synthesis_tool")).toString();
    uiSetSynthesisTool(storedTool);
    if (uiSynthesisTool() != storedTool && record.contains(QStringLiteral("Synthesis_tool"))) {
        issues.append({QStringLiteral("Synthesis_tool"), storedTool,
                       QStringLiteral("not a synthesis tool of this generator"), tool});
        uiSetSynthesisTool(tool);
    }
    const int language = uiLanguageIndex();
    uiSetLanguageIndex(restoredIndex(record, QStringLiteral("LANG"), 2, language, &issues));
    check(o->checkDisableIO, "DISABLE_IO");
    select(t->comBoxClkRatio, "CLK_RATIO");
    select(t->comBoxMemoryType, "MEMORY_TYPE");
    number(t->spinMemoryClock, "MEMORY_CLK");
    select(t->comBoxReferenceClock, "REFERENCE_CLK");
    select(t->comBoxDimmType, "DIMM_TYPE");
    select(t->comBoxDqWidth, "DQ_WIDTH");
    select(t->comBoxDramWidth, "DRAM_WIDTH");
    check(t->checkEcc, "ECC");
    if (t->checkEcc->isChecked() && !t->checkEcc->isEnabled())
        issues.append({QStringLiteral("ECC"), QStringLiteral("true"),
                       QStringLiteral("ECC needs DQ width 72, the box is disabled"),
                       QStringLiteral("true, without effect on the ECC define")});
    number(t->spinRankAddr, "RANK_ADDR");
    select(t->comBoxRowAddr, "ROW_ADDR");
    select(t->comBoxColAddr, "COL_ADDR");
    for (const TimingField &field : timingFields)
        number(m_timingForm->*field.spin, field.key);
    select(o->comBoxBurstMode, "BURST_MODE");
    select(o->comBoxBurstType, "BURST_TYPE");
    select(o->comBoxCasLatency, "CAS_LATENCY");
    select(o->comBoxCwLatency, "CW_LATENCY");
    select(o->comBoxAdditiveLatency, "ADDITIVE_LATENCY");
    select(o->comBoxWriteRecovery, "WRITE_RECOVERY");
    select(o->comBoxRttNom, "RTT_NOM");
    select(o->comBoxRttWr, "RTT_WR");
    check(o->checkUserRefresh, "USER_FLASH");
    select(o->comBoxAddrCmdMode, "ADDR_CMD_MODE");
    select(o->comBoxOutputDrv, "OUTPUT_DRV");
    // Both checked once already: a second report of the same key would say nothing new.
    QList<RestoreIssue> again;
    o->checkDisableIO->setChecked(
        restoredFlag(record, QStringLiteral("DISABLE_IO"), o->checkDisableIO->isChecked(), &again));
    t->comBoxMemoryType->setCurrentIndex(
        restoredIndex(record, QStringLiteral("MEMORY_TYPE"), t->comBoxMemoryType->count(),
                      t->comBoxMemoryType->currentIndex(), &again));
    const QString warning = restoreWarning(issues);
    if (!warning.isEmpty())
        QMessageBox::warning(this, QStringLiteral("Warning"), warning);
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
