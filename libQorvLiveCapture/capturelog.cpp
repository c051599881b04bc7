#include "capturelog.h"

Q_LOGGING_CATEGORY(lcCapture, "qorv.capture", QtWarningMsg)
