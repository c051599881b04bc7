#pragma once

#include <QList>
#include <QLocalSocket>
#include <QObject>
#include <QString>

class QTimer;

// The panel's end of the local command link to the main program. It connects to the main program's
// server, checks the link every second, turns each message it receives into one signal and offers one
// sender per command the panel issues. It keeps no panel state of its own.
//
// The main program may close one connection and go on running (it makes room for others, or drops
// one that sent a broken frame), so a dropped link is connected again. serverShutdown() means that the
// server is gone: the first connection failed, or a new one found nobody serving the name (then it
// comes at once); it repeats at every check, and the link stays down. Each connection begins with
// PanelGreeting, so the server knows it for the panel's before the user has done anything.
class LocalClient : public QObject
{
    Q_OBJECT

public:
    static const char ServerName[];
    static const char PanelGreeting[];
    static const int AliveIntervalMs = 1000;

    explicit LocalClient(QObject *parent = nullptr);
    ~LocalClient() override;

    void requestNewConnection();
    bool checkAlive() const;

    void sendMessage(const QString &message);
    void readMessage(const QString &message);

    void showLumidesk(int x, int y);
    void startRecord();
    void pauseRecord();
    void stopRecord(int time);
    void startLive();
    void stopLive(int time);
    void showAudioMenu();
    void changeAudioSource(const QString &id, int index);
    void changeAudioSource(const QString &name, const QString &uuid, int index);
    void doSaveAudioSetting(const QString &name);
    void removeAudioSource();
    void changeVolume(int value);
    void hideRecordWidget();
    void hideLiveWidget();
    void updateRecordTime(int time);
    void updateLiveTime(int time);

    // A language code becomes part of a catalogue path in the panel and in DrawletApp, so only plain
    // codes such as "en_US" or "zh-TW" are passed on.
    static bool isValidLanguageCode(const QString &lang);

signals:
    void serverShutdown();
    void lumideskHided(int x, int y);
    void langChanged(QString lang);
    void recordWidgetShow();
    void liveWidgetShow();
    void audioListUpdate(QList<QString> sourceList);
    void audioListUpdate(QList<QString> nameList, QList<QString> uuidList);
    void audioSourceUpdate(QString id);
    void volumeUpdate(int value);
    void levelReportUpdate(int level);
    void warningBtnShow();
    void warningBtnHided();
    void autoRecordSet(bool isAuto);
    void notificationShow();
    void liveWarningBtnShow();
    void liveWarningBtnHided();
    void liveStatusUpdate(int kbps, int fps);
    void recordTimeGet();
    void recordStart();
    void recordPause();
    void recordStop();
    void liveTimeGet();
    void liveStart();
    void liveStop();

private slots:
    void socketConnected();
    void socketDisconnected();
    void socketRead();
    void displayError(QLocalSocket::LocalSocketError socketError);
    void checkAliveTimeout();

private:
    void readAudioList(const QString &message);
    void readMacAudioList(const QString &message);
    void connectToServer();
    void reconnect();

    QLocalSocket *m_socket = nullptr;
    QTimer *m_aliveTimer = nullptr;
    // A link that was up has dropped, and whether the server is still there is not known yet.
    bool m_reconnecting = false;
    // The link was connected again since the last check: one that drops again at once is tried again
    // only at the next check, never in a busy loop.
    bool m_triedSinceCheck = false;
};
