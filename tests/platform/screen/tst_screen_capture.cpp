#include "screen/screencapture.h"
#include "screen/simulated/simulatedscreencapture.h"
#include "screen/x11/x11screencapture.h"

#include "processprobes.h"

#include <QGuiApplication>
#include <QPainter>
#include <QRasterWindow>
#include <QScreen>
#include <QtTest>

using platform::ScreenCapture;
using platform::SimulatedScreenCapture;
using platform::VideoSample;
using platform::X11ScreenCapture;

namespace {

// A window of one colour with a square of another at a known place.
class MarkerWindow : public QRasterWindow
{
protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.fillRect(QRect(QPoint(0, 0), size()), QColor(0, 200, 0));
        painter.fillRect(QRect(40, 40, 60, 60), QColor(220, 0, 30));
    }
};

bool showsMarker(const QImage &screen, const QPoint &origin)
{
    return QColor(screen.pixel(origin + QPoint(70, 70))) == QColor(220, 0, 30)
           && QColor(screen.pixel(origin + QPoint(200, 150))) == QColor(0, 200, 0);
}

class SampleLog : public QObject
{
public:
    explicit SampleLog(ScreenCapture *capture, bool keep)
    {
        connect(capture, &ScreenCapture::frameCaptured, this, [this, keep](const VideoSample &sample) {
            QMutexLocker locker(&mutex);
            ++frames;
            addresses.insert(sample.constBits());
            times.append(sample.presentationTimeUs());
            if (keep)
                samples.append(sample);
        }, Qt::DirectConnection);
        connect(capture, &ScreenCapture::grabFailed, this, [this] {
            QMutexLocker locker(&mutex);
            ++failures;
        }, Qt::DirectConnection);
    }
    int count()
    {
        QMutexLocker locker(&mutex);
        return frames;
    }

    QMutex mutex;
    int frames = 0;
    int failures = 0;
    QSet<const uchar *> addresses;
    QList<qint64> times;
    QList<VideoSample> samples;
};

} // namespace

class TestScreenCapture : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void grabsThePrimaryScreen_data();
    void grabsThePrimaryScreen();
    void connectsToTheDisplayAtTheFirstGrab();
    void samplesAtTheRateOnlyWhenWanted();
    void sampledFramesReuseFreeBuffers();
    void simulatedScreen();

private:
    MarkerWindow m_window;
};

void TestScreenCapture::initTestCase()
{
    m_window.setFlags(Qt::FramelessWindowHint);
    m_window.setGeometry(200, 150, 300, 200);
    m_window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&m_window));
    // Exposed is not yet drawn: the grabs below read what the X server holds.
    QTRY_VERIFY_WITH_TIMEOUT(showsMarker(QGuiApplication::primaryScreen()->grabWindow(0).toImage(),
                                         m_window.position()), 20000);
}

void TestScreenCapture::grabsThePrimaryScreen_data()
{
    QTest::addColumn<bool>("sharedMemory");
    QTest::addColumn<QByteArray>("method");
    QTest::newRow("shared memory") << true << QByteArray("xshm");
    QTest::newRow("plain GetImage") << false << QByteArray("xgetimage");
}

void TestScreenCapture::grabsThePrimaryScreen()
{
    QFETCH(bool, sharedMemory);
    QFETCH(QByteArray, method);

    X11ScreenCapture capture;
    capture.setSharedMemoryAllowed(sharedMemory);
    QCOMPARE(capture.primaryScreenGeometry(), QGuiApplication::primaryScreen()->geometry());
    const QImage image = capture.grabImage();
    QCOMPARE(capture.grabMethod(), method);
    QCOMPARE(image.size(), capture.primaryScreenGeometry().size());
    QCOMPARE(image.format(), QImage::Format_RGB32);
    const QPoint origin = m_window.position();
    QCOMPARE(QColor(image.pixel(origin + QPoint(70, 70))), QColor(220, 0, 30));
    QCOMPARE(QColor(image.pixel(origin + QPoint(200, 150))), QColor(0, 200, 0));
    QCOMPARE(qAlpha(image.pixel(0, 0)), 255);

    const VideoSample sample = capture.grabFrame();
    QVERIFY(sample.isValid());
    QVERIFY(sample.presentationTimeUs() > 0);
}

// The program makes its desktop capture at start: the capture's own display connection waits for the
// first grab, and stays for the next.
void TestScreenCapture::connectsToTheDisplayAtTheFirstGrab()
{
    const int before = openSockets();
    X11ScreenCapture capture;
    QCOMPARE(openSockets(), before);
    QVERIFY(!capture.grabImage().isNull());
    QCOMPARE(capture.grabMethod(), QByteArray("xshm"));
    QCOMPARE(openSockets(), before + 1);
    QVERIFY(!capture.grabImage().isNull());
    QCOMPARE(openSockets(), before + 1);
}

void TestScreenCapture::samplesAtTheRateOnlyWhenWanted()
{
    X11ScreenCapture capture;
    SampleLog log(&capture, false);
    std::atomic<bool> wanted{false};
    std::atomic<int> asked{0};
    QVERIFY(capture.startSampling(30, [&] { ++asked; return wanted.load(); }));
    QVERIFY(!capture.startSampling(30));
    QTRY_VERIFY(asked > 3);
    QCOMPARE(log.count(), 0); // nobody waits, nothing is read

    // However late a busy machine runs the ticks, they keep to the rate's grid: never more than one
    // frame a period.
    QElapsedTimer sampling;
    sampling.start();
    wanted = true;
    QTRY_VERIFY_WITH_TIMEOUT(log.count() >= 15, 30000);
    capture.stopSampling();
    const qint64 sampledMs = sampling.elapsed();
    const int frames = log.count();
    QVERIFY2(frames <= 30 * sampledMs / 1000 + 2, qPrintable(QStringLiteral("%1 in %2 ms").arg(frames).arg(sampledMs)));
    QCOMPARE(quint64(frames), capture.sampledFrameCount());
    for (int index = 1; index < log.times.size(); ++index)
        QVERIFY(log.times.at(index) > log.times.at(index - 1));
    // The sampling thread is gone with the stop: a second capture's ticks going on prove it.
    X11ScreenCapture later;
    std::atomic<int> laterAsked{0};
    QVERIFY(later.startSampling(30, [&] { ++laterAsked; return false; }));
    QTRY_VERIFY(laterAsked > 3);
    later.stopSampling();
    QCOMPARE(log.count(), frames);
    QVERIFY(!capture.startSampling(0));
}

void TestScreenCapture::sampledFramesReuseFreeBuffers()
{
    X11ScreenCapture capture;
    SampleLog log(&capture, false);
    QVERIFY(capture.startSampling(60));
    QTRY_VERIFY(log.count() >= 12);
    capture.stopSampling();
    QVERIFY2(log.addresses.size() <= 3, qPrintable(QString::number(log.addresses.size())));

    // Held samples keep their pixels: grabbing goes on into other buffers.
    SampleLog keeping(&capture, true);
    QVERIFY(capture.startSampling(60));
    QTRY_VERIFY(keeping.count() >= 6);
    capture.stopSampling();
    QCOMPARE(keeping.addresses.size(), keeping.samples.size());
}

void TestScreenCapture::simulatedScreen()
{
    SimulatedScreenCapture capture;
    QCOMPARE(capture.primaryScreenGeometry(), QRect(0, 0, 1920, 1080));
    const QImage first = capture.grabImage();
    const QImage second = capture.grabImage();
    QCOMPARE(first.size(), QSize(1920, 1080));
    QVERIFY(first != second); // the pattern moves

    SampleLog log(&capture, false);
    capture.setGrabFailing(true);
    QVERIFY(capture.grabImage().isNull());
    QVERIFY(!capture.grabFrame().isValid());
    QVERIFY(capture.startSampling(30));
    QTRY_VERIFY(log.failures >= 2);
    capture.setGrabFailing(false);
    QTRY_VERIFY(log.count() >= 2);
    capture.stopSampling();
}

QTEST_MAIN(TestScreenCapture)
#include "tst_screen_capture.moc"
