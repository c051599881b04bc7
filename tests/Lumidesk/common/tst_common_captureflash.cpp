// The capture flash as it reaches the screen on a bare X server: a pixel of the screen watched from an
// X connection of the test's own while snapshots flash.

#include "common/abstractcapturescreenaction.h"

#include "flashwatch.h"

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
    FlashWatch flashes;
    QVERIFY(flashes.open());
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    AbstractCaptureScreenAction helper;
    QStringList seen;
    const int onScreen = flashes.flashesOnScreen(10, AbstractCaptureScreenAction::FlashMs,
                                                 [&] { helper.executeSuccessResponse(screen); }, &seen);
    QVERIFY2(onScreen == 10, qPrintable(QStringLiteral("flashes on screen: ") + seen.join(QStringLiteral(", "))));
}

QTEST_MAIN(TestCaptureFlash)
#include "tst_common_captureflash.moc"
