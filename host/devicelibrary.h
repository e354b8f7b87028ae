#pragma once

#include "devicearg.h"
#include "hostglobal.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace DEV {

// One orderable part of the stand-in device library (the table is data: host/share/devices.csv,
// built in as a resource).
struct DevicePart
{
    QString model;     // "VX1-10"
    QString package;   // "LQ144"
    QString condition; // "C6/I5"
    QString id;        // stable identifier stored in configuration files
    DeviceArg arg() const { return DeviceArg(model, condition, id); }
};

class IPCOREHOST_EXPORT DeviceLibrary
{
public:
    static const QList<DevicePart> &parts();
    static QStringList models();                         // distinct, in table order
    static QStringList conditions(const QString &model); // distinct, in table order
    // The first part of `model` with `condition` (any condition when empty); false if none.
    static bool find(const QString &model, const QString &condition, DeviceArg *out);
    static bool findById(const QString &id, DeviceArg *out);
    // The simulation models of the devices' primitives (veltra_prims.v).
    static QString primitiveModels();
    // Reads a table in the format of devices.csv (docs/devices.md); false with "line N: reason".
    static bool parseTable(const QByteArray &csv, QList<DevicePart> *parts, QString *error);
};

} // namespace DEV
