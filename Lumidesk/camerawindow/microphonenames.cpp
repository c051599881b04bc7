#include "microphonenames.h"

#include <QHash>

QString MicrophoneNames::shortened(const QString &name)
{
    if (name.size() <= MaxShownLength)
        return name;
    return name.left(MaxShownLength) + QStringLiteral("...");
}

QStringList MicrophoneNames::entryTexts(const QList<QString> &names)
{
    QStringList texts;
    QHash<QString, int> copies;
    for (const QString &name : names) {
        const QString text = shortened(name);
        const int copy = ++copies[text];
        texts.append(copy == 1 ? text : QStringLiteral("%1 (%2)").arg(text).arg(copy));
    }
    return texts;
}
