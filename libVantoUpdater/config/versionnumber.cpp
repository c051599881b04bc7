#include "versionnumber.h"

#include <QStringList>

namespace {
constexpr int FieldCount = 4;
}

bool VersionNumber::isOlder(const QString &local, const QString &remote)
{
    for (int i = 0; i < FieldCount; ++i) {
        const quint64 l = field(local, i);
        const quint64 r = field(remote, i);
        if (l != r)
            return l < r;
    }
    return false;
}

quint64 VersionNumber::field(const QString &version, int index)
{
    const QStringList fields = version.split(QLatin1Char('.'));
    if (index < 0 || index >= fields.size())
        return 0;
    bool ok = false;
    const QString text = fields.at(index).trimmed();
    // Only plain digits: toULongLong would also take "+5" and we want "1a" to be 0, not a guess.
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return 0;
    }
    const quint64 value = text.toULongLong(&ok);
    return ok ? value : 0;
}
