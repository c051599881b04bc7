#pragma once

#include "simulated/simulateduvcdevice.h"

#include <QString>

// The requests a simulated camera saw, written the way a USB trace shows them, one per request and
// separated by "; ": bmRequestType bRequest wValue wIndex wLength, then the bytes sent for an OUT
// request, e.g. "21 01 0200 0200 2 0a00; a1 81 0200 0200 2".
QString describeRequests(const QList<platform::SimulatedUvcDevice::LoggedRequest> &log);
QString describeRequest(const platform::UsbControlRequest &request);
