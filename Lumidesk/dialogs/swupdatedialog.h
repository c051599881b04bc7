#pragma once

#include "dialogs/updatefailure.h"
#include "dialogs/updateinstaller.h"

#include <QDate>
#include <QDialog>
#include <QTimer>
#include <QVariant>

#include <memory>

class BigData;
class VantoUpdater;

namespace Ui {
class SwUpdateDialog;
}

// The small dialog that offers a newer software version at start-up: it shows the offered and the
// installed version, downloads the package with a progress bar and, once the download is verified,
// installs it and lets the program close. "Do not remind me this version in this week." puts the
// offer off for seven days. A download or install that fails says why on the download page, and
// "re-update" there leads back to the offer.
//
// The main window makes one without parent, connects closeSystem() and closeSWUpdate(), and shows it
// when CheckSWVersion() says so; it lives as long as the program.
class SwUpdateDialog : public QDialog
{
    Q_OBJECT

public:
    static constexpr int DefaultInstallDelay = 3000;

    explicit SwUpdateDialog(QWidget *parent = nullptr);
    ~SwUpdateDialog() override;

    // True when the dialog is to be shown: a newer version is offered and the weekly reminder, if on,
    // is due. Blocks (in a nested event loop) while update.cfg downloads.
    bool CheckSWVersion();

    VantoUpdater *updater() const { return m_updater.get(); }
    UpdateInstaller *installer() { return &m_installer; }
    QString offeredVersion() const { return m_offeredVersion; }
    bool isInstallPending() const { return m_installTimer.isActive(); }
    // For tests: the wait between a verified download and the install, and the day taken as today.
    void setInstallDelay(int msecs) { m_installTimer.setInterval(msecs); }
    void setCurrentDate(const QDate &today) { m_today = today; }

signals:
    void closeSettings();
    void closeSystem();
    void closeSWUpdate();
    void sendCommand(int command, QVariant data1, QVariant data2, QVariant data3, QVariant data4,
                     QVariant data5, QVariant data6);

public slots:
    void closeDialog();
    void changeToDownloadPage();
    void changeToBeginPage();
    void dataReadProgress(qint64 bytesRead, qint64 totalBytes);
    void CheckByWeek();
    void waitTimeOut();
    // Escape and the window's own close take the close button's way out.
    void reject() override;
    void setVisible(bool visible) override;

private:
    QDate today() const;
    void fillVersionLabels();
    void stopPendingWork();
    void showFailure(UpdateFailure::Reason reason);
    void installFinished(bool success);
    void setInstalling(bool installing);
    void reportDownloadComplete();

    Ui::SwUpdateDialog *form();

    Ui::SwUpdateDialog *ui = nullptr;
    std::unique_ptr<VantoUpdater> m_updater;
    bool m_idle = true;
    QString m_offeredVersion;
    BigData *m_analytics;
    UpdateInstaller m_installer;
    QTimer m_installTimer;
    bool m_downloading = false;
    bool m_downloadCancelled = false;
    QDate m_today;
};
