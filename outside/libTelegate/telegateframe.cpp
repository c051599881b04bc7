#include "telegateframe.h"

#include <QtEndian>

QByteArray TelegateFrame::encode(quint32 id, const QByteArray &payload)
{
    QByteArray frame(HeaderSize, Qt::Uninitialized);
    qToLittleEndian<quint32>(id, frame.data());
    qToLittleEndian<quint32>(quint32(payload.size()), frame.data() + 4);
    frame.append(payload);
    return frame;
}

TelegateFrame::Header TelegateFrame::readHeader(const char *header, quint32 *id, quint32 *length)
{
    *id = qFromLittleEndian<quint32>(header);
    *length = qFromLittleEndian<quint32>(header + 4);
    if (!isCommandId(*id))
        return NotACommand;
    if (*length > MaxPayload)
        return TooLarge;
    return Valid;
}

bool TelegateFrame::isCommandId(quint32 id)
{
    return (id & 0xFFFFF000u) == 0x80000000u;
}
