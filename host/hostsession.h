#pragma once

#include "hostglobal.h"

#include <QObject>
#include <QString>
#include <QStringList>

class QWidget;

namespace IPCore {
class IPGenDialog;
}

namespace IPGen {

// State of the running host application that the host services act on: the window dialogs are
// parented on, the open project, the editor area, the settings file and batch mode. The
// application sets it up; the library's services (editor, project, errors, synthesis) report
// through its signals so that the window or the batch front end can show them.
class IPCOREHOST_EXPORT HostSession : public QObject
{
    Q_OBJECT
public:
    static HostSession &instance();

    // Batch runs have no windows: synthesis shows no progress dialog.
    bool batch() const { return m_batch; }
    void setBatch(bool batch) { m_batch = batch; }

    // Files-only runs: a synthesis helper's start() announces the run and starts no tool.
    bool filesOnly() const { return m_filesOnly; }
    void setFilesOnly(bool filesOnly) { m_filesOnly = filesOnly; }

    // Seconds a synthesis run may take before its tool is stopped; 0: no limit.
    int synthesisTimeout() const { return m_synthesisTimeout; }
    void setSynthesisTimeout(int seconds) { m_synthesisTimeout = seconds; }

    QWidget *dialogParent() const { return m_dialogParent; }
    void setDialogParent(QWidget *parent) { m_dialogParent = parent; }

    // ipgen.ini: the host's settings (external tool commands). Empty: none configured.
    QString settingsFile() const { return m_settingsFile; }
    void setSettingsFile(const QString &path) { m_settingsFile = path; }

    // The folder with the host's device primitives (veltra_prims.v) and data. An explicit folder
    // set here wins over the one found next to the application.
    QString shareDirectory() const;
    void setShareDirectory(const QString &path) { m_shareDirectory = path; }

    // Where host messages are parented: the dialog parent, else the active window.
    QWidget *messageParent() const;

    // The project: a text file listing one path per line. Empty file name: no project open;
    // added files are then only kept in memory.
    QString projectFile() const { return m_projectFile; }
    bool openProject(const QString &path, QString *error = nullptr);
    QStringList projectFiles() const { return m_projectFiles; }
    bool addProjectFiles(const QStringList &files, QString *error = nullptr);

    void requestEditor(const QString &path, bool activate);
    void reportErrors(const QString &message, const QStringList &details);
    void reportUnwrittenRecord(const QString &path, const QString &reason);
    void announceGenerated(IPCore::IPGenDialog *dialog);

signals:
    void projectChanged();
    void editorRequested(const QString &path, bool activate);
    void errorsReported(const QString &message, const QStringList &details);
    // A core's configuration record could not be written; the generation went on without it.
    void recordNotWritten(const QString &path, const QString &reason);
    // A core's dialog closed accepted: its generation is complete. Sent by the dialog frame.
    void generated(IPCore::IPGenDialog *dialog);
    // A core's dialog is about to be shown for the first time: its controls are set up (a
    // re-opened record is applied) and it is not visible yet. Sent by the dialog frame.
    void dialogAboutToShow(IPCore::IPGenDialog *dialog);
    // Emitted by every SynthesisHelper, so front ends can follow a run without knowing the core.
    void synthesisStarted(const QString &title);
    void synthesisLog(const QString &line);
    void synthesisFinished(int exitCode);

private:
    HostSession() = default;
    bool m_batch = false;
    bool m_filesOnly = false;
    int m_synthesisTimeout = 0;
    QWidget *m_dialogParent = nullptr;
    QString m_settingsFile;
    QString m_shareDirectory;
    QString m_projectFile;
    QStringList m_projectFiles;
};

} // namespace IPGen
