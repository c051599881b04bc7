#pragma once

#include "audio/audioinputs.h"

#include <QHash>

namespace platform {

// The inputs Qt Multimedia offers over PulseAudio. Qt names each by its PulseAudio source name, which
// stays the same across restarts, so that is the unique id; the name shown is the source's
// description as PulseAudio gives it, or the source name when the description cannot be read.
class PulseAudioInputs : public AudioInputs
{
    Q_OBJECT

public:
    explicit PulseAudioInputs(QObject *parent = nullptr);

    QList<AudioInputInfo> inputs() const override;
    AudioInputStream *createStream(const QString &uniqueId, QObject *parent = nullptr) override;

    // Source name -> description from the text of "pactl list sources".
    static QHash<QString, QString> parseSourceDescriptions(const QString &pactlOutput);

private:
    static QHash<QString, QString> readSourceDescriptions();
};

} // namespace platform
