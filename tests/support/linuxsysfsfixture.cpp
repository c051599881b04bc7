#include "linuxsysfsfixture.h"

#include <QDir>
#include <QFile>

namespace {

bool writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray result;
    for (int value : values)
        result.append(char(value));
    return result;
}

} // namespace

QByteArray LinuxSysfsFixture::uvcConfiguration(quint8 interfaceNumber, quint8 cameraTerminalId,
                                               quint8 processingUnitId)
{
    QByteArray body;
    body += bytes({8, 0x0b, interfaceNumber, 2, 0x0e, 0x03, 0, 0});                    // association
    body += bytes({9, 0x04, interfaceNumber, 0, 1, 0x0e, 0x01, 0, 0});                 // video control
    body += bytes({13, 0x24, 0x01, 0x00, 0x01, 0x4d, 0, 0x00, 0x6c, 0xdc, 0x02, 1, 1}); // header
    body += bytes({18, 0x24, 0x02, cameraTerminalId, 0x01, 0x02, 0, 0, 0, 0, 0, 0, 0, 0, 3, 0x0a, 0x2a, 0});
    body += bytes({11, 0x24, 0x05, processingUnitId, cameraTerminalId, 0, 0, 2, 0x7f, 0x17, 0});
    body += bytes({27, 0x24, 0x06, 5, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88, 0x99, 0xaa, 0xbb, 0xcc,
                   0xdd, 0xee, 0xff, 0x00, 8, 1, processingUnitId, 2, 0xff, 0xff, 0});
    body += bytes({7, 0x05, 0x83, 0x03, 0x10, 0, 6});                                   // interrupt endpoint
    body += bytes({5, 0x25, 0x03, 0x10, 0});
    body += bytes({9, 0x04, quint8(interfaceNumber + 1), 0, 0, 0x0e, 0x02, 0, 0});     // video streaming
    body += bytes({14, 0x24, 0x01, 1, 0x4d, 0, 0x81, 0, 0x03, 0, 0, 0, 1, 0});
    const int total = 9 + body.size();
    return bytes({9, 0x02, total & 0xff, total >> 8, 2, 1, 0, 0x80, 0xfa}) + body;
}

QByteArray LinuxSysfsFixture::descriptorsFile(const QByteArray &configuration)
{
    return bytes({18, 0x01, 0x00, 0x02, 0xef, 0x02, 0x01, 0x40, 0x74, 0x25, 0x01, 0x07, 0x00, 0x01, 1, 2, 0, 1})
           + configuration;
}

bool LinuxSysfsFixture::writeDevice(const QString &root, const QString &name, quint16 vendorId, quint16 productId,
                                    const QString &product, const QByteArray &descriptors,
                                    const QStringList &videoNodes)
{
    const QString device = root + QLatin1Char('/') + name;
    if (!QDir().mkpath(device))
        return false;
    bool ok = writeFile(device + QStringLiteral("/idVendor"), QByteArray::number(vendorId, 16).rightJustified(4, '0') + '\n')
              && writeFile(device + QStringLiteral("/idProduct"), QByteArray::number(productId, 16).rightJustified(4, '0') + '\n')
              && writeFile(device + QStringLiteral("/product"), product.toUtf8() + '\n')
              && writeFile(device + QStringLiteral("/descriptors"), descriptors);
    for (const QString &node : videoNodes)
        ok = ok && QDir().mkpath(device + QLatin1Char('/') + name + QStringLiteral(":1.0/video4linux/") + node);
    return ok;
}
