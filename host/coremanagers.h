#pragma once

#include "hostglobal.h"

#include <QString>

class QWidget;

namespace Core {

class IPCOREHOST_EXPORT ViewManager
{
public:
    // The window core dialogs are parented on (null in batch runs).
    static QWidget *dialogParent();
};

class IPCOREHOST_EXPORT EditorManager
{
public:
    // Opens a file read-only in the host's editor area; `activate` brings it to the front.
    static void openEditor(const QString &path, bool activate);
};

} // namespace Core
