#include "dialogs/upgradedialog.h"

#include "ui_upgradedialog.h"

#include "analytics/bigdata.h"
#include "desktop/diskspace.h"
#include "desktop/taskbarentry.h"
#include "dialogs/dialogframe.h"
#include "dialogs/updateprogress.h"
#include "dialogs/updatereminder.h"
#include "notificationdialog.h"
#include "vantoupdater.h"

#include <QKeyEvent>

namespace {

enum Page { StartPage = 0, UpdateInfoPage = 1, DownloadPage = 2 };

qint64 volumeFreeKiB(const QString &path)
{
    const qint64 bytes = platform::DiskSpace::availableBytes(path);
    return bytes < 0 ? 0 : bytes / 1024;
}

} // namespace

UpgradeDialog::UpgradeDialog(QWidget *parent)
    : QDialog(parent)
    , ui(new Ui::UpgradeDialog)
    , m_updater(std::make_unique<VantoUpdater>())
    , m_analytics(BigData::RequireBigData())
    , m_freeSpace(volumeFreeKiB)
{
    ui->setupUi(this);
    ui->stackedWidget->setCurrentIndex(StartPage);

    connect(ui->btnYes, &QToolButton::clicked, this, &UpgradeDialog::changeToDownloadPage);
    connect(ui->btnCancel, &QToolButton::clicked, this, &UpgradeDialog::changeToUpgradePage);
    connect(ui->btnNo, &QToolButton::clicked, this, &UpgradeDialog::changeToBeginPage);
    connect(ui->btnBack, &QToolButton::clicked, this, &UpgradeDialog::changeToBeginPage);
    for (QToolButton *close : {ui->btnClose, ui->btnClose2, ui->btnClose3})
        connect(close, &QToolButton::clicked, this, &UpgradeDialog::closeUpgradeDialog);
    connect(ui->btnCheckSw, &QToolButton::clicked, this, &UpgradeDialog::softWareUpgradeCheck);
    connect(ui->checkBox, &QCheckBox::stateChanged, this, &UpgradeDialog::CheckByWeek);
    connect(m_updater.get(), &VantoUpdater::dataReadProgress, this, &UpgradeDialog::dataReadProgress);
    connect(m_updater.get(), &VantoUpdater::sendPercentage, this, &UpgradeDialog::ProgressPercentage);

    m_installTimer.setSingleShot(true);
    m_installTimer.setInterval(DefaultInstallDelay);
    connect(&m_installTimer, &QTimer::timeout, this, &UpgradeDialog::waitTimeOut);
    connect(&m_installer, &UpdateInstaller::finished, this, &UpgradeDialog::installFinished);

    m_notification = new NotificationDialog(this);
    platform::TaskbarEntry::keepOut(m_notification.data());
    DialogFrame::centreOnScreen(m_notification);
    ui->btnBack->hide();
    setTexts();
}

UpgradeDialog::~UpgradeDialog()
{
    delete ui;
}

void UpgradeDialog::Init()
{
    ui->SW_Version->setText(m_updater->getCurrentSWVersion());
    m_idle = true;
    const QSignalBlocker blocker(ui->checkBox);
    ui->checkBox->setChecked(UpdateReminder::isWeekly());
}

void UpgradeDialog::changeToStartPage()
{
    ui->stackedWidget->setCurrentIndex(StartPage);
}

// The form's own texts come back in the new language, then every text that depends on what the page
// has done so far; the version numbers are no texts of the form and stay as they are.
void UpgradeDialog::updateString()
{
    ui->retranslateUi(this);
    setTexts();
    m_notification->updateString();
    if (m_diskFull) {
        setDiskFullTexts();
        m_notification->autoAdjustSize(0);
    }
}

qint64 UpgradeDialog::getDiskFreeSpace(QString path)
{
    return m_freeSpace(path);
}

void UpgradeDialog::cancelUpgrade()
{
    m_installTimer.stop();
    stopDownload();
    // A check waits for the update configuration; it ends at once, as a check that could not be made.
    if (m_checking)
        m_updater->abortDownload();
}

void UpgradeDialog::changeToUpgradePage()
{
    if (m_installer.isRunning())
        return;
    if (ui->stackedWidget->currentIndex() == DownloadPage)
        cancelUpgrade();
    ui->stackedWidget->setCurrentIndex(UpdateInfoPage);
    if (m_mode == Firmware) {
        ui->lbVersion_2->setText(m_updater->getCurrentFWVersion());
        ui->lbTiltle_2->show();
        ui->lbVersion_2->show();
    } else {
        ui->lbTiltle_2->hide();
        ui->lbVersion_2->hide();
    }
}

void UpgradeDialog::changeToDownloadPage()
{
    if (isUpgrading())
        return;
    m_upgrading = true;
    m_downloadStopped = false;
    m_diskFull = false;
    m_installTimer.stop();
    m_downloadStatus = Downloading;
    m_failReason = UpdateFailure::NoReason;
    setDownloadTexts();
    ui->progressBar->setRange(0, UpdateProgress::Steps);
    ui->progressBar->setValue(0);
    ui->progressBar->show();
    ui->btnCancel->setEnabled(true);
    ui->stackedWidget->setCurrentIndex(DownloadPage);
    m_idle = false;

    const QPointer<UpgradeDialog> self(this);
    const bool verified = m_mode == Firmware ? m_updater->downloadFWFile() : m_updater->downloadSWFile();
    if (!self)
        return;
    m_upgrading = false;
    if (m_downloadStopped)
        return;
    if (!verified) {
        showFailure(UpdateFailure::ofDownload(m_updater->downloadFailure()));
        return;
    }
    ui->progressBar->setValue(m_mode == Firmware ? UpdateProgress::Steps / 3 : UpdateProgress::Steps);
    if (m_mode == Software) {
        m_installTimer.start();
        reportDownloadComplete();
    }
}

void UpgradeDialog::closeUpgradeDialog()
{
    emit closeSettings();
}

void UpgradeDialog::softWareUpgradeCheck()
{
    if (isUpgrading())
        return;
    m_mode = Software;
    showCheck();
}

void UpgradeDialog::firmWareUpgradeCheck()
{
    if (isUpgrading())
        return;
    m_mode = Firmware;
    showCheck();
}

void UpgradeDialog::CheckByWeek()
{
    if (!ui->checkBox->isChecked()) {
        UpdateReminder::forget();
        return;
    }
    UpdateReminder::startWeekly(today());
    QString offered;
    if (runCheck(Software, &offered) == 0)
        UpdateReminder::rememberVersion(offered);
}

void UpgradeDialog::dataReadProgress(qint64 bytesRead, qint64 totalBytes)
{
    if (m_idle || !m_upgrading || m_downloadStopped)
        return;
    // The package must fit on the volume it is written to, which is not necessarily the documents one.
    if (totalBytes > 0 && getDiskFreeSpace(m_updater->downloadFolder()) < totalBytes / 1024) {
        showFailure(UpdateFailure::DiskFull);
        m_diskFull = true;
        setDiskFullTexts();
        if (!m_notification->isVisible())
            m_notification->show();
        m_notification->autoAdjustSize(0);
        stopDownload();
        return;
    }
    if (totalBytes <= 0) {
        ui->progressBar->setRange(0, 0);
        return;
    }
    // Scaled, so a package of more than 2 GiB cannot overflow the bar. A firmware image fills the first
    // third; the transfer to the camera fills the rest.
    ui->progressBar->setRange(0, UpdateProgress::Steps);
    const int done = UpdateProgress::scaled(bytesRead, totalBytes);
    ui->progressBar->setValue(int(m_mode == Firmware ? done / 3 : done));
}

void UpgradeDialog::ProgressPercentage(int percent)
{
    ui->progressBar->setRange(0, UpdateProgress::Steps);
    ui->progressBar->setValue(qBound(0, percent, 100) * UpdateProgress::Steps / 100);
}

void UpgradeDialog::changeToBeginPage()
{
    ui->stackedWidget->setCurrentIndex(StartPage);
}

void UpgradeDialog::waitTimeOut()
{
    if (m_mode != Software)
        return;
    setInstalling(true);
    if (!m_installer.start(m_updater->downloadFolder(), m_updater->getRemoteSWFileName()))
        installFinished(false);
}

void UpgradeDialog::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && !isWindow()) {
        event->ignore();
        return;
    }
    QDialog::keyPressEvent(event);
}

QDate UpgradeDialog::today() const
{
    return m_today.isValid() ? m_today : QDate::currentDate();
}

// Asks the update server (blocking) and shows its answer on the offer page. A check that could not be
// made (no server in this build, no answer, a broken configuration) says so: it is never shown as up to
// date.
void UpgradeDialog::showCheck()
{
    const bool firmware = m_mode == Firmware;
    m_idle = true;
    m_checkOutcome = NotChecked;
    setCheckTexts();
    const int result = runCheck(m_mode, &m_offeredVersion);
    if (result < 0)
        return;
    m_checkOutcome = result == 0 ? Offered : result == 1 ? UpToDate : CheckFailed;
    setCheckTexts();
    const bool offered = m_checkOutcome == Offered;
    ui->label_9->setVisible(offered);
    ui->label_5->setVisible(!offered);
    const QString current = firmware ? m_updater->getCurrentFWVersion() : m_updater->getCurrentSWVersion();
    ui->lbNewVersion->setText(offered ? m_offeredVersion : QString());
    ui->lbCurrentVersion->setText(offered ? current : QString());
    for (QWidget *widget : std::initializer_list<QWidget *>{ui->lbTiltle, ui->lbVersion, ui->btnYes, ui->btnNo})
        widget->setVisible(offered);
    ui->btnBack->setVisible(!offered);
    // The weekly reminder is about a software version: none after a firmware check, nor after a check
    // that could not be made.
    const bool reminder = !firmware && m_checkOutcome != CheckFailed;
    ui->checkBox->setVisible(reminder);
    ui->label_2->setVisible(reminder);
    changeToUpgradePage();
}

// The check's result code; while it waits for the server the page counts as busy, so the settings
// dialog is never deleted under the check's nested event loop. -1 when the page went meanwhile.
int UpgradeDialog::runCheck(int mode, QString *offered)
{
    const QPointer<UpgradeDialog> self(this);
    m_checking = true;
    const int result = mode == Firmware ? m_updater->checkFWVersion(offered) : m_updater->checkSWVersion(offered);
    if (!self)
        return -1;
    m_checking = false;
    return result;
}

void UpgradeDialog::setTexts()
{
    setCheckTexts();
    setDownloadTexts();
}

void UpgradeDialog::setCheckTexts()
{
    const bool firmware = m_mode == Firmware;
    ui->label_7->setText(firmware ? tr("Firmware Upgrade") : tr("Software Update"));
    ui->lbTiltle->setText(firmware ? tr("New firmware version is available") : tr("New software version is available"));
    ui->lbVersion->setText(firmware ? tr("Current firmware version:") : tr("Current software version:"));
    ui->label_9->setText(firmware ? tr("Want to upgrade now?") : tr("Want to update now?"));
    if (m_checkOutcome == CheckFailed)
        ui->label_5->setText(tr("The update check could not be made."));
    else
        ui->label_5->setText(firmware ? tr("Your firmware is up to date.") : tr("Your software is up to date."));
}

void UpgradeDialog::setDownloadTexts()
{
    const bool firmware = m_mode == Firmware;
    ui->label_8->setText(firmware ? tr("Firmware Upgrade") : tr("Software Update"));
    switch (m_downloadStatus) {
    case Downloading:
        ui->label_12->setText(tr("Downloading... please wait"));
        ui->btnCancel->setText(tr("Cancel"));
        break;
    case DownloadFailed:
        ui->label_12->setText(firmware ? tr("Fail to upgrade!") : tr("Fail to update!"));
        ui->btnCancel->setText(firmware ? tr("re-upgrade") : tr("re-update"));
        break;
    case Installing:
        ui->label_12->setText(tr("Installing... please wait"));
        ui->btnCancel->setText(tr("Cancel"));
        break;
    }
    // Under "Fail to update!", why.
    const bool failed = m_downloadStatus == DownloadFailed && m_failReason != UpdateFailure::NoReason;
    ui->lbFailReason->setText(failed ? UpdateFailure::text(m_failReason) : QString());
    ui->lbFailReason->setVisible(failed);
}

void UpgradeDialog::setDiskFullTexts()
{
    m_notification->setTitle(m_mode == Firmware ? tr("Upgrade failed") : tr("Update failed"));
    m_notification->setMessage(tr("Destination disk drive is full. Please free up sufficient space on the disk drive."));
}

void UpgradeDialog::showFailure(UpdateFailure::Reason reason)
{
    ui->progressBar->hide();
    m_downloadStatus = DownloadFailed;
    m_failReason = reason;
    setDownloadTexts();
    ui->btnCancel->setEnabled(true);
}

void UpgradeDialog::stopDownload()
{
    if (!m_upgrading || m_downloadStopped)
        return;
    m_downloadStopped = true;
    m_updater->abortDownload();
}

void UpgradeDialog::installFinished(bool success)
{
    setInstalling(false);
    if (!success) {
        showFailure(UpdateFailure::InstallFailed);
        return;
    }
    // The program closes first: the settings dialog may delete this page on closeSettings().
    const QPointer<UpgradeDialog> self(this);
    emit closeSystem();
    if (self)
        emit closeSettings();
}

void UpgradeDialog::setInstalling(bool installing)
{
    for (QToolButton *button : {ui->btnCancel, ui->btnClose, ui->btnClose2, ui->btnClose3})
        button->setEnabled(!installing);
    if (installing) {
        m_downloadStatus = Installing;
        setDownloadTexts();
        ui->progressBar->setRange(0, 0);
    } else {
        ui->progressBar->setRange(0, UpdateProgress::Steps);
    }
}

void UpgradeDialog::reportDownloadComplete()
{
    connect(this, &UpgradeDialog::sendCommand, m_analytics, &BigData::receiveCommand);
    emit sendCommand(UpdateProgress::DownloadCompletedEvent, m_updater->getCurrentSWVersion(), m_updater->getRemoteSWVersionWin(), -1, -1,
                     -1, -1);
    disconnect(this, &UpgradeDialog::sendCommand, m_analytics, &BigData::receiveCommand);
}

NotificationDialog *UpgradeDialog::notification() const
{
    return m_notification;
}
