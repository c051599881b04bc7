#pragma once

#include <QtGlobal>

#if defined(TELEGATE_LIBRARY)
#define TELEGATE_EXPORT Q_DECL_EXPORT
#else
#define TELEGATE_EXPORT Q_DECL_IMPORT
#endif
