#pragma once

#include <QDockWidget>
#include <QList>
#include <QPoint>
#include <QString>

#include <initializer_list>
#include <memory>

class LiveWarningDialog;
class QLabel;
class LocalClient;
class NotificationDialog;
class QModelIndex;
class QTimer;
class QTranslator;
class Ui_DeskpadWidget;
class WarningDialog;

// The record and live panel: a small frameless window from which the user starts, pauses and stops the
// main program's desktop recording and starts and stops its live stream. It records and streams nothing
// itself: every action becomes a command to the main program through the panel's LocalClient, and every
// record or live command that starts in the main program arrives from the client and runs the same slot
// as the panel's own button, which then sends the command back. So the panel is the one place that holds
// and times the record and live state.
//
// A command from the main program is checked against that state before anything is sent: a start while
// the same kind counts down or runs, a pause while nothing records and a stop while nothing runs send
// nothing, and a stop during a countdown cancels the start.
class DeskpadWidget : public QDockWidget
{
    Q_OBJECT

public:
    // How long the countdown steps and the time ticks last. The counters advance by TickMs per tick
    // whatever the tick interval, so shorter intervals run the same counts faster.
    struct Timing
    {
        int countdownStepMs = 1000;
        int countdownLastStepMs = 100;
        int tickMs = 500;
    };
    static const int TickMs = 500;
    // Recording stops when its counter reaches six hours.
    static const qint64 RecordLimitMs = 6LL * 60 * 60 * 1000;
    // Names and ids of audio inputs are cut to this many characters.
    static const int MaxAudioTextLength = 255;

    explicit DeskpadWidget(QDockWidget *parent = nullptr);
    ~DeskpadWidget() override;

    bool checkServerAlive() const;
    void showLumidesk(int x, int y);
    bool checkOnRecord() const;
    bool checkOnLive() const;
    void SetAutoRecordUi(bool disabled);
    void hideRecordWidget();
    void hideLiveWidget();
    void showNotificationDialog(const QString &title, const QString &message, int mode);
    static QString msecToString(qint64 ms);

    void setTiming(const Timing &timing);
    // The folder holding one sub-folder of catalogues per language code; by default the "Languages"
    // folder one level above the host program's folder.
    QString languagePath() const { return m_languagePath; }
    void setLanguagePath(const QString &path) { m_languagePath = path; }

    bool loadAudioSetting();

signals:
    void serverShutdown();
    void lumideskHided(int x, int y);
    void langChanged(QString lang);

public slots:
    void updateString(const QString &lang);
    void showRecordWidget();
    void showLiveWidget();
    void updateAudioList(const QList<QString> &list);
    void updateAudioList(const QList<QString> &nameList, const QList<QString> &uuidList);
    void updateAudioSource(const QString &id);
    void updateVolume(int value);
    void updateLevelReport(int level);
    void showWarningBtn();
    void hideWarningBtn();
    void updateAutoRecord(bool isAuto);
    void showLiveWarningBtn();
    void hideLiveWarningBtn();
    void updateLiveStatus(int kbps, int fps);
    void getRecordTime();
    void getLiveTime();
    void showWarning();
    void showLiveWarning();
    void minimizeWidget();
    void nonMinimizeWidget();
    void closeWidget();
    void startRecordCountdown();
    void startRecord();
    void pauseRecord();
    void stopRecord();
    void startLiveCountdown();
    void startLive();
    void stopLive();
    void showAudioMenu();
    void increaseVolume();
    void decreaseVolume();
    void changeVolume();
    void countRecordTime();
    void countLiveTime();
    void recordCountdown();
    void liveCountdown();
    void showAudioList();
    void hideAudioList();
    void changeAudioSource(int index);
    void doSaveAudioSetting(const QModelIndex &index);
    void popupShow();
    void popupHide();
    void setVolumeControlEnable(bool status);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    void connectClient();
    void connectControls();
    void setUpAudioList();
    void setToolTips();
    void checkStringLength();
    void setPageBackground(bool bothPages);
    void showPageAlone(QWidget *page);
    void showBothPages(QWidget *otherPage);
    void takePageAway(bool &shown, bool otherShown, QWidget *page, QWidget *otherPage,
                      void (LocalClient::*tellMainProgram)());
    void placeAtTopLeft();
    void centre(QWidget *dialog) const;
    static void showRunningTime(qint64 ms, std::initializer_list<QLabel *> times,
                                std::initializer_list<QLabel *> icons);

    bool isBusy() const;
    bool isCountingDown() const;
    void beginCountdown(QTimer *timer);
    void countdownStep(QTimer *timer, void (DeskpadWidget::*start)());
    void cancelCountdown(QTimer *timer);
    void restoreFromCountdown();
    void updateSeeThroughShape();
    QRect countdownNumberArea() const;

    void refillAudioList(const QList<QString> &names, const QList<QString> &ids, bool namesOnly);
    void numberEqualRows();
    void chooseFirstRow();
    static QString rowText(const QString &name);

    Ui_DeskpadWidget *ui;

    bool m_recordWidgetShown = false;
    bool m_liveWidgetShown = false;
    bool m_isPressed = false;
    bool m_isMinimized = false;
    bool m_isAutoRecord = false;
    LocalClient *m_client = nullptr;
    QList<QString> m_nameList;
    QList<QString> m_uuidList;
    QString m_currentName;
    QString m_currentUuid;
    QPoint m_pressPos;
    QTimer *m_recordTimer = nullptr;
    qint64 m_recordTime = 0;
    QTimer *m_liveTimer = nullptr;
    qint64 m_liveTime = 0;
    WarningDialog *m_warningDialog = nullptr;
    LiveWarningDialog *m_liveWarningDialog = nullptr;
    NotificationDialog *m_notificationDialog = nullptr;
    QString m_languagePath;
    std::unique_ptr<QTranslator> m_translator;
    QTimer *m_recordCountdownTimer = nullptr;
    QTimer *m_liveCountdownTimer = nullptr;
    int m_countdownNumber = -1;
    QPoint m_savedPos;
    bool m_isPopupShown = false;
    Timing m_timing;
};
