#pragma once

#include <QLoggingCategory>

// The capture library's diagnostics ("qorv.capture"); silence them with QT_LOGGING_RULES.
Q_DECLARE_LOGGING_CATEGORY(lcCapture)
