#include "pinfigure.h"

#include <QFile>
#include <QFileInfo>

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
    const QFileInfo source(from);
    if (!source.exists())
        return QStringLiteral("no such file");
    if (!source.isFile())
        return QStringLiteral("not a file");
    // Removing the target first would destroy the source.
    if (source.canonicalFilePath() == QFileInfo(to).canonicalFilePath())
        return QStringLiteral("source and target are the same file");
    QFile target(to);
    if (target.exists() && !target.remove())
        return target.errorString();
    QFile file(from);
    if (!file.copy(to))
        return file.errorString();
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
