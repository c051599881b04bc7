#include "cameramainwidget.h"

#include "cameramainwidget_p.h"

#include "camera/generalcamera.h"
#include "camerasettings/camerasettingdialog.h"
#include "capture/qorvcapturesession.h"
#include "dialogs/livestreamsettingdialog.h"
#include "livewarningdialog.h"
#include "notificationdialog.h"
#include "warningdialog.h"

#include <QTimer>

using namespace CameraWindowText;

// Reactions to what happens outside the window's own controls: capture errors, system sleep and
// wake, the displayed frame rate, the settings dialog's sensor mode, and a change of language.

namespace {

// A frame rate under half the format's for this many reports in a row shows the warning; as many good
// ones hide it again.
constexpr int FpsReportsInARow = 10;

} // namespace

void CameraMainWidget::handleError(qint32 code)
{
    lastErrorCode = code;
    switch (quint32(code)) {
    case 0xE0050002:
        recordStop();
        showNotificationDialog(tr(NoticeTitle), tr(MemoryMessage), 0);
        break;
    case 0xE0050003:
        stopLiveStream();
        showNotificationDialog(tr(NoticeTitle), tr(MemoryMessage), 0);
        break;
    case 0xE0100004:
    case 0xE0100005:
    case 0xE0200006:
    case 0xE0200007:
        if (recordState != 0)
            recordStop();
        if (liveTimer->isActive())
            stopLiveStream();
        comboBoxSource->setCurrentIndex(0);
        showNotificationDialog(tr(NoticeTitle), tr(MemoryMessage), 0);
        break;
    case 0xE0200003:
        settingDialog->removeMostHighResolution();
        break;
    case quint32(DiskFull):
        // Every frame recorded on a full disk reports it: the first one ends the recording.
        if (recordState != 0)
            deskSpaceNotEnough();
        break;
    case quint32(WriterFailed):
        if (recordState != 0)
            writerFailed();
        break;
    case quint32(StreamLost):
        // The camera stopped sending frames while it ran: what used it ends and the camera is let go.
        if (!camera)
            break;
        if (recordState != 0)
            recordStop();
        if (liveTimer->isActive())
            stopLiveStream();
        comboBoxSource->setCurrentIndex(0);
        showNotificationDialog(tr(NoticeTitle), tr(StreamLostMessage), 0);
        break;
    default:
        break;
    }
}

void CameraMainWidget::handlePowerChange(int state)
{
    switch (state) {
    case 0:
        powerState = 0;
        pausedBeforeSleep = recordState == 2;
        if (recordTimer->isActive())
            recordPause();
        if (liveTimer->isActive())
            stopLiveStream();
        break;
    case 1:
        powerState = 1;
        if (recordState == 2 && !pausedBeforeSleep)
            recordContinue();
        break;
    default:
        break;
    }
}

void CameraMainWidget::handleFpsStatus(qint32 val)
{
    if (powerState == 0 || !camera)
        return;
    const unsigned rate = unsigned(qMax(0, camera->getActiveFormat().frameRate));
    if (val < 0 || unsigned(val) < rate / 2) {
        const bool wasLow = lowFpsCount > FpsReportsInARow - 1;
        ++lowFpsCount;
        goodFpsCount = 0;
        if (wasLow)
            btnWarring->show();
    } else {
        const bool wasGood = goodFpsCount > FpsReportsInARow - 1;
        ++goodFpsCount;
        lowFpsCount = 0;
        if (wasGood)
            btnWarring->hide();
    }
}

void CameraMainWidget::handleChangeSensorMode(int mode, bool apply)
{
    if (!apply)
        return;
    switch (mode) {
    case 0:
        saveLastSetting(848, 480, QStringLiteral("MJPG"), 30);
        break;
    case 1:
        saveLastSetting(848, 480, QStringLiteral("MJPG"), 60);
        break;
    case 2:
        saveLastSetting(640, 480, QStringLiteral("MJPG"), 15);
        break;
    default:
        break;
    }
}

void CameraMainWidget::updateString(QString language)
{
    retranslating = true;
    selectedLocation = comboBoxSource->currentIndex() > 0 ? comboBoxSource->currentData(Qt::UserRole).toInt() : 0;
    const bool hadCamera = comboBoxSource->currentIndex() > 0;
    QList<QPair<QString, QVariant>> entries;
    for (int i = 1; i < comboBoxSource->count(); ++i)
        entries.append({comboBoxSource->itemText(i), comboBoxSource->itemData(i, Qt::UserRole)});

    retranslateUi(this);
    setNoticeText();
    comboBoxSource->setItemText(0, tr(CameraEntry));
    for (const auto &entry : qAsConst(entries))
        comboBoxSource->addItem(entry.first, entry.second);
    if (hadCamera) {
        const int index = comboBoxSource->findData(int(selectedLocation), Qt::UserRole, Qt::MatchExactly);
        if (index > 0)
            comboBoxSource->setCurrentIndex(index);
    }
    if (cbAudio->count() > 0)
        cbAudio->setItemText(0, tr(MuteEntry));

    liveSettingDialog->updateString();
    settingDialog->updateString();
    notificationDialog->updateString();
    warningDialog->updateString();
    liveWarningDialog->updateString(language);
    // The notice's text has another length now.
    relayout();
    retranslating = false;
}

void CameraMainWidget::setLanguage(QString language)
{
    liveWarningDialog->updateString(language);
}
