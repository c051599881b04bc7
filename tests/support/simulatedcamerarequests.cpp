#include "simulatedcamerarequests.h"

#include <QStringList>

QString describeRequest(const platform::UsbControlRequest &request)
{
    QString text = QStringLiteral("%1 %2 %3 %4 %5")
                       .arg(request.bmRequestType, 2, 16, QLatin1Char('0'))
                       .arg(request.bRequest, 2, 16, QLatin1Char('0'))
                       .arg(request.wValue, 4, 16, QLatin1Char('0'))
                       .arg(request.wIndex, 4, 16, QLatin1Char('0'))
                       .arg(request.wLength);
    if (!request.isDeviceToHost())
        text += QLatin1Char(' ') + QString::fromLatin1(request.data.toHex());
    return text;
}

QString describeRequests(const QList<platform::SimulatedUvcDevice::LoggedRequest> &log)
{
    QStringList lines;
    for (const auto &entry : log)
        lines.append(describeRequest(entry.request));
    return lines.join(QLatin1String("; "));
}
