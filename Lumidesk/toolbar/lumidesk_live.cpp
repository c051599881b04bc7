// Desktop live streaming: the settings, the panel's live controls, start and stop, and what the
// publisher reports.

#include "toolbar/lumidesk.h"

#include "camerawindow/cameramainwidget.h"
#include "capture/qorvcapturesession.h"
#include "common/lumidesklog.h"
#include "common/remotepayload.h"
#include "dialogs/livesettings.h"
#include "dialogs/livestreamsettingdialog.h"
#include "dialogs/othersettingdialog.h"
#include "qorvrtmpintf.h"
#include "toolbar/link/localserver.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

namespace {

const Journix::LogLevel StateLevel = Journix::LogLevel(4);

// A recorded frame rate at or below this is too slow for a stream.
const int SlowFrameRate = 6;
// Reports in a row before the warning changes.
const int FrameRateReports = 10;

} // namespace

bool Lumidesk::publisherBusy() const
{
    return m_rtmp->isStreaming() || m_rtmp->isStreamPending();
}

void Lumidesk::showOneStreamNotice()
{
    showNotificationDialog(tr("Stream Notification"),
                           tr("You can only stream content on one device at a time. Please stop your original "
                              "streaming content."),
                           0);
}

void Lumidesk::showLiveStreamSetting()
{
    if (publisherBusy()) {
        showOneStreamNotice();
        return;
    }
    m_liveSetting->loadSetting();
    m_liveSetting->enableAutoRecord(m_recordState == Idle);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        m_liveSetting->move(centredOn(screen->geometry(), m_liveSetting->geometry()));
    m_liveSetting->showSetting();
}

void Lumidesk::showLiveControl()
{
    // The getters give what is stored: the settings just applied, or those of an earlier session when a
    // phone asks for the live controls.
    m_liveSetting->loadSetting();
    if (!m_remoteCommandRunning)
        m_localServer->setAutoRecord(m_liveSetting->getAutoRecordStatus());
    m_rtmp->setUrl(m_liveSetting->getStreamUrl());
    m_rtmp->setStreamKey(m_liveSetting->getStreamKey());
    m_rtmp->setResolutionLevel(m_liveSetting->getResolutionLevel());
    m_localServer->showLiveWidget();
    m_liveControlShown = true;
    for (CameraMainWidget *window : {m_firstCamera, m_secondCamera}) {
        if (window)
            window->setLiveControlState(true);
    }
    updateLevelExport();
    if (!m_remoteCommandRunning && m_liveSetting->getAutoRecordStatus() && !m_recordControlShown) {
        m_localServer->showRecordWidget();
        m_recordControlShown = true;
        updateLevelExport();
    }
}

void Lumidesk::startLive()
{
    if (m_liveSetting->getShowSettingStatus())
        m_liveSetting->closeSetting();
    // A repeated start while our own stream runs changes nothing: the publisher is busy with it.
    if (m_live)
        return;
    if (publisherBusy()) {
        m_localServer->stopLive();
        showOneStreamNotice();
        return;
    }
    m_live = true;
    m_liveAccepted = false;
    if (m_settingDialog)
        m_settingDialog->enableLiveSetting(false);
    m_rtmp->setHasAudio(m_audioSource != nullptr);
    m_session->enableH264Export(true);
    m_liveCounter.start();
    if (!m_remoteCommandRunning)
        SendToClient(CameraMainWidget::LiveStateId, RemotePayload::int32s({1}));
    m_liveSetting->loadSetting();
    sendAnalytics(LiveStartEvent, LiveSettings::serviceLabel(m_liveSetting->getServiceType()),
                  LiveSettings::levelLabel(m_liveSetting->getResolutionLevel()), m_liveSetting->getAutoRecordStatus());
}

void Lumidesk::stopLive(int time)
{
    sendAnalytics(LiveStopEvent, time);
    if (!m_live)
        return;
    m_live = false;
    if (m_settingDialog)
        m_settingDialog->enableLiveSetting(true);
    m_session->enableH264Export(false);
    m_liveCounter.stop();
    if (m_liveAccepted)
        _LumideskLog::log(StateLevel, QStringLiteral("Desktop live stream stopped after %d s."), time);
    else
        _LumideskLog::log(StateLevel, QStringLiteral("Desktop live stream ended before the server accepted it."));
    if (!m_remoteCommandRunning)
        SendToClient(CameraMainWidget::LiveStateId, RemotePayload::int32s({0, 0}));
}

// A stream counts as started once the server has taken it, not when the export begins: a refused
// connection never started one. A reconnect's acceptance is the same stream.
void Lumidesk::liveAccepted()
{
    if (!m_live || m_liveAccepted)
        return;
    m_liveAccepted = true;
    _LumideskLog::log(StateLevel, QStringLiteral("Desktop live stream started."));
}

void Lumidesk::hideLiveControl()
{
    m_liveControlShown = false;
    for (CameraMainWidget *window : {m_firstCamera, m_secondCamera}) {
        if (window)
            window->setLiveControlState(false);
    }
    updateLevelExport();
}

void Lumidesk::stopLiveFromRtmp()
{
    m_localServer->stopLive();
}

void Lumidesk::showRtmpNotification(int ret)
{
    if (!m_live)
        return;
    QString text;
    switch (ret) {
    case QorvRtmpIntf::ConnectFailed:
        text = tr("Connect server fail !");
        break;
    case QorvRtmpIntf::DataFormatError:
        text = tr("Live stream data format error !");
        break;
    case QorvRtmpIntf::StreamFailed:
        text = tr("Live stream fail !");
        break;
    default:
        return;
    }
    requestStopLive();
    showNotificationDialog(tr("Stream Notification"), text, 1);
}

void Lumidesk::showUploadWarning(bool status)
{
    if (!m_live)
        return;
    if (status)
        m_localServer->showLiveWarningBtn();
    else
        m_localServer->hideLiveWarningBtn();
}

void Lumidesk::liveStatus(int kbps, int fps)
{
    if (m_live)
        m_localServer->updateLiveStatus(kbps, fps);
}

void Lumidesk::handleReconnectServer()
{
    if (!m_live)
        return;
    m_session->enableH264Export(false);
    if (!m_reconnectTimer) {
        m_reconnectTimer = new QTimer(this);
        m_reconnectTimer->setSingleShot(true);
        connect(m_reconnectTimer, &QTimer::timeout, this, &Lumidesk::restartLive);
    }
    m_reconnectTimer->start(m_timing.reconnectDelayMs);
}

void Lumidesk::restartLive()
{
    if (m_live)
        m_session->enableH264Export(true);
}

void Lumidesk::handleRecordedFpsStatus(int val)
{
    if (val <= SlowFrameRate) {
        const int slow = m_slowFrameCount++;
        m_fastFrameCount = 0;
        if (slow >= FrameRateReports && m_live)
            m_localServer->showLiveWarningBtn();
    } else {
        const int fast = m_fastFrameCount++;
        m_slowFrameCount = 0;
        if (fast >= FrameRateReports && m_live)
            m_localServer->hideLiveWarningBtn();
    }
}
