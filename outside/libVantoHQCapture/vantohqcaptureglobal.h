#pragma once

#include <QtGlobal>

#if defined(VANTOHQCAPTURE_LIBRARY)
#define VANTOHQCAPTURE_EXPORT Q_DECL_EXPORT
#else
#define VANTOHQCAPTURE_EXPORT Q_DECL_IMPORT
#endif
