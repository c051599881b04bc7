#include "downloadname.h"

#include <QByteArray>

namespace {
// Longer names than a Linux file system takes would only fail later, at the open.
constexpr int MaxNameBytes = 255;
}

QString DownloadName::fromUrl(const QUrl &url)
{
    if (!url.isValid())
        return QString();
    // Split the still-encoded path, so an escaped "/" cannot make a segment of its own; decode after.
    const QByteArray path = url.path(QUrl::FullyEncoded).toLatin1();
    const QByteArray segment = path.mid(path.lastIndexOf('/') + 1);
    const QByteArray decoded = QByteArray::fromPercentEncoding(segment);
    // Text conversion would stop at an escaped NUL and hand back a shorter name than the address gave.
    if (decoded.contains('\0'))
        return QString();
    const QString name = QString::fromUtf8(decoded.constData(), decoded.size());
    return isSafe(name) ? name : QString();
}

bool DownloadName::isSafe(const QString &name)
{
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return false;
    if (name.toUtf8().size() > MaxNameBytes)
        return false;
    for (const QChar c : name) {
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c.unicode() < 0x20 || c.unicode() == 0x7f
            || c == QChar::ReplacementCharacter)
            return false;
    }
    return !name.contains(QLatin1String(".."));
}
