#pragma once

#include "ipgendialog.h"

#include <QMap>
#include <QString>
#include <QVariant>

namespace IPCore {
class SynthesisHelper;
}

namespace DDR3PHY {

class DDR3PHY_Config_Type;
class DDR3PHY_Config_Option;
class DDR3PHY_Config_Timing;
struct ConfigRow;
struct ControlValue;
using ControlValues = QMap<QString, ControlValue>;
struct MemoryPreset;

// The DDR3 PHY's configuration dialog: three pages in the host's frame, the rules that keep them
// consistent, and generation (files, synthesis, results) when the user confirms.
class DDR3PHYDialog : public IPCore::IPGenDialog
{
    Q_OBJECT
public:
    DDR3PHYDialog(const QMap<QString, QVariant> *coreInfo, QWidget *parent);
    ~DDR3PHYDialog() override;

    bool loadConfigFile(const QString &path) override;
    // The configuration record a generation would write now.
    QMap<QString, QVariant> configRecord() const;
    // The controls' values, as the record and vlmc_param.v are written from them.
    ControlValues controlValues() const;

public slots:
    void accept() override;

    // The slots below keep their order: the meta-method indices are part of the plug-in's ABI.
private slots:
    void onClkRatioChanged(int index);
    void onMemoryTypeChanged(int index);
    void updateInfo4User();
    void updateEcc(int dqIndex);
    void updateClk();
    void onGenerationFinished(int exitCode);
    void refreshFigure();

private:
    using PresetLoader = void (*)(DDR3PHYDialog *);

    void applyRatioSetup(int ratioIndex);
    static void applyChipPreset12(DDR3PHYDialog *dialog);
    static void applyChipPreset14(DDR3PHYDialog *dialog);
    static void applyCustomPreset(DDR3PHYDialog *dialog);
    void applyPreset(const MemoryPreset &preset);

    QString workingDirectory() const;
    QWidget *pageControl(const char *name) const;
    ControlValue controlValue(const ConfigRow &row) const;
    void setControl(const ConfigRow &row, const QVariant &value);
    bool computePllParams(double fin, double T, int &fbdiv, int &idiv, int &odiv);
    bool writeConfigFiles();
    void applyConfig(const QMap<QString, QVariant> &record);
    void startSynthesis();

    DDR3PHY_Config_Type *m_typeForm;
    DDR3PHY_Config_Option *m_optionForm;
    DDR3PHY_Config_Timing *m_timingForm;
    QMap<QString, QVariant> m_coreInfo;
    IPCore::SynthesisHelper *m_synthesisHelper = nullptr;
    QMap<int, PresetLoader> m_presetLoaders;
};

} // namespace DDR3PHY
