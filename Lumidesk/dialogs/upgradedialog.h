#pragma once

#include "dialogs/updatefailure.h"
#include "dialogs/updateinstaller.h"

#include <QDate>
#include <QDialog>
#include <QPointer>
#include <QTimer>
#include <QVariant>

#include <functional>
#include <memory>

class BigData;
class NotificationDialog;
class VantoUpdater;

namespace Ui {
class UpgradeDialog;
}

// The update page of the general settings: checks for a newer software version on demand, downloads the
// package with a progress bar and, once the download is verified, installs it, after which the program
// closes. A firmware mode (check and download of the camera image) exists; nothing starts it yet.
//
// While a check, a download or an install runs, isUpgrading() is true; the settings dialog waits for it
// before it lets itself be deleted.
class UpgradeDialog : public QDialog
{
    Q_OBJECT

public:
    enum Mode { Software = 0, Firmware = 1 };
    static constexpr int DefaultInstallDelay = 3000;

    // Free space, in KiB, of the volume that holds a path.
    using FreeSpaceProbe = std::function<qint64(const QString &path)>;

    explicit UpgradeDialog(QWidget *parent = nullptr);
    ~UpgradeDialog() override;

    void Init();
    void changeToStartPage();
    void updateString();
    bool isUpgrading() const { return m_upgrading || m_checking || m_installer.isRunning(); }
    // Free KiB of the volume path lies on (the download folder's); 0 when it cannot be read.
    qint64 getDiskFreeSpace(QString path);
    // Stops a running check or download and a pending install; an install already running goes on to
    // its end.
    void cancelUpgrade();

    int mode() const { return m_mode; }
    VantoUpdater *updater() const { return m_updater.get(); }
    UpdateInstaller *installer() { return &m_installer; }
    NotificationDialog *notification() const;
    bool isInstallPending() const { return m_installTimer.isActive(); }
    // For tests: the wait before the install, the free-space measure and the day taken as today.
    void setInstallDelay(int msecs) { m_installTimer.setInterval(msecs); }
    void setFreeSpaceProbe(FreeSpaceProbe probe) { m_freeSpace = std::move(probe); }
    void setCurrentDate(const QDate &today) { m_today = today; }

signals:
    void closeSettings();
    void closeSystem();
    void swUpdateProcess();
    void sendCommand(int command, QVariant data1, QVariant data2, QVariant data3, QVariant data4,
                     QVariant data5, QVariant data6);

public slots:
    void changeToUpgradePage();
    void changeToDownloadPage();
    void closeUpgradeDialog();
    void softWareUpgradeCheck();
    void firmWareUpgradeCheck();
    void CheckByWeek();
    void dataReadProgress(qint64 bytesRead, qint64 totalBytes);
    void ProgressPercentage(int percent);
    void changeToBeginPage();
    void waitTimeOut();

protected:
    // The page lives inside the settings dialog: Escape belongs to the dialog, not to the page.
    void keyPressEvent(QKeyEvent *event) override;

private:
    // What the offer page and the download page last showed: every text they carry follows from it,
    // so a language change can set each one again.
    enum CheckOutcome { NotChecked, Offered, UpToDate, CheckFailed };
    enum DownloadStatus { Downloading, DownloadFailed, Installing };

    QDate today() const;
    int runCheck(int mode, QString *offered);
    void showCheck();
    void setTexts();
    void setCheckTexts();
    void setDownloadTexts();
    void setDiskFullTexts();
    void showFailure(UpdateFailure::Reason reason);
    void stopDownload();
    void installFinished(bool success);
    void setInstalling(bool installing);
    void reportDownloadComplete();

    Ui::UpgradeDialog *ui;
    int m_mode = Software;
    std::unique_ptr<VantoUpdater> m_updater;
    bool m_idle = true;
    QPointer<NotificationDialog> m_notification;
    bool m_upgrading = false;
    bool m_checking = false;
    BigData *m_analytics;
    UpdateInstaller m_installer;
    QTimer m_installTimer;
    bool m_downloadStopped = false;
    QString m_offeredVersion;
    CheckOutcome m_checkOutcome = NotChecked;
    DownloadStatus m_downloadStatus = Downloading;
    UpdateFailure::Reason m_failReason = UpdateFailure::NoReason;
    bool m_diskFull = false;
    FreeSpaceProbe m_freeSpace;
    QDate m_today;
};
