#include "core/remotepayload.h"

#include "core/lumidesklog.h"

#include <QtEndian>

bool RemotePayload::readInt32(const QByteArray &payload, quint32 id, qint32 *value)
{
    if (payload.size() < int(sizeof(qint32))) {
        _LumideskLog::log(Journix::Warning, QStringLiteral("Phone command 0x%08x ignored: %d bytes, 4 needed."),
                          id, int(payload.size()));
        return false;
    }
    *value = qFromLittleEndian<qint32>(payload.constData());
    return true;
}

QByteArray RemotePayload::int32s(std::initializer_list<qint32> values)
{
    QByteArray payload(int(values.size() * sizeof(qint32)), Qt::Uninitialized);
    char *out = payload.data();
    for (const qint32 value : values) {
        qToLittleEndian<qint32>(value, out);
        out += sizeof(qint32);
    }
    return payload;
}
