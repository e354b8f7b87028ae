#pragma once

#include "devicearg.h"
#include "hostglobal.h"

#include <QMap>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace IPCore {

struct SynthesizeArgs
{
    QString workDirectory;
    QString ipName;
    QString outputFileName;
    DEV::DeviceArg device;
    QMap<QString, QVariant> options;
};

// Runs one synthesis tool over a core's sources in a child process and reports with finished().
class IPCOREHOST_EXPORT SynthesisHelper : public QObject
{
    Q_OBJECT
public:
    enum SynthesizeTool { SynplifyPro = 0, VeltraSynthesis = 1 };

    explicit SynthesisHelper(QObject *parent = nullptr);
    ~SynthesisHelper() override;

    void setSynthesizeTool(int tool);
    void setArgs(const SynthesizeArgs &args);
    void setProgressDlgWindowTitle(const QString &title);
    void showProgressDlg();
    void hideProgressDlg();
    void start();

    // One-line summary of the last failure (empty when the tool said nothing useful).
    QString errorMsg() const;
    // The tool's error lines of the last run.
    QStringList detailErrorMsgs() const;

signals:
    void finished(int exitCode);

private:
    class Private;
    Private *d;
};

// Kills the process group of every tool running now. Async-signal-safe: for a handler of
// SIGINT or SIGTERM, so that ending the host ends its tools too.
IPCOREHOST_EXPORT void killToolProcesses();

} // namespace IPCore
