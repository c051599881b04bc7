#include "camwindowfixture.h"

#include "camerasettings/camerasettingdialog.h"
#include "capture/qorvcapturesession.h"
#include "qorvrtmpintf.h"

#include <QBuffer>
#include <QImage>
#include <QSettings>
#include <QTcpServer>

using namespace camwindow;

namespace {

QByteArray ints(std::initializer_list<qint32> values)
{
    QByteArray payload;
    for (const qint32 value : values)
        payload.append(reinterpret_cast<const char *>(&value), sizeof(value));
    return payload;
}

QByteArray jpeg(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(QColor(40, 120, 200));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG");
    return bytes;
}

QList<int> currentRoi(const QSharedPointer<SimulatedCamera> &camera)
{
    const uvcx_roi_control_t roi = roiOf(camera->uvc().current(RoiUnit, RoiSelector));
    return {roi.wROI_Top, roi.wROI_Left, roi.wROI_Bottom, roi.wROI_Right};
}

QByteArray rectangle(int top, int left, int bottom, int right)
{
    return roiBytes(quint16(top), quint16(left), quint16(bottom), quint16(right));
}

} // namespace

// A camera window's side of the phone's commands: each command's answer byte for byte, the record
// state moves the phone may ask for, the live status, the windows at every picture angle, and the
// picture reply fitted into 800 pixels.
class TestCamWindowRemote : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void answers_data();
    void answers();
    void withoutCameraNothingIsRead_data();
    void withoutCameraNothingIsRead();
    void startWithoutCameraAnswersStopped();
    void recordMoves_data();
    void recordMoves();
    void stopThenStartRecords();
    void liveStatus();
    void zoomFromThePhone();
    void windowsTurnWithThePicture_data();
    void windowsTurnWithThePicture();
    void windowOutsideTheRangeIsRefused();
    void captureModeAnswersWhatWasSet_data();
    void captureModeAnswersWhatWasSet();
    void shortPayloadsChangeNothing_data();
    void shortPayloadsChangeNothing();
    void phoneStartWhileAnotherStreamRuns();
    void pictureFitsIn800_data();
    void pictureFitsIn800();
    void pictureOnRequest();

private:
    std::unique_ptr<CameraMainWidget> openWindow();
    QSharedPointer<SimulatedCamera> m_camera;
};

void TestCamWindowRemote::initTestCase()
{
    platform::PlatformBackend::select(platform::PlatformBackend::Simulated);
    QVERIFY(DocCamManager::getDocCamManager());
}

void TestCamWindowRemote::init()
{
    QFile::remove(_GUID_SETTING_INI);
    m_camera = makeCamera(0, 0x0815, QStringLiteral("Doc"));
    setRoi(m_camera, rectangle(0, 0, 2159, 3839), rectangle(0, 0, 539, 959), rectangle(540, 960, 1620, 2880));
    plugOnly({m_camera});
}

std::unique_ptr<CameraMainWidget> TestCamWindowRemote::openWindow()
{
    auto window = makeWindow();
    window->comboBoxSource->setCurrentIndex(1);
    return window;
}

void TestCamWindowRemote::answers_data()
{
    QTest::addColumn<quint32>("id");
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("answer");

    QTest::newRow("record time, idle") << 0x80000005u << QByteArray("??") << ints({0, 0});
    QTest::newRow("live, stop while idle: echo") << 0x80000006u << ints({0}) << ints({0});
    QTest::newRow("live status, not configured") << 0x80000007u << QByteArray() << ints({2, 0});
    QTest::newRow("nothing to do: echo") << 0x8000020fu << QByteArray("ab") << QByteArray("ab");
    QTest::newRow("unknown id: unchanged") << 0x80000999u << QByteArray("ab") << QByteArray("ab");
    QTest::newRow("zoom value") << 0x80000411u << QByteArray() << ints({0});
    QTest::newRow("zoom range") << 0x80000428u << QByteArray() << ints({0, 30});
    QTest::newRow("largest window") << 0x80000441u << QByteArray() << rectangle(0, 0, 2159, 3839);
    QTest::newRow("current window") << 0x80000442u << QByteArray() << rectangle(540, 960, 1620, 2880);
    QTest::newRow("capture mode") << 0x80000451u << QByteArray() << ints({0});
    QTest::newRow("zoom available") << 0x80000452u << QByteArray() << ints({1});
    QTest::newRow("high-quality capture ready") << 0x80000454u << QByteArray() << ints({1});
    QTest::newRow("reset orientation: echo") << 0x8000020eu << QByteArray("r") << QByteArray("r");
}

void TestCamWindowRemote::answers()
{
    QFETCH(quint32, id);
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, answer);

    auto window = openWindow();
    QVERIFY(window->getSourceCamera());
    QByteArray payload = request;
    window->FromClientCmd(id, payload);
    QCOMPARE(payload.toHex(' '), answer.toHex(' '));
}

void TestCamWindowRemote::withoutCameraNothingIsRead_data()
{
    QTest::addColumn<quint32>("id");
    for (const quint32 id : {0x8000020eu, 0x80000211u, 0x80000242u, 0x80000411u, 0x80000428u, 0x80000441u,
                             0x80000442u, 0x80000452u, 0x80000453u, 0x80000250u})
        QTest::addRow("0x%x", id) << id;
}

void TestCamWindowRemote::withoutCameraNothingIsRead()
{
    QFETCH(quint32, id);
    auto window = makeWindow();
    QCOMPARE(window->comboBoxSource->currentIndex(), 0);
    QByteArray payload = ints({1, 2});
    window->FromClientCmd(id, payload);
    QCOMPARE(payload, ints({1, 2}));
}

// A start the window cannot carry out is answered with the state it is in, not as started.
void TestCamWindowRemote::startWithoutCameraAnswersStopped()
{
    auto window = makeWindow();
    QByteArray payload = ints({1});
    window->FromClientCmd(0x80000004, payload);
    QCOMPARE(payload, ints({0, 0}));
    QCOMPARE(window->getRecordState(), 0);
}

void TestCamWindowRemote::recordMoves_data()
{
    QTest::addColumn<QList<qint32>>("before");
    QTest::addColumn<qint32>("action");
    QTest::addColumn<int>("state");
    QTest::addColumn<bool>("echo");

    // before: the actions that bring the window into its state first.
    QTest::newRow("start") << QList<qint32>{} << 1 << 1 << false;
    QTest::newRow("stop while stopped") << QList<qint32>{} << 0 << 0 << true;
    QTest::newRow("pause while stopped") << QList<qint32>{} << 2 << 0 << true;
    QTest::newRow("resume while stopped") << QList<qint32>{} << 3 << 0 << true;
    QTest::newRow("unknown action") << QList<qint32>{} << 4 << 0 << true;
    QTest::newRow("negative action") << QList<qint32>{} << -1 << 0 << true;
    QTest::newRow("start while recording") << QList<qint32>{1} << 1 << 1 << true;
    QTest::newRow("resume while recording") << QList<qint32>{1} << 3 << 1 << true;
    QTest::newRow("pause") << QList<qint32>{1} << 2 << 2 << false;
    QTest::newRow("start while paused") << QList<qint32>{1, 2} << 1 << 2 << true;
    QTest::newRow("resume") << QList<qint32>{1, 2} << 3 << 3 << false;
    QTest::newRow("start while resumed") << QList<qint32>{1, 2, 3} << 1 << 3 << true;
    QTest::newRow("pause after resume") << QList<qint32>{1, 2, 3} << 2 << 2 << false;
    QTest::newRow("stop while paused") << QList<qint32>{1, 2} << 0 << 0 << false;
}

void TestCamWindowRemote::recordMoves()
{
    QFETCH(QList<qint32>, before);
    QFETCH(qint32, action);
    QFETCH(int, state);
    QFETCH(bool, echo);

    auto window = openWindow();
    QSignalSpy sent(window.get(), &CameraMainWidget::SendToClient);
    for (const qint32 step : before) {
        QByteArray payload = ints({step});
        window->FromClientCmd(0x80000004, payload);
        QCOMPARE(window->getRecordState(), int(step));
    }
    window->setRecordElapsed(75900);
    QByteArray payload = ints({action});
    window->FromClientCmd(0x80000004, payload);
    QCOMPARE(window->getRecordState(), state);
    const bool counting = state == 2 || state == 3;
    QCOMPARE(payload, echo ? ints({action}) : ints({state, counting ? 75 : 0}));
    // The answer carries the state: the window sends no report of its own for a phone command.
    QCOMPARE(countOf(sent, 0x80000004), 0);
    if (window->getRecordState() != 0)
        window->recordStop();
}

// A stop followed at once by a start from the phone leaves a recording running.
void TestCamWindowRemote::stopThenStartRecords()
{
    auto window = openWindow();
    QSignalSpy ended(window->captureSession(), &QorvCaptureSession::recordingDidEnd);
    QByteArray payload = ints({1});
    window->FromClientCmd(0x80000004, payload);
    QTRY_VERIFY_WITH_TIMEOUT(window->recordElapsed() >= 1500, 20000);
    payload = ints({0});
    window->FromClientCmd(0x80000004, payload);
    payload = ints({1});
    window->FromClientCmd(0x80000004, payload);
    QCOMPARE(payload, ints({1, 0}));
    QCOMPARE(window->getRecordState(), 1);
    QVERIFY(shownNotice(*window).isEmpty());
    QTRY_VERIFY_WITH_TIMEOUT(window->recordElapsed() >= 1500, 20000);
    window->recordStop();
    QTRY_COMPARE_WITH_TIMEOUT(ended.size(), 2, 20000);
    for (const QList<QVariant> &movie : ended)
        QCOMPARE(movie.at(1).toInt(), 0);
}

void TestCamWindowRemote::liveStatus()
{
    // A stream server that takes the connection and never answers: the stream stays up.
    QTcpServer silent;
    QVERIFY(silent.listen(QHostAddress::LocalHost));
    auto window = openWindow();
    QByteArray payload;
    window->FromClientCmd(0x80000007, payload);
    QCOMPARE(payload, ints({2, 0}));

    {
        QSettings settings(_GUID_SETTING_INI, QSettings::IniFormat);
        settings.setValue(QStringLiteral("Live/Service"), 0);
        settings.setValue(QStringLiteral("Live/YoutubeUrl"),
                          QStringLiteral("rtmp://127.0.0.1:%1/live").arg(silent.serverPort()));
        settings.setValue(QStringLiteral("Live/YoutubeKey"), QStringLiteral("cam"));
    }
    payload.clear();
    window->FromClientCmd(0x80000007, payload);
    QCOMPARE(payload, ints({0, 0}));

    // Recording: 3.
    payload = ints({1});
    window->FromClientCmd(0x80000004, payload);
    payload.clear();
    window->FromClientCmd(0x80000007, payload);
    QCOMPARE(payload, ints({3, 0}));
    window->recordStop();

    // Another device streams (the publishers' busy state is the machine's): 4.
    QorvRtmpIntf *other = acquireQorvRtmpImpl();
    other->setStreamPending(true);
    payload.clear();
    window->FromClientCmd(0x80000007, payload);
    QCOMPARE(payload, ints({4, 0}));
    other->setStreamPending(false);

    // This window streams: 1 with its seconds.
    CameraMainWidget::Timing timing;
    timing.counterTickMs = 5;
    window->setTiming(timing);
    QSignalSpy sent(window.get(), &CameraMainWidget::SendToClient);
    payload = ints({1});
    window->FromClientCmd(0x80000006, payload);
    QCOMPARE(payload, ints({1}));
    QVERIFY(window->isLive());
    QCOMPARE(countOf(sent, 0x80000006), 0);
    window->publisher()->setStreamPending(true);
    QTRY_VERIFY(window->liveElapsed() >= 3000);
    payload.clear();
    window->FromClientCmd(0x80000007, payload);
    QCOMPARE(payload, ints({1, qint32(window->liveElapsed() / 1000)}));
    QVERIFY(payload != ints({1, 0}));
    window->publisher()->setStreamPending(false);
    payload = ints({0});
    window->FromClientCmd(0x80000006, payload);
    QVERIFY(!window->isLive());
    QCOMPARE(countOf(sent, 0x80000006), 0);
}

void TestCamWindowRemote::zoomFromThePhone()
{
    auto window = openWindow();
    QSignalSpy sent(window.get(), &CameraMainWidget::SendToClient);
    m_camera->uvc().clearRequestLog();
    QByteArray payload = ints({5});
    window->FromClientCmd(0x80000211, payload);
    QCOMPARE(payload, ints({5}));
    double ratio = 0;
    QCOMPARE(window->getSourceCamera()->getZoomRatio(&ratio), GeneralCamera::Success);
    QCOMPARE(ratio, 5.0);
    QCOMPARE(window->zoomSlider->value(), 5);
    QCOMPARE(countOf(sent, 0x80000211), 0);
    payload.clear();
    window->FromClientCmd(0x80000411, payload);
    QCOMPARE(payload, ints({5}));

    // Past the camera's range: no further than the slider goes.
    payload = ints({1000000});
    window->FromClientCmd(0x80000211, payload);
    QCOMPARE(payload, ints({30}));
    QCOMPARE(window->getSourceCamera()->getZoomRatio(&ratio), GeneralCamera::Success);
    QCOMPARE(ratio, 30.0);
    payload = ints({-7});
    window->FromClientCmd(0x80000211, payload);
    QCOMPARE(payload, ints({0}));
    QCOMPARE(window->zoomSlider->value(), 0);
}

void TestCamWindowRemote::windowsTurnWithThePicture_data()
{
    QTest::addColumn<int>("angle");
    QTest::addColumn<QByteArray>("largest");
    QTest::addColumn<QByteArray>("current");

    // The centre of the largest window is (1919, 1079).
    QTest::newRow("0") << 0 << rectangle(0, 0, 2159, 3839) << rectangle(540, 960, 1620, 2880);
    QTest::newRow("90") << 90 << rectangle(-840, 1919 - 2159 + 1079, 1079 + 3839 - 1919, 1919 + 1079)
                        << rectangle(960 - 1919 + 1079, 1919 - 1620 + 1079, 1079 + 2880 - 1919, 1919 - 540 + 1079);
    QTest::newRow("180") << 180 << rectangle(2158 - 2159, 3838 - 3839, 2158, 3838)
                         << rectangle(2158 - 1620, 3838 - 2880, 2158 - 540, 3838 - 960);
    QTest::newRow("270") << 270 << rectangle(1079 - 3839 + 1919, 1919 + 0 - 1079, 1079 - 0 + 1919, 1919 + 2159 - 1079)
                         << rectangle(1079 - 2880 + 1919, 1919 + 540 - 1079, 1079 - 960 + 1919, 1919 + 1620 - 1079);
}

// The windows the phone reads are turned as the picture is; a window set back from one it read
// restores the camera's region exactly.
void TestCamWindowRemote::windowsTurnWithThePicture()
{
    QFETCH(int, angle);
    QFETCH(QByteArray, largest);
    QFETCH(QByteArray, current);

    auto window = openWindow();
    window->settingDialog->setCurrentAngle(angle);
    QByteArray payload;
    window->FromClientCmd(0x80000441, payload);
    QCOMPARE(payload.toHex(' '), largest.toHex(' '));
    payload.clear();
    window->FromClientCmd(0x80000442, payload);
    QCOMPARE(payload.toHex(' '), current.toHex(' '));

    const QByteArray read = payload;
    setRoi(m_camera, rectangle(0, 0, 2159, 3839), rectangle(0, 0, 539, 959), rectangle(0, 0, 1079, 1919));
    window->FromClientCmd(0x80000242, payload);
    QCOMPARE(payload, read);
    QCOMPARE(currentRoi(m_camera), (QList<int>{540, 960, 1620, 2880}));
}

void TestCamWindowRemote::windowOutsideTheRangeIsRefused()
{
    auto window = openWindow();
    m_camera->uvc().clearRequestLog();
    for (const QByteArray &outside : {rectangle(-1, 0, 100, 100), rectangle(0, 0, 2160, 100),
                                      rectangle(0, 3000, 100, 3840), rectangle(500, 0, 100, 100)}) {
        QByteArray payload = outside;
        window->FromClientCmd(0x80000242, payload);
        QCOMPARE(payload, outside);
    }
    QCOMPARE(roiWrites(m_camera), 0);
    QCOMPARE(currentRoi(m_camera), (QList<int>{540, 960, 1620, 2880}));
}

void TestCamWindowRemote::captureModeAnswersWhatWasSet_data()
{
    QTest::addColumn<quint16>("product");
    QTest::addColumn<int>("width");
    QTest::addColumn<qint32>("highQuality"); // what a request for mode 2 leaves
    // 0x0701 takes high-quality pictures, 0x0815 does not; at 4K no camera does.
    QTest::newRow("camera with HQ capture") << quint16(0x0701) << 1920 << 2;
    QTest::newRow("camera without HQ capture") << quint16(0x0815) << 1920 << 0;
    QTest::newRow("camera with HQ capture at 4K") << quint16(0x0701) << 3840 << 0;
}

void TestCamWindowRemote::captureModeAnswersWhatWasSet()
{
    QFETCH(quint16, product);
    QFETCH(int, width);
    QFETCH(qint32, highQuality);
    {
        QSettings settings(_GUID_SETTING_INI, QSettings::IniFormat);
        settings.setValue(QStringLiteral("Resolution/FirstWidth"), width);
        settings.setValue(QStringLiteral("Resolution/FirstHeight"), width * 9 / 16);
    }
    m_camera = makeCamera(0, product, QStringLiteral("Doc"));
    plugOnly({m_camera});
    auto window = openWindow();
    QCOMPARE(window->getSourceCamera()->getActiveFormat().width, width);
    QSignalSpy sent(window.get(), &CameraMainWidget::SendToClient);
    QByteArray payload = ints({1});
    window->FromClientCmd(0x80000251, payload);
    QCOMPARE(payload, ints({1}));
    QCOMPARE(window->getCaptureMode(), 1);
    payload = ints({5});
    window->FromClientCmd(0x80000251, payload);
    QCOMPARE(payload, ints({5}));
    QCOMPARE(window->getCaptureMode(), 1);
    payload = ints({0});
    window->FromClientCmd(0x80000251, payload);
    QCOMPARE(payload, ints({0}));
    // A mode the camera and format cannot take leaves the window in normal mode, and the answer says so.
    payload = ints({2});
    window->FromClientCmd(0x80000251, payload);
    QCOMPARE(payload, ints({highQuality}));
    QCOMPARE(window->getCaptureMode(), int(highQuality));
    QCOMPARE(window->btnHQCapture->isVisibleTo(window.get()), highQuality == 2);
    QCOMPARE(window->btnCapture->isVisibleTo(window.get()), highQuality == 0);
    payload.clear();
    window->FromClientCmd(0x80000453, payload);
    QCOMPARE(payload, ints({highQuality == 2 ? 1 : 0}));
    QCOMPARE(countOf(sent, 0x80000251), 0);
}

void TestCamWindowRemote::shortPayloadsChangeNothing_data()
{
    QTest::addColumn<quint32>("id");
    QTest::addColumn<QByteArray>("request");
    for (const quint32 id : {0x80000004u, 0x80000006u, 0x80000211u, 0x80000251u}) {
        QTest::addRow("0x%x, empty", id) << id << QByteArray();
        QTest::addRow("0x%x, 3 bytes", id) << id << QByteArray("\x01\x00\x00", 3);
    }
    QTest::newRow("0x80000242, empty") << 0x80000242u << QByteArray();
    QTest::newRow("0x80000242, 7 bytes") << 0x80000242u << rectangle(0, 0, 100, 100).left(7);
}

// A payload too short for what its command reads is sent back as it came, and nothing changes.
void TestCamWindowRemote::shortPayloadsChangeNothing()
{
    QFETCH(quint32, id);
    QFETCH(QByteArray, request);
    auto window = openWindow();
    m_camera->uvc().clearRequestLog();
    QSignalSpy sent(window.get(), &CameraMainWidget::SendToClient);
    QByteArray payload = request;
    window->FromClientCmd(id, payload);
    QCOMPARE(payload.toHex(' '), request.toHex(' '));
    QCOMPARE(window->getRecordState(), 0);
    QVERIFY(!window->isLive());
    QCOMPARE(window->zoomSlider->value(), 0);
    QCOMPARE(window->getCaptureMode(), 0);
    int changes = 0;
    for (const auto &logged : m_camera->uvc().requestLog())
        changes += logged.request.bRequest == 0x01 ? 1 : 0; // SET_CUR
    QCOMPARE(changes, 0);
    QCOMPARE(currentRoi(m_camera), (QList<int>{540, 960, 1620, 2880}));
    QCOMPARE(sent.count(), 0);
}

// One stream on the machine: the phone's start on this window while another stream runs is refused,
// and answered as stopped.
void TestCamWindowRemote::phoneStartWhileAnotherStreamRuns()
{
    auto window = openWindow();
    {
        QSettings settings(_GUID_SETTING_INI, QSettings::IniFormat);
        settings.setValue(QStringLiteral("Live/Service"), 0);
        settings.setValue(QStringLiteral("Live/YoutubeUrl"), QStringLiteral("rtmp://127.0.0.1:1/live"));
        settings.setValue(QStringLiteral("Live/YoutubeKey"), QStringLiteral("cam"));
    }
    QByteArray payload;
    window->FromClientCmd(0x80000007, payload);
    QCOMPARE(payload, ints({0, 0}));

    QSignalSpy sent(window.get(), &CameraMainWidget::SendToClient);
    QSignalSpy shown(window.get(), &CameraMainWidget::dialogIsShow);
    QorvRtmpIntf *other = acquireQorvRtmpImpl();
    other->setStreamPending(true);
    payload = ints({1});
    window->FromClientCmd(0x80000006, payload);
    other->setStreamPending(false);
    QCOMPARE(payload, ints({0}));
    QVERIFY(!window->isLive());
    QVERIFY(!window->btnStopLive->isVisibleTo(window.get()));
    QVERIFY(window->comboBoxSource->isEnabled());
    QCOMPARE(countOf(sent, 0x80000006), 0);
    // The phone hears it; nothing opens on the computer for it.
    QCOMPARE(shown.count(), 0);
    // The same stream also stays off while the main window's live controls are open.
    window->setLiveControlState(true);
    payload = ints({1});
    window->FromClientCmd(0x80000006, payload);
    QCOMPARE(payload, ints({0}));
    QVERIFY(!window->isLive());
    window->setLiveControlState(false);
}

void TestCamWindowRemote::pictureFitsIn800_data()
{
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QSize>("sent");
    QTest::addColumn<bool>("unchanged");

    QTest::newRow("1920 x 1080") << jpeg(1920, 1080) << QSize(1920, 1080) << QSize(800, 450) << false;
    QTest::newRow("1080 x 1920") << jpeg(1080, 1920) << QSize(1080, 1920) << QSize(450, 800) << false;
    QTest::newRow("640 x 480") << jpeg(640, 480) << QSize(640, 480) << QSize(640, 480) << true;
    QTest::newRow("800 x 800") << jpeg(800, 800) << QSize(800, 800) << QSize(800, 800) << true;
    // Fitted to (800, 599), then kept at the frame's aspect.
    QTest::newRow("801 x 600") << jpeg(801, 600) << QSize(801, 600) << QSize(799, 599) << false;
    // Not a picture: a black one of the fitted size.
    QTest::newRow("broken") << QByteArray(5000, '\x42') << QSize(1000, 500) << QSize(800, 400) << false;
}

void TestCamWindowRemote::pictureFitsIn800()
{
    QFETCH(QByteArray, frame);
    QFETCH(QSize, size);
    QFETCH(QSize, sent);
    QFETCH(bool, unchanged);

    auto window = makeWindow();
    QSignalSpy spy(window.get(), &CameraMainWidget::SendToClient);
    QByteArray bytes = frame;
    window->SendPictureToClient(bytes.data(), uint32_t(bytes.size()), uint16_t(size.width()),
                                uint16_t(size.height()));
    // The frame's memory belongs to the capture queue: the message owns its own copy.
    bytes.fill('\0');
    QTRY_COMPARE(spy.size(), 1);
    QCOMPARE(spy.first().at(0).toUInt(), 0x80000200u);
    const QByteArray picture = spy.first().at(1).toByteArray();
    if (unchanged)
        QCOMPARE(picture, frame);
    const QImage image = QImage::fromData(picture, "JPG");
    QCOMPARE(image.size(), sent);
}

void TestCamWindowRemote::pictureOnRequest()
{
    auto window = openWindow();
    QSignalSpy spy(window.get(), &CameraMainWidget::SendToClient);
    QByteArray payload("keep");
    window->FromClientCmd(0x80000200, payload);
    QCOMPARE(payload, QByteArray("keep"));
    QTRY_COMPARE(countOf(spy, 0x80000200), 1);
    const QSize frame(window->getSourceCamera()->getActiveFormat().width,
                      window->getSourceCamera()->getActiveFormat().height);
    const QImage image = QImage::fromData(spy.first().at(1).toByteArray(), "JPG");
    QVERIFY(!image.isNull());
    QCOMPARE(qMax(image.width(), image.height()), qMin(800, qMax(frame.width(), frame.height())));
}

QTEST_MAIN(TestCamWindowRemote)
#include "tst_camwindow_remote.moc"
