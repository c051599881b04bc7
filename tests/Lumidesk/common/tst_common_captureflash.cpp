// The capture flash as it reaches the screen on a bare X server: a pixel of the screen watched from an
// X connection of the test's own while snapshots flash.

#include "common/abstractcapturescreenaction.h"

#include "screenpixelwatch.h"

#include <QApplication>
#include <QScreen>
#include <QtTest>

class TestCaptureFlash : public QObject
{
    Q_OBJECT

private slots:
    void everyFlashReachesTheScreen();
};

void TestCaptureFlash::everyFlashReachesTheScreen()
{
    // A desktop of one colour that the black flash stands out from.
    const QRgb desktopColour = qRgb(40, 160, 220);
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    QWidget desktop;
    desktop.setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    desktop.setStyleSheet(QStringLiteral("background-color: rgb(40, 160, 220);"));
    desktop.setGeometry(screen);
    desktop.show();

    ScreenPixelWatch watch;
    QVERIFY(watch.open());
    const QPoint pixel = screen.center();
    QTRY_COMPARE_WITH_TIMEOUT(watch.read(pixel), desktopColour, 10000);

    AbstractCaptureScreenAction helper;
    QStringList shots;
    int onScreen = 0;
    for (int shot = 0; shot < 10; ++shot) {
        watch.start(pixel, qRgb(0, 0, 0));
        helper.executeSuccessResponse(screen);
        const ScreenPixelWatch::Sighting sighting = watch.stop();
        // Seen, and not gone before its time: the bracket is never shorter than the stay.
        if (sighting.seen && sighting.atMostMs >= AbstractCaptureScreenAction::FlashMs)
            ++onScreen;
        shots.append(sighting.seen ? QStringLiteral("%1-%2 ms").arg(sighting.atLeastMs).arg(sighting.atMostMs)
                                   : QStringLiteral("not seen in %1 looks").arg(sighting.polls));
        // Each snapshot starts from the desktop, so no flash is counted twice.
        QTRY_COMPARE_WITH_TIMEOUT(watch.read(pixel), desktopColour, 10000);
    }
    QVERIFY2(onScreen == 10, qPrintable(QStringLiteral("flashes on screen: ") + shots.join(QStringLiteral(", "))));
}

QTEST_MAIN(TestCaptureFlash)
#include "tst_common_captureflash.moc"
