#include "ddr3phydialog.h"

#include "configtable.h"
#include "ddr3phyforms.h"
#include "dependentfields.h"
#include "portpins.h"
#include "presets.h"

#include <QMessageBox>

namespace DDR3PHY {

namespace {

// Rebuilds a list the way every preset does: cleared, refilled, then the preset's selection.
void refill(QComboBox *box, const QStringList &items, int index)
{
    box->clear();
    box->addItems(items);
    box->setCurrentIndex(index);
}

} // namespace

DDR3PHYDialog::DDR3PHYDialog(const QMap<QString, QVariant> *coreInfo, QWidget *parent)
    : IPCore::IPGenDialog(parent), m_typeForm(new DDR3PHY_Config_Type),
      m_optionForm(new DDR3PHY_Config_Option), m_timingForm(new DDR3PHY_Config_Timing),
      m_coreInfo(*coreInfo)
{
    uiSetLabelText(m_coreInfo.value(QStringLiteral("ipcore.label")).toString());
    uiSetDefaultFileName(m_coreInfo.value(QStringLiteral("ipcore.target")).toString());
    uiSetModuleName(m_coreInfo.value(QStringLiteral("ipcore.module")).toString());

    auto *typePage = new QWidget(this);
    m_typeForm->setupUi(typePage);
    uiAddTab(typePage, QStringLiteral("Type"));
    auto *optionPage = new QWidget(this);
    m_optionForm->setupUi(optionPage);
    uiAddTab(optionPage, QStringLiteral("Options"));
    auto *timingPage = new QWidget(this);
    m_timingForm->setupUi(timingPage);
    uiAddTab(timingPage, QStringLiteral("Timing"));

    m_helpDocument = m_coreInfo.value(QStringLiteral("ipcore.doc.help")).toString();

    // Filled before the connections exist, so that no rule runs on a half-built list.
    QComboBox *referenceClock = m_typeForm->comBoxReferenceClock;
    for (int period : referenceClockPeriods())
        referenceClock->addItem(referenceClockItemText(period), period);
    referenceClock->setCurrentIndex(referenceClock->findData(defaultReferenceClockPeriod));

    const auto indexChanged = qOverload<int>(&QComboBox::currentIndexChanged);
    const auto valueChanged = qOverload<int>(&QSpinBox::valueChanged);
    const DDR3PHY_Config_Type *t = m_typeForm;
    // Qt runs the slots of one signal in connection order, and the rules rely on it: the widths
    // are recomputed before the ECC box is re-enabled, the figure before the widths.
    connect(t->comBoxClkRatio, indexChanged, this, &DDR3PHYDialog::onClkRatioChanged);
    connect(t->comBoxMemoryType, indexChanged, this, &DDR3PHYDialog::onMemoryTypeChanged);
    connect(t->comBoxDqWidth, indexChanged, this, &DDR3PHYDialog::updateInfo4User);
    connect(t->comBoxDramWidth, indexChanged, this, &DDR3PHYDialog::updateInfo4User);
    connect(t->spinRankAddr, valueChanged, this, &DDR3PHYDialog::updateInfo4User);
    connect(t->comBoxRowAddr, indexChanged, this, &DDR3PHYDialog::updateInfo4User);
    connect(t->comBoxColAddr, indexChanged, this, &DDR3PHYDialog::updateInfo4User);
    connect(t->comBoxDqWidth, indexChanged, this, &DDR3PHYDialog::updateEcc);
    connect(t->spinMemoryClock, valueChanged, this, &DDR3PHYDialog::updateClk);
    connect(t->comBoxReferenceClock, indexChanged, this, &DDR3PHYDialog::updateClk);
    connect(t->checkEcc, &QCheckBox::toggled, this, &DDR3PHYDialog::refreshFigure);
    connect(t->checkEcc, &QCheckBox::toggled, this, &DDR3PHYDialog::updateInfo4User);

    applyRatioSetup(0);
    updateEcc(t->comBoxDqWidth->currentIndex());
    updateClk();
    refreshFigure();
}

DDR3PHYDialog::~DDR3PHYDialog()
{
    delete m_typeForm;
    delete m_optionForm;
    delete m_timingForm;
}

void DDR3PHYDialog::onClkRatioChanged(int index)
{
    applyRatioSetup(index);
}

// A ratio change starts over from the ratio's part: memory type, clock and all preset values.
void DDR3PHYDialog::applyRatioSetup(int ratioIndex)
{
    const RatioSetup &setup = ratioSetup(ratioIndex);
    if (ratioIndex == 0)
        m_presetLoaders = {{0, &DDR3PHYDialog::applyChipPreset12},
                           {1, &DDR3PHYDialog::applyCustomPreset}};
    else
        m_presetLoaders = {{0, &DDR3PHYDialog::applyChipPreset14},
                           {1, &DDR3PHYDialog::applyCustomPreset}};

    refill(m_typeForm->comBoxMemoryType, setup.memoryTypes, 0);

    QSpinBox *memoryClock = m_typeForm->spinMemoryClock;
    memoryClock->setRange(setup.clockMin, setup.clockMax);
    m_typeForm->labelClockRange->setText(setup.clockRangeText);
    memoryClock->setValue(setup.clockValue);

    m_optionForm->comBoxBurstMode->setCurrentIndex(setup.burstModeIndex);
    m_optionForm->comBoxBurstMode->setEnabled(setup.burstModeEnabled);

    // Filling the list may not have changed the index, so the part is loaded explicitly.
    onMemoryTypeChanged(0);
    updateClk();
    updateInfo4User();
}

void DDR3PHYDialog::onMemoryTypeChanged(int index)
{
    if (index != 0 && index != 1)
        return;
    m_presetLoaders.value(index)(this);
    refreshFigure();
    if (isVisible() && m_typeForm->comBoxMemoryType->currentText() == QLatin1String("Custom")) {
        QMessageBox::warning(
            this, QStringLiteral("Warning"),
            QStringLiteral("If choose custom Memory Type, please reconfigure the address width and "
                           "Timing option according the memory chip datasheet. And modify the "
                           "number of address bits in the cst file. Otherwise initialization may "
                           "fail."));
    }
}

void DDR3PHYDialog::applyChipPreset12(DDR3PHYDialog *dialog)
{
    dialog->applyPreset(memoryPreset(PresetKind::Chip12));
}

void DDR3PHYDialog::applyChipPreset14(DDR3PHYDialog *dialog)
{
    dialog->applyPreset(memoryPreset(PresetKind::Chip14));
}

void DDR3PHYDialog::applyCustomPreset(DDR3PHYDialog *dialog)
{
    dialog->applyPreset(memoryPreset(PresetKind::Custom));
}

// A part fixes its organisation, timings and additive latency; Custom keeps the current values
// and only unlocks them and offers the full lists.
void DDR3PHYDialog::applyPreset(const MemoryPreset &preset)
{
    DDR3PHY_Config_Type *t = m_typeForm;
    refill(t->comBoxDqWidth, preset.dqWidths, preset.dqIndex);
    if (preset.locks) {
        t->comBoxDramWidth->setCurrentIndex(preset.dramWidthIndex);
        t->comBoxRowAddr->setCurrentIndex(preset.rowIndex);
        t->comBoxColAddr->setCurrentIndex(preset.colIndex);
    }
    t->comBoxDramWidth->setEnabled(!preset.locks);
    t->comBoxRowAddr->setEnabled(!preset.locks);
    t->comBoxColAddr->setEnabled(!preset.locks);

    if (preset.locks) {
        for (const ConfigRow *row : timingRows())
            qobject_cast<QSpinBox *>(pageControl(row->control))
                ->setValue(preset.timings.*row->timing);
    }

    refill(m_optionForm->comBoxCasLatency, preset.casLatencies, preset.casIndex);
    refill(m_optionForm->comBoxCwLatency, preset.cwLatencies, preset.cwIndex);
    if (preset.locks)
        m_optionForm->comBoxAdditiveLatency->setCurrentIndex(0);
    m_optionForm->comBoxAdditiveLatency->setEnabled(!preset.locks);
}

void DDR3PHYDialog::updateInfo4User()
{
    const DDR3PHY_Config_Type *t = m_typeForm;
    const int dqWidth = textToInt(t->comBoxDqWidth->currentText());
    const int dramWidth = textToInt(t->comBoxDramWidth->currentText());
    const int rankBits = t->spinRankAddr->value();
    const int rowBits = textToInt(t->comBoxRowAddr->currentText());
    const int colBits = textToInt(t->comBoxColAddr->currentText());

    t->spinAppAddrWidth->setValue(appAddressWidth(colBits, rowBits, rankBits));
    t->spinDataWidth->setValue(
        appDataWidth(dqWidth, t->checkEcc->isChecked(), t->comBoxClkRatio->currentIndex()));
    // From the field, not the formula: the mask follows what the user is shown.
    if (const auto mask = appMaskWidth(t->spinDataWidth->value(), dramWidth))
        t->spinMaskWidth->setValue(*mask);
    refreshFigure();
}

void DDR3PHYDialog::updateEcc(int dqIndex)
{
    QCheckBox *ecc = m_typeForm->checkEcc;
    if (eccAvailable(dqIndex)) {
        ecc->setEnabled(true);
        return;
    }
    ecc->setChecked(false);
    ecc->setEnabled(false);
}

void DDR3PHYDialog::updateClk()
{
    const DDR3PHY_Config_Type *t = m_typeForm;
    t->labelClkin->setText(referenceClockText(t->comBoxReferenceClock->currentData().toInt()));
    t->labelClkout->setText(memoryClockText(t->spinMemoryClock->value()));
}

void DDR3PHYDialog::refreshFigure()
{
    const DDR3PHY_Config_Type *t = m_typeForm;
    const QList<PortPin> ports =
        portPins(textToInt(t->comBoxDqWidth->currentText()), t->comBoxDramWidth->currentIndex(),
                 textToInt(t->comBoxRowAddr->currentText()), t->comBoxClkRatio->currentIndex());
    QList<Utils::PinFigure> pins;
    pins.reserve(ports.size());
    for (const PortPin &port : ports)
        pins.append(Utils::PinFigure(port.name, port.direction, port.bus,
                                     port.deviceSide ? Qt::AlignLeft : Qt::AlignRight));
    uiSetFigurePins(pins);
}

} // namespace DDR3PHY
