#pragma once

#include <QHash>
#include <QList>
#include <QLocalSocket>
#include <QObject>
#include <QString>

#include <functional>

namespace platform {
class LocalListener;
}

// The main program's end of the local command link. It listens on "LumideskServer", turns every
// message from the record and live panel into a signal and offers one sender per command it sends.
//
// Messages go to the current connection: the one that most recently became a panel, by greeting
// (PanelGreeting) or by sending one of the panel's commands as its first word. A connection that has
// said nothing of the kind is no panel, whatever else of the same user connected (a second program
// start checking whether the name is taken, a stray program): it is sent nothing and never becomes
// current; while no connection is current, senders drop their messages and isPanelConnected() is
// false, so the toolbar carries its commands out itself. Messages from every open connection are
// read. A panel that another greeting displaced stays open and is read; when the current connection
// goes, the newest such panel becomes current again. Each connection becoming current is announced
// through localSocketReady(), so it is brought up to date.
//
// A command the panel carries out and echoes (record, live, time) may be sent awaiting its echo. A
// connection that lets the echo's deadline pass, or goes, hangs or is no panel at all (a panel that
// greeted and froze, any program of the user that greets and says nothing more): it stops being a
// panel until it sends a command again, whoever is then served (an older panel, or none) becomes
// current, and what was awaited is handed back, once, to be carried out anew.
//
// At most MaxConnections stay open. Room for a new one is made by closing another than the current
// one and the new one itself: first the connection idle longest among those that have not spoken
// yet, then the panel idle longest. The listener keeps the name through a shortage of file
// descriptors and listens again when its socket file goes (platform::LocalListener).
class LocalServer : public QObject
{
    Q_OBJECT

public:
    static const char ServerName[];
    static const int MaxConnections = 4;
    // What the panel says first on every connection, so that it is served before the user has done
    // anything; it asks for nothing.
    static const char PanelGreeting[];

    // The panel echoes a command when it has carried it out, in well under this.
    static const int EchoDeadlineMs = 2000;

    // Runs when the echo it waited for did not come: the command is to be carried out without that
    // connection.
    using EchoMissed = std::function<void()>;
    // Lets expire() run when the deadline of an echo is over; empty: a timer of the deadline. A test
    // holds the deadlines here and lets them pass when it has seen what comes before.
    using DeadlineKeeper = std::function<void(std::function<void()> expire)>;

    explicit LocalServer(QObject *parent = nullptr);
    ~LocalServer() override;

    bool isListening() const;
    bool isPanelConnected() const;

    void sendMessage(const QString &text);
    void readMessage(const QString &text);
    void disconnectSocket();
    void setEchoDeadline(int ms, const DeadlineKeeper &keeper = {});

    void hideLumidesk(int x, int y);
    void changeLang(const QString &lang);
    void showRecordWidget();
    void showLiveWidget();
    void updateAudioList(const QList<QString> &names);
    void updateAudioList(const QList<QString> &names, const QList<QString> &ids);
    void updateAudioSource(const QString &id);
    void updateVolume(int v);
    void showWarningBtn();
    void hideWarningBtn();
    void setAutoRecord(bool on);
    void showNotification();
    void showLiveWarningBtn();
    void hideLiveWarningBtn();
    void updateLiveStatus(int kbps, int fps);
    void getRecordTime(const EchoMissed &missed = {});
    void startRecord(const EchoMissed &missed = {});
    void pauseRecord(const EchoMissed &missed = {});
    void stopRecord(const EchoMissed &missed = {});
    void getLiveTime(const EchoMissed &missed = {});
    void startLive(const EchoMissed &missed = {});
    void stopLive(const EchoMissed &missed = {});

public slots:
    void updateLevelReport(int level);

signals:
    void localSocketReady();
    void lumideskShow(int x, int y);
    void recordStart();
    void recordPause();
    void recordStop(int time);
    void liveStart();
    void liveStop(int time);
    void audioMenuShow();
    void audioSourceChange(QString id, int index);
    void audioSourceChange(QString name, QString uuid, int index);
    void doSaveAudioSetting(QString name);
    void audioSourceRemove();
    void volumeChange(int value);
    void recordWidgetHide();
    void liveWidgetHide();
    void recordTimeGet(int sec);
    void liveTimeGet(int sec);

private slots:
    void socketConnected(QLocalSocket *socket);
    void socketDisconnected();
    void socketDestroyed(QObject *object);
    void socketRead();
    void displayError(QLocalSocket::LocalSocketError socketError);

private:
    struct Awaited
    {
        quint64 id;
        QString word;
        EchoMissed missed;
        // Asked only to hear whether the connection is there: its answer is for no one.
        bool question;
    };

    struct Peer
    {
        // When it was last heard from, as a count of events; connecting counts as being heard from.
        quint64 lastActivity = 0;
        // When it first greeted or sent one of the panel's commands, on the same count; 0 until then.
        quint64 spokeAt = 0;
        // Commands sent to it whose echo has not come, oldest first.
        QList<Awaited> awaited;
    };

    // Returns whether this made the connection a panel (its first greeting or command).
    bool noteActivity(QLocalSocket *socket, bool command);
    void serve(QLocalSocket *socket);
    // Sends a command to the current connection; with missed set, its echo is awaited there.
    void sendCommand(const QString &word, const EchoMissed &missed);
    void awaitEcho(const QString &word, const EchoMissed &missed, bool question = false);
    // Returns whether the text answered a question of askWhetherThere().
    bool noteEcho(QLocalSocket *socket, const QString &text);
    void echoDeadlinePassed(quint64 id);
    // The connection is no panel until it speaks again; what it was still to echo is handed back.
    void demote(QLocalSocket *socket);
    void handBack(const QList<Awaited> &awaited);
    void forgetSocket(QObject *object);
    void closeSocket(QLocalSocket *socket);
    void closeIdleConnections(QLocalSocket *newcomer);
    QLocalSocket *connectionToClose(QLocalSocket *newcomer) const;
    QLocalSocket *connectionToServe() const;

    platform::LocalListener *m_listener = nullptr;
    // The connection messages are sent to; null while no open connection has spoken.
    QLocalSocket *m_socket = nullptr;
    // Every open connection, oldest first, and what is known of each.
    QList<QLocalSocket *> m_sockets;
    QHash<QLocalSocket *, Peer> m_peers;
    quint64 m_activityCount = 0;
    quint64 m_awaitedCount = 0;
    int m_echoDeadlineMs = EchoDeadlineMs;
    DeadlineKeeper m_deadlineKeeper;
};
