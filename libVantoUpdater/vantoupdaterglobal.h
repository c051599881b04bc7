#pragma once

#include <QtGlobal>

#if defined(VANTOUPDATER_LIBRARY)
#define VANTOUPDATER_EXPORT Q_DECL_EXPORT
#else
#define VANTOUPDATER_EXPORT Q_DECL_IMPORT
#endif
