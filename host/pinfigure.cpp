#include "pinfigure.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace Utils {

PinFigure::PinFigure(const QString &name, int direction, bool bus, Qt::AlignmentFlag side)
    : m_name(name), m_direction(direction), m_bus(bus), m_side(side)
{
}

// Empty when copied, else the reason.
static QString copyProblem(const QString &from, const QString &to)
{
    if (from.isEmpty())
        return QStringLiteral("no source file given");
    const QFileInfo info(from);
    if (!info.exists())
        return QStringLiteral("no such file");
    if (!info.isFile())
        return QStringLiteral("not a file");
    // Replacing the target would destroy the source.
    if (info.canonicalFilePath() == QFileInfo(to).canonicalFilePath())
        return QStringLiteral("source and target are the same file");
    // Through a temporary file and a rename: a failed copy leaves the old target as it was.
    QFile source(from);
    if (!source.open(QIODevice::ReadOnly))
        return source.errorString();
    QSaveFile target(to);
    if (!target.open(QIODevice::WriteOnly))
        return target.errorString();
    while (!source.atEnd()) {
        const QByteArray block = source.read(1 << 20);
        if (source.error() != QFileDevice::NoError)
            return source.errorString();
        if (target.write(block) != block.size())
            return target.errorString();
    }
    if (!target.flush() || !target.commit())
        return target.errorString();
    return QString();
}

bool FileUtils::copyFile(const QString &from, const QString &to, QString *error)
{
    const QString problem = copyProblem(from, to);
    if (problem.isEmpty())
        return true;
    if (error)
        *error = QStringLiteral("Cannot copy %1 to %2: %3").arg(from, to, problem);
    return false;
}

} // namespace Utils
