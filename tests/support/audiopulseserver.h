#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

#include <memory>

// A private PulseAudio server for one test, run as a child in the test's own runtime folder (so it
// neither sees nor disturbs a user's server), with a null source as its one real input and a null
// sink, whose monitor is a source that is no input. More sources can be plugged and unplugged while
// it runs, and it can be stopped and started again as a crashed or restarted sound server is.
class PulseAudioServer
{
public:
    static constexpr const char *SourceName = "lumidesk_null_input";
    static constexpr const char *SinkName = "lumidesk_null_output";

    PulseAudioServer();
    ~PulseAudioServer();

    // Whether pulseaudio and pactl are installed, so that a server is expected to start.
    static bool isInstalled();

    // False (with lastError) when pulseaudio is missing or does not answer within a few seconds.
    bool start();
    void stop();
    bool isRunning() const { return m_process != nullptr; }
    // The server's process id, to stop and continue it as a hung server; 0 when it is not running.
    qint64 processId() const { return m_process ? m_process->processId() : 0; }
    QString lastError() const { return m_error; }

    // Plugs in one more input, a null source; the index of its module to unplug it, or -1.
    int addSource(const QString &name, const QString &description);
    bool removeSource(int moduleIndex);

    // Runs pactl against this server: false when it failed, else its standard output in `output`.
    bool pactl(const QStringList &arguments, QString *output = nullptr) const;

private:
    bool answers() const;

    std::unique_ptr<QProcess> m_process;
    QString m_error;
};
