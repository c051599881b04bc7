#pragma once

#include <QtGlobal>

#if defined(JOURNIX_LIBRARY)
#  define JOURNIX_EXPORT Q_DECL_EXPORT
#else
#  define JOURNIX_EXPORT Q_DECL_IMPORT
#endif
