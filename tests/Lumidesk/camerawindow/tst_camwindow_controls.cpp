#include "camwindowfixture.h"

#include "audio/qorvaudiosource.h"
#include "audio/simulatedaudioinputs.h"
#include "camerasettings/camerasettingdialog.h"
#include "capture/qorvcapturesession.h"
#include "common/remotepayload.h"
#include "journix.h"
#include "syslogger.h"
#include "imageprocess/imageprocessor.h"

#include <QSettings>

using namespace camwindow;
using platform::SimulatedAudioInputs;

namespace {

void mouse(CameraMainWidget &window, QEvent::Type type, QPoint at)
{
    QMouseEvent event(type, QPointF(at), Qt::LeftButton, type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(&window, &event);
}

QByteArray rectangleBytes(const QList<int> &edges)
{
    return roiBytes(quint16(edges.at(0)), quint16(edges.at(1)), quint16(edges.at(2)), quint16(edges.at(3)));
}

QList<int> currentRoi(const QSharedPointer<SimulatedCamera> &camera)
{
    const uvcx_roi_control_t roi = roiOf(camera->uvc().current(RoiUnit, RoiSelector));
    return {roi.wROI_Top, roi.wROI_Left, roi.wROI_Bottom, roi.wROI_Right};
}

int requestsTo(const QSharedPointer<SimulatedCamera> &camera, quint8 unit, quint8 selector)
{
    int count = 0;
    for (const auto &logged : camera->uvc().requestLog()) {
        if (logged.request.bRequest == 0x01 && (logged.request.wValue >> 8) == selector
            && (logged.request.wIndex >> 8) == unit)
            ++count;
    }
    return count;
}

// The camera-move events (zoom 0x15000001, pan 0x15000002) as (category, behaviour, amount).
QList<QList<int>> cameraMoves(const QSignalSpy &analytics)
{
    QList<QList<int>> moves;
    for (const QList<QVariant> &call : analytics) {
        if (call.at(0).toInt() == CameraMainWidget::CameraMoveEvent)
            moves.append({call.at(1).toInt(), call.at(2).toInt(), call.at(3).toInt()});
    }
    return moves;
}

constexpr int ZoomMove = 0x15000001;
constexpr int PanMove = 0x15000002;
constexpr int ZoomedIn = 0x16000001;
constexpr int ZoomedOut = 0x16000002;

// Keeps the records the log system hands over.
class RecordingLogger : public SysLogger
{
public:
    bool open() override { return true; }
    void close() override {}
    void write(const QByteArray &line) override { lines << QString::fromUtf8(line); }
    QStringList lines;
};

QStringList microphoneTexts(CameraMainWidget &window)
{
    QStringList texts;
    for (int i = 0; i < window.cbAudio->count(); ++i)
        texts.append(window.cbAudio->itemText(i));
    return texts;
}

} // namespace

// The window's zoom buttons, pan by mouse on a camera's region of interest, the PTZ buttons and the
// microphone list.
class TestCamWindowControls : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void zoomButtons();
    void zoomAndPanAnalytics();
    void digitalZoomOnACameraWithoutItsOwn();
    void roiPanAtMostOncePerTick();
    void ptzHoldMovesFasterAfterASecond();
    void ptzWithoutRoiMovesTheCamera();
    void microphoneListFollowsTheInputs();
    void lostMicrophoneEndsTheRecording_data();
    void lostMicrophoneEndsTheRecording();

private:
    std::unique_ptr<CameraMainWidget> openWindow();
    QSharedPointer<SimulatedCamera> m_camera;
};

void TestCamWindowControls::initTestCase()
{
    platform::PlatformBackend::select(platform::PlatformBackend::Simulated);
    QVERIFY(DocCamManager::getDocCamManager());
}

void TestCamWindowControls::init()
{
    QFile::remove(_GUID_SETTING_INI);
    SimulatedAudioInputs::instance()->reset();
    m_camera = makeCamera(0, 0x0815, QStringLiteral("Doc"));
    plugOnly({m_camera});
}

std::unique_ptr<CameraMainWidget> TestCamWindowControls::openWindow()
{
    auto window = makeWindow();
    window->comboBoxSource->setCurrentIndex(1);
    return window;
}

void TestCamWindowControls::zoomButtons()
{
    auto window = openWindow();
    QSignalSpy sent(window.get(), &CameraMainWidget::SendToClient);
    double ratio = -1;
    window->btnZoomIn->click();
    window->btnZoomIn->click();
    QCOMPARE(window->zoomSlider->value(), 2);
    QCOMPARE(window->getSourceCamera()->getZoomRatio(&ratio), GeneralCamera::Success);
    QCOMPARE(ratio, 2.0);
    window->btnZoomOut->click();
    QCOMPARE(sentInts(sent, CameraMainWidget::ZoomValueId), (QList<QList<qint32>>{{1}, {2}, {1}}));
    // At the end of the range a press still reports the value.
    window->btnZoomOut->click();
    window->btnZoomOut->click();
    QCOMPARE(window->zoomSlider->value(), 0);
    QCOMPARE(sentInts(sent, CameraMainWidget::ZoomValueId).last(), QList<qint32>{0});
}

// The zoom slider reports its moves against the value last reported, whatever the phone did in
// between; a pan reports the edges that moved.
void TestCamWindowControls::zoomAndPanAnalytics()
{
    const QByteArray whole = roiBytes(0, 0, 2159, 3839);
    setRoi(m_camera, whole, whole, roiBytes(540, 960, 1620, 2880));
    auto window = openWindow();
    QSignalSpy analytics(window.get(), &CameraMainWidget::sendCommand);
    const auto release = [&window](int value) {
        window->zoomSlider->setValue(value);
        emit window->zoomSlider->sliderReleased();
    };
    release(4);
    QCOMPARE(cameraMoves(analytics), (QList<QList<int>>{{ZoomMove, ZoomedIn, 4}}));
    release(4);
    QCOMPARE(cameraMoves(analytics).size(), 1);
    // The phone's zoom is no step of the slider's.
    QByteArray payload = RemotePayload::int32s({7});
    window->FromClientCmd(CameraMainWidget::ZoomValueId, payload);
    QCOMPARE(window->zoomSlider->value(), 7);
    QCOMPARE(cameraMoves(analytics).size(), 1);
    release(7);
    QCOMPARE(cameraMoves(analytics).last(), (QList<int>{ZoomMove, ZoomedIn, 3}));
    release(2);
    QCOMPARE(cameraMoves(analytics).last(), (QList<int>{ZoomMove, ZoomedOut, 5}));
    // Every event names the camera.
    QCOMPARE(firstOf(analytics, CameraMainWidget::CameraMoveEvent).at(4).toString(), QStringLiteral("Doc"));

    // A drag to the left moves the window's right edge 40 units: one pan event of 40.
    m_camera->uvc().setCurrent(RoiUnit, RoiSelector, roiBytes(540, 960, 1620, 2880));
    analytics.clear();
    window->timeStamp();
    mouse(*window, QEvent::MouseButtonPress, QPoint(300, 200));
    mouse(*window, QEvent::MouseMove, QPoint(340, 200));
    mouse(*window, QEvent::MouseButtonRelease, QPoint(340, 200));
    QCOMPARE(currentRoi(m_camera), (QList<int>{540, 920, 1620, 2840}));
    QCOMPARE(cameraMoves(analytics), (QList<QList<int>>{{PanMove, 0x16000004, 40}}));
    // Released where it was: nothing moved, nothing reported.
    analytics.clear();
    mouse(*window, QEvent::MouseButtonPress, QPoint(300, 200));
    mouse(*window, QEvent::MouseButtonRelease, QPoint(300, 200));
    QCOMPARE(cameraMoves(analytics), QList<QList<int>>());
}

// A camera without a zoom of its own is zoomed and panned by cropping its frames: the buttons, the
// slider, a drag and the phone all reach the crop, and the camera is asked for nothing.
void TestCamWindowControls::digitalZoomOnACameraWithoutItsOwn()
{
    m_camera = makeCamera(0, 0x0815, QStringLiteral("Fixed"));
    m_camera->uvc().removeControl(1, 0x0b); // zoom absolute
    m_camera->uvc().removeControl(1, 0x0c); // zoom relative
    plugOnly({m_camera});
    auto window = openWindow();
    QVERIFY(window->getSourceCamera());
    QCOMPARE(window->zoomSlider->minimum(), 0);
    QCOMPARE(window->zoomSlider->maximum(), ZoomPan::MaxLevel - 1);
    QVERIFY(window->zoomSlider->isEnabled());
    ImageProcessor *frames = window->frameSource()->getSourceImpl()->imageProcessor();
    const auto crop = [frames] {
        const ZoomAttributes zoom = frames->getZoomAttributes();
        return QPair<float, QPointF>(zoom.getZoomRatio(), zoom.getStartCoordinate());
    };
    const auto shown = [&window] {
        return QPair<float, QPointF>(window->zoomPan().fraction(), window->zoomPan().origin());
    };
    m_camera->uvc().clearRequestLog();
    QSignalSpy sent(window.get(), &CameraMainWidget::SendToClient);
    QSignalSpy analytics(window.get(), &CameraMainWidget::sendCommand);

    window->btnZoomIn->click();
    window->btnZoomIn->click();
    QCOMPARE(window->zoomPan().level(), 3);
    QCOMPARE(window->zoomSlider->value(), 2);
    QCOMPARE(crop(), shown());
    QCOMPARE(crop().first, ZoomPan::cropFraction(3));
    // Zoomed about the middle of the frame.
    QVERIFY(qAbs(crop().second.x() + crop().first / 2 - 0.5) < 0.01);
    QVERIFY(qAbs(crop().second.y() + crop().first / 2 - 0.5) < 0.01);
    QCOMPARE(sentInts(sent, CameraMainWidget::ZoomValueId), (QList<QList<qint32>>{{1}, {2}}));
    QCOMPARE(cameraMoves(analytics), (QList<QList<int>>{{ZoomMove, ZoomedIn, 1}, {ZoomMove, ZoomedIn, 1}}));

    // A drag of 21 pixels to the right pans one step to the left; 20 pixels do not.
    const QPointF before = crop().second;
    mouse(*window, QEvent::MouseButtonPress, QPoint(300, 200));
    mouse(*window, QEvent::MouseMove, QPoint(320, 200));
    QCOMPARE(crop().second, before);
    mouse(*window, QEvent::MouseMove, QPoint(321, 200));
    QVERIFY(qAbs(crop().second.x() - (before.x() - 1.0 / (3 * 20))) < 1e-4);
    QCOMPARE(crop().second.y(), before.y());
    analytics.clear();
    mouse(*window, QEvent::MouseButtonRelease, QPoint(321, 200));
    // The phone hears the visible part of the frame; the analytics the edges that moved.
    const QSize frame(window->getSourceCamera()->getActiveFormat().width,
                      window->getSourceCamera()->getActiveFormat().height);
    const QList<int> edges = window->zoomPan().visibleEdges(frame);
    QByteArray visible;
    for (const QList<QVariant> &call : sent) {
        if (call.at(0).toUInt() == CameraMainWidget::VisibleWindowId)
            visible = call.at(1).toByteArray();
    }
    QCOMPARE(visible, rectangleBytes(edges));
    QCOMPARE(cameraMoves(analytics), (QList<QList<int>>{{PanMove, 0x16000005, frame.height() - edges.at(2)},
                                                        {PanMove, 0x16000004, frame.width() - edges.at(3)}}));

    // In to the last level: the crop stays inside the frame; one press more changes nothing but
    // still tells the phone.
    for (int press = 0; press < ZoomPan::MaxLevel; ++press)
        window->btnZoomIn->click();
    QCOMPARE(window->zoomPan().level(), ZoomPan::MaxLevel);
    QCOMPARE(crop(), shown());
    QVERIFY(crop().second.x() >= 0 && crop().second.x() + crop().first <= 1.0f + 1e-6f);
    QCOMPARE(sentInts(sent, CameraMainWidget::ZoomValueId).last(), QList<qint32>{ZoomPan::MaxLevel - 1});
    // The two pan events, and one for each level gained from 3.
    QCOMPARE(countOf(analytics, CameraMainWidget::CameraMoveEvent), 2 + ZoomPan::MaxLevel - 3);

    // The phone: a zoom value, its answers read from the crop and the slider.
    QByteArray payload = RemotePayload::int32s({5});
    window->FromClientCmd(CameraMainWidget::ZoomValueId, payload);
    QCOMPARE(payload, RemotePayload::int32s({5}));
    QCOMPARE(window->zoomPan().level(), 6);
    QCOMPARE(crop(), shown());
    payload.clear();
    window->FromClientCmd(0x80000411, payload);
    QCOMPARE(payload, RemotePayload::int32s({5}));
    payload.clear();
    window->FromClientCmd(0x80000428, payload);
    QCOMPARE(payload, RemotePayload::int32s({0, ZoomPan::MaxLevel - 1}));
    payload.clear();
    window->FromClientCmd(0x80000441, payload);
    QCOMPARE(payload, rectangleBytes({0, 0, frame.height(), frame.width()}));
    payload.clear();
    window->FromClientCmd(0x80000442, payload);
    QCOMPARE(payload, rectangleBytes(window->zoomPan().visibleEdges(frame)));
    payload.clear();
    window->FromClientCmd(CameraMainWidget::ZoomAvailableId, payload);
    QCOMPARE(payload, RemotePayload::int32s({1}));

    // A format too wide for zoom lets the crop go and locks the zoom, as it does a camera's own.
    GeneralCamera *camera = window->getSourceCamera();
    for (const VideoFormat &format : camera->getVideFormats()) {
        if (format.codecType == 6 && format.width == 3840 && format.frameRates.contains(30u))
            QVERIFY(qint32(camera->setActiveFormat(format.index, 30)) >= 0);
    }
    QCOMPARE(camera->getActiveFormat().width, 3840);
    emit window->settingDialog->settingApplied();
    QCOMPARE(crop().first, 1.0f);
    QCOMPARE(window->zoomPan().level(), 1);
    QVERIFY(!window->zoomSlider->isEnabled());
    QCOMPARE(sentInts(sent, CameraMainWidget::ZoomAvailableId).last(), QList<qint32>{0});
    payload = RemotePayload::int32s({5});
    window->FromClientCmd(CameraMainWidget::ZoomValueId, payload);
    QCOMPARE(crop().first, 1.0f);

    // Back to a narrower one and out again to the whole frame.
    for (const VideoFormat &format : camera->getVideFormats()) {
        if (format.codecType == 6 && format.width == 1280 && format.frameRates.contains(30u))
            QVERIFY(qint32(camera->setActiveFormat(format.index, 30)) >= 0);
    }
    emit window->settingDialog->settingApplied();
    QVERIFY(window->zoomSlider->isEnabled());
    for (int press = 0; press < ZoomPan::MaxLevel; ++press)
        window->btnZoomOut->click();
    QCOMPARE(window->zoomPan().level(), 1);
    QCOMPARE(crop().first, 1.0f);
    QCOMPARE(requestsTo(m_camera, 1, 0x0b), 0);
}

void TestCamWindowControls::roiPanAtMostOncePerTick()
{
    const QByteArray whole = roiBytes(0, 0, 2159, 3839);
    setRoi(m_camera, whole, whole, roiBytes(540, 960, 1620, 2880));
    auto window = openWindow();
    window->getSourceCamera()->setZoomRatio(4.0);
    // The zoom resized the region about its centre, as the camera does; the pan starts from a known one.
    m_camera->uvc().setCurrent(RoiUnit, RoiSelector, roiBytes(540, 960, 1620, 2880));
    m_camera->uvc().clearRequestLog();
    QSignalSpy sent(window.get(), &CameraMainWidget::SendToClient);

    window->timeStamp(); // a tick of the 300 ms timer
    mouse(*window, QEvent::MouseButtonPress, QPoint(300, 200));
    mouse(*window, QEvent::MouseMove, QPoint(340, 200));
    mouse(*window, QEvent::MouseMove, QPoint(380, 200));
    QCOMPARE(roiWrites(m_camera), 1);
    QCOMPARE(currentRoi(m_camera), (QList<int>{540, 920, 1620, 2840}));
    window->timeStamp();
    mouse(*window, QEvent::MouseMove, QPoint(380, 200));
    QCOMPARE(roiWrites(m_camera), 2);
    mouse(*window, QEvent::MouseButtonRelease, QPoint(380, 200));
    // The phone hears the visible window: four 16-bit edges.
    QByteArray reported;
    for (const QList<QVariant> &call : sent) {
        if (call.at(0).toUInt() == CameraMainWidget::VisibleWindowId)
            reported = call.at(1).toByteArray();
    }
    QCOMPARE(reported.size(), 8);
    const uvcx_roi_control_t visible = roiOf(reported);
    QCOMPARE(visible.wROI_Right, uint16_t(currentRoi(m_camera).at(3)));
    // Released: moves pan no more.
    window->timeStamp();
    mouse(*window, QEvent::MouseMove, QPoint(500, 200));
    QCOMPARE(roiWrites(m_camera), 2);
}

void TestCamWindowControls::ptzHoldMovesFasterAfterASecond()
{
    setRoi(m_camera, roiBytes(0, 0, 2159, 3839), roiBytes(0, 0, 1079, 1919), roiBytes(540, 960, 1620, 2880));
    auto window = openWindow();
    QVERIFY(window->checkRioMode());
    // Not zoomed: the region does not move.
    window->ptzRightPressed();
    window->ptzReleasedd();
    QCOMPARE(currentRoi(m_camera).at(3), 2880);

    window->getSourceCamera()->setZoomRatio(4.0);
    m_camera->uvc().setCurrent(RoiUnit, RoiSelector, roiBytes(540, 960, 1620, 2880));
    window->ptzRightPressed();
    QCOMPARE(currentRoi(m_camera).at(3), 2896);
    QList<int> rights;
    for (int tick = 0; tick < 6; ++tick) {
        window->btnPressTimeout();
        rights.append(currentRoi(m_camera).at(3));
    }
    QCOMPARE(rights, (QList<int>{2912, 2928, 2944, 2960, 2976, 3088}));
    for (int tick = 0; tick < 20; ++tick)
        window->btnPressTimeout();
    QCOMPARE(currentRoi(m_camera), (QList<int>{540, 1919, 1620, 3839}));
    window->ptzReleasedd();
}

void TestCamWindowControls::ptzWithoutRoiMovesTheCamera()
{
    platform::SimulatedUvcControl control = m_camera->uvc().control(RoiUnit, RoiSelector);
    control.defaultValue = roiBytes(0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF);
    m_camera->uvc().removeControl(RoiUnit, RoiSelector);
    m_camera->uvc().addControl(control);
    auto window = openWindow();
    QVERIFY(!window->checkRioMode());
    m_camera->uvc().clearRequestLog();
    window->btnPtzLeft->pressed();
    const int started = requestsTo(m_camera, 1, 0x0e); // pan-tilt relative
    QVERIFY(started >= 1);
    window->btnPtzLeft->released();
    QVERIFY(requestsTo(m_camera, 1, 0x0e) > started);
    QCOMPARE(roiWrites(m_camera), 0);
}

void TestCamWindowControls::microphoneListFollowsTheInputs()
{
    auto window = openWindow();
    window->autoSelectAudio();
    QCOMPARE(microphoneTexts(*window),
             (QStringList{"Mute", "Simulated Microphone", "Simulated Headset"}));
    QVERIFY(window->audioInput());
    QCOMPARE(window->audioInput()->currentUuid(), SimulatedAudioInputs::FirstInputId);
    QorvAudioSource *first = window->audioInput();
    window->setAudioDevice(1); // the one in use: not made again
    QCOMPARE(window->audioInput(), first);

    const QString thirty = QStringLiteral("USB Microphone Array Front 123");
    SimulatedAudioInputs::instance()->addInput({QStringLiteral("usb.mic"), thirty});
    SimulatedAudioInputs::instance()->addInput({QStringLiteral("usb.mic.2"), QStringLiteral("Simulated Headset")});
    // The change is logged as a state change (level 4), seen at the program's usual threshold.
    RecordingLogger logger;
    Journix *journix = Journix::getSysJournix();
    const int threshold = journix->logLevel();
    journix->setLogLevel(Journix::Warning);
    journix->setLogger(&logger);
    QVERIFY(journix->startLog());
    window->syncAudioList();
    journix->stopLog();
    journix->setLogger(nullptr);
    journix->setLogLevel(threshold);
    const QStringList changed = logger.lines.filter(QStringLiteral("Audio list changed."));
    QCOMPARE(changed.size(), 1);
    QVERIFY2(changed.first().contains(QLatin1String(" <4> ")), qPrintable(changed.first()));
    QCOMPARE(microphoneTexts(*window), (QStringList{"Mute", "Simulated Microphone", "Simulated Headset",
                                                    thirty.left(25) + "...", "Simulated Headset (2)"}));
    // The microphone in use is kept across the rebuild.
    QCOMPARE(window->audioInput(), first);
    QCOMPARE(window->cbAudio->currentIndex(), 1);

    // A choice pressed in the list is remembered for this window's order.
    window->cbAudio->setCurrentIndex(3);
    window->doSaveAudioSetting(window->cbAudio->model()->index(3, 0));
    QCOMPARE(QSettings(_GUID_SETTING_INI, QSettings::IniFormat).value("Audio/AudioFirst").toString(),
             thirty.left(25) + "...");
    QCOMPARE(window->audioInput()->currentUuid(), QStringLiteral("usb.mic"));
}

void TestCamWindowControls::lostMicrophoneEndsTheRecording_data()
{
    QTest::addColumn<QString>("saved");
    QTest::addColumn<bool>("removeAll");
    QTest::addColumn<QString>("fallback"); // unique id, empty for "Mute"
    QTest::newRow("the saved one") << "Simulated Headset" << false << SimulatedAudioInputs::SecondInputId;
    QTest::newRow("no saved one: the first") << QString() << false << SimulatedAudioInputs::FirstInputId;
    QTest::newRow("saved one gone too: the first") << "Gone" << false << SimulatedAudioInputs::FirstInputId;
    QTest::newRow("none left: Mute") << QString() << true << QString();
}

void TestCamWindowControls::lostMicrophoneEndsTheRecording()
{
    QFETCH(QString, saved);
    QFETCH(bool, removeAll);
    QFETCH(QString, fallback);
    SimulatedAudioInputs::instance()->addInput({QStringLiteral("usb.mic"), QStringLiteral("Desk Mic")});
    auto window = openWindow();
    window->autoSelectAudio();
    window->cbAudio->setCurrentIndex(3);
    QCOMPARE(window->audioInput()->currentUuid(), QStringLiteral("usb.mic"));
    if (!saved.isEmpty())
        QSettings(_GUID_SETTING_INI, QSettings::IniFormat).setValue("Audio/AudioFirst", saved);
    QSignalSpy ended(window->captureSession(), &QorvCaptureSession::recordingDidEnd);
    window->recordClick();
    QCOMPARE(window->getRecordState(), 1);

    SimulatedAudioInputs::instance()->removeInput(QStringLiteral("usb.mic"));
    if (removeAll) {
        SimulatedAudioInputs::instance()->removeInput(SimulatedAudioInputs::FirstInputId);
        SimulatedAudioInputs::instance()->removeInput(SimulatedAudioInputs::SecondInputId);
    }
    window->syncAudioList();
    QCOMPARE(window->getRecordState(), 0);
    QVERIFY(ended.wait(20000));
    QCOMPARE(window->audioInput() ? window->audioInput()->currentUuid() : QString(), fallback);
    QCOMPARE(window->cbAudio->currentIndex() == 0, fallback.isEmpty());
    QVERIFY(window->comboBoxSource->isEnabled());
    QCOMPARE(window->voiceSlider->isEnabled(), !fallback.isEmpty());
}

QTEST_MAIN(TestCamWindowControls)
#include "tst_camwindow_controls.moc"
