#include "abstractcapturescreenaction.h"
#include "captureaction.h"
#include "captureareascreenwidget.h"
#include "skindockwidget.h"

#include "core/platformbackend.h"
#include "flashwatch.h"
#include "screen/shooter/screenshooter.h"
#include "screen/shooter/simulated/simulatedscreenshooter.h"
#include "waitpast.h"

#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QProcess>
#include <QScreen>
#include <QSignalSpy>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <algorithm>
#include <functional>

using namespace drawlet::ui;
using platform::PlatformBackend;
using platform::ScreenShooter;
using platform::SimulatedScreenShooter;

namespace {

const QColor Blue(20, 60, 200);
const QColor Yellow(250, 220, 0);

// Acts on the capture overlay once it is up: the capture shows it inside its own event loop.
class PickerDriver : public QObject
{
public:
    explicit PickerDriver(std::function<void(QWindow *)> act)
        : m_act(std::move(act))
    {
        startTimer(10);
    }

protected:
    void timerEvent(QTimerEvent *event) override
    {
        const QList<QWindow *> windows = QGuiApplication::topLevelWindows();
        const auto picker = std::find_if(windows.begin(), windows.end(), [](QWindow *window) {
            return window->objectName() == QLatin1String(ScreenShooter::PickerName) && window->isExposed();
        });
        if (picker == windows.end())
            return;
        killTimer(event->timerId());
        m_act(*picker);
    }

private:
    std::function<void(QWindow *)> m_act;
};

// Closes every warning box that comes up and keeps its text.
class WarningCatcher : public QObject
{
public:
    WarningCatcher()
    {
        connect(&m_poll, &QTimer::timeout, this, [this] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                texts << box->text();
                box->accept();
            }
        });
        m_poll.start(10);
    }
    QStringList texts;

private:
    QTimer m_poll;
};

QStringList pictures()
{
    return QDir(AbstractCaptureScreenAction::defaultPath()).entryList({QStringLiteral("*.png")}, QDir::Files, QDir::Name);
}

} // namespace

class TestDrawletCapture : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();
    void fullScreenIntoThePictureFolder();
    void everyFlashReachesTheScreen();
    void twoCapturesInOneSecond();
    void givingUpLeavesNoFileAndNoBox();
    void folderThatCannotBeMade();
    void failedShot();
    void areaOverlayRectangles_data();
    void areaOverlayRectangles();

private:
    QToolButton *button(int index) { return m_capture->getCaptureButtons().at(index); }

    QProcess m_pattern;
    QWidget *m_frame = nullptr;
    QToolButton *m_owner = nullptr;
    CaptureAction *m_capture = nullptr;
};

void TestDrawletCapture::initTestCase()
{
    PlatformBackend::select(PlatformBackend::Linux);
    // A known pattern on the display: blue, a yellow square 40 x 40 at (20, 20).
    m_pattern.start(QCoreApplication::applicationDirPath() + QStringLiteral("/tst_screen_patternwindow"),
                    {"100", "100", "400", "300"});
    QVERIFY(m_pattern.waitForStarted());
    QByteArray output;
    QTRY_VERIFY_WITH_TIMEOUT((output += m_pattern.readAllStandardOutput()).contains("ready"), 10000);
    QCursor::setPos(5, 5);
    AbstractCaptureScreenAction::setClock([] { return QDateTime(QDate(2024, 1, 31), QTime(9, 30, 5)); });
}

void TestDrawletCapture::cleanupTestCase()
{
    m_pattern.kill();
    m_pattern.waitForFinished();
}

void TestDrawletCapture::init()
{
    // The toolbar frame: out of the pattern's way.
    m_frame = new QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint);
    m_frame->setGeometry(1500, 0, 300, 56);
    m_owner = new QToolButton(m_frame);
    m_capture = new CaptureAction(QStringLiteral(":/resource/skin/bg_capture.png"), m_frame, m_owner, nullptr);
    m_frame->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_frame));
}

void TestDrawletCapture::cleanup()
{
    delete m_capture;
    delete m_frame;
    QDir(QDir::homePath() + QStringLiteral("/Documents/Qorv")).removeRecursively();
    QFile::remove(QDir::homePath() + QStringLiteral("/Documents/Qorv"));
}

void TestDrawletCapture::fullScreenIntoThePictureFolder()
{
    QSignalSpy clicked(m_capture, &CaptureAction::captureClicked);
    QSignalSpy finished(m_capture, &CaptureAction::captureFinished);
    WarningCatcher warnings;
    QCOMPARE(AbstractCaptureScreenAction::defaultPath(), QDir::homePath() + QStringLiteral("/Documents/Qorv/Tivlo/Picture"));
    m_capture->getSkin()->show();
    button(0)->click();

    QCOMPARE(clicked.size(), 1);
    QCOMPARE(finished.size(), 1);
    QVERIFY(warnings.texts.isEmpty());
    QVERIFY(m_frame->isVisible());
    QVERIFY(!m_capture->getSkin()->isVisible());
    QCOMPARE(pictures(), QStringList({"20240131093005.png"}));
    const QImage image(AbstractCaptureScreenAction::defaultPath() + QStringLiteral("/20240131093005.png"));
    QCOMPARE(image.size(), QSize(1920, 1080));
    QCOMPARE(QColor(image.pixel(110, 110)), Blue);
    QCOMPARE(QColor(image.pixel(130, 130)), Yellow);
}

void TestDrawletCapture::everyFlashReachesTheScreen()
{
    FlashWatch flashes;
    QVERIFY(flashes.open());
    WarningCatcher warnings;
    QStringList seen;
    const int onScreen = flashes.flashesOnScreen(10, AbstractCaptureScreenAction::FlashMs,
                                                 [this] { button(0)->click(); }, &seen);
    QVERIFY(warnings.texts.isEmpty());
    QCOMPARE(pictures().size(), 10);
    QVERIFY2(onScreen == 10, qPrintable(QStringLiteral("flashes on screen: ") + seen.join(QStringLiteral(", "))));
}

void TestDrawletCapture::twoCapturesInOneSecond()
{
    WarningCatcher warnings;
    button(0)->click();
    PickerDriver driver([](QWindow *picker) {
        QTest::mousePress(picker, Qt::LeftButton, {}, QPoint(120, 120));
        QTest::mouseMove(picker, QPoint(220, 170));
        QTest::mouseRelease(picker, Qt::LeftButton, {}, QPoint(220, 170));
    });
    button(2)->click();
    QVERIFY(warnings.texts.isEmpty());
    QCOMPARE(pictures(), QStringList({"20240131093005-2.png", "20240131093005.png"}));
    const QImage area(AbstractCaptureScreenAction::defaultPath() + QStringLiteral("/20240131093005-2.png"));
    QCOMPARE(area.size(), QSize(100, 50));
    QCOMPARE(QColor(area.pixel(0, 0)), Yellow);
    QCOMPARE(QColor(area.pixel(60, 10)), Blue);
}

void TestDrawletCapture::givingUpLeavesNoFileAndNoBox()
{
    QSignalSpy finished(m_capture, &CaptureAction::captureFinished);
    WarningCatcher warnings;
    bool frameHiddenWhileChoosing = false;
    PickerDriver driver([&](QWindow *picker) {
        frameHiddenWhileChoosing = !m_frame->isVisible();
        QTest::keyClick(picker, Qt::Key_Escape);
    });
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^user give up: \\[ 256: .*\\]\nparamter: \\[xi \\] $")));
    button(2)->click();
    QVERIFY(frameHiddenWhileChoosing);
    QCOMPARE(finished.size(), 1);
    QVERIFY(pictures().isEmpty());
    QVERIFY(waitPast(100)); // the warning catcher has looked several times
    QVERIFY(warnings.texts.isEmpty());
    QVERIFY(m_frame->isVisible());
}

void TestDrawletCapture::folderThatCannotBeMade()
{
    // "Documents/Qorv" is a file: the picture folder cannot be made under it.
    QFile blocker(QDir::homePath() + QStringLiteral("/Documents/Qorv"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    QSignalSpy finished(m_capture, &CaptureAction::captureFinished);
    WarningCatcher warnings;
    button(0)->click();
    QCOMPARE(warnings.texts, QStringList({"Can't save file."}));
    QCOMPARE(finished.size(), 1);
    QVERIFY(m_frame->isVisible());
}

void TestDrawletCapture::failedShot()
{
    PlatformBackend::select(PlatformBackend::Simulated);
    SimulatedScreenShooter::setFailing(true);
    QSignalSpy finished(m_capture, &CaptureAction::captureFinished);
    WarningCatcher warnings;
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^failed to use screencaptrue : \\[ 512: .*")));
    button(1)->click();
    SimulatedScreenShooter::setFailing(false);
    PlatformBackend::select(PlatformBackend::Linux);
    QCOMPARE(warnings.texts, QStringList({"Can't save file."}));
    QCOMPARE(finished.size(), 1);
    QVERIFY(pictures().isEmpty());
}

void TestDrawletCapture::areaOverlayRectangles_data()
{
    QTest::addColumn<QPoint>("start");
    QTest::addColumn<QPoint>("end");
    QTest::addColumn<QRect>("scope");

    QTest::newRow("down right") << QPoint(10, 20) << QPoint(110, 70) << QRect(10, 20, 100, 50);
    QTest::newRow("up left") << QPoint(110, 70) << QPoint(10, 20) << QRect(10, 20, 100, 50);
    QTest::newRow("up right") << QPoint(10, 70) << QPoint(110, 20) << QRect(10, 20, 100, 50);
    QTest::newRow("down left") << QPoint(110, 20) << QPoint(10, 70) << QRect(10, 20, 100, 50);
    QTest::newRow("a click: null") << QPoint(40, 40) << QPoint(40, 40) << QRect();
    QTest::newRow("same row: null") << QPoint(10, 40) << QPoint(90, 40) << QRect();
}

void TestDrawletCapture::areaOverlayRectangles()
{
    QFETCH(QPoint, start);
    QFETCH(QPoint, end);
    QFETCH(QRect, scope);
    CaptureAreaScreenWidget overlay;
    QSignalSpy captured(&overlay, &AbstractCaptureWidget::screenCaptured);
    QSignalSpy cancelled(&overlay, &AbstractCaptureWidget::captureCanceled);
    overlay.show();
    QTest::mousePress(&overlay, Qt::LeftButton, {}, start);
    QTest::mouseMove(&overlay, end);
    QTest::mouseRelease(&overlay, Qt::LeftButton, {}, end);
    QCOMPARE(captured.size(), 1);
    QCOMPARE(captured.at(0).at(1).toRect(), scope);
    QCOMPARE(CaptureAreaScreenWidget::coordinateCorrecte(start, end), scope);
    QVERIFY(!overlay.isVisible());

    overlay.show();
    QTest::mouseClick(&overlay, Qt::RightButton, {}, start);
    QCOMPARE(cancelled.size(), 1);
}

QTEST_MAIN(TestDrawletCapture)
#include "tst_drawlet_capture.moc"
