#pragma once

#include "usb/linux/uvcunitids.h"
#include "usb/linux/uvcv4l2mapping.h"
#include "usb/usbcontrolrequest.h"

#include <QString>

namespace platform {

class V4l2Handle;
class V4l2Io;

// Carries UVC class requests to a camera that uvcvideo owns. The driver keeps the USB interface, so a
// request becomes what the driver offers in its place: a UVCIOC_CTRL_QUERY for an extension unit, and
// V4L2 controls for the processing unit and the camera terminal.
class UvcRequestBridge
{
public:
    UvcRequestBridge(V4l2Io &io, const QString &node, const UvcUnitIds &units);

    // True only when the request was carried out and, for a read, exactly wLength bytes came back.
    bool send(UsbControlRequest &request);

private:
    bool sendTranslated(V4l2Handle &node, const UvcV4l2Mapping &mapping, UsbControlRequest &request);
    bool readTranslated(V4l2Handle &node, const UvcV4l2Mapping &mapping, quint8 query, QByteArray *data);
    bool writeTranslated(V4l2Handle &node, const UvcV4l2Mapping &mapping, const QByteArray &data);
    bool readInfo(V4l2Handle &node, const UvcV4l2Mapping &mapping, QByteArray *data);
    bool sendToExtensionUnit(V4l2Handle &node, quint8 unit, quint8 selector, UsbControlRequest &request);

    V4l2Io &m_io;
    QString m_node;
    UvcUnitIds m_units;
};

} // namespace platform
