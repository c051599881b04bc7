// The panel on an X server without a compositing manager, read off the screen: its countdowns and its
// collapsed form leave the desktop around the number and the controls as it was.

#include "deskpadwidget.h"
#include "panelfixture.h"

#include "desktop/seethroughshape.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QtTest>

namespace {

const int OneHourMs = 60 * 60 * 1000;

// A desktop of two-coloured tiles, neither black nor white, so that both the translucent black of a
// see-through window and the white number stand out from it.
QImage desktopPattern(const QSize &size)
{
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    const int tile = 64;
    for (int y = 0; y < size.height(); y += tile) {
        for (int x = 0; x < size.width(); x += tile)
            painter.fillRect(x, y, tile, tile, ((x + y) / tile) % 2 ? QColor(40, 160, 220) : QColor(220, 120, 40));
    }
    return image;
}

// The screen as the X server shows it.
QImage screenNow()
{
    return QGuiApplication::primaryScreen()->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32);
}

// Where two pictures of the screen differ outside `ignored`: empty when nowhere.
QString differences(const QImage &before, const QImage &now, const QRegion &ignored)
{
    if (before.size() != now.size())
        return QStringLiteral("the screen changed its size");
    int count = 0;
    QPoint first;
    for (int y = 0; y < now.height(); ++y) {
        const QRgb *a = reinterpret_cast<const QRgb *>(before.constScanLine(y));
        const QRgb *b = reinterpret_cast<const QRgb *>(now.constScanLine(y));
        for (int x = 0; x < now.width(); ++x) {
            if (a[x] != b[x] && !ignored.contains(QPoint(x, y))) {
                if (count++ == 0)
                    first = QPoint(x, y);
            }
        }
    }
    if (count == 0)
        return QString();
    return QStringLiteral("%1 desktop pixels changed, the first at (%2, %3): %4 became %5")
        .arg(count)
        .arg(first.x())
        .arg(first.y())
        .arg(QColor(before.pixel(first)).name(), QColor(now.pixel(first)).name());
}

// Pixels in the area that differ from the picture before.
int changedIn(const QImage &before, const QImage &now, const QRect &area)
{
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x)
            count += before.pixel(x, y) != now.pixel(x, y);
    }
    return count;
}

bool whiteIn(const QImage &now, const QRect &area)
{
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor colour(now.pixel(x, y));
            if (colour.red() > 200 && colour.green() > 200 && colour.blue() > 200)
                return true;
        }
    }
    return false;
}

} // namespace

class TestDeskpadSeeThrough : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void countdownLeavesTheDesktop_data();
    void countdownLeavesTheDesktop();
    void collapsedPanelLeavesTheDesktop();
    void compositorKeepsTheCoveringCountdown();

private:
    // The panel's page shown at a place of its own, once it is on the screen.
    bool showPanel(const QString &page);
    QRect panelArea() const { return m_fixture->panel()->geometry().adjusted(-8, -8, 8, 8); }

    QRect m_screen;
    std::unique_ptr<QLabel> m_desktop;
    std::unique_ptr<PanelFixture> m_fixture;
};

void TestDeskpadSeeThrough::initTestCase()
{
    // The test is about a display without a compositing manager, as Xvfb alone is.
    QVERIFY(!platform::SeeThroughShape::compositing());
    m_screen = QGuiApplication::primaryScreen()->geometry();
    m_desktop.reset(new QLabel);
    m_desktop->setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    m_desktop->setPixmap(QPixmap::fromImage(desktopPattern(m_screen.size())));
    m_desktop->setGeometry(m_screen);
    m_desktop->show();
    const QImage pattern = desktopPattern(m_screen.size());
    QTRY_VERIFY_WITH_TIMEOUT(differences(pattern, screenNow(), QRegion()).isEmpty(), 10000);
}

void TestDeskpadSeeThrough::init()
{
    DeskpadWidget::Timing timing = PanelFixture::quietTiming();
    // The countdown stands still on each number until the test moves it on.
    timing.countdownStepMs = OneHourMs;
    timing.countdownLastStepMs = OneHourMs;
    m_fixture.reset(new PanelFixture);
    QVERIFY(m_fixture->start(timing));
}

void TestDeskpadSeeThrough::cleanup()
{
    m_fixture.reset();
    platform::SeeThroughShape::setCompositingOverride(-1);
    // The next test starts from the bare desktop.
    const QImage pattern = desktopPattern(m_screen.size());
    QTRY_VERIFY_WITH_TIMEOUT(differences(pattern, screenNow(), QRegion()).isEmpty(), 10000);
}

bool TestDeskpadSeeThrough::showPanel(const QString &page)
{
    if (!m_fixture->send(page))
        return false;
    DeskpadWidget *panel = m_fixture->panel();
    // Away from the corner, so that the controls are seen to stay where they were.
    panel->move(300, 200);
    const QImage pattern = desktopPattern(m_screen.size());
    return QTest::qWaitFor(
        [&] {
            const QImage now = screenNow();
            return changedIn(pattern, now, panel->geometry()) > panel->width() * panel->height() / 2
                && differences(pattern, now, panelArea()).isEmpty();
        },
        10000);
}

void TestDeskpadSeeThrough::countdownLeavesTheDesktop_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("live");

    QTest::newRow("record") << "cap_showRecordWidget" << "btnRecordBig" << false;
    QTest::newRow("live") << "cap_showLiveWidget" << "btnStartLiveBig" << true;
}

void TestDeskpadSeeThrough::countdownLeavesTheDesktop()
{
    QFETCH(QString, page);
    QFETCH(QString, button);
    QFETCH(bool, live);

    QVERIFY(showPanel(page));
    const QImage before = screenNow();
    DeskpadWidget *panel = m_fixture->panel();
    const QRect controls = panelArea();
    const auto step = [&] { live ? panel->liveCountdown() : panel->recordCountdown(); };

    // The number is well inside this box round the middle of the screen; everything outside it and
    // the panel's controls is the desktop's.
    const QRect middle(m_screen.center() - QPoint(250, 200), QSize(500, 400));
    QImage three;
    QVERIFY(m_fixture->click(qPrintable(button)));
    QVERIFY2(QTest::qWaitFor([&] {
                 three = screenNow();
                 return whiteIn(three, middle);
             }, 10000),
             "\"3\" is not on the screen");
    step();
    QLabel *number = m_fixture->child<QLabel>("lebalCountdown");
    QCOMPARE(number->text(), QStringLiteral("2"));
    QCOMPARE(panel->geometry(), m_screen);
    QImage two;
    QVERIFY2(QTest::qWaitFor([&] {
                 two = screenNow();
                 return whiteIn(two, middle) && changedIn(three, two, middle) > 0;
             }, 10000),
             "\"2\" is not on the screen");
    const QString changed = differences(before, two, QRegion(middle) + controls);
    QVERIFY2(changed.isEmpty(), qPrintable(changed));

    // Between "1" and the start the screen is clear: the controls, where they were, and the desktop.
    step();
    step();
    QVERIFY(!number->isVisible());
    QImage clear;
    const bool cleared = QTest::qWaitFor([&] {
        clear = screenNow();
        return differences(before, clear, QRegion()).isEmpty();
    }, 10000);
    QVERIFY2(cleared, qPrintable(differences(before, clear, QRegion())));
}

void TestDeskpadSeeThrough::collapsedPanelLeavesTheDesktop()
{
    QVERIFY(showPanel(QStringLiteral("cap_showRecordWidget")));
    const QImage pattern = desktopPattern(m_screen.size());
    DeskpadWidget *panel = m_fixture->panel();
    QVERIFY(m_fixture->click("btnMini"));
    // Below the title row the panel keeps its size but shows nothing of its own.
    const QRect titleRow(panel->pos(), QSize(panel->width(), 28));
    QImage now;
    const bool shown = QTest::qWaitFor([&] {
        now = screenNow();
        return differences(pattern, now, titleRow).isEmpty();
    }, 10000);
    QVERIFY2(shown, qPrintable(differences(pattern, now, titleRow)));
    QVERIFY(changedIn(pattern, now, titleRow) > 0);
}

void TestDeskpadSeeThrough::compositorKeepsTheCoveringCountdown()
{
    // With a compositor the see-through label darkens the whole screen, as it is drawn: no shape.
    platform::SeeThroughShape::setCompositingOverride(1);
    QVERIFY(m_fixture->send(QStringLiteral("cap_showRecordWidget")));
    QVERIFY(m_fixture->click("btnRecordBig"));
    QCOMPARE(m_fixture->panel()->geometry(), m_screen);
    QVERIFY(m_fixture->panel()->mask().isEmpty());
}

QTEST_MAIN(TestDeskpadSeeThrough)
#include "tst_deskpad_seethrough.moc"
