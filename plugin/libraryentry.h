#pragma once

#include "verificationrecord.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>

namespace DDR3PHY {

// What the exported entry points of the plug-in and of its companion hand the host.

// One shared instance, made on the first call. The host may delete it; the guard then clears
// and the next call makes a fresh one.
template <class Instance>
QObject *libraryInstance()
{
    static QPointer<QObject> instance;
    if (!instance)
        instance = new Instance;
    return instance;
}

// The verification record of this build.
inline const char *libraryVerificationData()
{
    static const QByteArray record = buildVerificationRecord();
    return record.constData();
}

} // namespace DDR3PHY
