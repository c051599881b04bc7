// The phone's side: commands from the remote-control server and the messages the toolbar and its
// camera windows send to the phone, filtered by the view the phone shows.
//
// Each command goes to the toolbar, to the camera window the phone shows, or to that window's camera
// settings; the handler leaves its answer in the payload, which goes back under the command's id.
// Payloads come from the network: a command reads only what its payload holds, and one too short for
// what it reads is logged and ignored.

#include "toolbar/lumidesk.h"

#include "analytics/bigdata.h"
#include "camerasettings/camerasettingdialog.h"
#include "camerawindow/cameramainwidget.h"
#include "common/lumidesklog.h"
#include "common/remotepayload.h"
#include "telegate.h"
#include "toolbar/link/localserver.h"

#include <QScopedValueRollback>


namespace {

const Journix::LogLevel WarningLevel = Journix::LogLevel(4);
const Journix::LogLevel TraceLevel = Journix::LogLevel(7);

constexpr quint32 SnapshotId = 0x80000250;
constexpr quint32 ViewId = 0x80000243;
constexpr quint32 GreetingId = 0x80000443;
// The version field of the greeting for every app that needs no upgrade.
constexpr qint32 CurrentAppVersion = 102;
// Texts in the greeting carry a one-byte length.
constexpr int MaxTextBytes = 255;

enum class Route {
    Dropped,
    Toolbar,       // the toolbar in view 0, else the chosen window, answered
    Setting,       // the chosen window's camera settings, answered
    WindowQuiet,   // the chosen window, which answers by itself if at all
    WindowAnswer,  // the chosen window, answered
    View,
    Greeting,
};

Route routeOf(quint32 id)
{
    switch (id) {
    case 0x80000004: case 0x80000005: case 0x80000006: case 0x80000007: case 0x80000200: case 0x80000250:
        return Route::Toolbar;
    case 0x80000201: case 0x80000202: case 0x80000203: case 0x80000206: case 0x80000207: case 0x80000208:
    case 0x8000020a: case 0x8000020b: case 0x80000240: case 0x80000244: case 0x80000245: case 0x8000040e:
    case 0x8000040f: case 0x80000421:
        return Route::Setting;
    case 0x8000020c: case 0x8000020d: case 0x80000212: case 0x80000213:
        return Route::WindowQuiet;
    case 0x8000020e: case 0x80000211: case 0x80000242: case 0x80000251: case 0x80000411: case 0x80000428:
    case 0x80000441: case 0x80000442: case 0x80000451: case 0x80000452: case 0x80000453: case 0x80000454:
        return Route::WindowAnswer;
    case ViewId:
        return Route::View;
    case GreetingId:
        return Route::Greeting;
    default:
        return Route::Dropped;
    }
}

int cameraIndex(const CameraMainWidget *window)
{
    return window ? window->comboBoxSource->currentIndex() : 0;
}

// A camera's name as the greeting carries it: its UTF-8 bytes behind their count, cut at 255 bytes
// where a character begins.
QByteArray greetingEntry(const CameraMainWidget *window)
{
    QByteArray text = window->comboBoxSource->currentText().toUtf8();
    if (text.size() > MaxTextBytes) {
        int end = MaxTextBytes;
        while (end > 0 && (uchar(text.at(end)) & 0xC0) == 0x80)
            --end;
        text.truncate(end);
    }
    return char(uchar(text.size())) + text;
}

} // namespace

Lumidesk::RemoteTarget Lumidesk::remoteTarget() const
{
    // View 2 is the second window, camera or not; view 1 the first window, or the second standing in
    // for a first without a camera.
    if (m_remoteView == 2)
        return {m_secondCamera != nullptr, m_secondCamera};
    if (m_remoteView != 1 || !m_firstCamera)
        return {false, nullptr};
    if (cameraIndex(m_firstCamera) != 0)
        return {true, m_firstCamera};
    if (cameraIndex(m_secondCamera) != 0)
        return {true, m_secondCamera};
    return {true, nullptr};
}

void Lumidesk::FromClientCmd(uint cmdID, QByteArray data)
{
    _LumideskLog::log(TraceLevel, QStringLiteral("Phone command 0x%x with %d bytes in view %d."), cmdID,
                      int(data.size()), m_remoteView);
    const Route route = routeOf(cmdID);
    switch (route) {
    case Route::Dropped:
        return;
    case Route::View:
        setRemoteView(data);
        return;
    case Route::Greeting:
        greetPhone(data);
        return;
    case Route::Toolbar:
        if (m_remoteView == 0) {
            toolbarCommand(cmdID, data);
            return;
        }
        break;
    default:
        break;
    }

    const RemoteTarget target = remoteTarget();
    if (!target.routed)
        return;
    CameraMainWidget *window = target.window;
    if (route == Route::Toolbar) {
        // Without a window that has a camera the phone still gets its request back.
        if (window)
            window->FromClientCmd(cmdID, data);
        // The window sends the picture itself once it has one.
        if (cmdID != CameraMainWidget::PictureId)
            m_telegate->sendDataToClient(cmdID, data);
        return;
    }
    if (!window)
        return;
    if (route == Route::Setting) {
        if (!window->settingDialog)
            return;
        window->settingDialog->FromClientCmd(cmdID, data);
        m_telegate->sendDataToClient(cmdID, data);
        return;
    }
    window->FromClientCmd(cmdID, data);
    if (route == Route::WindowAnswer)
        m_telegate->sendDataToClient(cmdID, data);
}

void Lumidesk::setRemoteView(const QByteArray &data)
{
    qint32 view = 0;
    if (!RemotePayload::readInt32(data, ViewId, &view))
        return;
    if (view < 0 || view > 3) {
        _LumideskLog::log(WarningLevel, QStringLiteral("Phone view %d ignored."), view);
        return;
    }
    m_remoteView = view;
    m_telegate->sendDataToClient(ViewId, data);
}

void Lumidesk::toolbarCommand(quint32 cmdID, QByteArray &data)
{
    switch (cmdID) {
    case CameraMainWidget::RecordStateId:
        remoteRecord(data);
        break;
    case RecordTimeId:
        if (m_recordState == Idle) {
            m_recordTime = 0;
            data.append(RemotePayload::int32s({m_recordState, m_recordTime}));
            m_telegate->sendDataToClient(RecordTimeId, data);
            break;
        }
        askTime(RecordTimeId);
        break;
    case CameraMainWidget::LiveStateId:
        remoteLive(data);
        break;
    case LiveTimeId:
        askTime(LiveTimeId);
        break;
    case SnapshotId:
        doCapture();
        m_telegate->sendDataToClient(cmdID, data);
        break;
    default: // the picture: the desktop sends none, only the request back
        m_telegate->sendDataToClient(cmdID, data);
        break;
    }
}

void Lumidesk::askTime(quint32 cmdID)
{
    // The answer leaves under the id asked (getRecordTime, getLiveTime).
    m_pendingTimeReply = cmdID;
    askPanelTime(cmdID);
}

void Lumidesk::remoteRecord(const QByteArray &data)
{
    qint32 action = 0;
    if (!RemotePayload::readInt32(data, CameraMainWidget::RecordStateId, &action))
        return;
    if (action < Idle || action > Resumed) {
        _LumideskLog::log(WarningLevel, QStringLiteral("Phone record action %d ignored."), action);
        return;
    }
    if (!m_recordControlShown)
        showRecordControl();
    // The panel carries the command out and echoes it; the phone learns the outcome from the record
    // slots and the time answers then. Without a panel the slots run at once. Either way only the
    // slots set the state: a command the panel never echoes, or a start on a full disk, changes
    // nothing the phone is told.
    QScopedValueRollback<bool> remote(m_remoteCommandRunning, true);
    const int before = m_recordState;
    switch (action) {
    case Idle:
        requestStopRecord();
        break;
    case Recording:
        if (before == Recording)
            m_telegate->sendDataToClient(CameraMainWidget::RecordStateId, data);
        else
            requestStartRecord();
        break;
    case Paused:
        requestPauseRecord();
        break;
    default:
        requestStartRecord();
        break;
    }
}

void Lumidesk::remoteLive(const QByteArray &data)
{
    qint32 value = 0;
    if (!RemotePayload::readInt32(data, CameraMainWidget::LiveStateId, &value))
        return;
    QScopedValueRollback<bool> remote(m_remoteCommandRunning, true);
    if (!m_liveControlShown)
        showLiveControl();
    if (value == 0) {
        requestStopLive();
    } else if (m_live) {
        m_telegate->sendDataToClient(CameraMainWidget::LiveStateId, data);
    } else {
        requestStartLive();
    }
}

void Lumidesk::greetPhone(QByteArray &data)
{
    qint32 appVersion = 0;
    if (!RemotePayload::readInt32(data, GreetingId, &appVersion))
        return;
    sendAnalytics(BigData::Event_connectMobile);
    qint32 version = CurrentAppVersion;
    if (appVersion == 100 || appVersion == 101) {
        showNotificationDialog(tr("Message"),
                               tr("There is a newer version of Lumidesk mobile app available. Ensure that you can "
                                  "use our new function successfully , please upgrade it."),
                               0);
        version = appVersion;
    }
    data.clear();
    m_remoteView = 0;

    const bool twoWindows = m_layoutMode == 2 || m_layoutMode == 3;
    QList<const CameraMainWidget *> windows;
    if (twoWindows) {
        for (const CameraMainWidget *window : {m_firstCamera, m_secondCamera}) {
            if (cameraIndex(window) != 0)
                windows.append(window);
        }
    } else if (m_layoutMode == 1 && cameraIndex(m_firstCamera) != 0) {
        windows.append(m_firstCamera);
    }
    if (twoWindows || !windows.isEmpty()) {
        data.append(char(windows.size()));
        for (const CameraMainWidget *window : qAsConst(windows))
            data.append(greetingEntry(window));
        data.append(char(0xFF));
        data.append(RemotePayload::int32s({version}));
    }
    m_telegate->sendDataToClient(GreetingId, data);
}

void Lumidesk::SendToClient(uint cmdID, QByteArray data)
{
    // The toolbar's own state reaches the phone only while the phone shows the toolbar.
    if (m_remoteView == 0)
        m_telegate->sendDataToClient(cmdID, data);
}

void Lumidesk::CameraSendToClient(uint cmdID, QByteArray data)
{
    const bool closing = cmdID == CameraMainWidget::CameraStateChangedId && m_layoutMode != 0;
    if (closing || (m_remoteView != 0 && m_remoteView != 2))
        m_telegate->sendDataToClient(cmdID, data);
}

void Lumidesk::CameraSendToClient2(uint cmdID, QByteArray data)
{
    if (cmdID == CameraMainWidget::CameraStateChangedId && m_layoutMode != 0) {
        m_telegate->sendDataToClient(cmdID, data);
        return;
    }
    if (m_remoteView == 0)
        return;
    // In view 1 the second window stands in for a first window without a camera.
    if (m_remoteView == 1 && cameraIndex(m_firstCamera) != 0)
        return;
    m_telegate->sendDataToClient(cmdID, data);
}
