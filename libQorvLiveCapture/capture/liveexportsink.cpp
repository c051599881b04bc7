#include "capture/liveexportsink.h"

LiveExportSink::~LiveExportSink() = default;
