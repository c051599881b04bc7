#pragma once

#include "audio/audioinputinfo.h"

#include <QList>
#include <QObject>

namespace platform {

class AudioInputStream;

// The sound inputs of the system.
class AudioInputs : public QObject
{
    Q_OBJECT

public:
    // The process-wide instance of the chosen backend, made on first use.
    static AudioInputs *instance();

    ~AudioInputs() override = default;

    virtual QList<AudioInputInfo> inputs() const = 0;
    // A capture stream of the input with this unique id; null when there is none.
    virtual AudioInputStream *createStream(const QString &uniqueId, QObject *parent = nullptr) = 0;

    bool contains(const QString &uniqueId) const;
    QString nameOf(const QString &uniqueId) const;

signals:
    void inputsChanged();

protected:
    using QObject::QObject;
};

} // namespace platform
