#include "audiolivedecoder.h"
#include "fakepublisher.h"
#include "nginxrtmp.h"
#include "writersamples.h"

#include "audio/qorvaudiosource.h"
#include "audio/simulatedaudioinputs.h"
#include "camera/generalcamera.h"
#include "capture/qorvcapturesession.h"
#include "capture/qorvframesource.h"
#include "capture/qorvframesourceimpl.h"
#include "core/platformbackend.h"
#include "live/aacchunker.h"
#include "live/qorvliveexport.h"
#include "manager/doccammanager.h"
#include "media/mediaclock.h"
#include "qorvrtmpintf.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QThread>
#include <QtTest>

#include <memory>

class TestLiveExport : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void aacChunking_data();
    void aacChunking();
    void headerThenDecodableFrames();
    void refusesAnUnknownSize();
    void sessionSendsFreshHeadersAfterToggling();
    void sessionStreamsToRtmpServer();

private:
    GeneralCamera *m_camera = nullptr;
};

namespace {

const QByteArray StartCode("\x00\x00\x01", 3);

struct Sent {
    QByteArray data;
    qint64 timeMs = 0;
    bool onCallerThread = false;
};

// Collects what an export sends, from whichever thread it sends on.
struct Collector {
    QMutex mutex;
    QVector<Sent> video;
    QVector<Sent> audio;
    QThread *callerThread = QThread::currentThread();

    QorvLiveExport::Output videoOutput()
    {
        return [this](char *data, int len, qint64 timeMs) {
            QMutexLocker locker(&mutex);
            video.append({QByteArray(data, len), timeMs, QThread::currentThread() == callerThread});
        };
    }
    QorvLiveExport::Output audioOutput()
    {
        return [this](char *data, int len, qint64 timeMs) {
            QMutexLocker locker(&mutex);
            audio.append({QByteArray(data, len), timeMs, QThread::currentThread() == callerThread});
        };
    }
};

bool isHeader(const QByteArray &data)
{
    return data.startsWith(StartCode + QByteArray(1, '\x67'));
}

QJsonArray probe(const QString &path, QString *duration)
{
    QProcess ffprobe;
    ffprobe.start(QStringLiteral("ffprobe"),
                  {"-v", "error", "-show_entries",
                   "format=duration:stream=codec_type,codec_name,width,height,sample_rate,channels", "-of", "json",
                   path});
    if (!ffprobe.waitForFinished(30000)) {
        ffprobe.kill();
        ffprobe.waitForFinished(5000);
        return QJsonArray();
    }
    const QJsonObject root = QJsonDocument::fromJson(ffprobe.readAllStandardOutput()).object();
    *duration = root.value("format").toObject().value("duration").toString();
    return root.value("streams").toArray();
}

QJsonObject streamOfType(const QJsonArray &streams, const QString &type)
{
    for (const QJsonValue &stream : streams) {
        if (stream.toObject().value("codec_type").toString() == type)
            return stream.toObject();
    }
    return QJsonObject();
}

} // namespace

void TestLiveExport::initTestCase()
{
    platform::PlatformBackend::select(platform::PlatformBackend::Simulated);
    const QList<GeneralCamera *> cameras = DocCamManager::getDocCamManager()->queryCameras(true);
    QVERIFY(!cameras.isEmpty());
    m_camera = cameras.first();
    m_camera->setActiveFormat(0, 30);
}

void TestLiveExport::aacChunking_data()
{
    QTest::addColumn<QList<int>>("blockBytes");
    QTest::addColumn<QList<qint64>>("chunkTimes");
    QTest::addColumn<int>("carryOver");

    // One block of 3000 bytes: one AAC frame, the rest waits for the next block.
    QTest::newRow("3000 bytes") << QList<int>{3000} << QList<qint64>{1000} << 952;
    QTest::newRow("exactly one frame") << QList<int>{2048} << QList<qint64>{1000} << 0;
    QTest::newRow("carry completes a frame") << QList<int>{1000, 1100} << QList<qint64>{2000} << 52;
    // Several frames of one block are 23.22 ms apart, truncated.
    QTest::newRow("three frames") << QList<int>{6200} << QList<qint64>{1000, 1023, 1046} << 56;
    // Far larger than any staging buffer: nothing is dropped.
    QTest::newRow("large block") << QList<int>{40960} << QList<qint64>{} << 0;
}

void TestLiveExport::aacChunking()
{
    QFETCH(QList<int>, blockBytes);
    QFETCH(QList<qint64>, chunkTimes);
    QFETCH(int, carryOver);

    AacChunker chunker;
    QList<qint64> times;
    int totalBytes = 0;
    int chunkBytes = 0;
    for (int i = 0; i < blockBytes.size(); ++i) {
        const QByteArray pcm(blockBytes.at(i), char(i + 1));
        totalBytes += pcm.size();
        for (const AacChunker::Chunk &chunk : chunker.append(pcm, 1000 * (i + 1))) {
            QCOMPARE(chunk.pcm.size(), AacChunker::ChunkBytes);
            times.append(chunk.timeMs);
            chunkBytes += chunk.pcm.size();
        }
    }
    if (!chunkTimes.isEmpty())
        QCOMPARE(times, chunkTimes);
    QCOMPARE(chunker.carryOverBytes(), carryOver);
    QCOMPARE(chunkBytes + carryOver, totalBytes);
}

void TestLiveExport::headerThenDecodableFrames()
{
    Collector sent;
    QorvLiveExport live;
    live.setVideoOutput(sent.videoOutput());
    live.setAudioOutput(sent.audioOutput());
    QVERIFY(live.enable(1280, 720, 30));
    QCOMPARE(live.encoderLevel(), 31);
    const qint64 baseUs = 7200000000LL; // the capture clock does not start at zero
    for (int i = 0; i < 8; ++i) {
        live.submitFrame(WriterSamples::frame(640, 480, i, baseUs + i * 33333));
        live.waitForEncoder();
    }
    for (int i = 0; i < 8; ++i)
        live.appendAudioSample(WriterSamples::tone(1500, i * 1500, baseUs + i * 34013));
    live.disable();

    QCOMPARE(sent.video.size(), 9);
    QVERIFY(isHeader(sent.video.first().data));
    QVERIFY(sent.video.first().data.endsWith(StartCode));
    // Sent from the encoder queue: it never waits for the caller's (GUI) thread.
    QVERIFY(!sent.video.first().onCallerThread);
    LiveStreamDecoder decoder;
    QVERIFY(decoder.feedHeader(sent.video.first().data));
    for (int i = 1; i < sent.video.size(); ++i) {
        QVERIFY2(decoder.feedFrame(sent.video.at(i).data), decoder.error().constData());
        QCOMPARE(sent.video.at(i).timeMs, (baseUs + (i - 1) * 33333) / 1000);
    }
    QCOMPARE(sent.video.first().timeMs, sent.video.at(1).timeMs);
    decoder.finish();
    QCOMPARE(decoder.decodedFrames(), 8);
    QCOMPARE(decoder.width(), 1280);
    QCOMPARE(decoder.height(), 720);

    // 8 x 3000 bytes of sound: eleven whole AAC frames, the encoder holding back its priming.
    QVERIFY2(sent.audio.size() >= 9 && sent.audio.size() <= 11, qPrintable(QString::number(sent.audio.size())));
    QCOMPARE(sent.audio.first().timeMs, baseUs / 1000);
    for (int i = 1; i < sent.audio.size(); ++i)
        QVERIFY(sent.audio.at(i).timeMs > sent.audio.at(i - 1).timeMs);

    // Off: nothing is taken.
    const int videoCount = sent.video.size();
    const int audioCount = sent.audio.size();
    live.submitFrame(WriterSamples::frame(640, 480, 9, baseUs + 9 * 33333));
    live.appendAudioSample(WriterSamples::tone(4096, 0, baseUs));
    live.waitForEncoder();
    QCOMPARE(sent.video.size(), videoCount);
    QCOMPARE(sent.audio.size(), audioCount);
    QCOMPARE(live.audioCarryOverBytes(), 0);
}

void TestLiveExport::refusesAnUnknownSize()
{
    Collector sent;
    QorvLiveExport live;
    live.setVideoOutput(sent.videoOutput());
    QVERIFY(!live.enable(-1, -1, 30));
    QVERIFY(!live.isOn());
    live.submitFrame(WriterSamples::frame(640, 480, 0, 0));
    live.waitForEncoder();
    QVERIFY(sent.video.isEmpty());
}

void TestLiveExport::sessionSendsFreshHeadersAfterToggling()
{
    QorvFrameSource source(m_camera, QorvCaptureSource::Camera);
    QorvCaptureSession session;
    session.addSource(&source);
    FakePublisher publisher;
    publisher.resolutionLevel = QorvRtmpIntf::Resolution360p;
    publisher.fpsLevel = 30;
    session.addRTMPObj(&publisher);
    QorvLiveExport live(source.getSourceImpl());
    QCOMPARE(session.startRunning(), 0);

    QCOMPARE(session.enableH264Export(true), 0);
    QTRY_VERIFY_WITH_TIMEOUT(publisher.videoFrames().size() >= 5, 5000);
    QCOMPARE(session.enableH264Export(false), 0);
    const int firstRun = publisher.videoFrames().size();
    QCOMPARE(session.enableH264Export(true), 0);
    QTRY_VERIFY_WITH_TIMEOUT(publisher.videoFrames().size() >= firstRun + 5, 5000);
    QCOMPARE(session.enableH264Export(false), 0);
    session.stopRunning();

    const QVector<FakePublisher::Frame> frames = publisher.videoFrames();
    QVERIFY(isHeader(frames.first().data));
    QVERIFY(isHeader(frames.at(firstRun).data));
    int headers = 0;
    for (const FakePublisher::Frame &frame : frames)
        headers += isHeader(frame.data) ? 1 : 0;
    QCOMPARE(headers, 2);
    // Each run decodes on its own from its header: the encoder was made anew.
    for (int start : {0, firstRun}) {
        LiveStreamDecoder decoder;
        QVERIFY(decoder.feedHeader(frames.at(start).data));
        const int end = start == 0 ? firstRun : frames.size();
        for (int i = start + 1; i < end; ++i)
            QVERIFY2(decoder.feedFrame(frames.at(i).data), decoder.error().constData());
        decoder.finish();
        QCOMPARE(decoder.decodedFrames(), end - start - 1);
        QCOMPARE(decoder.width(), 640);
        QCOMPARE(decoder.height(), 360);
    }
}

void TestLiveExport::sessionStreamsToRtmpServer()
{
    NginxRtmp server;
    if (NginxRtmp::modulePath().isEmpty())
        QSKIP("nginx with the RTMP module is not installed");
    QVERIFY2(server.start(), qPrintable(server.lastError()));

    QorvFrameSource source(m_camera, QorvCaptureSource::Camera);
    QorvAudioSource microphone(QStringLiteral("Simulated Microphone"), platform::SimulatedAudioInputs::FirstInputId, 0);
    QorvCaptureSession session;
    session.addSource(&source);
    session.addSource(&microphone);
    std::unique_ptr<QorvRtmpIntf> publisher(acquireQorvRtmpImpl());
    publisher->setUrl(server.url());
    publisher->setStreamKey(QStringLiteral("desk"));
    publisher->setResolutionLevel(QorvRtmpIntf::Resolution720p);
    publisher->setHasAudio(true);
    QList<int> notifications;
    connect(publisher.get(), &QorvRtmpIntf::rtmpNotification, this,
            [&notifications](int code) { notifications.append(code); }, Qt::QueuedConnection);
    session.addRTMPObj(publisher.get());
    QorvLiveExport live(source.getSourceImpl());

    QCOMPARE(session.startRunning(), 0);
    // Judged by the time it was live, which a busy machine may stretch past the 3 s asked.
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(session.enableH264Export(true), 0);
    QVERIFY(live.isOn());
    QTest::qWait(3000);
    QCOMPARE(session.enableH264Export(false), 0);
    const double liveSeconds = double(clock.elapsed()) / 1000.0;
    session.stopRunning();
    QCoreApplication::processEvents();
    QVERIFY2(notifications.isEmpty(), qPrintable(server.errorLog()));

    QVERIFY2(server.waitForRecording(QStringLiteral("desk"), 10000), qPrintable(server.errorLog()));
    QString duration;
    const QJsonArray streams = probe(server.recordPath(QStringLiteral("desk")), &duration);
    const QJsonObject video = streamOfType(streams, "video");
    QCOMPARE(video.value("codec_name").toString(), QStringLiteral("h264"));
    QCOMPARE(video.value("width").toInt(), 1280);
    QCOMPARE(video.value("height").toInt(), 720);
    const QJsonObject audio = streamOfType(streams, "audio");
    QCOMPARE(audio.value("codec_name").toString(), QStringLiteral("aac"));
    QCOMPARE(audio.value("sample_rate").toString(), QStringLiteral("44100"));
    QCOMPARE(audio.value("channels").toInt(), 1);
    const double seconds = duration.toDouble();
    QVERIFY2(seconds > liveSeconds - 1.0 && seconds < liveSeconds + 1.5,
             qPrintable(QStringLiteral("%1 s of %2 s live").arg(duration).arg(liveSeconds)));
}

QTEST_MAIN(TestLiveExport)
#include "tst_live_export.moc"
