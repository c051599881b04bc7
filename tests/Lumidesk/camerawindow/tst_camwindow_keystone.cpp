#include "camwindowfixture.h"
#include "keystonepictures.h"

#include "camerawindow/capturemodemenu.h"
#include "camerawindow/keystonealgorithm.h"
#include "camerawindow/keystonewidget.h"
#include "capture/qorvcapturesession.h"
#include "popupbutton.h"
#include "simulated/simulatedframegenerator.h"

#include <QDateTime>
#include <QDir>
#include <QRegularExpression>
#include <QImage>
#include <QSettings>
#include <QStandardPaths>
#include <QToolButton>

#include <atomic>

using namespace camwindow;

namespace {

QString pictureFolder()
{
    return QStandardPaths::standardLocations(QStandardPaths::DocumentsLocation).first()
           + QStringLiteral("/Qorv/Tivlo/Picture");
}

void rememberFormat(int width, int height)
{
    QSettings settings(_GUID_SETTING_INI, QSettings::IniFormat);
    settings.setValue(QStringLiteral("Resolution/FirstWidth"), width);
    settings.setValue(QStringLiteral("Resolution/FirstHeight"), height);
}

// Chooses a mode the way a user does: the mode button, then the mode's entry in the pop-up; without
// a mode button, as the phone switches it.
void chooseMode(CameraMainWidget &window, int mode)
{
    if (!window.btnSwitch->isVisibleTo(&window)) {
        window.switchCaptureMode(mode);
        return;
    }
    window.btnSwitch->click();
    CaptureModeMenu *menu = window.captureModeMenu();
    QVERIFY(menu->isVisible());
    QVERIFY(menu->offeredModes().contains(mode));
    menu->button(mode)->findChild<QToolButton *>()->click();
    QVERIFY(!menu->isVisible());
}

QStringList pictures()
{
    return QDir(pictureFolder()).entryList({QStringLiteral("Pic*.jpg")}, QDir::Files, QDir::Name);
}

QImage loadPicture(const QString &name)
{
    QImage image;
    // The plain snapshot is written on the capture queue.
    (void)QTest::qWaitFor([&] { return image.load(QDir(pictureFolder()).filePath(name), "JPG"); }, 30000);
    return image;
}

} // namespace

// The camera window's capture modes: which are offered, keystone mode finding the simulated camera's
// page, and the keystone snapshot.
class TestCamWindowKeyStone : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void modesOfferedByCameraAndFormat_data();
    void modesOfferedByCameraAndFormat();
    void keystoneModeFindsTheSimulatedPage_data();
    void keystoneModeFindsTheSimulatedPage();
    void keystoneSnapshotWithoutAPageIsPlain();
    void leavingKeystoneStopsTheOverlayAndTheFrames();
    void singleModeEndsOnlyAHighQualityMode();

private:
    std::unique_ptr<CameraMainWidget> openWindow(quint16 product);
    QSharedPointer<SimulatedCamera> m_camera;
};

void TestCamWindowKeyStone::initTestCase()
{
    platform::PlatformBackend::select(platform::PlatformBackend::Simulated);
    QVERIFY(DocCamManager::getDocCamManager());
}

void TestCamWindowKeyStone::init()
{
    QFile::remove(_GUID_SETTING_INI);
    QDir(pictureFolder()).removeRecursively();
}

std::unique_ptr<CameraMainWidget> TestCamWindowKeyStone::openWindow(quint16 product)
{
    m_camera = makeCamera(0, product, QStringLiteral("Doc"));
    plugOnly({m_camera});
    auto window = makeWindow();
    window->comboBoxSource->setCurrentIndex(1);
    return window;
}

void TestCamWindowKeyStone::modesOfferedByCameraAndFormat_data()
{
    QTest::addColumn<quint16>("product");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<bool>("modeButton");
    QTest::addColumn<QList<int>>("offered");
    // 0x0701 answers that it takes high-quality pictures; 0x0815 does not, and has no mode button
    // (its keystone mode is the phone's to choose).
    QTest::newRow("camera without HQ capture") << quint16(0x0815) << 1920 << 1080 << false << QList<int>{0, 1};
    QTest::newRow("camera with HQ capture") << quint16(0x0701) << 1920 << 1080 << true << QList<int>{0, 1, 2};
    QTest::newRow("camera with HQ capture at 4K") << quint16(0x0701) << 3840 << 2160 << false << QList<int>{0, 1};
}

void TestCamWindowKeyStone::modesOfferedByCameraAndFormat()
{
    QFETCH(quint16, product);
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(bool, modeButton);
    QFETCH(QList<int>, offered);
    rememberFormat(width, height);
    auto window = openWindow(product);
    QVERIFY(window->getSourceCamera());
    QCOMPARE(window->getSourceCamera()->getActiveFormat().width, width);
    QCOMPARE(window->offeredCaptureModes(), offered);
    QCOMPARE(window->btnSwitch->isVisibleTo(window.get()), modeButton);
    QCOMPARE(window->btnCapture->width(), modeButton ? 91 : 116);

    QSignalSpy sent(window.get(), &CameraMainWidget::SendToClient);
    window->switchCaptureMode(CameraMainWidget::HQCapture);
    const bool hq = offered.contains(CameraMainWidget::HQCapture);
    QCOMPARE(window->getCaptureMode(), hq ? 2 : 0);
    QCOMPARE(window->btnHQCapture->isVisibleTo(window.get()), hq);
    QCOMPARE(window->btnCapture->isVisibleTo(window.get()), !hq);
    QCOMPARE(sentInts(sent, CameraMainWidget::CaptureModeId), (QList<QList<qint32>>{{hq ? 2 : 0}}));
    if (!modeButton)
        return;

    // The pop-up offers the other modes; choosing one switches to it.
    window->switchCaptureMode(CameraMainWidget::NormalCapture);
    window->btnSwitch->click();
    QList<int> others = offered;
    others.removeAll(0);
    QCOMPARE(window->captureModeMenu()->offeredModes(), others);
    const QPoint below = window->btnCapture->mapToGlobal(QPoint(0, window->btnCapture->height()));
    // Where the window system puts it, give or take its frame.
    QVERIFY((window->captureModeMenu()->pos() - below).manhattanLength() <= 4);
    window->captureModeMenu()->hide();
    chooseMode(*window, CameraMainWidget::KeyStoneCapture);
    QCOMPARE(window->getCaptureMode(), 1);
    QVERIFY(window->btnKeyStone->isVisibleTo(window.get()));
    QVERIFY(!window->btnCapture->isVisibleTo(window.get()));
    QVERIFY(window->keyStone()->isKeyStoneShown());
    window->btnSwitch->click();
    QVERIFY(!window->captureModeMenu()->offeredModes().contains(1));
    window->captureModeMenu()->hide();
    // An unknown mode changes nothing.
    window->switchCaptureMode(7);
    QCOMPARE(window->getCaptureMode(), 1);
    QVERIFY(window->btnKeyStone->isVisibleTo(window.get()));
    window->switchCaptureMode(CameraMainWidget::NormalCapture);
}

void TestCamWindowKeyStone::keystoneModeFindsTheSimulatedPage_data()
{
    QTest::addColumn<quint16>("product");
    QTest::newRow("first simulated camera") << quint16(platform::SimulatedCameras::FirstProductId);
    QTest::newRow("second simulated camera") << quint16(platform::SimulatedCameras::SecondProductId);
}

void TestCamWindowKeyStone::keystoneModeFindsTheSimulatedPage()
{
    QFETCH(quint16, product);
    // At the size the window opens the camera with.
    auto window = openWindow(product);
    QVERIFY(window->getSourceCamera());
    const VideoFormat active = window->getSourceCamera()->getActiveFormat();
    const QSize frame(int(active.width), int(active.height));
    QSignalSpy sent(window.get(), &CameraMainWidget::SendToClient);
    chooseMode(*window, CameraMainWidget::KeyStoneCapture);
    QCOMPARE(sentInts(sent, CameraMainWidget::CaptureModeId), (QList<QList<qint32>>{{1}}));

    // The outline appears once the detection has seen 2 x rate frames.
    KeyStoneWidget *overlay = window->keyStone();
    QTRY_VERIFY_WITH_TIMEOUT(!overlay->outline().isEmpty(), 15000);
    QCOMPARE(overlay->sampleSize(), frame);
    const QPolygonF page = platform::SimulatedFrameGenerator::pageCorners(frame);
    // Each corner within 1 % of the frame's diagonal of the page's own, in the widget's pixels (a
    // pixel more for the rounding of the drawing).
    const double scale = std::min(double(overlay->width()) / frame.width(), double(overlay->height()) / frame.height());
    const double allowed = 0.01 * std::hypot(frame.width(), frame.height()) * scale + 1;
    // The first outlines can come from frames seen while the window still settled (a loaded machine
    // drops some); the outline must reach the page and stay there.
    const auto misplacedCorner = [&]() -> QString {
        const QPolygon shown = overlay->outline();
        if (shown.size() != 4)
            return QStringLiteral("no outline");
        for (int i = 0; i < 4; ++i) {
            const QPoint expected = KeyStoneWidget::mapToWidget(page.at(i).toPoint(), overlay->size(), frame);
            if (QLineF(shown.at(i), expected).length() > allowed)
                return QStringLiteral("corner %1 shown at (%2, %3), page at (%4, %5), %6 allowed")
                    .arg(i)
                    .arg(shown.at(i).x())
                    .arg(shown.at(i).y())
                    .arg(expected.x())
                    .arg(expected.y())
                    .arg(allowed);
        }
        return QString();
    };
    QTRY_VERIFY2_WITH_TIMEOUT(misplacedCorner().isEmpty(), qPrintable(misplacedCorner()), 15000);
    // Watched over the detection's next two outlines (it reports one every two seconds of frames): each
    // one shown is the page's. A detection that
    // falls behind (a loaded machine) clears it for a moment, as it lowers its rate, and finds the page
    // again. The check runs after the overlay took each outline: its connection was made first.
    int outlines = 0;
    QString wrongOutline;
    const QMetaObject::Connection watch = connect(overlay->algorithm(), &KeyStoneAlgorithm::updatePolygonPoints, overlay, [&] {
        ++outlines;
        const QString misplaced = misplacedCorner();
        if (wrongOutline.isEmpty() && !misplaced.isEmpty() && misplaced != QLatin1String("no outline"))
            wrongOutline = misplaced;
    });
    const bool watched = QTest::qWaitFor([&] { return outlines >= 2 || !wrongOutline.isEmpty(); }, 30000);
    disconnect(watch);
    QVERIFY2(wrongOutline.isEmpty(), qPrintable(wrongOutline));
    QVERIFY2(watched, qPrintable(QStringLiteral("%1 of 2 outlines in 30 s").arg(outlines)));
    QTRY_VERIFY2_WITH_TIMEOUT(misplacedCorner().isEmpty(), qPrintable(misplacedCorner()), 15000);

    // The snapshots are of the page outlined now: the detection gets no more frames meanwhile, so a
    // loaded machine catching up cannot clear the outline between the look and the click.
    for (int attempt = 0; ; ++attempt) {
        QVERIFY(attempt < 20);
        QTRY_VERIFY2_WITH_TIMEOUT(misplacedCorner().isEmpty(), qPrintable(misplacedCorner()), 15000);
        window->captureSession()->enableBGRFrameExport(false, 1);
        QTRY_COMPARE(overlay->algorithm()->queuedFrames(), 0);
        QVERIFY(drainQueued());
        if (misplacedCorner().isEmpty())
            break;
        window->captureSession()->enableBGRFrameExport(true, unsigned(window->keyStoneRate()));
    }

    // Pictures already taken under the names of these seconds are never replaced: each keystone
    // snapshot gets a name of its own, the straightened page.
    QDir().mkpath(pictureFolder());
    const QDateTime now = QDateTime::currentDateTime();
    QStringList earlier;
    for (int second = -1; second <= 60; ++second) {
        const QString name = QStringLiteral("Pic") + now.addSecs(second).toString(QStringLiteral("MM-dd-yy_hhmmss"))
                             + QStringLiteral(".jpg");
        QFile file(QDir(pictureFolder()).filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("taken before");
        earlier.append(name);
    }
    window->btnKeyStone->click();
    window->btnKeyStone->click();
    // The pictures are written off the GUI thread.
    const auto newPictures = [&]() {
        QStringList files = pictures();
        for (const QString &name : earlier)
            files.removeAll(name);
        return files;
    };
    QTRY_COMPARE(newPictures().size(), 2);
    const QStringList files = newPictures();
    for (const QString &name : earlier) {
        QFile file(QDir(pictureFolder()).filePath(name));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("taken before"));
    }
    for (const QString &file : files)
        QVERIFY2(file.contains(QRegularExpression(QStringLiteral("^Pic\\d\\d-\\d\\d-\\d\\d_\\d{6}-\\d+\\.jpg$"))), qPrintable(file));
    const double width = (QLineF(page.at(0), page.at(1)).length() + QLineF(page.at(3), page.at(2)).length()) / 2;
    const double height = (QLineF(page.at(0), page.at(3)).length() + QLineF(page.at(1), page.at(2)).length()) / 2;
    for (const QString &file : files) {
        const QImage image = loadPicture(file);
        QVERIFY(!image.isNull());
        QVERIFY2(std::abs(image.width() - width) <= 12 && std::abs(image.height() - height) <= 12,
                 qPrintable(QStringLiteral("%1: %2 x %3 for a page of %4 x %5")
                                .arg(file)
                                .arg(image.width())
                                .arg(image.height())
                                .arg(width)
                                .arg(height)));
        // The page is white paper: its middle is light.
        QVERIFY(qGray(image.pixel(image.width() / 2, image.height() / 25)) > 200);
        // And upright: its lines of print run straight across.
        const QList<double> slants = keystonepictures::printSlants(image);
        QVERIFY2(slants.size() >= 10, qPrintable(QString::number(slants.size())));
        for (double slant : slants)
            QVERIFY2(std::abs(slant) <= 1.0, qPrintable(QStringLiteral("%1: print slants %2 degrees").arg(file).arg(slant)));
    }
}

void TestCamWindowKeyStone::keystoneSnapshotWithoutAPageIsPlain()
{
    rememberFormat(1280, 720);
    auto window = openWindow(0x0815);
    window->switchCaptureMode(CameraMainWidget::KeyStoneCapture);
    // Nothing outlined yet: the snapshot is the whole picture, under the same kind of name.
    window->doKeystoneCapture();
    QTRY_COMPARE_WITH_TIMEOUT(pictures().size(), 1, 10000);
    QCOMPARE(loadPicture(pictures().first()).size(), QSize(1280, 720));
}

void TestCamWindowKeyStone::leavingKeystoneStopsTheOverlayAndTheFrames()
{
    rememberFormat(640, 480);
    auto window = openWindow(0x0815);
    std::atomic<int> frames{0};
    connect(window->captureSession(), &QorvCaptureSession::BGRFrameReceived, window.get(),
            [&frames](void *, uint32_t, uint16_t, uint16_t) { ++frames; }, Qt::DirectConnection);
    // As many camera frames as would carry a few exported ones.
    QVERIFY(waitForFrames(*window, 30));
    QCOMPARE(frames.load(), 0);
    window->switchCaptureMode(CameraMainWidget::KeyStoneCapture);
    QTRY_VERIFY(frames.load() > 3);
    QVERIFY(window->keyStone()->algorithm()->isRunning());

    // The detection's rate changes reach the window.
    emit window->keyStone()->algorithm()->updateFps(4);
    QTRY_COMPARE(window->keyStoneRate(), 4);

    window->switchCaptureMode(CameraMainWidget::NormalCapture);
    QVERIFY(!window->keyStone()->isKeyStoneShown());
    QVERIFY(window->keyStone()->outline().isEmpty());
    QTRY_VERIFY(!window->keyStone()->algorithm()->isRunning());
    const int after = frames.load();
    QVERIFY(waitForFrames(*window, 30));
    QCOMPARE(frames.load(), after);

    // Closing in keystone mode leaves it as well.
    window->switchCaptureMode(CameraMainWidget::KeyStoneCapture);
    QVERIFY(window->keyStone()->algorithm()->isRunning());
    window->closeCameraWidget();
    QCOMPARE(window->getCaptureMode(), 0);
    QVERIFY(!window->keyStone()->isKeyStoneShown());
    QTRY_VERIFY(!window->keyStone()->algorithm()->isRunning());
}

// A format too wide for high-quality pictures gives the wide snapshot button without the mode button:
// a high-quality mode gives way to plain snapshots, a keystone mode in use goes on.
void TestCamWindowKeyStone::singleModeEndsOnlyAHighQualityMode()
{
    rememberFormat(1920, 1080);
    auto window = openWindow(0x0701);
    GeneralCamera *camera = window->getSourceCamera();
    QVERIFY(window->btnSwitch->isVisibleTo(window.get()));
    const auto toFormat = [camera](int width) {
        const QList<VideoFormat> formats = camera->getVideFormats();
        for (const VideoFormat &format : formats) {
            if (format.codecType == 6 && format.width == width && format.frameRates.contains(30u))
                return qint32(camera->setActiveFormat(format.index, 30)) >= 0;
        }
        return false;
    };

    chooseMode(*window, CameraMainWidget::KeyStoneCapture);
    QVERIFY(toFormat(3840));
    window->updatePreferFormat();
    QVERIFY(!window->btnSwitch->isVisibleTo(window.get()));
    QCOMPARE(window->btnCapture->width(), 116);
    QCOMPARE(window->getCaptureMode(), int(CameraMainWidget::KeyStoneCapture));
    QVERIFY(window->btnKeyStone->isVisibleTo(window.get()));
    QVERIFY(window->keyStone()->isKeyStoneShown());

    window->switchCaptureMode(CameraMainWidget::NormalCapture);
    QVERIFY(toFormat(1920));
    window->updatePreferFormat();
    QVERIFY(window->btnSwitch->isVisibleTo(window.get()));
    chooseMode(*window, CameraMainWidget::HQCapture);
    QCOMPARE(window->getCaptureMode(), int(CameraMainWidget::HQCapture));
    QSignalSpy sent(window.get(), &CameraMainWidget::SendToClient);
    QVERIFY(toFormat(3840));
    window->updatePreferFormat();
    QCOMPARE(window->getCaptureMode(), int(CameraMainWidget::NormalCapture));
    QVERIFY(window->btnCapture->isVisibleTo(window.get()));
    QVERIFY(!window->btnHQCapture->isVisibleTo(window.get()));
    QCOMPARE(sentInts(sent, CameraMainWidget::CaptureModeId), (QList<QList<qint32>>{{0}}));
}

QTEST_MAIN(TestCamWindowKeyStone)
#include "tst_camwindow_keystone.moc"
