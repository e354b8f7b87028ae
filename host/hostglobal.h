#pragma once

#include <QtGlobal>

#if defined(IPCOREHOST_LIBRARY)
#define IPCOREHOST_EXPORT Q_DECL_EXPORT
#else
#define IPCOREHOST_EXPORT Q_DECL_IMPORT
#endif
