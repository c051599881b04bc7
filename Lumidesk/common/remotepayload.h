#pragma once

#include <QByteArray>

#include <initializer_list>

// The phone's payloads carry their numbers as little-endian int32s, one after the other. The toolbar
// and the camera windows read and answer them alike.
class RemotePayload
{
public:
    // The int32 the payload starts with. A shorter payload is logged with the command's id and gives
    // false: nothing past its end is read.
    static bool readInt32(const QByteArray &payload, quint32 id, qint32 *value);
    static QByteArray int32s(std::initializer_list<qint32> values);
    // Little-endian 16-bit words, for the replies that carry rectangles and fixed words.
    static QByteArray uint16s(std::initializer_list<quint16> values);

private:
    RemotePayload() = delete;
};
