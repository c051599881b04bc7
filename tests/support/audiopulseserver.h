#pragma once

#include <QProcess>
#include <QString>

#include <memory>

// A private PulseAudio server for one test, run as a child in the test's own runtime folder (so it
// neither sees nor disturbs a user's server), with a null source as its one real input.
class PulseAudioServer
{
public:
    static constexpr const char *SourceName = "lumidesk_null_input";

    PulseAudioServer();
    ~PulseAudioServer();

    // False (with lastError) when pulseaudio is missing or does not answer within a few seconds.
    bool start();
    void stop();
    QString lastError() const { return m_error; }

private:
    bool answers() const;

    std::unique_ptr<QProcess> m_process;
    QString m_error;
};
