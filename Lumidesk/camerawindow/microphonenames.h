#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The texts of a camera window's microphone list, after its first entry ("Mute"): each input's name,
// cut to 25 characters and "..." when it is longer, and later copies of an equal text numbered
// " (2)", " (3)", ... in list order.
class MicrophoneNames
{
public:
    static constexpr int MaxShownLength = 25;

    static QString shortened(const QString &name);
    static QStringList entryTexts(const QList<QString> &names);

private:
    MicrophoneNames() = delete;
};
