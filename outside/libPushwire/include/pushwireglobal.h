#pragma once

#include <QtGlobal>

#if defined(PUSHWIRE_LIBRARY)
#  define PUSHWIRE_EXPORT Q_DECL_EXPORT
#else
#  define PUSHWIRE_EXPORT Q_DECL_IMPORT
#endif
