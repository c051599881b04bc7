#pragma once

#include <QtCore/qglobal.h>

#if defined(PLUGMUX_LIBRARY)
#define PLUGMUX_EXPORT Q_DECL_EXPORT
#else
#define PLUGMUX_EXPORT Q_DECL_IMPORT
#endif
