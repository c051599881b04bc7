// The general settings dialog on an X server without a compositing manager, read off the screen: the
// clear strip below its pages shows the desktop, not black.

#include "desktop/seethroughshape.h"
#include "dialogs/othersettingdialog.h"
#include "formchild.h"
#include "vantoqrcode.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTabWidget>
#include <QtTest>

#include <memory>

namespace {

const QColor DesktopColour(40, 160, 220);

QImage screenNow()
{
    return QGuiApplication::primaryScreen()->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32);
}

// Pixels of the area that are not the desktop's colour.
int notDesktop(const QImage &screen, const QRect &area)
{
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x)
            count += QColor(screen.pixel(x, y)) != DesktopColour;
    }
    return count;
}

} // namespace

class TestSettingsSeeThrough : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void stripBelowThePagesShowsTheDesktop_data();
    void stripBelowThePagesShowsTheDesktop();

private:
    std::unique_ptr<QLabel> m_desktop;
};

void TestSettingsSeeThrough::initTestCase()
{
    QApplication::setApplicationName(QStringLiteral("Lumidesk"));
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    m_desktop = std::make_unique<QLabel>();
    m_desktop->setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    m_desktop->setStyleSheet(QStringLiteral("background:%1;").arg(DesktopColour.name()));
    m_desktop->setGeometry(screen);
    m_desktop->show();
    QTRY_COMPARE_WITH_TIMEOUT(notDesktop(screenNow(), QRect(200, 200, 600, 600)), 0, 10000);
}

void TestSettingsSeeThrough::cleanup()
{
    platform::SeeThroughShape::setCompositingOverride(-1);
}

void TestSettingsSeeThrough::stripBelowThePagesShowsTheDesktop_data()
{
    QTest::addColumn<bool>("compositing");
    QTest::newRow("no compositor") << false;
    QTest::newRow("compositor") << true;
}

void TestSettingsSeeThrough::stripBelowThePagesShowsTheDesktop()
{
    QFETCH(bool, compositing);
    platform::SeeThroughShape::setCompositingOverride(compositing ? 1 : 0);
    OtherSettingDialog dialog(nullptr, QStringLiteral("/nonexistent"), std::make_unique<VantoQRCode>());
    dialog.show();
    dialog.move(300, 200);
    if (compositing) {
        // A compositor blends the clear pixels: the window keeps its whole, unshaped look.
        QVERIFY(dialog.mask().isEmpty());
        return;
    }
    auto *pages = child<QTabWidget>(&dialog, "settingTab");
    const QRect body(pages->mapTo(&dialog, QPoint(0, 0)) + dialog.pos(), pages->size());
    const QRect strip(body.left(), body.bottom() + 1, dialog.width(), dialog.geometry().bottom() - body.bottom());
    QVERIFY(strip.height() >= 10);
    // Once the pages are drawn, the strip under them still shows the desktop.
    QTRY_VERIFY_WITH_TIMEOUT(notDesktop(screenNow(), body) > body.width() * body.height() / 2, 10000);
    QCOMPARE(notDesktop(screenNow(), strip), 0);
}

QTEST_MAIN(TestSettingsSeeThrough)
#include "tst_dialogs_seethrough.moc"
