#pragma once

#include <QtGlobal>

#if defined(VANTOQRCODE_LIBRARY)
#define VANTOQRCODE_EXPORT Q_DECL_EXPORT
#else
#define VANTOQRCODE_EXPORT Q_DECL_IMPORT
#endif
