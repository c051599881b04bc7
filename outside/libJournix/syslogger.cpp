#include "syslogger.h"

SysLogger::~SysLogger() = default;
