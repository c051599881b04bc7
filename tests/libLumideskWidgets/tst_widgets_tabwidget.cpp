// The tab widget whose tabs are drawn from images.
#include "custtabbar.h"
#include "custtabwidget.h"

#include <QHoverEvent>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

namespace {
const QRgb Paper = qRgb(200, 0, 200);

QString drawImage(const QTemporaryDir &dir, const QString &name, QRgb colour)
{
    QImage image(134, 60, QImage::Format_RGB32);
    image.fill(colour);
    const QString path = dir.filePath(name + ".png");
    image.save(path);
    return path;
}

QRgb tabColour(CustTabBar *bar, int index)
{
    QImage image(bar->size(), QImage::Format_RGB32);
    image.fill(Paper);
    bar->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image.pixel(bar->tabRect(index).topLeft() + QPoint(3, 3));
}
}

class TestWidgetsTabWidget : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void tabsShowTheirStateImage();
    void hoveredTabShowsItsHoverImage();
    void tabsWithoutImagesAndOddIndexesAreSafe();

private:
    QTemporaryDir m_dir;
    QStringList m_normal;
    QStringList m_selected;
    QStringList m_hover;
};

void TestWidgetsTabWidget::initTestCase()
{
    QVERIFY(m_dir.isValid());
    for (int i = 0; i < 3; ++i) {
        m_normal << drawImage(m_dir, QString("normal%1").arg(i), qRgb(10 + i, 0, 0));
        m_selected << drawImage(m_dir, QString("selected%1").arg(i), qRgb(0, 10 + i, 0));
        m_hover << drawImage(m_dir, QString("hover%1").arg(i), qRgb(0, 0, 10 + i));
    }
}

void TestWidgetsTabWidget::tabsShowTheirStateImage()
{
    CustTabWidget tabs;
    for (int i = 0; i < 3; ++i) {
        tabs.addTab(new QWidget, QString());
        tabs.InsertTabImage(i, m_normal[i], m_selected[i], m_hover[i]);
    }
    tabs.resize(420, 300);
    tabs.setCurrentIndex(1);
    auto *bar = tabs.findChild<CustTabBar *>();
    QVERIFY(bar);
    QCOMPARE(tabs.tabBar(), bar);

    QCOMPARE(tabColour(bar, 0), qRgb(10, 0, 0));
    QCOMPARE(tabColour(bar, 1), qRgb(0, 11, 0));
    QCOMPARE(tabColour(bar, 2), qRgb(12, 0, 0));
}

void TestWidgetsTabWidget::hoveredTabShowsItsHoverImage()
{
    CustTabWidget tabs;
    for (int i = 0; i < 3; ++i) {
        tabs.addTab(new QWidget, QString());
        tabs.InsertTabImage(i, m_normal[i], m_selected[i], m_hover[i]);
    }
    tabs.resize(420, 300);
    tabs.show();
    QVERIFY(QTest::qWaitForWindowExposed(&tabs));
    auto *bar = tabs.findChild<CustTabBar *>();

    const QPoint inside = bar->tabRect(2).center();
    QHoverEvent enter(QEvent::HoverEnter, inside, QPoint(-1, -1));
    QApplication::sendEvent(bar, &enter);
    QHoverEvent hover(QEvent::HoverMove, inside, QPoint(-1, -1));
    QApplication::sendEvent(bar, &hover);
    QCOMPARE(tabColour(bar, 2), qRgb(0, 0, 12));
    QCOMPARE(tabColour(bar, 1), qRgb(11, 0, 0));
    // The selected tab keeps its selected image while the pointer is over it.
    const QPoint onSelected = bar->tabRect(0).center();
    QHoverEvent hoverSelected(QEvent::HoverMove, onSelected, inside);
    QApplication::sendEvent(bar, &hoverSelected);
    QCOMPARE(tabColour(bar, 0), qRgb(0, 10, 0));
    QCOMPARE(tabColour(bar, 2), qRgb(12, 0, 0));
}

void TestWidgetsTabWidget::tabsWithoutImagesAndOddIndexesAreSafe()
{
    CustTabWidget tabs;
    // Far past the end: appended, never written outside the lists.
    tabs.InsertTabImage(5, m_normal[0], m_selected[0], m_hover[0]);
    tabs.InsertTabImage(-3, m_normal[1], m_selected[1], m_hover[1]);
    for (int i = 0; i < 3; ++i)
        tabs.addTab(new QWidget, QString());
    tabs.resize(420, 300);
    auto *bar = tabs.findChild<CustTabBar *>();
    QCOMPARE(tabColour(bar, 0), qRgb(0, 11, 0));
    QCOMPARE(tabColour(bar, 1), qRgb(10, 0, 0));
    // A tab beyond the images and an image file that does not load draw no image.
    QCOMPARE(tabColour(bar, 2), Paper);
    tabs.InsertTabImage(2, m_dir.filePath("missing.png"), m_dir.filePath("missing.png"), QString());
    QCOMPARE(tabColour(bar, 2), Paper);
}

QTEST_MAIN(TestWidgetsTabWidget)
#include "tst_widgets_tabwidget.moc"
