#pragma once

#include <QObject>
#include <QString>

class QLocalSocket;
class QSocketNotifier;
class QTimer;

namespace platform {

// Accepts connections on one of the programs' local socket names (per-user path, stale-socket rule of
// LocalSocketPath) and hands each one over as a connected QLocalSocket.
//
// Unlike QLocalServer it never gives its name up on its own: QLocalServer closes its socket and
// deletes the socket file as soon as one accept fails, which a process out of file descriptors turns
// into a link that is gone until the program restarts. Here a connection that cannot be accepted for
// want of descriptors waits in the socket's backlog and is accepted once descriptors are free again;
// and the socket file is checked at a steady interval, so that when it is removed or replaced while
// nobody else serves the name, the listener listens again.
class LocalListener : public QObject
{
    Q_OBJECT

public:
    static const int DefaultWatchIntervalMs = 1000;
    // How soon accepting is tried again after the process ran out of descriptors.
    static const int AcceptRetryMs = 100;

    explicit LocalListener(QObject *parent = nullptr);
    // Closes the socket; the socket file is removed only while it is still this listener's own.
    ~LocalListener() override;

    // Takes the name (LocalSocketPath::claim). Fails, with a reason in error, when another server
    // serves it or the socket cannot be made; a failed first listen is not retried.
    bool listen(const QString &name, QString *error = nullptr);
    void close();

    bool isListening() const { return m_fd >= 0; }
    QString fullPath() const { return m_path; }

    void setWatchInterval(int ms);
    int watchInterval() const;

    // What the watch does at each interval: when the socket file is no longer this listener's,
    // listens again (the normal way, so a name another server serves is left to it). Returns
    // isListening().
    bool ensureListening();

signals:
    // A new connection, already connected; it is a child of the listener until given another parent.
    void newConnection(QLocalSocket *socket);

private:
    bool open(const QString &path, QString *error);
    // Takes the name's socket path by the stale-socket rule and listens there.
    bool claimName(const QString &name, QString *error);
    void closeSocket();
    bool ownsSocketFile() const;
    void acceptConnections();
    void pauseAccepting();

    int m_fd = -1;
    QString m_name;
    QString m_path;
    // The socket file's identity, so that neither the watch nor close mistakes another's file for ours.
    quint64 m_device = 0;
    quint64 m_inode = 0;
    QSocketNotifier *m_notifier = nullptr;
    QTimer *m_watch = nullptr;
    QTimer *m_acceptRetry = nullptr;
    bool m_starved = false;
};

} // namespace platform
