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
// Messages go to the current connection: the newest one to connect. Messages from every open
// connection are read, so a short-lived connection (a second program start checking whether the name
// is taken) loses none of the panel's commands. A connection that has sent one of the panel's commands
// counts as a panel; when the current connection goes, the newest panel still open becomes current
// again (the newest connection when none has spoken yet) and is brought up to date through
// localSocketReady().
//
// At most MaxConnections stay open. Room for a new one is made by closing another than the current
// one: first the connection idle longest among those that have sent no command yet, then the panel
// idle longest. The listener keeps the name through a shortage of file descriptors and listens again
// when its socket file goes (platform::LocalListener).
class LocalServer : public QObject
{
    Q_OBJECT

public:
    static const char ServerName[];
    static const int MaxConnections = 4;
    // What the panel says first on every connection, so that it counts as a panel before the user
    // has done anything; it asks for nothing.
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
        // It has sent at least one of the panel's commands.
        bool spoken = false;
    };

    void noteActivity(QLocalSocket *socket, bool command);
    void forgetSocket(QObject *object);
    void closeSocket(QLocalSocket *socket);
    void closeIdleConnections();
    QLocalSocket *connectionToClose() const;
    QLocalSocket *connectionToServe() const;

    platform::LocalListener *m_listener = nullptr;
    // The connection messages are sent to; null when none is open.
    QLocalSocket *m_socket = nullptr;
    // Every open connection, oldest first, and what is known of each.
    QList<QLocalSocket *> m_sockets;
    QHash<QLocalSocket *, Peer> m_peers;
    quint64 m_activityCount = 0;
};
