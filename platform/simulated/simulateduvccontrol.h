#pragma once

#include <QByteArray>
#include <QtEndian>

namespace platform {

// One control of a virtual UVC unit. Every value is held as the bytes the device sends, so that
// multi-field controls (pan and tilt, region of interest, version texts) need no special case.
struct SimulatedUvcControl
{
    quint8 unit = 0;
    quint8 selector = 0;
    quint16 length = 0;
    // GET_INFO bits: 0x01 GET supported, 0x02 SET supported.
    quint8 info = 0x03;
    // A scalar control holds one signed number of its length; SET_CUR outside min..max is refused, as a
    // real device stalls the pipe. Multi-field controls are taken as they come.
    bool scalar = true;
    QByteArray minimum;
    QByteArray maximum;
    QByteArray resolution;
    QByteArray defaultValue;
    QByteArray current;

    static QByteArray bytes(qint64 value, int length)
    {
        QByteArray data(length, '\0');
        for (int i = 0; i < length && i < 8; ++i)
            data[i] = char((quint64(value) >> (8 * i)) & 0xff);
        return data;
    }

    static qint64 signedValue(const QByteArray &data)
    {
        switch (data.size()) {
        case 1: return qint8(data.at(0));
        case 2: return qFromLittleEndian<qint16>(data.constData());
        case 4: return qFromLittleEndian<qint32>(data.constData());
        case 8: return qFromLittleEndian<qint64>(data.constData());
        default: return 0;
        }
    }

    static SimulatedUvcControl number(quint8 unit, quint8 selector, quint16 length, qint64 minimum,
                                      qint64 maximum, qint64 defaultValue, qint64 resolution = 1)
    {
        SimulatedUvcControl control;
        control.unit = unit;
        control.selector = selector;
        control.length = length;
        control.minimum = bytes(minimum, length);
        control.maximum = bytes(maximum, length);
        control.resolution = bytes(resolution, length);
        control.defaultValue = bytes(defaultValue, length);
        control.current = control.defaultValue;
        return control;
    }

    static SimulatedUvcControl fields(quint8 unit, quint8 selector, quint16 length,
                                      const QByteArray &current = QByteArray())
    {
        SimulatedUvcControl control;
        control.unit = unit;
        control.selector = selector;
        control.length = length;
        control.scalar = false;
        const QByteArray zero(length, '\0');
        control.minimum = control.maximum = control.resolution = control.defaultValue = zero;
        control.current = current.leftJustified(length, '\0', true);
        return control;
    }
};

} // namespace platform
