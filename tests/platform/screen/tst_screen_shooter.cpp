#include "core/platformbackend.h"
#include "screen/shooter/screenshooter.h"
#include "screen/shooter/simulated/simulatedscreenshooter.h"

#include <QCursor>
#include <QGuiApplication>
#include <QImageReader>
#include <QPainter>
#include <QProcess>
#include <QRasterWindow>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <functional>

using platform::PlatformBackend;
using platform::ScreenShooter;
using platform::SimulatedScreenShooter;

namespace {

const QColor Green(0, 200, 0);
const QColor Red(220, 0, 30);
const QColor Blue(20, 60, 200);
const QColor Yellow(250, 220, 0);

// Our own window: green with a red square 60 x 60 at (40, 40).
class MarkerWindow : public QRasterWindow
{
protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.fillRect(QRect(QPoint(0, 0), size()), Green);
        painter.fillRect(QRect(40, 40, 60, 60), Red);
    }
};

// Runs `act` on the overlay once it is on screen; the shot that shows it runs a nested event loop.
void whenPickerShows(std::function<void(QWindow *)> act)
{
    auto *poll = new QTimer;
    auto *waited = new QElapsedTimer;
    waited->start();
    QObject::connect(poll, &QTimer::timeout, [poll, waited, act] {
        for (QWindow *window : QGuiApplication::topLevelWindows()) {
            if (window->objectName() == QLatin1String(ScreenShooter::PickerName) && window->isExposed()) {
                poll->stop();
                poll->deleteLater();
                delete waited;
                act(window);
                return;
            }
        }
        if (waited->elapsed() > 10000) {
            qWarning("the overlay never showed");
            poll->stop();
            poll->deleteLater();
            delete waited;
        }
    });
    poll->start(10);
}

void drag(QWindow *window, const QPoint &from, const QPoint &to)
{
    QTest::mousePress(window, Qt::LeftButton, {}, from);
    QTest::mouseMove(window, (from + to) / 2);
    QTest::mouseMove(window, to);
    QTest::mouseRelease(window, Qt::LeftButton, {}, to);
}

QColor pixel(const QImage &image, int x, int y)
{
    return QColor(image.pixel(x, y));
}

// The marker window at (100, 100) as the screen shows it.
bool screenShowsMarker()
{
    const QImage screen = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
    return pixel(screen, 110, 110) == Green && pixel(screen, 170, 170) == Red;
}

} // namespace

class TestScreenShooter : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void fullScreen();
    void area();
    void clickWithoutDragKeepsChoosing();
    void windowOfAnotherProgram();
    void givingUp_data();
    void givingUp();
    void neverOverwrites();
    void simulatedBackend();

private:
    QString path(const QString &name) const { return m_folder.filePath(name); }

    QTemporaryDir m_folder;
    MarkerWindow m_window;
    QProcess m_other;
};

void TestScreenShooter::initTestCase()
{
    PlatformBackend::select(PlatformBackend::Linux);
    QVERIFY(m_folder.isValid());
    m_window.setFlags(Qt::Window | Qt::FramelessWindowHint);
    m_window.setGeometry(100, 100, 400, 300);
    m_window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&m_window));
    // Exposed is not yet drawn: the shots below read what the X server holds.
    QTRY_VERIFY_WITH_TIMEOUT(screenShowsMarker(), 20000);
    QCursor::setPos(10, 10);
}

void TestScreenShooter::cleanupTestCase()
{
    if (m_other.state() != QProcess::NotRunning) {
        m_other.kill();
        m_other.waitForFinished();
    }
}

void TestScreenShooter::fullScreen()
{
    const QString file = path(QStringLiteral("full.png"));
    QCOMPARE(ScreenShooter::create()->shoot(ScreenShooter::FullScreen, file), ScreenShooter::Succeeded);
    QCOMPARE(QImageReader(file).format(), QByteArray("png"));
    const QImage image(file);
    QCOMPARE(image.size(), QSize(1920, 1080));
    QCOMPARE(pixel(image, 110, 110), Green);
    QCOMPARE(pixel(image, 170, 170), Red);
    QCOMPARE(pixel(image, 499, 399), Green);
    QVERIFY(pixel(image, 500, 400) != Green);
}

void TestScreenShooter::area()
{
    const QString file = path(QStringLiteral("area.png"));
    whenPickerShows([](QWindow *picker) { drag(picker, QPoint(320, 330), QPoint(120, 130)); });
    QCOMPARE(ScreenShooter::create()->shoot(ScreenShooter::Area, file), ScreenShooter::Succeeded);
    const QImage image(file);
    // From (120, 130) to (320, 330), whichever way it was dragged.
    QCOMPARE(image.size(), QSize(200, 200));
    QCOMPARE(pixel(image, 0, 0), Green);
    QCOMPARE(pixel(image, 30, 20), Red);
    QCOMPARE(pixel(image, 199, 199), Green);
}

void TestScreenShooter::clickWithoutDragKeepsChoosing()
{
    const QString file = path(QStringLiteral("click.png"));
    whenPickerShows([](QWindow *picker) {
        QTest::mouseClick(picker, Qt::LeftButton, {}, QPoint(200, 200));
        QVERIFY(picker->isVisible());
        drag(picker, QPoint(100, 100), QPoint(150, 140));
    });
    QCOMPARE(ScreenShooter::create()->shoot(ScreenShooter::Area, file), ScreenShooter::Succeeded);
    QCOMPARE(QImage(file).size(), QSize(50, 40));
}

void TestScreenShooter::windowOfAnotherProgram()
{
    m_other.setProgram(QCoreApplication::applicationDirPath() + QStringLiteral("/tst_screen_patternwindow"));
    m_other.setArguments({"900", "200", "300", "250"});
    m_other.start();
    QVERIFY(m_other.waitForStarted());
    QByteArray output;
    QTRY_VERIFY_WITH_TIMEOUT((output += m_other.readAllStandardOutput()).contains("ready"), 10000);

    const QString file = path(QStringLiteral("window.png"));
    whenPickerShows([](QWindow *picker) {
        // Our own window is never offered: a click on it picks nothing.
        QTest::mouseClick(picker, Qt::LeftButton, {}, QPoint(150, 150));
        QVERIFY(picker->isVisible());
        QTest::mouseMove(picker, QPoint(1000, 300));
        QTest::mouseClick(picker, Qt::LeftButton, {}, QPoint(1000, 300));
    });
    QCOMPARE(ScreenShooter::create()->shoot(ScreenShooter::Window, file), ScreenShooter::Succeeded);
    const QImage image(file);
    QCOMPARE(image.size(), QSize(300, 250));
    QCOMPARE(pixel(image, 5, 5), Blue);
    QCOMPARE(pixel(image, 30, 30), Yellow);

    m_other.kill();
    m_other.waitForFinished();
}

void TestScreenShooter::givingUp_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("escape");
    QTest::newRow("area, Escape") << int(ScreenShooter::Area) << true;
    QTest::newRow("area, right click") << int(ScreenShooter::Area) << false;
    QTest::newRow("window, Escape") << int(ScreenShooter::Window) << true;
    QTest::newRow("window, right click") << int(ScreenShooter::Window) << false;
}

void TestScreenShooter::givingUp()
{
    QFETCH(int, mode);
    QFETCH(bool, escape);
    const QString file = path(QStringLiteral("given-up.png"));
    whenPickerShows([escape](QWindow *picker) {
        QTest::mousePress(picker, Qt::LeftButton, {}, QPoint(120, 120));
        QTest::mouseMove(picker, QPoint(300, 300));
        if (escape)
            QTest::keyClick(picker, Qt::Key_Escape);
        else
            QTest::mouseClick(picker, Qt::RightButton, {}, QPoint(300, 300));
    });
    QCOMPARE(ScreenShooter::create()->shoot(ScreenShooter::Mode(mode), file), ScreenShooter::GaveUp);
    QVERIFY(!QFile::exists(file));
    for (QWindow *window : QGuiApplication::topLevelWindows())
        QVERIFY(window->objectName() != QLatin1String(ScreenShooter::PickerName) || !window->isVisible());
}

void TestScreenShooter::neverOverwrites()
{
    const QString file = path(QStringLiteral("taken.png"));
    QFile existing(file);
    QVERIFY(existing.open(QIODevice::WriteOnly));
    existing.write("keep");
    existing.close();
    QCOMPARE(ScreenShooter::create()->shoot(ScreenShooter::FullScreen, file), ScreenShooter::Failed);
    QVERIFY(existing.open(QIODevice::ReadOnly));
    QCOMPARE(existing.readAll(), QByteArray("keep"));

    // A folder that is not there: nothing is written, and failure is reported.
    QCOMPARE(ScreenShooter::create()->shoot(ScreenShooter::FullScreen, path(QStringLiteral("none/x.png"))),
             ScreenShooter::Failed);
}

void TestScreenShooter::simulatedBackend()
{
    PlatformBackend::select(PlatformBackend::Simulated);
    const QString file = path(QStringLiteral("simulated.png"));
    whenPickerShows([](QWindow *picker) { QTest::mouseClick(picker, Qt::LeftButton, {}, QPoint(700, 600)); });
    QCOMPARE(ScreenShooter::create()->shoot(ScreenShooter::Window, file), ScreenShooter::Succeeded);
    // The top one of the two simulated windows at the click.
    QCOMPARE(QImage(file).size(), SimulatedScreenShooter::simulatedWindows().at(1).size());

    SimulatedScreenShooter::setFailing(true);
    QCOMPARE(ScreenShooter::create()->shoot(ScreenShooter::FullScreen, path(QStringLiteral("failed.png"))),
             ScreenShooter::Failed);
    QVERIFY(!QFile::exists(path(QStringLiteral("failed.png"))));
    SimulatedScreenShooter::setFailing(false);
    PlatformBackend::select(PlatformBackend::Linux);
}

QTEST_MAIN(TestScreenShooter)
#include "tst_screen_shooter.moc"
