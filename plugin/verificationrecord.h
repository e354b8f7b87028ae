#pragma once

#include <QByteArray>
#include <QString>

namespace DDR3PHY {

// The plug-in verification record the host compares with its own Qt build before it loads a
// library: four lines, no line feed after the last.
QByteArray verificationRecord(const QString &qtVersion, const QString &os, const QString &compiler,
                              bool debug);
// The record of the Qt build this code is compiled against.
QByteArray buildVerificationRecord();

} // namespace DDR3PHY
