#pragma once

#include "presets.h"

#include <QMap>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace DDR3PHY {

// A combo box as both the record (index) and the Verilog files (text) need it.
struct Choice
{
    int index = 0;
    QString text;
};

// Everything the dialog's controls hold that goes into the .ipc record and the Verilog files,
// read once when the files are written.
struct CoreSettings
{
    int language = 0;
    QString synthesisTool;
    Choice clkRatio;
    Choice memoryType;
    int memoryClock = 0; // MHz
    Choice referenceClock;
    int referencePeriod = 0; // ps, the item data of the reference clock
    Choice dimmType;
    Choice dqWidth;
    Choice dramWidth;
    bool eccChecked = false;
    bool eccEnabled = false;
    int rankAddr = 0;
    Choice rowAddr;
    Choice colAddr;
    Timings timings{};
    Choice burstMode;
    Choice burstType;
    Choice casLatency;
    Choice cwLatency;
    Choice additiveLatency;
    Choice writeRecovery;
    Choice rttNom;
    Choice rttWr;
    bool userRefresh = false;
    Choice addrCmdMode;
    Choice outputDrv;
    bool disableIo = false;
};

inline const QString ipcVersion = QStringLiteral("3.0");

QMap<QString, QVariant> headerRecord(const QString &deviceId, const QString &coreType,
                                     const QString &fileName, const QString &moduleName);
QMap<QString, QVariant> configRecord(const CoreSettings &s);

QStringList parameterLines(const CoreSettings &s); // vlmc_param.v
QStringList pllLines(double fin, int fbdiv, int idiv, int odiv, const QString &deviceName);
QStringList defineLines(bool ecc); // DDR3_define.v; ecc = the box is enabled and checked
QStringList nameLines(const QString &moduleName); // ddr3_name.v

} // namespace DDR3PHY
