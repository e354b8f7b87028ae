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

void batchMessageHandler(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
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

void installBatchMessageFilter()
{
    qtHandler = qInstallMessageHandler(batchMessageHandler);
}

} // namespace IPGenApp
