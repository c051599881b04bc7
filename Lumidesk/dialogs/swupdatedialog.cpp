#include "dialogs/swupdatedialog.h"

#include "ui_swupdatedialog.h"

#include "analytics/bigdata.h"
#include "desktop/taskbarentry.h"
#include "dialogs/dialogframe.h"
#include "dialogs/updateprogress.h"
#include "dialogs/updatereminder.h"
#include "vantoupdater.h"

#include <QPointer>

SwUpdateDialog::SwUpdateDialog(QWidget *parent)
    : QDialog(parent, DialogFrame::Flags)
    , m_updater(std::make_unique<VantoUpdater>())
    , m_offeredVersion(QString::fromLatin1(UpdateReminder::DefaultVersion))
    , m_analytics(BigData::RequireBigData())
{
    DialogFrame::setUp(this);
    platform::TaskbarEntry::keepOut(this);
    connect(m_updater.get(), &VantoUpdater::dataReadProgress, this, &SwUpdateDialog::dataReadProgress);

    m_installTimer.setSingleShot(true);
    m_installTimer.setInterval(DefaultInstallDelay);
    connect(&m_installTimer, &QTimer::timeout, this, &SwUpdateDialog::waitTimeOut);
    connect(&m_installer, &UpdateInstaller::finished, this, &SwUpdateDialog::installFinished);
}

// The dialog is made at every start but shown only when an update is offered: its form waits until
// then, or until something else needs it.
Ui::SwUpdateDialog *SwUpdateDialog::form()
{
    if (ui)
        return ui;
    ui = new Ui::SwUpdateDialog;
    ui->setupUi(this);
    connect(ui->btnClose, &QToolButton::clicked, this, &SwUpdateDialog::closeDialog);
    connect(ui->btnNo, &QToolButton::clicked, this, &SwUpdateDialog::closeDialog);
    connect(ui->btnYes, &QToolButton::clicked, this, &SwUpdateDialog::changeToDownloadPage);
    connect(ui->btnCancel, &QToolButton::clicked, this, &SwUpdateDialog::changeToBeginPage);
    connect(ui->checkBox, &QCheckBox::stateChanged, this, &SwUpdateDialog::CheckByWeek);
    ui->stackedWidget->setCurrentIndex(0);
    ui->checkBox->setChecked(UpdateReminder::isWeekly());
    return ui;
}

void SwUpdateDialog::setVisible(bool visible)
{
    if (visible)
        form();
    QDialog::setVisible(visible);
}

SwUpdateDialog::~SwUpdateDialog()
{
    delete ui;
}

bool SwUpdateDialog::CheckSWVersion()
{
    const bool weekly = UpdateReminder::isWeekly();
    if (m_updater->checkSWVersion(&m_offeredVersion) != 0)
        return false;
    if (weekly) {
        // Versions compare as numbers: "1.0.1003.10" is newer than "1.0.1003.9".
        const bool newer = m_updater->mySW_VersionIsOlder(UpdateReminder::skippedVersion(), m_offeredVersion);
        if (!UpdateReminder::isDue(newer, UpdateReminder::skippedDate(), today()))
            return false;
    }
    fillVersionLabels();
    return true;
}

void SwUpdateDialog::closeDialog()
{
    // Nothing may stop an install half way; the buttons are off meanwhile, this covers Escape.
    if (m_installer.isRunning())
        return;
    stopPendingWork();
    if (form()->checkBox->isChecked())
        UpdateReminder::remember(m_offeredVersion, today());
    else
        UpdateReminder::forget();
    emit closeSWUpdate();
    // Hides without a close event, whose reject() would come back here.
    QDialog::reject();
}

void SwUpdateDialog::changeToDownloadPage()
{
    if (m_downloading || m_installer.isRunning())
        return;
    m_idle = false;
    m_downloadCancelled = false;
    m_installTimer.stop();
    form()->label_12->setText(tr("Downloading... please wait"));
    form()->lbFailReason->clear();
    form()->lbFailReason->hide();
    form()->btnCancel->setText(tr("Cancel"));
    form()->progressBar->setRange(0, UpdateProgress::Steps);
    form()->progressBar->setValue(0);
    form()->progressBar->show();
    form()->stackedWidget->setCurrentIndex(1);

    m_downloading = true;
    const QPointer<SwUpdateDialog> self(this);
    const bool verified = m_updater->downloadSWFile();
    if (!self)
        return;
    m_downloading = false;
    if (m_downloadCancelled)
        return;
    if (!verified) {
        showFailure(UpdateFailure::ofDownload(m_updater->downloadFailure()));
        return;
    }
    form()->progressBar->setValue(UpdateProgress::Steps);
    reportDownloadComplete();
    m_installTimer.start();
}

void SwUpdateDialog::changeToBeginPage()
{
    if (m_installer.isRunning())
        return;
    stopPendingWork();
    form()->stackedWidget->setCurrentIndex(0);
}

void SwUpdateDialog::dataReadProgress(qint64 bytesRead, qint64 totalBytes)
{
    if (m_idle || !m_downloading)
        return;
    // Scaled, so a package of more than 2 GiB cannot overflow the bar; an unknown size shows a busy bar.
    if (totalBytes <= 0) {
        form()->progressBar->setRange(0, 0);
        return;
    }
    form()->progressBar->setRange(0, UpdateProgress::Steps);
    form()->progressBar->setValue(UpdateProgress::scaled(bytesRead, totalBytes));
}

void SwUpdateDialog::CheckByWeek()
{
}

void SwUpdateDialog::waitTimeOut()
{
    setInstalling(true);
    if (!m_installer.start(m_updater->downloadFolder(), m_updater->getRemoteSWFileName()))
        installFinished(false);
}

void SwUpdateDialog::reject()
{
    closeDialog();
}

QDate SwUpdateDialog::today() const
{
    return m_today.isValid() ? m_today : QDate::currentDate();
}

void SwUpdateDialog::fillVersionLabels()
{
    form()->lbNewVersion->setText(m_offeredVersion);
    form()->lbCurrentVersion->setText(m_updater->getCurrentSWVersion());
}

// Cancel and close both mean "not now": a running download stops and a verified one is not installed.
void SwUpdateDialog::stopPendingWork()
{
    m_installTimer.stop();
    if (m_downloading) {
        m_downloadCancelled = true;
        m_updater->abortDownload();
    }
}

// "Fail to update!" heads the page and the reason follows under it. The button under them leads back
// to the offer, from which Yes downloads the package anew.
void SwUpdateDialog::showFailure(UpdateFailure::Reason reason)
{
    form()->progressBar->hide();
    form()->btnCancel->setText(tr("re-update"));
    form()->label_12->setText(tr("Fail to update!"));
    form()->lbFailReason->setText(UpdateFailure::text(reason));
    form()->lbFailReason->setVisible(reason != UpdateFailure::NoReason);
}

void SwUpdateDialog::installFinished(bool success)
{
    setInstalling(false);
    if (!success) {
        showFailure(UpdateFailure::InstallFailed);
        return;
    }
    emit closeSettings();
    emit closeSystem();
    closeDialog();
}

void SwUpdateDialog::setInstalling(bool installing)
{
    form()->btnCancel->setEnabled(!installing);
    form()->btnClose->setEnabled(!installing);
    if (installing) {
        form()->label_12->setText(tr("Installing... please wait"));
        form()->progressBar->setRange(0, 0);
    } else {
        form()->progressBar->setRange(0, UpdateProgress::Steps);
    }
}

void SwUpdateDialog::reportDownloadComplete()
{
    connect(this, &SwUpdateDialog::sendCommand, m_analytics, &BigData::receiveCommand);
    emit sendCommand(UpdateProgress::DownloadCompletedEvent, m_updater->getCurrentSWVersion(), m_updater->getRemoteSWVersionWin(), -1, -1,
                     -1, -1);
    disconnect(this, &SwUpdateDialog::sendCommand, m_analytics, &BigData::receiveCommand);
}
