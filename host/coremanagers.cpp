#include "coremanagers.h"

#include "hostsession.h"

namespace Core {

QWidget *ViewManager::dialogParent()
{
    return IPGen::HostSession::instance().dialogParent();
}

void EditorManager::openEditor(const QString &path, bool activate)
{
    IPGen::HostSession::instance().requestEditor(path, activate);
}

} // namespace Core
