#include "livemediasamples.h"
#include "nginxrtmp.h"
#include "qorvrtmpintf.h"

#include <QtTest>

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTcpServer>

#include <algorithm>
#include <memory>

using Sample = LiveMediaSamples::Sample;

// What a publisher reported, gathered on the test's thread the way the windows receive it: queued.
class PublisherEvents : public QObject
{
    Q_OBJECT

public:
    explicit PublisherEvents(QorvRtmpIntf *publisher)
    {
        connect(publisher, &QorvRtmpIntf::rtmpNotification, this,
                [this](int code) { notifications.append(code); }, Qt::QueuedConnection);
        connect(publisher, &QorvRtmpIntf::reconnectServer, this, [this]() { ++reconnects; },
                Qt::QueuedConnection);
        connect(publisher, &QorvRtmpIntf::liveStatus, this,
                [this](int kbps, int fps) { statuses.append({ kbps, fps }); }, Qt::QueuedConnection);
    }

    QList<int> notifications;
    int reconnects = 0;
    QList<QPair<int, int>> statuses;
};

class TestPushwirePublish : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void publishesWhatItIsGiven_data();
    void publishesWhatItIsGiven();
    void connectFailure_data();
    void connectFailure();
    void stopFromDirectlyConnectedReceiver();
    void badData_data();
    void badData();
    void busyStateCoversEveryPublisher();
    void publishesAgainAfterStop();
    void reconnectsAfterDroppedConnection();

private:
    std::unique_ptr<QorvRtmpIntf> publisher(const QString &key, int level, bool audio);
    // Header first, then video and audio by time stamp, at twice real time when paced.
    void feed(QorvRtmpIntf *publisher, const QVector<Sample> &video, const QVector<Sample> &audio,
              bool paced);
    QJsonArray probe(const QString &path);
    static int closedPort();

    NginxRtmp m_server;
    QVector<Sample> m_video360;
    QVector<Sample> m_video720;
    QVector<Sample> m_audio;
};

namespace {

constexpr qint64 baseMs = 86400123; // the capture clock does not start at zero

QJsonObject streamOfType(const QJsonArray &streams, const QString &type)
{
    for (const QJsonValue &stream : streams) {
        if (stream.toObject().value("codec_type").toString() == type)
            return stream.toObject();
    }
    return QJsonObject();
}

int frameCount(const QJsonObject &stream)
{
    return stream.value("nb_read_frames").toString().toInt();
}

} // namespace

void TestPushwirePublish::initTestCase()
{
    m_video360 = LiveMediaSamples::video(640, 360, 90, baseMs);
    m_video720 = LiveMediaSamples::video(1280, 720, 90, baseMs);
    m_audio = LiveMediaSamples::audio(129, baseMs); // 3 s of sound
    QVERIFY2(m_video360.size() == 91 && m_video720.size() == 91, "libx264 not available");
    QCOMPARE(m_audio.size(), 129);
    QVERIFY2(m_server.start(), qPrintable(m_server.lastError()));
}

std::unique_ptr<QorvRtmpIntf> TestPushwirePublish::publisher(const QString &key, int level, bool audio)
{
    std::unique_ptr<QorvRtmpIntf> object(acquireQorvRtmpImpl());
    object->setUrl(m_server.url());
    object->setStreamKey(key);
    object->setResolutionLevel(level);
    object->setHasAudio(audio);
    return object;
}

void TestPushwirePublish::feed(QorvRtmpIntf *target, const QVector<Sample> &video, const QVector<Sample> &audio,
                               bool paced)
{
    QElapsedTimer clock;
    clock.start();
    int v = 0;
    int a = 0;
    while (v < video.size() || a < audio.size()) {
        const bool takeVideo = a >= audio.size()
            || (v < video.size() && video.at(v).timestampMs <= audio.at(a).timestampMs);
        Sample sample = takeVideo ? video.at(v++) : audio.at(a++);
        if (paced) {
            const qint64 due = (sample.timestampMs - baseMs) / 2;
            if (due > clock.elapsed())
                QTest::qWait(int(due - clock.elapsed()));
        }
        if (takeVideo)
            target->sendVideoFrame(sample.data.data(), sample.data.size(), sample.timestampMs, 0);
        else
            target->sendAudioFrame(sample.data.data(), sample.data.size(), sample.timestampMs, 0);
        // The caller's buffer is only valid during the call.
        sample.data.fill('\xff');
    }
}

QJsonArray TestPushwirePublish::probe(const QString &path)
{
    QProcess ffprobe;
    ffprobe.start(QStringLiteral("ffprobe"),
                  { "-v", "error", "-count_frames", "-show_entries",
                    "stream=codec_type,codec_name,width,height,nb_read_frames,sample_rate,channels", "-of",
                    "json", path });
    if (!ffprobe.waitForFinished(30000)) {
        ffprobe.kill();
        ffprobe.waitForFinished(5000);
        return QJsonArray();
    }
    return QJsonDocument::fromJson(ffprobe.readAllStandardOutput()).object().value("streams").toArray();
}

int TestPushwirePublish::closedPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort(); // closed again when probe goes
}

void TestPushwirePublish::publishesWhatItIsGiven_data()
{
    QTest::addColumn<int>("level");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<bool>("withAudio");

    QTest::newRow("360p with sound") << int(QorvRtmpIntf::Resolution360p) << 640 << 360 << true;
    QTest::newRow("720p without sound") << int(QorvRtmpIntf::Resolution720p) << 1280 << 720 << false;
}

void TestPushwirePublish::publishesWhatItIsGiven()
{
    QFETCH(int, level);
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(bool, withAudio);

    const QString key = QStringLiteral("stream%1").arg(level);
    auto live = publisher(key, level, withAudio);
    PublisherEvents events(live.get());
    int fps = 25;
    QCOMPARE(live->getFpsLevel(&fps), 0);
    QCOMPARE(fps, 30);
    QCOMPARE(live->startPublish(), 0);
    QVERIFY(live->isStreaming());
    const QVector<Sample> &video = height == 360 ? m_video360 : m_video720;
    feed(live.get(), video, withAudio ? m_audio : QVector<Sample>(), true);
    QCOMPARE(live->stopPublish(), 0);
    QVERIFY(!live->isStreaming());
    QCoreApplication::processEvents();
    QVERIFY2(events.notifications.isEmpty(), qPrintable(m_server.errorLog()));
    QVERIFY(!events.statuses.isEmpty());
    QVERIFY(events.statuses.first().first > 0);
    QVERIFY(events.statuses.first().second > 0);

    QVERIFY2(m_server.waitForRecording(key, 10000), qPrintable(m_server.errorLog()));
    const QJsonArray streams = probe(m_server.recordPath(key));
    const QJsonObject videoStream = streamOfType(streams, "video");
    QCOMPARE(videoStream.value("codec_name").toString(), QStringLiteral("h264"));
    QCOMPARE(videoStream.value("width").toInt(), width);
    QCOMPARE(videoStream.value("height").toInt(), height);
    QCOMPARE(frameCount(videoStream), video.size() - 1); // all but the header
    const QJsonObject audioStream = streamOfType(streams, "audio");
    if (withAudio) {
        QCOMPARE(audioStream.value("codec_name").toString(), QStringLiteral("aac"));
        QCOMPARE(audioStream.value("sample_rate").toString(), QStringLiteral("44100"));
        QCOMPARE(audioStream.value("channels").toInt(), 1);
        QCOMPARE(frameCount(audioStream), m_audio.size());
    } else {
        QVERIFY(audioStream.isEmpty());
    }
}

void TestPushwirePublish::connectFailure_data()
{
    QTest::addColumn<QString>("url");

    QTest::newRow("closed port") << QStringLiteral("rtmp://127.0.0.1:%1/live").arg(closedPort());
    QTest::newRow("not an RTMP address") << QStringLiteral("http://127.0.0.1:%1/live").arg(m_server.port());
    // The muxer would write this as a local file.
    QTest::newRow("local file") << QStringLiteral("file://%1/stream.flv").arg(QDir::tempPath());
    QTest::newRow("no address") << QString();
}

void TestPushwirePublish::connectFailure()
{
    QFETCH(QString, url);

    std::unique_ptr<QorvRtmpIntf> live(acquireQorvRtmpImpl());
    PublisherEvents events(live.get());
    live->setUrl(url);
    live->setStreamKey(QStringLiteral("key"));
    QCOMPARE(live->startPublish(), 0);
    feed(live.get(), m_video360.mid(0, 5), QVector<Sample>(), false);
    QTRY_COMPARE_WITH_TIMEOUT(events.notifications, QList<int> { -1 }, 15000);
    QCOMPARE(events.reconnects, 0);
    QVERIFY(!live->isStreaming());
    QVERIFY(!QFileInfo::exists(QDir::temp().filePath("stream.flv")));
    QVERIFY(!QFileInfo::exists(QDir::temp().filePath("stream.flv/key")));
    live->stopPublish();
}

void TestPushwirePublish::stopFromDirectlyConnectedReceiver()
{
    // Receivers are meant to connect queued; one that does not must not bring the process down.
    std::unique_ptr<QorvRtmpIntf> live(acquireQorvRtmpImpl());
    live->setUrl(QStringLiteral("rtmp://127.0.0.1:%1/live").arg(closedPort()));
    std::atomic<int> stops { 0 };
    connect(live.get(), &QorvRtmpIntf::rtmpNotification, live.get(), [&]() {
        live->stopPublish();
        live->startPublish();
        ++stops;
    }, Qt::DirectConnection);
    live->startPublish();
    QTRY_COMPARE_WITH_TIMEOUT(stops.load(), 1, 15000);
    QTRY_VERIFY_WITH_TIMEOUT(!live->isStreaming(), 5000);
    live->setUrl(m_server.url());
    QCOMPARE(live->startPublish(), 0);
    QVERIFY(live->isStreaming());
    live->stopPublish();
    QVERIFY(!live->isStreaming());
}

void TestPushwirePublish::badData_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("afterHeader");

    QTest::newRow("garbage in place of the header") << QByteArray("garbage, not H.264") << false;
    QTest::newRow("header without PPS") << QByteArray::fromHex("0000016764001fac5230000001") << false;
    QTest::newRow("length past the end of the frame") << QByteArray::fromHex("00000fff65888421") << true;
    QTest::newRow("forbidden bit") << QByteArray::fromHex("00000003e58884") << true;
}

void TestPushwirePublish::badData()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, afterHeader);

    auto live = publisher(QStringLiteral("bad"), QorvRtmpIntf::Resolution360p, false);
    PublisherEvents events(live.get());
    live->startPublish();
    if (afterHeader)
        feed(live.get(), m_video360.mid(0, 10), QVector<Sample>(), false);
    QCOMPARE(live->sendVideoFrame(bytes.data(), bytes.size(), baseMs + 400, 0), -2);
    QTRY_COMPARE_WITH_TIMEOUT(events.notifications, QList<int> { -2 }, 10000);
    QTRY_VERIFY_WITH_TIMEOUT(!live->isStreaming(), 5000);
    // One notice per stream; what follows is refused, not queued.
    QCOMPARE(live->sendVideoFrame(bytes.data(), bytes.size(), baseMs + 433, 0), -1);
    // Once the stop has joined the network thread, all it ever posted is in the queue, ahead of a
    // call queued now.
    live->stopPublish();
    bool drained = false;
    QMetaObject::invokeMethod(&events, [&drained] { drained = true; }, Qt::QueuedConnection);
    QTRY_VERIFY(drained);
    QCOMPARE(events.notifications, QList<int> { -2 });
    QCOMPARE(live->lastNotification(), -2);
}

void TestPushwirePublish::busyStateCoversEveryPublisher()
{
    // The toolbar and each camera window have their own publisher.
    auto first = publisher(QStringLiteral("first"), QorvRtmpIntf::Resolution360p, false);
    auto second = publisher(QStringLiteral("second"), QorvRtmpIntf::Resolution360p, false);
    QVERIFY(!first->isStreamPending() && !second->isStreamPending());

    first->setStreamPending(true);
    first->setStreamPending(true);
    QVERIFY(second->isStreamPending());
    second->setStreamPending(false); // only the one that raised it can lower it
    QVERIFY(first->isStreamPending());
    first->setStreamPending(false);
    QVERIFY(!second->isStreamPending());

    QVERIFY(!second->isStreaming());
    first->startPublish();
    QVERIFY(second->isStreaming());
    first->stopPublish();
    QVERIFY(!second->isStreaming());

    // A publisher that goes away takes its state with it.
    {
        auto countdown = publisher(QStringLiteral("third"), QorvRtmpIntf::Resolution360p, false);
        countdown->setStreamPending(true);
        countdown->startPublish();
        QVERIFY(first->isStreamPending() && first->isStreaming());
    }
    QVERIFY(!first->isStreamPending());
    QVERIFY(!first->isStreaming());
}

void TestPushwirePublish::publishesAgainAfterStop()
{
    const QString key = QStringLiteral("again");
    auto live = publisher(key, QorvRtmpIntf::Resolution360p, true);
    PublisherEvents events(live.get());
    for (int round = 0; round < 2; ++round) {
        QFile::remove(m_server.recordPath(key));
        live->startPublish();
        feed(live.get(), m_video360.mid(0, 31), m_audio.mid(0, 40), false);
        live->stopPublish();
        // Data after the stop are not sent anywhere, and do not restart anything.
        feed(live.get(), m_video360.mid(31, 5), QVector<Sample>(), false);
        QVERIFY(!live->isStreaming());
        QVERIFY2(m_server.waitForRecording(key, 10000), qPrintable(m_server.errorLog()));
        const QJsonArray streams = probe(m_server.recordPath(key));
        QCOMPARE(frameCount(streamOfType(streams, "video")), 30);
        QVERIFY(frameCount(streamOfType(streams, "audio")) > 30);
    }
    QCoreApplication::processEvents();
    QVERIFY(events.notifications.isEmpty());
}

void TestPushwirePublish::reconnectsAfterDroppedConnection()
{
    const QString key = QStringLiteral("drop");
    auto live = publisher(key, QorvRtmpIntf::Resolution360p, false);
    PublisherEvents events(live.get());
    auto other = publisher(QStringLiteral("other"), QorvRtmpIntf::Resolution360p, false);

    live->startPublish();
    feed(live.get(), m_video360.mid(0, 31), QVector<Sample>(), false);
    QTRY_VERIFY_WITH_TIMEOUT(!events.statuses.isEmpty(), 5000); // connected and sending
    const int port = m_server.port();
    m_server.kill();
    // The receivers switch the export off and start again 5 s later, still feeding meanwhile.
    QElapsedTimer waited;
    waited.start();
    for (int i = 31; events.reconnects == 0 && waited.elapsed() < 15000; i = 31 + (i - 30) % 60) {
        feed(live.get(), m_video360.mid(i, 1), QVector<Sample>(), false);
        QTest::qWait(20);
    }
    QCOMPARE(events.reconnects, 1);
    QVERIFY(events.notifications.isEmpty());
    // While its owner waits to restart, no other stream may begin.
    QVERIFY(other->isStreaming());
    live->stopPublish();
    QVERIFY(other->isStreaming());

    QVERIFY2(m_server.start(port), qPrintable(m_server.lastError()));
    QFile::remove(m_server.recordPath(key));
    live->startPublish();
    feed(live.get(), m_video360.mid(0, 31), QVector<Sample>(), false);
    live->stopPublish();
    QVERIFY2(m_server.waitForRecording(key, 10000), qPrintable(m_server.errorLog()));
    QCOMPARE(frameCount(streamOfType(probe(m_server.recordPath(key)), "video")), 30);

    // A server that stays away: a few more attempts, then the stream is given up.
    events.statuses.clear();
    live->startPublish();
    feed(live.get(), m_video360.mid(0, 31), QVector<Sample>(), false);
    QTRY_VERIFY_WITH_TIMEOUT(!events.statuses.isEmpty(), 5000);
    m_server.kill();
    QTRY_COMPARE_WITH_TIMEOUT((feed(live.get(), m_video360.mid(31, 1), QVector<Sample>(), false),
                               events.reconnects), 2, 15000);
    live->stopPublish();
    live->startPublish();
    QTRY_COMPARE_WITH_TIMEOUT(events.reconnects, 3, 15000);
    live->stopPublish();
    live->startPublish();
    QTRY_COMPARE_WITH_TIMEOUT(events.notifications, QList<int> { -3 }, 15000);
    QCOMPARE(events.reconnects, 3);
    live->stopPublish();
    QVERIFY2(m_server.start(port), qPrintable(m_server.lastError()));
}

QTEST_GUILESS_MAIN(TestPushwirePublish)
#include "tst_pushwire_publish.moc"
