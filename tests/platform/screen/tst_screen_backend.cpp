#include "core/platformbackend.h"
#include "screen/screencapture.h"
#include "screen/shooter/screenshooter.h"
#include "screen/shooter/simulated/simulatedscreenshooter.h"
#include "screen/simulated/simulatedscreencapture.h"

#include <QPainter>
#include <QRasterWindow>
#include <QtTest>

#include <memory>

using platform::PlatformBackend;
using platform::ScreenCapture;
using platform::ScreenShooter;
using platform::SimulatedScreenCapture;
using platform::SimulatedScreenShooter;

namespace {

const QColor Painted(30, 200, 90);

class PaintedWindow : public QRasterWindow
{
protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.fillRect(QRect(QPoint(0, 0), size()), Painted);
    }
};

bool simulatedCapture()
{
    std::unique_ptr<ScreenCapture> capture(ScreenCapture::create());
    return qobject_cast<SimulatedScreenCapture *>(capture.get()) != nullptr;
}

bool simulatedShooter()
{
    const std::unique_ptr<ScreenShooter> shooter = ScreenShooter::create();
    return dynamic_cast<SimulatedScreenShooter *>(shooter.get()) != nullptr;
}

} // namespace

// Which screen the process reads. Run twice with LUMIDESK_SIMULATE=1, as a user tries the program:
// under an X server (LUMIDESK_TEST_SCREEN=real) and with no display at all (=simulated).
class TestScreenBackend : public QObject
{
    Q_OBJECT

private slots:
    void simulatedModeKeepsTheRealScreen();
    void choiceInCodeDecidesTheScreen();
};

void TestScreenBackend::simulatedModeKeepsTheRealScreen()
{
    const bool real = qEnvironmentVariable("LUMIDESK_TEST_SCREEN") == QLatin1String("real");
    QCOMPARE(qEnvironmentVariableIntValue("LUMIDESK_SIMULATE"), 1);
    // The devices are simulated either way.
    QVERIFY(PlatformBackend::isSimulated());
    QCOMPARE(simulatedCapture(), !real);
    QCOMPARE(simulatedShooter(), !real);
    if (!real) {
        std::unique_ptr<ScreenCapture> capture(ScreenCapture::create());
        QCOMPARE(capture->grabImage().size(), QSize(1920, 1080));
        return;
    }

    // What the user has on the screen is what the grab shows.
    PaintedWindow window;
    window.setFlags(Qt::Window | Qt::FramelessWindowHint);
    window.setGeometry(200, 150, 300, 200);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    std::unique_ptr<ScreenCapture> capture(ScreenCapture::create());
    QCOMPARE(capture->primaryScreenGeometry().size(), QSize(1920, 1080));
    QTRY_COMPARE(QColor(capture->grabImage().pixel(350, 250)), Painted);
}

void TestScreenBackend::choiceInCodeDecidesTheScreen()
{
    PlatformBackend::select(PlatformBackend::Simulated);
    QVERIFY(simulatedCapture());
    QVERIFY(simulatedShooter());
    PlatformBackend::select(PlatformBackend::Linux);
    QVERIFY(!simulatedCapture());
    QVERIFY(!simulatedShooter());
}

QTEST_MAIN(TestScreenBackend)
#include "tst_screen_backend.moc"
