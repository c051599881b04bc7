#pragma once

#include <QLibrary>
#include <QMutex>
#include <QString>

class QObject;

namespace platform {

class AudioInputStream;

// The audio capture module, where capture through Qt Multimedia lives: loaded the first time the
// inputs of the server are listed, so that a start that never lists them loads no Qt Multimedia and
// none of what it brings (its own PulseAudio connection, libsndfile and its codecs). A module that
// cannot be loaded is an error with a reason, never a crash. Any thread.
class AudioCaptureModule
{
public:
    // The module's one entry: a stream of the input with this unique id, or null when there is none
    // or the version is not the module's.
    using CreateStreamFunction = AudioInputStream *(*)(int version, const QString &uniqueId, QObject *parent);
    static constexpr int InterfaceVersion = 1;
    static constexpr const char *CreateStreamEntry = "lumideskCreateAudioInputStream";

    // The module where the installed layout and the build tree put it.
    static QString installedModule();

    explicit AudioCaptureModule(const QString &modulePath = installedModule());

    // Loads the module now (once); false when it cannot be loaded (errorString() says why).
    bool load();
    // Why the load failed; empty after a success.
    QString errorString() const;

    // A capture stream of the input, or null when the module is not loaded or has no such input.
    AudioInputStream *createStream(const QString &uniqueId, QObject *parent);

private:
    mutable QMutex m_mutex;
    QLibrary m_module;
    bool m_tried = false;
    CreateStreamFunction m_create = nullptr;
    QString m_error;
};

} // namespace platform
