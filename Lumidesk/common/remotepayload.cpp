#include "common/remotepayload.h"

#include "common/lumidesklog.h"

#include <QtEndian>

namespace {

template<typename T>
QByteArray littleEndian(std::initializer_list<T> values)
{
    QByteArray payload(int(values.size() * sizeof(T)), Qt::Uninitialized);
    char *out = payload.data();
    for (const T value : values) {
        qToLittleEndian<T>(value, out);
        out += sizeof(T);
    }
    return payload;
}

} // namespace

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
    return littleEndian(values);
}

QByteArray RemotePayload::uint16s(std::initializer_list<quint16> values)
{
    return littleEndian(values);
}
