#include "ipc/localframecodec.h"

#include <QDataStream>
#include <QIODevice>
#include <QtEndian>

namespace platform {

namespace {

const int StreamVersion = QDataStream::Qt_4_0;
static_assert(QDataStream::Qt_4_0 == 7, "the link's data-stream version is 7");

} // namespace

QByteArray LocalFrameCodec::encode(const QString &text)
{
    QByteArray block;
    QDataStream out(&block, QIODevice::WriteOnly);
    out.setVersion(StreamVersion);
    out << text;
    return block;
}

LocalFrameCodec::Result LocalFrameCodec::decode(QIODevice *device, QString *text)
{
    char header[4];
    if (device->peek(header, sizeof header) < qint64(sizeof header))
        return Incomplete;
    const quint32 length = qFromBigEndian<quint32>(header);
    if (length != NullText && (length > MaxTextBytes || length % 2 != 0))
        return Corrupt;

    QDataStream in(device);
    in.setVersion(StreamVersion);
    in.startTransaction();
    QString decoded;
    in >> decoded;
    if (in.commitTransaction()) {
        *text = decoded;
        return Complete;
    }
    return in.status() == QDataStream::ReadPastEnd ? Incomplete : Corrupt;
}

} // namespace platform
