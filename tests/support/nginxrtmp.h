#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <memory>

// A local nginx with the RTMP module, run as a child of the test on 127.0.0.1 with its own
// configuration and folders under a temporary directory. Application "live" records every
// published stream to recordPath(key), so what arrived can be checked after the publisher stops.
class NginxRtmp
{
public:
    NginxRtmp();
    ~NginxRtmp();

    // Starts on a free port (or the given one, to come back on the same address after kill()).
    bool start(int port = 0);
    // Ends the server at once, as a crash or a dropped link would.
    void kill();
    void stop();
    bool isRunning() const;

    int port() const { return m_port; }
    QString url() const; // rtmp://127.0.0.1:<port>/live
    QString recordPath(const QString &key) const;
    // Waits until the recording of `key` is complete (the server closes it once the publisher's
    // connection ends).
    bool waitForRecording(const QString &key, int timeoutMs) const;
    QString errorLog() const;
    QString lastError() const { return m_error; }

    static QString modulePath();

private:
    bool writeConfig();
    bool publisherLeft(const QString &key) const;
    bool holdsOpen(const QString &path) const;
    bool waitUntilListening(int timeoutMs);

    QTemporaryDir m_dir;
    std::unique_ptr<QProcess> m_process;
    int m_port = 0;
    QString m_error;
};
