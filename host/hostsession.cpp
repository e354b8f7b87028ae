#include "hostsession.h"

#include "ipcorefunctions.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QSaveFile>
#include <QTextStream>

namespace IPGen {

namespace {

QString absolutePath(const QString &path, const QDir &base)
{
    return QDir::cleanPath(base.absoluteFilePath(path));
}

} // namespace

HostSession &HostSession::instance()
{
    static HostSession session;
    return session;
}

QString HostSession::shareDirectory() const
{
    if (!m_shareDirectory.isEmpty())
        return m_shareDirectory;
    const QString installed = QCoreApplication::applicationDirPath() + QStringLiteral("/share");
    if (QFileInfo(installed).isDir())
        return installed;
    return QStringLiteral(IPGEN_SOURCE_SHARE_DIR);
}

QWidget *HostSession::messageParent() const
{
    return m_dialogParent ? m_dialogParent : QApplication::activeWindow();
}

bool HostSession::openProject(const QString &path, QString *error)
{
    QFile file(path);
    if (!file.exists()) {
        QSaveFile created(path);
        const QByteArray header = "# ipgen project: one file per line\n";
        if (!created.open(QIODevice::WriteOnly) || created.write(header) != header.size() ||
            !created.flush() || !created.commit()) {
            if (error)
                *error = QStringLiteral("Cannot create the project file %1: %2")
                             .arg(path, created.errorString());
            return false;
        }
    } else if (!QFileInfo(path).isFile()) {
        if (error)
            *error =
                QStringLiteral("Cannot read the project file %1: not a regular file").arg(path);
        return false;
    }
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        if (error)
            *error =
                QStringLiteral("Cannot read the project file %1: %2").arg(path, file.errorString());
        return false;
    }
    // Relative entries are relative to the project's folder, as when the project is moved.
    const QDir base = QFileInfo(path).absoluteDir();
    QStringList files;
    QTextStream in(&file);
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const QString entry = absolutePath(line, base);
        if (!files.contains(entry))
            files.append(entry);
    }
    m_projectFile = path;
    m_projectFiles = files;
    emit projectChanged();
    return true;
}

bool HostSession::addProjectFiles(const QStringList &files, QString *error)
{
    QStringList added;
    for (const QString &path : files) {
        const QString entry = absolutePath(path, QDir::current());
        if (!m_projectFiles.contains(entry) && !added.contains(entry))
            added.append(entry);
    }
    if (added.isEmpty())
        return true;

    if (!m_projectFile.isEmpty()) {
        // Appending to the text as it stands keeps the user's comments and order.
        QByteArray text;
        QFile current(m_projectFile);
        if (current.open(QIODevice::ReadOnly))
            text = current.readAll();
        if (!text.isEmpty() && !text.endsWith('\n'))
            text.append('\n');
        text.append(added.join(QLatin1Char('\n')).toUtf8()).append('\n');

        QSaveFile out(m_projectFile);
        if (!out.open(QIODevice::WriteOnly) || out.write(text) != text.size() || !out.flush() ||
            !out.commit()) {
            if (error)
                *error = QStringLiteral("Cannot write the project file %1: %2")
                             .arg(m_projectFile, out.errorString());
            return false;
        }
    }
    m_projectFiles.append(added);
    emit projectChanged();
    return true;
}

void HostSession::requestEditor(const QString &path, bool activate)
{
    emit editorRequested(path, activate);
}

void HostSession::reportErrors(const QString &message, const QStringList &details)
{
    emit errorsReported(message, details);
}

void HostSession::reportUnwrittenRecord(const QString &path, const QString &reason)
{
    emit recordNotWritten(path, reason);
}

void HostSession::announceGenerated(IPCore::IPGenDialog *dialog)
{
    emit generated(dialog);
}

} // namespace IPGen

namespace IPCore {

void showErrorMsgs(const QString &message, const QStringList &details)
{
    IPGen::HostSession &session = IPGen::HostSession::instance();
    // Reported first, so a front end has logged the errors before the box waits for an answer.
    session.reportErrors(message, details);
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Error"), message, QMessageBox::Ok,
                    session.messageParent());
    if (!details.isEmpty())
        box.setDetailedText(details.join(QLatin1Char('\n')));
    box.exec();
}

void addFilesToProject(const QStringList &files)
{
    IPGen::HostSession &session = IPGen::HostSession::instance();
    QString error;
    if (!session.addProjectFiles(files, &error))
        showErrorMsgs(error, {});
}

} // namespace IPCore
