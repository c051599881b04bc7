#pragma once

#include <QHash>
#include <QList>
#include <QLocalSocket>
#include <QObject>
#include <QString>

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

    explicit LocalServer(QObject *parent = nullptr);
    ~LocalServer() override;

    bool isListening() const;
    bool isPanelConnected() const;

    void sendMessage(const QString &text);
    void readMessage(const QString &text);
    void disconnectSocket();

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
    void getRecordTime();
    void startRecord();
    void pauseRecord();
    void stopRecord();
    void getLiveTime();
    void startLive();
    void stopLive();

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
    struct Peer
    {
        // When it was last heard from, as a count of events; connecting counts as being heard from.
        quint64 lastActivity = 0;
        // When it first greeted or sent one of the panel's commands, on the same count; 0 until then.
        quint64 spokeAt = 0;
    };

    // Returns whether this made the connection a panel (its first greeting or command).
    bool noteActivity(QLocalSocket *socket, bool command);
    void serve(QLocalSocket *socket);
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
};
