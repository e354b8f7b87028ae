#include "verificationrecord.h"

#include <QtGlobal>

namespace DDR3PHY {

QByteArray verificationRecord(const QString &qtVersion, const QString &os, const QString &compiler,
                              bool debug)
{
    return QStringLiteral("pattern=QT_PLUGIN_VERIFICATION_DATA\n"
                          "version=%1\n"
                          "debug=%2\n"
                          "buildkey=%3 %4 %5 full-config")
        .arg(qtVersion, debug ? QStringLiteral("true") : QStringLiteral("false"), os, compiler,
             debug ? QStringLiteral("debug") : QStringLiteral("release"))
        .toUtf8();
}

QByteArray buildVerificationRecord()
{
#if defined(Q_OS_WIN)
    const QString os = QStringLiteral("Windows");
#elif defined(Q_OS_MACOS)
    const QString os = QStringLiteral("macOS");
#elif defined(Q_OS_LINUX)
    const QString os = QStringLiteral("Linux");
#else
    const QString os = QStringLiteral("Unix");
#endif

    // Clang also defines Q_CC_GNU, so it is asked first.
#if defined(Q_CC_CLANG)
    const QString compiler = QStringLiteral("clang");
#elif defined(Q_CC_GNU)
    const QString compiler = QStringLiteral("g++");
#elif defined(Q_CC_MSVC)
    const QString compiler = QStringLiteral("msvc");
#else
    const QString compiler = QStringLiteral("unknown");
#endif

#if defined(QT_NO_DEBUG)
    const bool debug = false;
#else
    const bool debug = true;
#endif

    return verificationRecord(QStringLiteral(QT_VERSION_STR), os, compiler, debug);
}

} // namespace DDR3PHY
