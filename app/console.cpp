#include "console.h"

#include <cstdio>
#include <unistd.h>

namespace IPGenApp {

namespace {

void printLine(FILE *stream, const QString &line)
{
    const QByteArray bytes = line.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fputc('\n', stream);
    std::fflush(stream);
}

QtMessageHandler qtHandler = nullptr;
bool starting = true; // until the application object is fully constructed

// Until the application object exists, Qt's only way to report a platform it cannot open (no
// display) is a fatal message and abort(); that becomes one line and exit code 1 here.
void startupMessageHandler(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (!starting) {
        qtHandler(type, context, text);
        return;
    }
    if (type == QtFatalMsg) {
        printErr(QStringLiteral("ipgen: cannot open the window system (no display?): set "
                                "DISPLAY, or run a batch command (see 'ipgen help')"));
        std::fflush(stdout);
        _exit(1);
    }
    // Anything else this early is the platform plug-in's: its complaints before that message
    // say the same less clearly, and its notes on a working platform say nothing to the user.
    Q_UNUSED(context)
    Q_UNUSED(text)
}

void batchMessageHandler(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (starting) {
        startupMessageHandler(type, context, text);
        return;
    }
    if (type == QtWarningMsg &&
        (text.startsWith(QLatin1String("This plugin does not support")) ||
         text.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR not set"))))
        return;
    qtHandler(type, context, text);
}

} // namespace

void printOut(const QString &line)
{
    printLine(stdout, line);
}

void printErr(const QString &line)
{
    printLine(stderr, line);
}

bool stderrIsTerminal()
{
    return isatty(STDERR_FILENO) == 1;
}

void applicationStarted()
{
    starting = false;
}

void installMessageFilter(bool batch)
{
    qtHandler = qInstallMessageHandler(batch ? batchMessageHandler : startupMessageHandler);
}

} // namespace IPGenApp
