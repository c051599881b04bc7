#include "nativewindow.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <QtTest>

#include <memory>

class TestDrawletWindow : public QObject
{
    Q_OBJECT
private slots:
    void clickThroughKeepsTheWindow();
    void resizeKeepsAnEdge_data();
    void resizeKeepsAnEdge();
    void redrawKeepsTheFrame();
    void levelsStackInOrder();
    void screenAreas();

private:
    std::unique_ptr<QWidget> shownWindow(const QRect &geometry);
};

std::unique_ptr<QWidget> TestDrawletWindow::shownWindow(const QRect &geometry)
{
    auto widget = std::make_unique<QWidget>(nullptr, Qt::FramelessWindowHint);
    widget->setGeometry(geometry);
    widget->show();
    if (!QTest::qWaitForWindowExposed(widget.get()))
        return nullptr;
    return widget;
}

void TestDrawletWindow::clickThroughKeepsTheWindow()
{
    auto widget = shownWindow(QRect(100, 100, 300, 200));
    QVERIFY(widget);
    const WId before = widget->winId();
    setMouseTransparent(widget.get(), true);
    QVERIFY(widget->windowHandle()->flags() & Qt::WindowTransparentForInput);
    QVERIFY(widget->windowFlags() & Qt::WindowTransparentForInput);
    QVERIFY(widget->isVisible());
    QCOMPARE(widget->winId(), before);
    setMouseTransparent(widget.get(), false);
    QVERIFY(!(widget->windowHandle()->flags() & Qt::WindowTransparentForInput));
    QCOMPARE(widget->winId(), before);

    setShadow(widget.get());
    QVERIFY(widget->windowHandle()->flags() & Qt::NoDropShadowWindowHint);
    QString tip("tip");
    setCocoaToolTip(widget.get(), &tip);
    QVERIFY(widget->isVisible());
}

void TestDrawletWindow::resizeKeepsAnEdge_data()
{
    QTest::addColumn<bool>("keepOrigin");
    QTest::addColumn<QRect>("expected");
    QTest::newRow("top edge stays") << false << QRect(100, 100, 300, 100);
    QTest::newRow("bottom edge stays") << true << QRect(100, 200, 300, 100);
}

void TestDrawletWindow::resizeKeepsAnEdge()
{
    QFETCH(bool, keepOrigin);
    QFETCH(QRect, expected);
    auto widget = shownWindow(QRect(100, 100, 200, 200));
    QVERIFY(widget);
    setWindowSize(widget.get(), 300, 100, keepOrigin);
    QTRY_COMPARE(widget->geometry(), expected);
}

void TestDrawletWindow::redrawKeepsTheFrame()
{
    auto widget = shownWindow(QRect(50, 60, 240, 120));
    QVERIFY(widget);
    const QRect before = widget->geometry();
    windowUpdate(widget.get());
    QCOMPARE(widget->geometry(), before);
    QGuiApplication::sync(); // what the X server made of the redraw has come back
    QCOMPARE(widget->geometry(), before);
}

void TestDrawletWindow::levelsStackInOrder()
{
    const QRect area(200, 200, 200, 200);
    auto panel = shownWindow(area);
    auto overlay = shownWindow(area);
    QVERIFY(panel && overlay);
    // Levelled out of order: the higher level still ends on top.
    setWidgetLevel(panel.get(), 3);
    setWidgetLevel(overlay.get(), 1);
    for (QWidget *widget : {panel.get(), overlay.get()}) {
        QVERIFY(widget->windowHandle()->flags() & Qt::WindowStaysOnTopHint);
        QVERIFY(!(widget->windowHandle()->flags() & Qt::WindowTransparentForInput));
        QVERIFY(widget->isVisible());
    }
    QTRY_COMPARE(QGuiApplication::topLevelAt(area.center()), panel->windowHandle());
    setWidgetLevel(overlay.get(), 4);
    QTRY_COMPARE(QGuiApplication::topLevelAt(area.center()), overlay->windowHandle());
}

void TestDrawletWindow::screenAreas()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    QVERIFY(screen);
    const QRect full = screen->geometry();
    const QRect available = screen->availableGeometry();
    const QRect visible = macMainAppLocation();
    QCOMPARE(visible.size(), available.size());
    // Measured from the bottom edge: the space below the available area.
    QCOMPARE(visible.y(), full.bottom() - available.bottom());
    QCOMPARE(getStatusBarSize().height(), available.top() - full.top());
}

QTEST_MAIN(TestDrawletWindow)
#include "tst_drawlet_window.moc"
