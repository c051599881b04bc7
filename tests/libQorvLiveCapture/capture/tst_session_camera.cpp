#include "audio/audioinputs.h"
#include "camera/lcgeneralcamera.h"
#include "audio/qorvaudiosource.h"
#include "audio/qorvaudiodevicesource.h"
#include "capture/liveexportsink.h"
#include "capture/qorvcapturesession.h"
#include "capture/qorvframesource.h"
#include "capture/qorvframesourceimpl.h"
#include "core/platformbackend.h"
#include "fakepublisher.h"
#include "manager/doccammanager.h"
#include "media/mediaclock.h"
#include "video/capturedevice.h"
#include "video/simulated/simulatedcapturedevice.h"
#include "writer/avfmediaassetwriter.h"
#include "writerclock.h"
#include "writerprobe.h"
#include "writersamples.h"

#include <QImageReader>
#include <QScopeGuard>
#include <QtTest>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace {

constexpr qint64 MiB = 1024 * 1024;

// Counts the log lines that say the disk is short of space, from any thread, and passes every line on.
std::atomic<int> shortSpaceLines{0};
QtMessageHandler testMessageHandler = nullptr;

void countShortSpaceLines(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (message.contains(QLatin1String("HD Free Space is not enough")))
        ++shortSpaceLines;
    testMessageHandler(type, context, message);
}

QString uniqueIdOf(GeneralCamera *camera)
{
    return QStringLiteral("0x%1").arg(static_cast<LCGeneralCamera *>(camera)->getUniqueID(), 16, 16, QLatin1Char('0'));
}

// Counts the frames of a direct-connected frame signal and keeps a copy of the last one's bytes.
struct FrameCounter
{
    std::atomic<int> count{0};
    QMutex mutex;
    QByteArray last;
    QSize lastSize;

    void take(void *data, uint32_t length, uint16_t width, uint16_t height)
    {
        QMutexLocker locker(&mutex);
        last = QByteArray(static_cast<const char *>(data), int(length));
        lastSize = QSize(width, height);
        ++count;
    }
};

// A sound source naming one input, as the audio inputs' own source does.
class InputSource : public QorvCaptureSource
{
public:
    explicit InputSource(const QString &uuid)
        : m_uuid(uuid)
    {
    }
    QString currentSourceID() override { return QStringLiteral("input"); }
    QString currentUuid() override { return m_uuid; }
    int getFrameSourceType(SourceType *type) override
    {
        *type = Audio;
        return 0;
    }

private:
    QString m_uuid;
};

// Live encoders that encode nothing: they count what the frame source hands them.
class FakeLiveExport : public LiveExportSink
{
public:
    bool enable(int width, int height, int fps) override
    {
        enabled.append(QStringLiteral("%1x%2@%3").arg(width).arg(height).arg(fps));
        return width > 0 && height > 0;
    }
    void disable() override { ++disabled; }
    void setFrameRate(int fps) override { rate = fps; }
    void submitFrame(const platform::VideoSample &) override { ++frames; }
    void appendAudioSample(const platform::AudioSample &) override { ++audioBlocks; }
    int framesInEncoder() const override { return busy; }

    QStringList enabled;
    int disabled = 0;
    std::atomic<int> rate{0};
    std::atomic<int> frames{0};
    std::atomic<int> audioBlocks{0};
    std::atomic<int> busy{0};
};

} // namespace

class TestSessionCamera : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void startFailures_data();
    void startFailures();
    void streamLostIsReported();
    void bgrExportRate_data();
    void bgrExportRate();
    void noBgrFrameAfterDisable();
    void restartsAfterStop();
    void snapshots();
    void previewDrawnIntoWidget();
    void jpegFrameSizedFromFrame();
    void recordsThreeSeconds();
    void paceAfterResume_data();
    void paceAfterResume();
    void startWhileRecording();
    void startRightAfterFinish();
    void freeSpace_data();
    void freeSpace();
    void freeSpaceWhileRecording();
    void unwritableMovie();
    void writerFailureEndsRecording();
    void liveExport_data();
    void liveExport();
    void h264CounterPerSource();
    void removeSameCamera();
    void audioLevelExport();

private:
    QString path(const QString &name) const { return m_dir.filePath(name); }
    bool framesPass(int count);

    QTemporaryDir m_dir;
    GeneralCamera *m_camera = nullptr;
    GeneralCamera *m_second = nullptr;
    QorvFrameSource *m_source = nullptr;
    QorvCaptureSession *m_session = nullptr;
};

// Lets `count` more frames through the frame routine, one after the other: each brings a JPEG frame
// asked for once the one before came, and the routine serves its other consumers after the JPEG one.
// A consumer that got nothing meanwhile gets nothing at all.
bool TestSessionCamera::framesPass(int count)
{
    const auto jpegs = std::make_shared<std::atomic<int>>(0);
    const QMetaObject::Connection counting = connect(m_session, &QorvCaptureSession::JPGFrameReceived, m_session,
        [jpegs](void *, uint32_t, uint16_t, uint16_t) { ++*jpegs; }, Qt::DirectConnection);
    bool passed = true;
    for (int i = 1; i <= count && passed; ++i) {
        m_session->getJPGFrameAsync();
        passed = QTest::qWaitFor([&jpegs, i] { return *jpegs >= i; }, 10000);
    }
    disconnect(counting);
    return passed;
}

void TestSessionCamera::initTestCase()
{
    platform::PlatformBackend::select(platform::PlatformBackend::Simulated);
    QVERIFY(m_dir.isValid());
    const QList<GeneralCamera *> cameras = DocCamManager::getDocCamManager()->queryCameras(true);
    QVERIFY(cameras.size() >= 2);
    m_camera = cameras.at(0);
    m_second = cameras.at(1);
    // 640 x 480 at 30 fps: what the pacing and the rate checks below count with.
    QCOMPARE(m_camera->getVideFormats().value(0).width, 640);
    m_camera->setActiveFormat(0, 30);
}

void TestSessionCamera::init()
{
    QorvFrameSourceImpl::setDiskSpaceReader(QorvFrameSourceImpl::DiskSpaceReader());
    m_source = new QorvFrameSource(m_camera, QorvCaptureSource::Camera);
    m_session = new QorvCaptureSession;
    m_session->addSource(m_source);
}

void TestSessionCamera::cleanup()
{
    m_session->stopRunning();
    delete m_session;
    delete m_source;
    QorvFrameSourceImpl::setDiskSpaceReader(QorvFrameSourceImpl::DiskSpaceReader());
}

void TestSessionCamera::startFailures_data()
{
    QTest::addColumn<qint32>("injected");

    QTest::newRow("input not created") << qint32(0xE0000002);
    QTest::newRow("in use") << qint32(0xE0000004);
    QTest::newRow("no bandwidth") << qint32(0xE0000005);
}

void TestSessionCamera::startFailures()
{
    QFETCH(qint32, injected);

    platform::SimulatedCaptureDevice::injectStartError(uniqueIdOf(m_camera), injected);
    QSignalSpy errors(m_session, &QorvCaptureSession::receiveError);
    const qint32 result = m_session->startRunning();
    platform::SimulatedCaptureDevice::injectStartError(uniqueIdOf(m_camera), 0);
    // Every failure is told both ways, before the call returns: the windows read either.
    QCOMPARE(result, injected);
    QCOMPARE(errors.count(), 1);
    QCOMPARE(errors.first().first().toInt(), injected);

    // The failure leaves nothing behind: the next start works.
    m_session->stopRunning();
    QCOMPARE(m_session->startRunning(), 0);
}

void TestSessionCamera::streamLostIsReported()
{
    QSignalSpy errors(m_session, &QorvCaptureSession::receiveError);
    QCOMPARE(m_session->startRunning(), 0);
    QVERIFY(errors.isEmpty());
    auto device = static_cast<LCGeneralCamera *>(m_camera)->getAVCaptureDevice().objectCast<platform::SimulatedCaptureDevice>();
    QVERIFY(device);
    device->injectStreamError(platform::CaptureDevice::DeviceLost);
    QTRY_COMPARE_WITH_TIMEOUT(errors.count(), 1, 5000);
    QCOMPARE(errors.first().first().toInt(), QorvCaptureSession::StreamLost);
    // The session can be stopped and started again on the same camera.
    m_session->stopRunning();
    QCOMPARE(m_session->startRunning(), 0);
}

void TestSessionCamera::bgrExportRate_data()
{
    QTest::addColumn<unsigned>("interval");
    QTest::addColumn<double>("minPerSecond");
    QTest::addColumn<double>("maxPerSecond");

    // A 30 fps camera: once a second at interval 1 (the first frame at once), every paced frame from
    // 2 on (0 is 2). A loaded machine delivers fewer, never more.
    QTest::newRow("1") << 1u << 0.8 << 1.0;
    QTest::newRow("2") << 2u << 18.0 << 32.0;
    QTest::newRow("0") << 0u << 18.0 << 32.0;
}

void TestSessionCamera::bgrExportRate()
{
    QFETCH(unsigned, interval);
    QFETCH(double, minPerSecond);
    QFETCH(double, maxPerSecond);

    FrameCounter frames;
    connect(m_session, &QorvCaptureSession::BGRFrameReceived, m_session,
            [&frames](void *d, uint32_t l, uint16_t w, uint16_t h) { frames.take(d, l, w, h); },
            Qt::DirectConnection);
    std::atomic<int> displayedRate{0};
    connect(m_session, &QorvCaptureSession::displayedFPSReceived, m_session,
            [&displayedRate](qint32 fps) { displayedRate = fps; }, Qt::DirectConnection);
    QCOMPARE(m_session->startRunning(), 0);
    // Judged by the time the export was on, which a busy machine may stretch past the 2.5 s asked.
    QElapsedTimer clock;
    clock.start();
    m_session->enableBGRFrameExport(true, interval);
    QTest::qWait(2500);
    m_session->enableBGRFrameExport(false, 0);
    const double seconds = double(clock.elapsed()) / 1000.0;
    const int counted = frames.count;
    QVERIFY2(counted >= minPerSecond * seconds && counted <= maxPerSecond * seconds + 1.5,
             qPrintable(QStringLiteral("%1 frames in %2 s").arg(counted).arg(seconds)));
    QVERIFY(framesPass(3));
    QCOMPARE(frames.count.load(), counted);

    // Measured over 60 frames of the 30 fps camera.
    QTRY_VERIFY_WITH_TIMEOUT(displayedRate != 0, 5000);
    QVERIFY2(displayedRate >= 20 && displayedRate <= 31, qPrintable(QString::number(displayedRate)));

    QMutexLocker locker(&frames.mutex);
    QCOMPARE(frames.lastSize, QSize(640, 480));
    QCOMPARE(frames.last.size(), 640 * 480 * 4);
}

void TestSessionCamera::noBgrFrameAfterDisable()
{
    // A receiver slow enough to be caught mid-frame: switching the export off in that moment must
    // wait for the frame, and no frame may start after it returned.
    std::atomic<bool> inDelivery{false};
    std::atomic<bool> exportOff{false};
    std::atomic<int> delivered{0};
    std::atomic<int> late{0};
    connect(m_session, &QorvCaptureSession::BGRFrameReceived, m_session, [&](void *, uint32_t, uint16_t, uint16_t) {
        if (exportOff)
            ++late;
        inDelivery = true;
        ++delivered;
        QThread::msleep(30);
        inDelivery = false;
    }, Qt::DirectConnection);
    QCOMPARE(m_session->startRunning(), 0);
    for (int round = 0; round < 5; ++round) {
        const int before = delivered;
        exportOff = false;
        m_session->enableBGRFrameExport(true, 2);
        QElapsedTimer timer;
        timer.start();
        while (!(inDelivery && delivered > before) && timer.elapsed() < 5000)
            QThread::usleep(100);
        QVERIFY(inDelivery);
        m_session->enableBGRFrameExport(false, 0);
        exportOff = true;
        QVERIFY2(!inDelivery, "a frame was still being delivered after the export was switched off");
        QVERIFY(framesPass(2));
        QCOMPARE(late.load(), 0);
    }
}

void TestSessionCamera::restartsAfterStop()
{
    FrameCounter frames;
    connect(m_session, &QorvCaptureSession::BGRFrameReceived, m_session,
            [&frames](void *d, uint32_t l, uint16_t w, uint16_t h) { frames.take(d, l, w, h); },
            Qt::DirectConnection);
    for (int round = 0; round < 2; ++round) {
        const int before = frames.count;
        QCOMPARE(m_session->startRunning(), 0);
        m_session->enableBGRFrameExport(true, 2);
        QTRY_VERIFY_WITH_TIMEOUT(frames.count > before + 5, 5000);
        m_session->stopRunning();
    }
}

void TestSessionCamera::snapshots()
{
    const QString first = path(QStringLiteral("Pic-a.jpg"));
    const QString second = path(QStringLiteral("Pic-b.jpg"));
    QSignalSpy written(m_session, &QorvCaptureSession::JPGFileReceived);
    // Both queued before the first frame: two successive frames write them, in order.
    m_session->getJPGFileAsync(first);
    m_session->getJPGFileAsync(second);
    QCOMPARE(m_session->startRunning(), 0);
    QTRY_COMPARE_WITH_TIMEOUT(written.count(), 2, 5000);
    QCOMPARE(written.at(0).first().toString(), first);
    QCOMPARE(written.at(1).first().toString(), second);
    for (const QString &file : {first, second}) {
        QImageReader reader(file);
        QCOMPARE(reader.format(), QByteArray("jpeg"));
        QCOMPARE(reader.size(), QSize(640, 480));
    }

    // A snapshot that cannot be written is never reported as written.
    QSignalSpy finished(m_session, &QorvCaptureSession::finishedWritingFrame);
    m_session->getJPGFileAsync(path(QStringLiteral("missing/folder/Pic.jpg")));
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 5000);
    QVERIFY(finished.first().at(1).toInt() != 0);
    QCOMPARE(written.count(), 2);
}

void TestSessionCamera::previewDrawnIntoWidget()
{
    QWidget window;
    window.resize(320, 200);
    QWidget overlay(&window); // something the window placed itself stays above the picture
    window.show();
    m_session->setPreviewWidget(&window);
    QCOMPARE(m_session->startRunning(), 0);
    PreviewLayer *layer = m_source->getSourceImpl()->previewLayer();
    QVERIFY(layer);
    QCOMPARE(layer->parentWidget(), &window);
    QCOMPARE(layer->geometry(), window.rect());
    QCOMPARE(window.children().first(), layer);
    QTRY_VERIFY_WITH_TIMEOUT(layer->paintedFrameCount() >= 3, 5000);
    window.resize(400, 300);
    QCOMPARE(layer->geometry(), window.rect());
    QCOMPARE(layer->feed()->currentFrame().size(), QSize(640, 480));
}

void TestSessionCamera::jpegFrameSizedFromFrame()
{
    FrameCounter jpegs;
    connect(m_session, &QorvCaptureSession::JPGFrameReceived, m_session,
            [&jpegs](void *d, uint32_t l, uint16_t w, uint16_t h) { jpegs.take(d, l, w, h); },
            Qt::DirectConnection);
    // A small stream first, then a larger one: the JPEG of the larger frame comes whole.
    const QList<QSize> sizes{QSize(640, 480), QSize(1280, 720)};
    for (const QSize &size : sizes) {
        m_session->setFrameSourceRect(m_source, QRect(QPoint(0, 0), size), 0, false);
        QCOMPARE(m_session->startRunning(), 0);
        const int before = jpegs.count;
        m_session->getJPGFrameAsync();
        QTRY_COMPARE_WITH_TIMEOUT(jpegs.count.load(), before + 1, 5000);
        QVERIFY(framesPass(2));
        QCOMPARE(jpegs.count.load(), before + 3); // one request, one frame
        m_session->stopRunning();
        QMutexLocker locker(&jpegs.mutex);
        QCOMPARE(jpegs.lastSize, size);
        const QImage decoded = QImage::fromData(jpegs.last, "JPEG");
        QCOMPARE(decoded.size(), size);
    }
}

void TestSessionCamera::recordsThreeSeconds()
{
    const QString movie = path(QStringLiteral("Video-three.mov"));
    const QList<platform::AudioInputInfo> inputs = platform::AudioInputs::instance()->inputs();
    QVERIFY(!inputs.isEmpty());
    InputSource microphone(inputs.first().uniqueId);
    m_session->addSource(&microphone);
    QSignalSpy ended(m_session, &QorvCaptureSession::recordingDidEnd);
    QCOMPARE(m_session->startRunning(), 0);
    QVERIFY(m_source->getSourceImpl()->isCapturingAudio());
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(m_session->startRecording(movie, QRect(0, 0, 640, 480), QorvCaptureSession::PlainRecording, QRect()), 0);
    QTest::qWait(3000);
    m_session->finishRecording();
    // A busy machine may hold this thread past the three seconds: the movie is judged by the time
    // it was on.
    const double seconds = double(clock.elapsed()) / 1000.0;
    m_session->removeSource(&microphone);
    QVERIFY(!m_source->getSourceImpl()->isCapturingAudio());
    QVERIFY(ended.wait(20000));
    QCOMPARE(ended.first().at(0).toString(), movie);
    QCOMPARE(ended.first().at(1).toInt(), 0);

    // The movie is complete when the signal comes.
    const WriterProbe probe = WriterProbe::run(movie);
    QVERIFY2(probe.ok, qPrintable(probe.error));
    const WriterProbedStream video = probe.stream(QStringLiteral("video"));
    QCOMPARE(video.codecName, QStringLiteral("h264"));
    QCOMPARE(QSize(video.width, video.height), QSize(640, 480));
    QVERIFY2(video.packets >= 20 * seconds && video.packets <= 31 * seconds,
             qPrintable(QStringLiteral("%1 frames in %2 s").arg(video.packets).arg(seconds)));
    QVERIFY2(qAbs(video.duration() - seconds) < 0.4, qPrintable(QStringLiteral("%1 s of %2 s").arg(video.duration()).arg(seconds)));
    const WriterProbedStream audio = probe.stream(QStringLiteral("audio"));
    QCOMPARE(audio.codecName, QStringLiteral("aac"));
    QVERIFY2(qAbs(audio.duration() - seconds) < 0.5, qPrintable(QStringLiteral("%1 s of %2 s").arg(audio.duration()).arg(seconds)));
}

namespace {

// The pixels of one frame, told when the last sample of them is let go. The saving queue lets go of
// a frame once the writer is done with it: the release shows that the queue is done with the frame,
// and a release held keeps the queue from starting on the next one. The release is held only on
// another thread than the one that made the frame (the queue's), never on the test's own.
class TrackedPixels
{
public:
    static constexpr int HoldLimitMs = 10000;

    QImage image(const QSize &size, QColor colour)
    {
        auto *pixels = new uchar[size_t(size.width()) * size_t(size.height()) * 4];
        QImage image(pixels, size.width(), size.height(), size.width() * 4, QImage::Format_ARGB32, release,
                     new std::shared_ptr<State>(m_state));
        image.fill(colour);
        return image;
    }
    void hold(bool on)
    {
        std::lock_guard<std::mutex> lock(m_state->mutex);
        m_state->hold = on;
        m_state->changed.notify_all();
    }
    // The last sample is being let go (and the release may be held), on the test's thread or another.
    bool releasing() const { return m_state->releasing; }
    bool releasingElsewhere() const { return m_state->releasingElsewhere; }
    bool released() const { return m_state->released; }
    bool heldTooLong() const { return m_state->heldTooLong; }

private:
    struct State
    {
        std::thread::id maker = std::this_thread::get_id();
        std::mutex mutex;
        std::condition_variable changed;
        bool hold = false;
        std::atomic<bool> releasing{false};
        std::atomic<bool> releasingElsewhere{false};
        std::atomic<bool> released{false};
        std::atomic<bool> heldTooLong{false};
    };

    static void release(void *info)
    {
        auto *owner = static_cast<std::shared_ptr<State> *>(info);
        State &state = **owner;
        const bool elsewhere = std::this_thread::get_id() != state.maker;
        state.releasingElsewhere = elsewhere;
        state.releasing = true;
        if (elsewhere) {
            std::unique_lock<std::mutex> lock(state.mutex);
            if (!state.changed.wait_for(lock, std::chrono::milliseconds(HoldLimitMs), [&] { return !state.hold; }))
                state.heldTooLong = true;
        }
        state.released = true;
        delete owner;
    }

    std::shared_ptr<State> m_state = std::make_shared<State>();
};

} // namespace

void TestSessionCamera::paceAfterResume_data()
{
    QTest::addColumn<int>("beforePause");
    QTest::addColumn<bool>("frameInFlight");

    // The writer tells its measured rate only right after every 30th frame and 0 otherwise: a pause
    // at any other count is what a user does, and the pace must not be judged by the 0 it reads then.
    for (int frames : {1, 17, 31, 44, 59})
        QTest::addRow("%d frames before the pause", frames) << frames << false;
    // A pause while a frame taken just before it waits in the saving queue: the writer refuses that
    // frame, which says nothing about the pace it can take.
    for (int frames : {17, 44})
        QTest::addRow("%d frames before the pause, one more in flight", frames) << frames << true;
}

void TestSessionCamera::paceAfterResume()
{
    QFETCH(int, beforePause);
    QFETCH(bool, frameInFlight);

    // A pause is no failure: from the resume on the recording takes every frame of the camera's pace
    // again, at once. Time moves by hand and the frames are handed over one at a time, each written
    // before the next comes, so the machine's load changes nothing; the camera's own stream is broken
    // off first, so that no other frame comes.
    static WriterManualClock clock; // outlives the session and its writer, which cleanup() ends
    constexpr qint64 FrameUs = 1000000 / 30;
    constexpr int WriteWaitMs = 10000;
    m_session->setWriterSetupHook([](AVFMediaAssetWriter &writer) { writer.setClock(&clock); });
    QorvFrameSourceImpl *impl = m_source->getSourceImpl();
    impl->setClock(&clock);
    QCOMPARE(m_session->startRunning(), 0);
    auto device = static_cast<LCGeneralCamera *>(m_camera)->getAVCaptureDevice().objectCast<platform::SimulatedCaptureDevice>();
    QVERIFY(device);
    device->injectStreamError(platform::CaptureDevice::DeviceLost);
    QTRY_VERIFY_WITH_TIMEOUT(!device->isStreaming(), 5000);

    // The recording asks for the free space with every frame it takes.
    const auto taken = std::make_shared<std::atomic<int>>(0);
    QorvFrameSourceImpl::setDiskSpaceReader([taken](const QString &) {
        ++*taken;
        return 1024 * 1024 * MiB;
    });
    QImage picture(640, 480, QImage::Format_ARGB32);
    picture.fill(Qt::darkCyan);
    // One frame of a 30 fps camera, after the clock moved on by a frame and the pacing ticked.
    const auto hand = [&](const QImage &frame) {
        clock.advanceUs(FrameUs);
        impl->enableAddRecordingFrameSlot();
        impl->captureOutputFrame(platform::VideoSample(frame, clock.nowUs()));
    };
    // `count` frames, each written before the next comes: how many of them the movie got.
    const auto offer = [&](int count) {
        const QSharedPointer<AVFMediaAssetWriter> writer = m_session->writer();
        int written = 0;
        for (int i = 0; i < count; ++i) {
            const int before = *taken;
            const qint64 samples = writer->videoSampleCount();
            hand(picture);
            if (*taken == before || !writer->isRecording())
                continue;
            if (!QTest::qWaitFor([&] { return writer->videoSampleCount() > samples; }, WriteWaitMs))
                break; // taken and refused
            ++written;
        }
        return written;
    };

    QSignalSpy ended(m_session, &QorvCaptureSession::recordingDidEnd);
    const QString movie = path(QStringLiteral("Video-resumed-%1%2.mov").arg(beforePause).arg(frameInFlight ? "-in-flight" : ""));
    QCOMPARE(m_session->startRecording(movie, QRect(0, 0, 640, 480), QorvCaptureSession::PlainRecording, QRect()), 0);
    int recorded = 0; // before the pause
    if (!frameInFlight) {
        recorded = offer(beforePause);
        QCOMPARE(recorded, beforePause);
        m_session->pauseRecording(true);
    } else {
        // The last frame before the pause is large, so that the queue is still writing it when the
        // test has handed it over; once written, the queue is held before it starts on the next one.
        // That one is taken, and the recording paused while it waits. Should the test be held up
        // until the queue had written the large frame, that frame is one more of the recording and
        // the test tries again.
        recorded = offer(beforePause - 1);
        QCOMPARE(recorded, beforePause - 1);
        bool paused = false;
        for (int attempt = 0; attempt < 10 && !paused; ++attempt) {
            TrackedPixels last;
            last.hold(true);
            hand(last.image(QSize(3840, 2160), Qt::darkCyan));
            QTRY_VERIFY_WITH_TIMEOUT(last.releasing(), WriteWaitMs);
            ++recorded;
            if (!last.releasingElsewhere())
                continue;
            const int before = *taken;
            TrackedPixels waiting;
            hand(waiting.image(picture.size(), Qt::darkCyan));
            QCOMPARE(*taken, before + 1);
            m_session->pauseRecording(true);
            paused = true;
            last.hold(false);
            QTRY_VERIFY_WITH_TIMEOUT(waiting.released(), WriteWaitMs);
            QVERIFY2(!last.heldTooLong(), "the saving queue could not take the frame while the queue was held");
        }
        QVERIFY2(paused, "the queue wrote every large frame before the test had handed it over");
    }
    const int takenBeforePause = *taken;
    QCOMPARE(offer(30), 0);
    const int takenWhilePaused = *taken - takenBeforePause;
    m_session->pauseRecording(false);
    const int afterResume = offer(60);
    QVERIFY2(afterResume == 60, qPrintable(QStringLiteral("%1 of the 60 frames after the resume recorded").arg(afterResume)));
    // Paused, the recording takes no frame: a frame taken would only wait in the saving queue for
    // the writer to refuse it, perhaps after the resume, when the refusal slows the pace down.
    QCOMPARE(takenWhilePaused, 0);
    m_session->finishRecording();
    QVERIFY(ended.wait(20000));
    QCOMPARE(ended.first().at(1).toInt(), 0);

    // The paused second is out of the movie, and so is the frame refused in it: the movie holds the
    // time around it, frame by frame.
    const WriterProbe probe = WriterProbe::run(movie);
    QVERIFY2(probe.ok, qPrintable(probe.error));
    const WriterProbedStream video = probe.stream(QStringLiteral("video"));
    QCOMPARE(video.packets, recorded + 60);
    const double seconds = (recorded + 60) / 30.0;
    QVERIFY2(qAbs(video.duration() - seconds) < 0.1, qPrintable(QStringLiteral("%1 s of %2 s").arg(video.duration()).arg(seconds)));
}

void TestSessionCamera::startWhileRecording()
{
    const QString first = path(QStringLiteral("Video-first.mov"));
    const QString second = path(QStringLiteral("Video-second.mov"));
    QSignalSpy ended(m_session, &QorvCaptureSession::recordingDidEnd);
    QCOMPARE(m_session->startRunning(), 0);
    QCOMPARE(m_session->startRecording(first, QRect(0, 0, 640, 480), QorvCaptureSession::PlainRecording, QRect()), 0);
    QTRY_VERIFY_WITH_TIMEOUT(m_session->writer()->videoSampleCount() > 3, 5000);
    // A start during a recording ends it and starts nothing.
    QCOMPARE(m_session->startRecording(second, QRect(0, 0, 640, 480), QorvCaptureSession::PlainRecording, QRect()), 1);
    QVERIFY(!m_session->isRecording());
    QVERIFY(ended.wait(20000));
    QCOMPARE(ended.first().at(0).toString(), first);
    QVERIFY(!QFileInfo::exists(second));
    // Once the file is complete the next recording starts.
    QCOMPARE(m_session->startRecording(second, QRect(0, 0, 640, 480), QorvCaptureSession::PlainRecording, QRect()), 0);
    QVERIFY(m_session->isRecording());
    QTRY_VERIFY_WITH_TIMEOUT(m_session->writer()->videoSampleCount() > 3, 5000);
    m_session->finishRecording();
    m_session->finishRecording(); // a second finish only logs
    QVERIFY(ended.wait(20000));
    QCOMPARE(ended.count(), 2);
    const WriterProbe probe = WriterProbe::run(second);
    QVERIFY2(probe.ok, qPrintable(probe.error));
}

void TestSessionCamera::startRightAfterFinish()
{
    // Stop and at once start again, as a user splitting a lesson does: the second movie records
    // from the next frame while the first is still being completed, and both ends are reported.
    const QStringList movies{path(QStringLiteral("Video-stopped.mov")), path(QStringLiteral("Video-started.mov"))};
    QSignalSpy ended(m_session, &QorvCaptureSession::recordingDidEnd);
    QCOMPARE(m_session->startRunning(), 0);
    // A busy machine may hold this thread past the second: each movie is judged by the time it was on.
    QList<double> recorded;
    for (const QString &movie : movies) {
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(m_session->startRecording(movie, QRect(0, 0, 640, 480), QorvCaptureSession::PlainRecording, QRect()), 0);
        QVERIFY(m_session->isRecording());
        QTest::qWait(1000);
        m_session->finishRecording();
        recorded.append(double(clock.elapsed()) / 1000.0);
    }
    QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 2, 20000);
    QCOMPARE(ended.at(0).at(0).toString(), movies.at(0));
    QCOMPARE(ended.at(1).at(0).toString(), movies.at(1));
    for (int i = 0; i < movies.size(); ++i) {
        const WriterProbe probe = WriterProbe::run(movies.at(i));
        QVERIFY2(probe.ok, qPrintable(movies.at(i) + ": " + probe.error));
        const double duration = probe.stream(QStringLiteral("video")).duration();
        QVERIFY2(duration >= recorded.at(i) - 0.3 && duration <= recorded.at(i) + 0.1,
                 qPrintable(QStringLiteral("%1 s of %2 s").arg(duration).arg(recorded.at(i))));
    }
    QCOMPARE(ended.at(0).at(1).toInt(), 0);
    QCOMPARE(ended.at(1).at(1).toInt(), 0);
}

void TestSessionCamera::freeSpace_data()
{
    QTest::addColumn<qint64>("freeBytes");
    QTest::addColumn<qint32>("expected");

    QTest::newRow("10 MiB") << 10 * MiB << qint32(0xE0300003);
    QTest::newRow("unreadable") << qint64(-1) << qint32(0xE0300003);
    QTest::newRow("11 MiB") << 11 * MiB << qint32(0);
}

void TestSessionCamera::freeSpace()
{
    QFETCH(qint64, freeBytes);
    QFETCH(qint32, expected);

    // The capture thread asks too, while recording and until cleanup() stops the session.
    struct Asked
    {
        QMutex mutex;
        QStringList folders;
    };
    const auto asked = std::make_shared<Asked>();
    QorvFrameSourceImpl::setDiskSpaceReader([asked, freeBytes](const QString &folder) {
        QMutexLocker locker(&asked->mutex);
        asked->folders.append(folder);
        return freeBytes;
    });
    QCOMPARE(m_session->startRunning(), 0);
    const QString movie = path(QStringLiteral("Video-space-%1.mov").arg(QTest::currentDataTag()));
    QCOMPARE(m_session->startRecording(movie, QRect(0, 0, 640, 480), QorvCaptureSession::PlainRecording, QRect()),
             expected);
    // The file system asked about is the one being written, not some other folder.
    QMutexLocker locker(&asked->mutex);
    QCOMPARE(asked->folders.value(0), m_dir.path());
    QCOMPARE(m_session->isRecording(), expected == 0);
}

void TestSessionCamera::freeSpaceWhileRecording()
{
    // Shared with the capture thread, which may still ask and report after this function returned
    // (the session stops in cleanup()).
    struct Disk
    {
        std::atomic<qint64> freeBytes{100 * MiB};
        std::atomic<int> fullReports{0};
        QMutex mutex;
        QString lastAsked;
    };
    const auto disk = std::make_shared<Disk>();
    QorvFrameSourceImpl::setDiskSpaceReader([disk](const QString &folder) {
        QMutexLocker locker(&disk->mutex);
        disk->lastAsked = folder;
        return disk->freeBytes.load();
    });
    connect(m_session, &QorvCaptureSession::receiveError, m_session, [disk](qint32 code) {
        if (code == qint32(0xE0300003))
            ++disk->fullReports;
    }, Qt::DirectConnection);

    testMessageHandler = qInstallMessageHandler(countShortSpaceLines);
    const auto restoreHandler = qScopeGuard([] { qInstallMessageHandler(testMessageHandler); });
    shortSpaceLines = 0;

    QCOMPARE(m_session->startRunning(), 0);
    QCOMPARE(m_session->startRecording(path(QStringLiteral("Video-filling.mov")), QRect(0, 0, 640, 480),
                                       QorvCaptureSession::PlainRecording, QRect()), 0);
    QTRY_VERIFY_WITH_TIMEOUT(m_session->writer()->videoSampleCount() >= 10, 5000);
    QCOMPARE(disk->fullReports.load(), 0);
    disk->freeBytes = 0xAFFFFF; // about 11 MiB: not enough any more
    QTRY_VERIFY_WITH_TIMEOUT(disk->fullReports >= 10, 5000); // every recorded frame reports it...
    QCOMPARE(shortSpaceLines.load(), 1);                       // ...and the log says it once
    {
        QMutexLocker locker(&disk->mutex);
        QCOMPARE(disk->lastAsked, m_dir.path());
    }

    // Space again, then short again: one more line.
    disk->freeBytes = 100 * MiB;
    const qint64 framesWithSpace = m_session->writer()->videoSampleCount() + 5;
    QTRY_VERIFY_WITH_TIMEOUT(m_session->writer()->videoSampleCount() >= framesWithSpace, 5000);
    const int reportsWithSpace = disk->fullReports;
    disk->freeBytes = 0xAFFFFF;
    QTRY_VERIFY_WITH_TIMEOUT(disk->fullReports >= reportsWithSpace + 10, 5000);
    QCOMPARE(shortSpaceLines.load(), 2);
}

void TestSessionCamera::unwritableMovie()
{
    QCOMPARE(m_session->startRunning(), 0);
    const QRect rect(0, 0, 640, 480);
    QCOMPARE(m_session->startRecording(path(QStringLiteral("no/such/folder/Video.mov")), rect,
                                       QorvCaptureSession::PlainRecording, QRect()), qint32(0xE0300000));
    QVERIFY(!m_session->isRecording());
    // The failed writer keeps nothing waiting.
    QCOMPARE(m_session->startRecording(path(QStringLiteral("Video-after-failure.mov")), rect,
                                       QorvCaptureSession::PlainRecording, QRect()), 0);
}

void TestSessionCamera::writerFailureEndsRecording()
{
    const QString movie = path(QStringLiteral("Video-failing.mov"));
    QCOMPARE(m_session->startRunning(), 0);
    QCOMPARE(m_session->startRecording(movie, QRect(0, 0, 640, 480), QorvCaptureSession::PlainRecording, QRect()), 0);
    QTRY_VERIFY_WITH_TIMEOUT(m_session->writer()->videoSampleCount() > 3, 5000);
    QSignalSpy errors(m_session, &QorvCaptureSession::receiveError);
    QSignalSpy ended(m_session, &QorvCaptureSession::recordingDidEnd);
    // The writer reports from its finishing thread that the movie could not be written.
    const qint32 failed = AVFMediaAssetWriter::WriterFailedError;
    std::thread([writer = m_session->writer(), movie, failed] { Q_EMIT writer->writingFinished(movie, failed); }).join();
    QVERIFY(ended.wait(5000));
    QCOMPARE(ended.first().at(1).toInt(), failed);
    QCOMPARE(errors.count(), 1);
    QCOMPARE(errors.first().first().toInt(), failed);
    // The recording is over: no frame goes to that writer any more.
    QVERIFY(!m_session->isRecording());
    QVERIFY(m_source->getSourceImpl()->fileOutput().isNull());
    const qint64 written = m_session->writer()->videoSampleCount();
    QVERIFY(framesPass(3));
    QCOMPARE(m_session->writer()->videoSampleCount(), written);
}

void TestSessionCamera::liveExport_data()
{
    QTest::addColumn<int>("level");
    QTest::addColumn<QSize>("size");

    QTest::newRow("1080p") << 0 << QSize(1920, 1080);
    QTest::newRow("360p") << 3 << QSize(640, 360);
    QTest::newRow("unknown level") << 7 << QSize(-1, -1);
}

void TestSessionCamera::liveExport()
{
    QFETCH(int, level);
    QFETCH(QSize, size);

    FakePublisher publisher;
    publisher.resolutionLevel = level;
    publisher.fpsLevel = 15;
    m_session->addRTMPObj(&publisher);
    QorvFrameSourceImpl *impl = m_source->getSourceImpl();
    FakeLiveExport encoders;
    impl->setLiveExport(&encoders);
    QCOMPARE(m_session->startRunning(), 0);

    QCOMPARE(m_session->enableH264Export(true), 0);
    QCOMPARE(m_session->enableH264Export(true), 0); // no change: nothing started twice
    QCOMPARE(publisher.calls().count(QStringLiteral("startPublish()")), 1);
    QCOMPARE(impl->h264ExportSize(), size);
    QCOMPARE(encoders.enabled, QStringList{QStringLiteral("%1x%2@15").arg(size.width()).arg(size.height())});
    // Encoders that cannot be made for the size leave the export off: no frame goes anywhere.
    QCOMPARE(impl->isH264ExportOn(), size.width() > 0);
    if (impl->isH264ExportOn()) {
        QTRY_VERIFY_WITH_TIMEOUT(encoders.frames >= 5, 5000);
        QCOMPARE(quint64(encoders.frames.load()), impl->h264FrameCount());
        impl->appendAudioSample(WriterSamples::tone(1024, 0, platform::MediaClock::monotonicNowUs()));
        QCOMPARE(encoders.audioBlocks.load(), 1);
        // A full encoder takes no more frames: none from the frame after the one that may have been
        // on its way when it filled.
        encoders.busy = QorvFrameSourceImpl::MaxFramesInEncoder;
        QVERIFY(framesPass(1));
        const int frames = encoders.frames;
        QVERIFY(framesPass(3));
        QCOMPARE(encoders.frames.load(), frames);
        encoders.busy = 0;
        Q_EMIT publisher.streamFpsChanged(20);
        QCOMPARE(encoders.rate.load(), 20);
    } else {
        QVERIFY(framesPass(3));
        QCOMPARE(encoders.frames.load(), 0);
    }

    char bytes[] = {0, 0, 0, 1, 0x65};
    m_session->onReceiveEncodedExportVideoFrame(bytes, int(sizeof bytes), 1234);
    QCOMPARE(publisher.videoFrames().size(), 1);
    QCOMPARE(publisher.videoFrames().first().timestampMs, qint64(1234));

    QCOMPARE(m_session->enableH264Export(false), 0);
    QCOMPARE(publisher.calls().count(QStringLiteral("stopPublish()")), 1);
    QVERIFY(!impl->isH264ExportOn());
    QCOMPARE(encoders.disabled, size.width() > 0 ? 1 : 0);
    impl->setLiveExport(nullptr);
    m_session->onReceiveEncodedExportVideoFrame(bytes, int(sizeof bytes), 1300);
    QCOMPARE(publisher.videoFrames().size(), 1); // nothing is sent while not live
}

void TestSessionCamera::h264CounterPerSource()
{
    FakePublisher publisher;
    QorvFrameSource other(m_second, QorvCaptureSource::Camera);
    QorvCaptureSession otherSession;
    otherSession.addSource(&other);
    m_session->addRTMPObj(&publisher);
    QCOMPARE(m_session->startRunning(), 0);
    QCOMPARE(otherSession.startRunning(), 0);
    m_session->enableH264Export(true);
    QTRY_VERIFY_WITH_TIMEOUT(m_source->getSourceImpl()->h264FrameCount() >= 10, 5000);
    // The other camera exports nothing, and its count says so.
    QCOMPARE(other.getSourceImpl()->h264FrameCount(), quint64(0));
    otherSession.stopRunning();
    m_session->stopRunning(); // before the publisher goes
}

void TestSessionCamera::removeSameCamera()
{
    QorvFrameSource sameCamera(m_camera, QorvCaptureSource::Camera);
    m_session->removeSource(&sameCamera);
    QVERIFY(m_session->frameSources().isEmpty());
    // A session without a frame source answers every frame operation with nothing.
    QCOMPARE(m_session->startRunning(), 0);
    QCOMPARE(m_session->setFlip(90, false, false), 0);
    m_session->addSource(m_source);
}

void TestSessionCamera::audioLevelExport()
{
    const QList<platform::AudioInputInfo> inputs = platform::AudioInputs::instance()->inputs();
    QVERIFY(!inputs.isEmpty());
    QorvAudioSource microphone(inputs.first().name, inputs.first().uniqueId, 0);
    m_session->addSource(&microphone);
    QSignalSpy levels(m_session, &QorvCaptureSession::audioLevelReport);
    m_session->enableAudioVolumeLevelExport(true);
    QVERIFY(levels.wait(5000));
    QVERIFY(levels.first().first().toInt() > 0); // the simulated input plays a tone
    m_session->enableAudioVolumeLevelExport(false);
    // The switch cuts the reports' connection: those already posted to the session arrive before a
    // call queued now, and none can follow.
    bool drained = false;
    QMetaObject::invokeMethod(m_session, [&drained] { drained = true; }, Qt::QueuedConnection);
    QTRY_VERIFY(drained);
    levels.clear();
    // A witness meters the same input: its blocks come at the pace the session's would, so once it
    // has five reports the session would have had some too.
    QorvAudioSource witness(inputs.first().name, inputs.first().uniqueId, 0);
    QSignalSpy witnessed(witness.deviceSource(), &QorvAudioDeviceSource::audioLevelReport);
    QCOMPARE(witness.deviceSource()->startAudioReport(), 0);
    QTRY_VERIFY_WITH_TIMEOUT(witnessed.count() >= 5, 10000);
    QCOMPARE(levels.count(), 0);
    m_session->removeSource(&microphone);
}

QTEST_MAIN(TestSessionCamera)
#include "tst_session_camera.moc"
