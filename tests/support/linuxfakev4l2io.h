#pragma once

#include "video/linux/v4l2io.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QStringList>

// A V4L2 device without a device: answers the ioctls of the Linux camera backends from tables and
// writes each one into a log ("S_CTRL brightness=-5", "XU 5:0x14 GET_LEN"), so that tests can check
// what would have reached a camera.
class LinuxFakeV4l2Io : public platform::V4l2Io
{
public:
    struct Control
    {
        qint32 minimum = 0;
        qint32 maximum = 255;
        qint32 step = 1;
        qint32 defaultValue = 0;
        qint32 value = 0;
        quint32 flags = 0;
    };

    struct ExtensionControl
    {
        quint16 length = 1;
        quint8 info = 0x03; // GET and SET
        QByteArray current, minimum, maximum, defaultValue;
        bool shortReply = false; // the device answers data queries with fewer bytes than asked
    };

    struct Interval
    {
        quint32 numerator = 1;
        quint32 denominator = 30;
    };

    struct Size
    {
        quint32 width = 0;
        quint32 height = 0;
        QList<Interval> intervals;
        bool stepwiseIntervals = false; // intervals[0] is the shortest, intervals[1] the longest
    };

    struct Format
    {
        quint32 pixelFormat = 0;
        QList<Size> sizes;
        bool stepwiseSizes = false; // sizes[0] is the smallest, sizes[1] the largest
    };

    // Nodes that open, with the device_caps they report.
    QMap<QString, quint32> nodes;
    QMap<quint32, Control> controls;
    QMap<quint16, ExtensionControl> extensionControls; // key: unit << 8 | selector
    QList<Format> formats;
    quint32 currentPixelFormat = 0;
    quint32 currentWidth = 0;
    quint32 currentHeight = 0;
    Interval currentInterval;
    int setFormatError = 0; // errno S_FMT fails with, e.g. EBUSY
    bool adjustSetFormat = false; // S_FMT answers another size than asked, as drivers do

    QStringList log;
    int openCount = 0;
    int closeCount = 0;

    static quint16 key(quint8 unit, quint8 selector) { return quint16(unit << 8 | selector); }

    int open(const QString &node) override;
    void close(int fd) override;
    int ioctl(int fd, unsigned long request, void *argument) override;

private:
    int queryCapability(int fd, void *argument);
    int queryControl(void *argument);
    int getControl(void *argument);
    int setControl(void *argument);
    int extensionQuery(void *argument);
    int enumerateFormat(void *argument);
    int enumerateSizes(void *argument);
    int enumerateIntervals(void *argument);
    int getFormat(void *argument);
    int setFormat(void *argument);
    int getParameters(void *argument);
    int setParameters(void *argument);
    const Size *findSize(quint32 pixelFormat, quint32 width, quint32 height) const;

    QMap<int, QString> m_open;
    int m_nextFd = 3;
};
