#pragma once

#include "telegateglobal.h"

#include <QByteArray>

// One message between a phone and the remote-control server: [u32 id][u32 payload length][payload],
// both numbers little-endian. Phones send command ids of the form 0x80000xxx; anything else is not
// a phone speaking this protocol.
class TELEGATE_EXPORT TelegateFrame
{
public:
    static constexpr int HeaderSize = 8;
    // The largest payload a phone may send; commands are a few bytes, so more is a broken peer.
    static constexpr quint32 MaxPayload = 64 * 1024;

    enum Header {
        Valid,
        TooLarge,
        NotACommand
    };

    static QByteArray encode(quint32 id, const QByteArray &payload);
    // Judges the first HeaderSize bytes of a frame a phone sent and gives its id and payload length.
    static Header readHeader(const char *header, quint32 *id, quint32 *length);
    static bool isCommandId(quint32 id);

private:
    TelegateFrame() = delete;
};
