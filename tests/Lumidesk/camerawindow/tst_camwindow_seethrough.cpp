#include "camwindowfixture.h"

#include "camerawindow/keystonewidget.h"
#include "camerawindow/seethroughmask.h"

#include <QGuiApplication>
#include <QImage>
#include <QScreen>

using namespace camwindow;

namespace {

// The share of pixels that are clearly not black.
double litShare(const QImage &image)
{
    int lit = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            lit += qGray(image.pixel(x, y)) > 40 ? 1 : 0;
    }
    return double(lit) / (image.width() * image.height());
}

} // namespace

// On a bare X server (Xvfb runs no compositing manager) the camera window's see-through frame must
// not be drawn black over the live picture.
class TestCamWindowSeeThrough : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void pictureShowsWithoutACompositor();
    void compositorKeepsTheTranslucentLook();
};

void TestCamWindowSeeThrough::initTestCase()
{
    platform::PlatformBackend::select(platform::PlatformBackend::Simulated);
    QVERIFY(DocCamManager::getDocCamManager());
    plugOnly({makeCamera(0, 0x0815, QStringLiteral("Doc"))});
}

void TestCamWindowSeeThrough::pictureShowsWithoutACompositor()
{
    QVERIFY(!SeeThroughMask::compositing());
    auto window = makeWindow();
    window->comboBoxSource->setCurrentIndex(1);
    QVERIFY(window->getSourceCamera());
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));

    QVERIFY(!window->mask().isEmpty());
    QVERIFY(!window->keyStone()->mask().isEmpty());
    const QRect picture(window->previewWindow()->geometry());
    const QRect middle(picture.center() - QPoint(150, 80), QSize(300, 160));
    auto screenOverPicture = [&middle] {
        return QGuiApplication::primaryScreen()
            ->grabWindow(0, middle.x(), middle.y(), middle.width(), middle.height())
            .toImage();
    };
    // Once frames are drawn into the preview, the screen shows them there.
    QTRY_VERIFY_WITH_TIMEOUT(litShare(screenOverPicture()) > 0.5, 20000);
    const QImage shown = screenOverPicture();
    const QImage preview = window->previewWindow()->grab().toImage();
    QVERIFY2(litShare(preview) > 0.5, "the preview itself shows the simulated page");
    QVERIFY2(litShare(shown) > 0.5, qPrintable(QStringLiteral("the screen shows %1 % lit over the picture")
                                                   .arg(litShare(shown) * 100)));

    // The frame and the controls stay: the top bar is drawn.
    window->showCameraWidgetContent();
    QVERIFY(window->mask().contains(window->bottomBar->mapTo(window.get(), QPoint(10, 10))));
    QVERIFY(window->mask().contains(QPoint(window->width() / 2, 10)));
    QVERIFY(!window->mask().contains(window->mapFromGlobal(picture.topLeft() + QPoint(80, 80))));
}

void TestCamWindowSeeThrough::compositorKeepsTheTranslucentLook()
{
    SeeThroughMask::setCompositingOverride(1);
    auto window = makeWindow();
    window->comboBoxSource->setCurrentIndex(1);
    window->updateSeeThrough();
    QVERIFY(window->mask().isEmpty());
    QVERIFY(window->keyStone()->mask().isEmpty());
    QVERIFY(window->testAttribute(Qt::WA_TranslucentBackground));
    SeeThroughMask::setCompositingOverride(-1);
}

QTEST_MAIN(TestCamWindowSeeThrough)
#include "tst_camwindow_seethrough.moc"
