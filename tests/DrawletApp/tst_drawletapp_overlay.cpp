// The overlay window on a real X server (Xvfb, which runs no compositing manager): its geometry and
// window flags, clicks passing through it in mouse mode, and what stands in for see-through drawing
// without a compositor: a still of the desktop behind desktop annotation, and in mouse mode a window
// cut down to the annotations.
#include "drawletappfixture.h"

#include "annotationeditor.h"
#include "annotationscene.h"
#include "desktopbackdrop.h"
#include "multiskindockwidget.h"
#include "qorvgraphicstextitem.h"
#include "textstylewidget.h"

#include <QPainter>
#include <QProcess>
#include <QScreen>
#include <QSignalSpy>
#include <QToolButton>
#include <QWindow>
#include <QtTest>

using drawlet::application::DesktopBackdrop;
using drawlet::application::DrawletApp;

namespace {

// Another program's window under the overlay: a block of one colour that counts the clicks it gets.
class DesktopWindow : public QWidget
{
public:
    DesktopWindow()
    {
        setWindowFlags(Qt::FramelessWindowHint);
        setGeometry(300, 300, 400, 300);
        setAutoFillBackground(true);
        QPalette colours = palette();
        colours.setColor(QPalette::Window, QColor(0, 160, 0));
        setPalette(colours);
    }
    int clicks = 0;

protected:
    void mousePressEvent(QMouseEvent *) override { ++clicks; }
};

QColor screenPixel(const QPoint &point)
{
    const QImage screen = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
    return screen.pixelColor(point);
}

bool click(const QPoint &point)
{
    return QProcess::execute(QStringLiteral("xdotool"),
                             {"mousemove", QString::number(point.x()), QString::number(point.y()), "click", "1"}) == 0;
}

} // namespace

class TestDrawletAppOverlay : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void coversTheScreenFramelessAndOnTop();
    void clicksPassThroughInMouseMode();
    void desktopStillWithoutACompositor();
    void mouseModeCutToTheAnnotations();
    void nothingOfThisWithACompositor();
    void textStylePanelOpensInPlaceTheFirstTime();

private:
    // Hands the screen over and waits until the overlay shows and the X server has it all.
    static void takeScreen(DrawletApp *window)
    {
        window->moveWindowLocationForLumideskHidedSlot(700, 0);
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QVERIFY(QTest::qWaitForWindowExposed(window->toolbarFrame()));
        QGuiApplication::sync();
    }
    // Clicks where the overlay lies and waits until its editor got the press, which proves that the
    // window below got nothing.
    static bool clickTakenByTheOverlay(DrawletApp *window, const QPoint &point)
    {
        QSignalSpy pressed(window->editor(), &drawlet::ui::AnnotationEditor::mouseClick);
        return click(point) && (pressed.count() > 0 || pressed.wait(10000));
    }

    std::unique_ptr<DesktopWindow> m_desktop;
};

void TestDrawletAppOverlay::init()
{
    DesktopBackdrop::setCompositingOverride(-1);
    m_desktop = std::make_unique<DesktopWindow>();
    m_desktop->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_desktop.get()));
}

void TestDrawletAppOverlay::cleanup()
{
    m_desktop.reset();
    DesktopBackdrop::setCompositingOverride(-1);
}

void TestDrawletAppOverlay::coversTheScreenFramelessAndOnTop()
{
    auto window = makeWindow();
    // What the program's start does: only the position takes.
    window->setGeometry(0, 0, 1024, 768);
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    QCOMPARE(window->size(), QSize(screen.width(), screen.height() - 1));
    QCOMPARE(window->minimumSize(), window->maximumSize());
    QCOMPARE(window->pos(), QPoint(0, 0));
    QVERIFY(window->testAttribute(Qt::WA_TranslucentBackground));
    QVERIFY(!window->isVisible());

    takeScreen(window.get());
    const Qt::WindowFlags flags = window->windowHandle()->flags();
    QVERIFY(flags.testFlag(Qt::FramelessWindowHint));
    QVERIFY(flags.testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(!flags.testFlag(Qt::WindowTransparentForInput));
    const Qt::WindowFlags frameFlags = window->toolbarFrame()->windowHandle()->flags();
    QVERIFY(frameFlags.testFlag(Qt::Tool) && frameFlags.testFlag(Qt::FramelessWindowHint)
            && frameFlags.testFlag(Qt::WindowStaysOnTopHint));
    QCOMPARE(window->geometry(), QRect(0, 0, screen.width(), screen.height() - 1));
}

void TestDrawletAppOverlay::clicksPassThroughInMouseMode()
{
    auto window = makeWindow();
    takeScreen(window.get());
    // Drawing over the desktop: the overlay takes the click.
    QVERIFY(clickTakenByTheOverlay(window.get(), {500, 450}));
    QCOMPARE(m_desktop->clicks, 0);

    // The click goes out only once the X server has the overlay's new input region.
    toolButton(window.get(), "mouseModeButton")->click();
    QVERIFY(window->windowHandle()->flags().testFlag(Qt::WindowTransparentForInput));
    QGuiApplication::sync();
    QVERIFY(click({500, 450}));
    QTRY_COMPARE_WITH_TIMEOUT(m_desktop->clicks, 1, 10000);

    // A drawing tool makes the overlay take the clicks again, once it has a new still of the desktop
    // and covers it whole again.
    toolButton(window.get(), "freehandButton")->click();
    QVERIFY(!window->windowHandle()->flags().testFlag(Qt::WindowTransparentForInput));
    QTRY_VERIFY_WITH_TIMEOUT(!window->backdrop()->isCapturing() && window->mask().isEmpty(), 10000);
    QGuiApplication::sync();
    QVERIFY(clickTakenByTheOverlay(window.get(), {500, 450}));
    QCOMPARE(m_desktop->clicks, 1);
}

void TestDrawletAppOverlay::desktopStillWithoutACompositor()
{
    QVERIFY(DesktopBackdrop::needed());
    auto window = makeWindow();
    window->desktopScene()->addRect(QRectF(320, 320, 40, 40), QPen(Qt::NoPen), QBrush(Qt::blue));
    takeScreen(window.get());
    QTRY_VERIFY(!window->backdrop()->isCapturing());
    QVERIFY(!window->backdrop()->image().isNull());
    // The desktop shows under the drawing, not black, and the overlay is not cut.
    QCOMPARE(screenPixel({500, 450}), QColor(0, 160, 0));
    QCOMPARE(screenPixel({340, 340}), QColor(Qt::blue));
    QVERIFY(window->mask().isEmpty());
    // The whiteboard covers the still.
    toolButton(window.get(), "whiteboardButton")->click();
    QTRY_COMPARE(screenPixel({500, 450}), QColor(Qt::white));
}

void TestDrawletAppOverlay::mouseModeCutToTheAnnotations()
{
    auto window = makeWindow();
    takeScreen(window.get());
    toolButton(window.get(), "mouseModeButton")->click();
    window->desktopScene()->addRect(QRectF(1000, 500, 60, 60), QPen(Qt::NoPen), QBrush(Qt::blue));
    // Half-transparent, as a highlighter stroke is.
    window->desktopScene()->addRect(QRectF(1200, 500, 60, 60), QPen(Qt::NoPen), QBrush(QColor(255, 0, 0, 127)));
    QTRY_VERIFY(window->mask().contains(QPoint(1030, 530)));
    QTRY_VERIFY(window->mask().contains(QPoint(1230, 530)));
    QVERIFY(!window->mask().contains(QPoint(500, 450)));
    QTRY_COMPARE(screenPixel({1030, 530}), QColor(Qt::blue));

    // The desktop changes underneath: it is seen live around the drawing.
    QPalette colours = m_desktop->palette();
    colours.setColor(QPalette::Window, QColor(200, 200, 0));
    m_desktop->setPalette(colours);
    m_desktop->update();
    QTRY_COMPARE(screenPixel({500, 450}), QColor(200, 200, 0));

    // Back to drawing: a new still of the desktop as it is now.
    toolButton(window.get(), "freehandButton")->click();
    QTRY_VERIFY(!window->backdrop()->isCapturing());
    QTRY_VERIFY(window->mask().isEmpty());
    QTRY_COMPARE(screenPixel({500, 450}), QColor(200, 200, 0));
    QTRY_COMPARE(screenPixel({1030, 530}), QColor(Qt::blue));
}

void TestDrawletAppOverlay::nothingOfThisWithACompositor()
{
    DesktopBackdrop::setCompositingOverride(1);
    auto window = makeWindow();
    takeScreen(window.get());
    QVERIFY(window->backdrop()->image().isNull());
    toolButton(window.get(), "mouseModeButton")->click();
    QSignalSpy changed(window->desktopScene(), &QGraphicsScene::changed);
    window->desktopScene()->addRect(QRectF(1000, 500, 60, 60), QPen(Qt::NoPen), QBrush(Qt::blue));
    // The change has been taken in; a cut would follow it within a few milliseconds.
    QVERIFY(changed.wait(10000));
    QVERIFY(!QTest::qWaitFor([&] { return !window->mask().isEmpty(); }, 2000));
}

// The panel beside a text being typed, shown for the first time once the toolbar frame is on the
// screen: at its own size, ending at the screen's right edge for a text near it.
void TestDrawletAppOverlay::textStylePanelOpensInPlaceTheFirstTime()
{
    auto window = makeWindow();
    takeScreen(window.get());
    drawlet::ui::TextStyleWidget *panel = window->textStylePanel();
    QVERIFY(panel->isHidden());

    drawlet::ui::QorvGraphicsTextItem text;
    panel->showTextStyleWidget(QPoint(1800, 500), &text);
    const QRect expected(1920 - 349, 500 - 58, 349, 58);
    QCOMPARE(panel->geometry(), expected);
    QVERIFY(QTest::qWaitForWindowExposed(panel));
    QTRY_COMPARE(panel->windowHandle()->geometry(), expected);
}

QTEST_MAIN(TestDrawletAppOverlay)
#include "tst_drawletapp_overlay.moc"
