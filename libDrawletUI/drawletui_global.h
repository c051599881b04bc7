#pragma once

#include <QtCore/qglobal.h>

#if defined(DRAWLETUI_LIBRARY)
#define DRAWLETUI_EXPORT Q_DECL_EXPORT
#else
#define DRAWLETUI_EXPORT Q_DECL_IMPORT
#endif
