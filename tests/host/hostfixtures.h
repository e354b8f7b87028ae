#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>

#include <cstdio>
#include <unistd.h>

namespace HostTest {

// Settings that run the scripted stand-in for "Synplify Pro" (tests/synplify_standin.tcl).
inline QByteArray synplifyStandIn()
{
    return "[SynplifyPro]\ncommand=tclsh\narguments=" + qgetenv("DDR3PHY_SOURCE_DIR") +
           "/tests/synplify_standin.tcl\n";
}

inline bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

inline QByteArray readBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline QString readText(const QString &path)
{
    return QString::fromUtf8(readBytes(path));
}

// Sends what the process writes on stderr to a temporary file until text() is called.
class StderrCapture
{
public:
    StderrCapture() : m_file(std::tmpfile())
    {
        std::fflush(stderr);
        m_saved = ::dup(2);
        ::dup2(::fileno(m_file), 2);
    }
    ~StderrCapture()
    {
        restore();
        std::fclose(m_file);
    }
    StderrCapture(const StderrCapture &) = delete;
    StderrCapture &operator=(const StderrCapture &) = delete;

    QString text()
    {
        restore();
        std::rewind(m_file);
        QFile captured;
        captured.open(m_file, QIODevice::ReadOnly);
        return QString::fromUtf8(captured.readAll());
    }

private:
    void restore()
    {
        if (m_saved < 0)
            return;
        std::fflush(stderr);
        ::dup2(m_saved, 2);
        ::close(m_saved);
        m_saved = -1;
    }

    std::FILE *m_file;
    int m_saved = -1;
};

} // namespace HostTest
