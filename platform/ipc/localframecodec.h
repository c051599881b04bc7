#pragma once

#include <QByteArray>
#include <QString>

class QIODevice;

namespace platform {

// The framing of the local command link: each message is one QString written by a QDataStream of the
// Qt 4.0 format (version 7): a big-endian 32-bit byte count (0xFFFFFFFF for a null string), then the
// text as big-endian UTF-16. Nothing separates two messages.
//
// Reading goes through a data-stream transaction, so a message split across reads waits for its
// remaining bytes and several messages in one read are all decoded. A byte count above MaxTextBytes or
// an odd one cannot come from a sound peer: the reader reports it as corrupt and the caller closes the
// connection rather than waiting for gigabytes that will never come.
class LocalFrameCodec
{
public:
    enum Result { Complete, Incomplete, Corrupt };

    static const quint32 MaxTextBytes = 64 * 1024;
    static const quint32 NullText = 0xFFFFFFFFu;

    static QByteArray encode(const QString &text);

    // Reads the next message from device into text. Incomplete leaves every byte in the device.
    static Result decode(QIODevice *device, QString *text);

private:
    LocalFrameCodec() = delete;
};

} // namespace platform
