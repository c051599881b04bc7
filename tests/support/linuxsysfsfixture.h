#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Builds the sysfs view of a USB camera in a test folder, and the descriptors such a camera reports.
class LinuxSysfsFixture
{
public:
    // A configuration descriptor of a UVC camera: a video-control interface with a camera terminal, a
    // processing unit and an extension unit, then a video-streaming interface.
    static QByteArray uvcConfiguration(quint8 interfaceNumber, quint8 cameraTerminalId, quint8 processingUnitId);
    // What the "descriptors" attribute holds: the device descriptor, then the configuration.
    static QByteArray descriptorsFile(const QByteArray &configuration);

    // <root>/<name> with idVendor, idProduct, product and descriptors, and one video4linux folder
    // per entry of videoNodes under interface <name>:1.0. False when a file could not be written.
    static bool writeDevice(const QString &root, const QString &name, quint16 vendorId, quint16 productId,
                            const QString &product, const QByteArray &descriptors, const QStringList &videoNodes);

private:
    LinuxSysfsFixture() = delete;
};
