#include "camwindowfixture.h"

#include "audio/qorvaudiosource.h"
#include "audio/simulatedaudioinputs.h"
#include "capture/qorvcapturesession.h"

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
    window->syncAudioList();
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
