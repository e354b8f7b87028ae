#pragma once

#include "hostglobal.h"

#include <QString>
#include <Qt>

namespace Utils {

// One port of the figure the generation dialog draws: 0 in, 1 out, 2 inout; side AlignLeft for
// the device-side ports, AlignRight for the controller-side ports.
class IPCOREHOST_EXPORT PinFigure
{
public:
    PinFigure(const QString &name, int direction, bool bus, Qt::AlignmentFlag side);

    QString name() const { return m_name; }
    int direction() const { return m_direction; }
    bool isBus() const { return m_bus; }
    Qt::AlignmentFlag side() const { return m_side; }

private:
    QString m_name;
    int m_direction;
    bool m_bus;
    Qt::AlignmentFlag m_side;
};

class IPCOREHOST_EXPORT FileUtils
{
public:
    // Copies, replacing an existing target. On failure returns false with a one-line reason.
    static bool copyFile(const QString &from, const QString &to, QString *error);
};

} // namespace Utils
