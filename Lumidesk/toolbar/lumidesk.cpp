#include "toolbar/lumidesk.h"

#include "analytics/bigdata.h"
#include "audio/qorvaudiosourcewatcher.h"
#include "camerawindow/cameramainwidget.h"
#include "capture/qorvcapturesession.h"
#include "capture/qorvframesource.h"
#include "common/abstractcapturescreenaction.h"
#include "common/lumidesklog.h"
#include "common/nativewindowhelpers.h"
#include "desktop/detachedprocess.h"
#include "desktop/installlayout.h"
#include "desktop/taskbarentry.h"
#include "dialogs/livestreamsettingdialog.h"
#include "dialogs/othersettingdialog.h"
#include "dialogs/swupdatedialog.h"
#include "manager/doccammanager.h"
#include "notificationdialog.h"
#include "qorvrtmpintf.h"
#include "telegate.h"
#include "toolbar/link/localserver.h"
#include "toolbar/pipwidget.h"
#include "toolbar/startupupdatecheck.h"
#include "vantoqrcode.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QTimer>

namespace {

const Journix::LogLevel ErrorLevel = Journix::LogLevel(2);
const Journix::LogLevel StateLevel = Journix::LogLevel(4);
const Journix::LogLevel TraceLevel = Journix::LogLevel(7);

} // namespace

// ---- Construction ----

Lumidesk::Lumidesk()
    : QMainWindow(nullptr)
{
    m_constructionClock.start();
    setupUi(this);
    setFixedSize(BarLength, BarThickness);
    verticleWidget->hide();
    step("form");

    connectButtons();
    step("buttons");

    makeLayoutChooser();
    step("layout chooser");

    makePublisher();
    step("live publisher");

    makeLiveSetting();
    step("desktop live settings");

    m_languageFolder = QApplication::applicationDirPath() + QLatin1String("/Languages");
    step("language folder");

    m_settingDialog = new OtherSettingDialog(this);
    wireSettingDialog(m_settingDialog);
    step("general settings");

    m_dockHelper = new AbstractCaptureScreenAction(this);
    step("docking helper");

    makeDesktopSession();
    step("desktop session");

    makeNotificationDialog();
    step("notification dialog");

    makeLocalServer();
    step("local server");

    updateString(m_settingDialog->getSelectLang());
    step("language");

    setAttribute(Qt::WA_TranslucentBackground);
    verticalLayout->setAlignment(Qt::AlignTop);
    // The shape follows in every show event.
    step("translucent");

    makeRemoteServer();
    step("remote-control server");

    checkForUpdate();
    step("update check");

    connect(m_session, &QorvCaptureSession::audioLevelReport, this, &Lumidesk::adjustVolum);
    step("audio level");

    makeAudioPoll();
    step("audio poll");

    keepCurrentDesktop(this);
    step("current desktop");

    m_cameraManager = DocCamManager::getDocCamManager(QMap<QString, QString>());
    connect(m_cameraManager, &DocCamManager::powerStateChanged, this, &Lumidesk::handlePowerChange);
    step("camera manager");

    if (!m_firstCamera)
        makeFirstCameraWindow();
    step("first camera window");

    m_analytics = BigData::RequireBigData();
    sendAnalytics(ProgramStartEvent);
    step("analytics");
}

void Lumidesk::step(const char *name)
{
    _LumideskLog::log(TraceLevel, QStringLiteral("Toolbar: %s (%lld ms)."), name,
                      static_cast<long long>(m_constructionClock.elapsed()));
}

void Lumidesk::connectButtons()
{
    for (CustomMoveButton *handle : {moveBtn, moveBtnVer}) {
        connect(handle, &CustomMoveButton::buttonPress, this, &Lumidesk::doMousePress);
        connect(handle, &CustomMoveButton::buttonRelease, this, &Lumidesk::doMouseRelease);
    }
    for (QToolButton *button : {closeBtn, closeBtnVer})
        connect(button, &QToolButton::clicked, this, &Lumidesk::closeToolBar);
    for (QToolButton *button : {narrowBtn, narrowBtnVer})
        connect(button, &QToolButton::clicked, this, &Lumidesk::doNarrow);
    for (QToolButton *button : {selectLayoutBtn, selectLayoutBtnVer})
        connect(button, &QToolButton::clicked, this, &Lumidesk::showSelectLayout);
    for (QToolButton *button : {settingsBtn, settingsBtnVer})
        connect(button, &QToolButton::clicked, this, &Lumidesk::showSettingDialog);
    for (QToolButton *button : {recordBtn, recordBtnVer})
        connect(button, &QToolButton::clicked, this, &Lumidesk::showRecordControl);
    for (QToolButton *button : {streamingBtn, streamingBtnVer})
        connect(button, &QToolButton::clicked, this, &Lumidesk::showLiveStreamSetting);
    for (QToolButton *button : {previewBtn, previewBtnVer})
        connect(button, &QToolButton::clicked, this, &Lumidesk::showPreviewFolder);
    for (QToolButton *button : {captureBtn, captureBtnVer})
        connect(button, &QToolButton::clicked, this, &Lumidesk::doCapture);
    for (QToolButton *button : {drawletBtn, drawletBtnVer})
        connect(button, &QToolButton::clicked, this, &Lumidesk::showDrawlet);
}

void Lumidesk::makeLayoutChooser()
{
    m_pipWidget = new PipWidget(this, 0);
    // Queued: the layout is applied once the chooser has finished its own click handling.
    connect(m_pipWidget, &PipWidget::doShowCameraMode, this, &Lumidesk::checkShowCameraWidget, Qt::QueuedConnection);
    keepAboveCameraWindows(m_pipWidget);
}

void Lumidesk::makePublisher()
{
    m_rtmp = acquireQorvRtmpImpl();
    connect(m_rtmp, &QorvRtmpIntf::rtmpNotification, this, &Lumidesk::showRtmpNotification, Qt::QueuedConnection);
    connect(m_rtmp, &QorvRtmpIntf::streamConnected, this, &Lumidesk::liveAccepted, Qt::QueuedConnection);
    connect(m_rtmp, &QorvRtmpIntf::showUploadWarning, this, &Lumidesk::showUploadWarning, Qt::QueuedConnection);
    connect(m_rtmp, &QorvRtmpIntf::liveStatus, this, &Lumidesk::liveStatus, Qt::QueuedConnection);
    connect(m_rtmp, &QorvRtmpIntf::reconnectServer, this, &Lumidesk::handleReconnectServer, Qt::QueuedConnection);
}

void Lumidesk::makeLiveSetting()
{
    m_liveSetting = new LiveStreamSettingDialog(LiveStreamSettingDialog::Desktop, this);
    // The resolution check compares the stream's size with the desktop's.
    const QRect screen = primaryGeometry();
    m_liveSetting->setFrameSize(screen.width(), screen.height());
    connect(m_liveSetting, &LiveStreamSettingDialog::settingSuccess, this, &Lumidesk::showLiveControl);
    keepAboveCameraWindows(m_liveSetting);
}

void Lumidesk::wireSettingDialog(OtherSettingDialog *dialog)
{
    connect(dialog, &OtherSettingDialog::langChanged, this, &Lumidesk::updateString);
    connect(dialog, &OtherSettingDialog::closeSystem, this, &Lumidesk::closeToolBar);
    connect(dialog, &OtherSettingDialog::closeOtherSetting, this, &Lumidesk::closeSettingDialog);
    keepAboveCameraWindows(dialog);
}

void Lumidesk::makeDesktopSession()
{
    m_session = new QorvCaptureSession();
    connect(m_session, &QorvCaptureSession::recordingDidEnd, this, &Lumidesk::recordFinish);
    connect(m_session, &QorvCaptureSession::recordedFPSReceived, this, &Lumidesk::handleRecordedFpsStatus);
    connect(m_session, &QorvCaptureSession::JPGFileReceived, this, &Lumidesk::JPGFileReceived, Qt::DirectConnection);
    connect(m_session, &QorvCaptureSession::receiveError, this, &Lumidesk::handleError);
    // Written on the capture thread; the toolbar gives its feedback once the picture is on disk.
    connect(m_session, &QorvCaptureSession::finishedWritingFrame, this, &Lumidesk::snapshotWritten,
            Qt::QueuedConnection);

    m_screenSource = new QorvFrameSource(nullptr, QorvCaptureSource::Screen);
    m_session->addSource(m_screenSource);
    m_session->addRTMPObj(m_rtmp);
    m_session->startRunning();
}

QPoint Lumidesk::centredOn(const QRect &area, const QRect &window)
{
    return QPoint((area.right() - area.left()) / 2 - (window.right() - window.left()) / 2,
                  (area.bottom() - area.top()) / 2 - (window.bottom() - window.top()) / 2);
}

void Lumidesk::makeNotificationDialog()
{
    m_notificationDialog = new NotificationDialog(this);
    platform::TaskbarEntry::keepOut(m_notificationDialog);
    const QRect screen = primaryGeometry();
    const QRect dialog = m_notificationDialog->geometry();
    m_notificationDialog->move(centredOn(screen, dialog));
    connect(m_notificationDialog, &NotificationDialog::closeNotificationDialog, this, &Lumidesk::receiveCloseDialog);
    keepAboveCameraWindows(m_notificationDialog);
}

void Lumidesk::makeLocalServer()
{
    m_localServer = new LocalServer();
    LocalServer *server = m_localServer;
    connect(server, &LocalServer::recordStart, this, &Lumidesk::startRecord);
    connect(server, &LocalServer::recordStop, this, &Lumidesk::stopRecord);
    connect(server, &LocalServer::recordPause, this, &Lumidesk::pauseRecord);
    connect(server, &LocalServer::lumideskShow, this, qOverload<int, int>(&Lumidesk::showLumidesk));
    connect(server, &LocalServer::localSocketReady, this, &Lumidesk::localSocketIsReady);
    connect(server, qOverload<QString, int>(&LocalServer::audioSourceChange), this,
            qOverload<QString, int>(&Lumidesk::setAudioSource));
    connect(server, qOverload<QString, QString, int>(&LocalServer::audioSourceChange), this,
            qOverload<QString, QString, int>(&Lumidesk::setAudioSource));
    connect(server, &LocalServer::doSaveAudioSetting, this, &Lumidesk::doSaveAudioSetting);
    connect(server, &LocalServer::audioSourceRemove, this, &Lumidesk::removeAudioSource);
    connect(server, &LocalServer::volumeChange, this, &Lumidesk::setAudioVoice);
    connect(server, &LocalServer::recordWidgetHide, this, &Lumidesk::hideRecordControl);
    connect(server, &LocalServer::recordTimeGet, this, &Lumidesk::getRecordTime);
    connect(server, &LocalServer::liveTimeGet, this, &Lumidesk::getLiveTime);
    connect(server, &LocalServer::liveStart, this, &Lumidesk::startLive);
    connect(server, &LocalServer::liveStop, this, &Lumidesk::stopLive);
    connect(server, &LocalServer::liveWidgetHide, this, &Lumidesk::hideLiveControl);
}

void Lumidesk::startDrawlet()
{
    // Beside this program in the installed layout and in the build tree alike; started directly,
    // never through a shell or a search of PATH.
    m_drawletProgram = platform::InstallLayout::drawletProgram(QCoreApplication::applicationDirPath());
    if (!QFileInfo(m_drawletProgram).isExecutable()) {
        _LumideskLog::log(ErrorLevel, QStringLiteral("DrawletApp not found at %s: no annotation and no record panel."),
                          m_drawletProgram.toUtf8().constData());
        return;
    }
    // It keeps its own log file; what it says before that is open stays out of this program's terminal.
    QString error;
    const qint64 pid = platform::DetachedProcess::start(m_drawletProgram, QStringList(), &error);
    if (pid < 0) {
        _LumideskLog::log(ErrorLevel, QStringLiteral("DrawletApp could not be started: %s (%s)."),
                          m_drawletProgram.toUtf8().constData(), error.toUtf8().constData());
        return;
    }
    _LumideskLog::log(StateLevel, QStringLiteral("DrawletApp started (%lld)."), static_cast<long long>(pid));
}

void Lumidesk::makeRemoteServer()
{
    m_telegate = new Telegate(this);
    connect(m_telegate, &Telegate::fromClientCmd, this, &Lumidesk::FromClientCmd);
    if (m_telegate->isListening()) {
        // The pairing code tells the phone where to connect: the port the server really got.
        VantoQRCode::setPairingPort(m_telegate->serverPort());
        _LumideskLog::log(StateLevel, QStringLiteral("Remote-control server listening on %s:%d."),
                          m_telegate->serverAddress().toString().toUtf8().constData(),
                          int(m_telegate->serverPort()));
    } else {
        _LumideskLog::log(ErrorLevel, QStringLiteral("Remote-control server not listening: no phone can connect."));
    }
    m_layoutMode = 0;
    m_remoteView = 0;
    m_recordControlShown = false;
    m_recordState = Idle;
    m_recordTime = 0;
    m_liveControlShown = false;
    m_remoteCommandRunning = false;
}

void Lumidesk::checkForUpdate()
{
    m_updateDialog = new SwUpdateDialog(nullptr);
    connect(m_updateDialog, &SwUpdateDialog::closeSystem, this, &Lumidesk::closeToolBar);
    connect(m_updateDialog, &SwUpdateDialog::closeSWUpdate, this, &Lumidesk::showSelectLayout);
    keepAboveCameraWindows(m_updateDialog);
    if (!StartupUpdateCheck::isConfigured()) {
        // The chooser opens with the toolbar: after the first-run guide, never as a second modal
        // dialog beside it, nor before the toolbar is on screen.
        m_chooserWithToolbar = true;
        return;
    }
    // The check waits for the update server in a nested event loop, for seconds when the server is
    // slow or silent. Run on the event loop's first turn, it holds nothing back: the toolbar (or the
    // first-run guide) is on screen and works meanwhile, and the answer still decides between the
    // offer and the chooser.
    QTimer::singleShot(0, this, [this] {
        const QPointer<Lumidesk> self(this);
        const bool offered = m_updateDialog->CheckSWVersion();
        if (!self || m_closing)
            return;
        if (offered) {
            m_updateDialog->setModal(true);
            m_updateDialog->show();
        } else if (!isVisible()) {
            m_chooserWithToolbar = true;
        } else if (!m_pipWidget->hasForm()) {
            // The chooser builds its form when first shown or used: a user (or phone) that already
            // picked a layout while the server kept silent gets no chooser thrown at them.
            showSelectLayout();
        }
    });
}

void Lumidesk::makeAudioPoll()
{
    m_audioPollTimer = new QTimer(this);
    connect(m_audioPollTimer, &QTimer::timeout, this, &Lumidesk::syncAudioList);
    m_audioPollTimer->setInterval(m_timing.audioPollMs);
    m_audioPollTimer->start();
    // The list is kept current in the background; its change signal saves waiting for the next poll.
    // The watcher's first use connects to the sound server and waits for its first list (up to a
    // second from a slow server), so it is made on the event loop's first turn: the toolbar is on
    // screen by then, and the start never waits for the server.
    QTimer::singleShot(0, this, [this] {
        m_audioWatcher = new QorvAudioSourceWatcher(this);
        connect(m_audioWatcher, &QorvAudioSourceWatcher::availableSourcesChanged, this, &Lumidesk::syncAudioList,
                Qt::QueuedConnection);
    });
}

void Lumidesk::setTiming(const Timing &timing)
{
    m_timing = timing;
    if (m_localServer)
        m_localServer->setEchoDeadline(timing.panelEchoDeadlineMs, timing.deferPanelEchoDeadline);
    if (m_audioPollTimer)
        m_audioPollTimer->setInterval(timing.audioPollMs);
}

// ---- Closing ----

void Lumidesk::closeToolBar()
{
    // Reached from both close buttons, closeEvent and the update dialogs' closeSystem(): the close
    // below sends another closeEvent, which must not run the shutdown again.
    if (m_closing)
        return;
    m_closing = true;
    _LumideskLog::log(StateLevel, QStringLiteral("Toolbar closing."));

    // The panel is told so that its controls stop too; the session below finishes the recording and
    // the stream whether or not a panel is there to echo.
    if (m_live)
        m_localServer->stopLive();
    if (m_recording)
        m_localServer->stopRecord();

    sendAnalytics(LanguageEvent, m_currentLanguage);
    sendAnalytics(ProgramExitEvent);

    if (m_firstCamera)
        m_firstCamera->closeCameraWidget();
    if (m_secondCamera)
        m_secondCamera->closeCameraWidget();

    m_session->stopRunning();
    if (m_screenSource)
        m_session->removeSource(m_screenSource);
    if (m_audioPollTimer->isActive())
        m_audioPollTimer->stop();
    dropAudioSource();

    // The message a camera window sends as it closes tells the phone of the toolbar's closing too.
    m_telegate->sendDataToClient(CameraMainWidget::CameraStateChangedId, QByteArray());

    // The update dialog has no parent: left open, it would keep the program running.
    m_updateDialog->hide();
    saveLastPoint(x(), y());
    m_closed = true;
    close();
}

void Lumidesk::closeEvent(QCloseEvent *e)
{
    closeToolBar();
    e->accept();
}

Lumidesk::~Lumidesk()
{
    // Closing stopped the session already; a toolbar deleted unclosed stops it here.
    m_session->stopRunning();
    delete m_firstCamera;
    m_firstCamera = nullptr;
    delete m_secondCamera;
    m_secondCamera = nullptr;
    if (m_screenSource) {
        m_session->removeSource(m_screenSource);
        delete m_screenSource;
        m_screenSource = nullptr;
    }
    dropAudioSource();
    // Deleting the session waits for the movie writer: the last second of a recording is written
    // before the program ends.
    delete m_session;
    m_session = nullptr;
    delete m_localServer;
    m_localServer = nullptr;
    // Without parent, it lives as long as the program.
    delete m_updateDialog;
    m_updateDialog = nullptr;
    // The docking helper holds the process-wide boundaries the camera windows read too; it has no
    // Qt parent, so it goes with the toolbar here.
    delete m_dockHelper;
    m_dockHelper = nullptr;
    BigData::ReleaseBigData();
    m_analytics = nullptr;
    disconnect(this, nullptr, this, nullptr);
}

// ---- Language ----

void Lumidesk::updateString(QString lang)
{
    const QString catalogue = m_languageFolder + QLatin1Char('/') + lang + QLatin1String("/Lumidesk_") + lang;
    if (!m_translator.load(catalogue)) {
        _LumideskLog::log(StateLevel, QStringLiteral("Language %s not loaded."), lang.toUtf8().constData());
        return;
    }
    m_currentLanguage = lang;
    QApplication::installTranslator(&m_translator);

    retranslateUi(this);
    // The form's texts just reset the narrow button's tool-tip.
    updateNarrowTip();
    if (m_pipWidget)
        m_pipWidget->updateString();
    if (m_liveSetting)
        m_liveSetting->updateString();
    if (m_firstCamera)
        m_firstCamera->updateString(lang);
    if (m_secondCamera)
        m_secondCamera->updateString(lang);
    if (m_settingDialog)
        m_settingDialog->updateString();
    if (m_notificationDialog)
        m_notificationDialog->updateString();
    if (m_localServer)
        m_localServer->changeLang(lang);
}

// ---- General settings ----

void Lumidesk::showSelectLayout()
{
    m_pipWidget->show();
    // Shown already, it gets no show event: it still comes to the front.
    raiseAboveCameraWindows(m_pipWidget);
}

void Lumidesk::showSettingDialog()
{
    if (!m_settingDialogOpen) {
        m_settingDialogOpen = true;
        // The dialog made at start-up stays, hidden: every opening gets a fresh one.
        m_settingDialog = new OtherSettingDialog(this);
        wireSettingDialog(m_settingDialog);
        m_settingDialog->resetSetting();
        m_settingDialog->loadLiveSetting();
        m_settingDialog->enableLiveSetting(!publisherBusy());
    }
    m_settingDialog->show();
    raiseAboveCameraWindows(m_settingDialog);
}

void Lumidesk::closeSettingDialog()
{
    OtherSettingDialog *dialog = qobject_cast<OtherSettingDialog *>(sender());
    if (!dialog)
        dialog = m_settingDialog;
    if (!dialog)
        return;
    // The dialog may still be inside its own nested event loop: it goes once that has returned.
    dialog->deleteLater();
    if (dialog == m_settingDialog)
        m_settingDialog = nullptr;
    m_settingDialogOpen = false;
}

// ---- The panel ----

void Lumidesk::showRecordControl()
{
    m_localServer->showRecordWidget();
    m_recordControlShown = true;
    updateLevelExport();
}

void Lumidesk::hideRecordControl()
{
    m_recordControlShown = false;
    updateLevelExport();
}

void Lumidesk::localSocketIsReady()
{
    sendAudioList(true);
    m_localServer->changeLang(m_currentLanguage);
    // A panel taking the place of one that went or fell silent shows the controls the user opened.
    if (m_recordControlShown)
        m_localServer->showRecordWidget();
    if (m_liveControlShown)
        m_localServer->showLiveWidget();
}

// ---- Analytics ----

void Lumidesk::sendAnalytics(int command, QVariant data1, QVariant data2, QVariant data3, QVariant data4,
                             QVariant data5, QVariant data6)
{
    if (!m_analytics)
        return;
    connect(this, &Lumidesk::sendCommand, m_analytics, &BigData::receiveCommand);
    emit sendCommand(command, data1, data2, data3, data4, data5, data6);
    disconnect(this, &Lumidesk::sendCommand, m_analytics, &BigData::receiveCommand);
}

QRect Lumidesk::primaryGeometry() const
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry() : QRect();
}

QRect Lumidesk::primaryAvailableGeometry() const
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}
