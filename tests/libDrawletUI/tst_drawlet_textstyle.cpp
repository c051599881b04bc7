#include "customcombobox.h"
#include "customfontcombobox.h"
#include "dockscreen.h"
#include "nativewindow.h"
#include "qorvgraphicstextitem.h"
#include "textstylewidget.h"

#include <QFontDatabase>
#include <QSignalSpy>
#include <QToolButton>
#include <QtTest>

#include <memory>

using drawlet::ui::DockScreen;
using drawlet::ui::QorvGraphicsTextItem;
using drawlet::ui::TextStyleWidget;

namespace {

const QRect FullHd(0, 0, 1920, 1080);
const QString Skin = QStringLiteral(":/resource/skin/bg_text.png");

QFont fontOf(int pointSize, int weight = QFont::Normal)
{
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPointSize(pointSize);
    font.setWeight(weight);
    return font;
}

// A text exactly 100 pixels high.
class TallText : public QorvGraphicsTextItem
{
public:
    QRectF boundingRect() const override { return QRectF(0, 0, 200, 100.7); }
};

} // namespace

class TestDrawletTextStyle : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void showsTheItemsFont();
    void controlsReportAWholeFont();
    void sizesOutsideTheList();
    void placement_data();
    void placement();
    void firstPlacementBesideAShownToolbar();
    void followsTheItemWhileItGrows();
    void freedItemIsNeverTouched();
};

void TestDrawletTextStyle::initTestCase()
{
    DockScreen::setOverride(FullHd, FullHd);
    QVERIFY(QFontDatabase().families().contains(QStringLiteral("Liberation Sans")));
}

void TestDrawletTextStyle::cleanupTestCase()
{
    DockScreen::clearOverride();
}

void TestDrawletTextStyle::showsTheItemsFont()
{
    TextStyleWidget panel(Skin, nullptr);
    QCOMPARE(panel.size(), QSize(349, 58));
    QorvGraphicsTextItem text;
    text.setFont(fontOf(12, QFont::Bold));
    QSignalSpy changed(&panel, &TextStyleWidget::fontChanged);
    panel.showTextStyleWidget(QPoint(500, 500), &text);
    QVERIFY(panel.isVisible());
    QCOMPARE(panel.fontBox()->currentFont().family(), QStringLiteral("Liberation Sans"));
    QCOMPARE(panel.sizeBox()->currentText(), QStringLiteral("12"));
    QVERIFY(panel.boldButton()->isChecked());
    QVERIFY(!panel.italicButton()->isChecked());
    QVERIFY(!panel.underlineButton()->isChecked());
    QCOMPARE(changed.size(), 0);
    QCOMPARE(panel.boldButton()->geometry(), QRect(208, 6, 44, 44));
    QCOMPARE(panel.sizeBox()->geometry(), QRect(149, 11, 58, 35));
}

void TestDrawletTextStyle::controlsReportAWholeFont()
{
    TextStyleWidget panel(Skin, nullptr);
    QorvGraphicsTextItem text;
    text.setFont(fontOf(16));
    panel.showTextStyleWidget(QPoint(500, 500), &text);

    QStringList order;
    connect(&panel, &TextStyleWidget::fontChanged, this, [&](const QFont &font) {
        order << QStringLiteral("font");
        QVERIFY(font.italic());
        QCOMPARE(font.pointSize(), 16);
        QCOMPARE(font.family(), QStringLiteral("Liberation Sans"));
    });
    connect(&panel, &TextStyleWidget::componentsModified, this, [&] { order << QStringLiteral("modified"); });
    panel.italicButton()->click();
    QCOMPARE(order, QStringList({"font", "modified"}));

    // Hidden, the panel only reports the font.
    panel.hideTextStyleWidget();
    order.clear();
    panel.underlineButton()->setChecked(true);
    QCOMPARE(order, QStringList({"font"}));
}

void TestDrawletTextStyle::sizesOutsideTheList()
{
    TextStyleWidget panel(Skin, nullptr);
    QorvGraphicsTextItem text;
    text.setFont(fontOf(13, 63));
    panel.showTextStyleWidget(QPoint(500, 500), &text);
    QCOMPARE(panel.sizeBox()->currentIndex(), -1);
    QVERIFY(!panel.boldButton()->isChecked());

    // Without a size the family's own size stays; the weight becomes one of the two.
    QSignalSpy changed(&panel, &TextStyleWidget::fontChanged);
    panel.underlineButton()->click();
    const QFont font = changed.last().at(0).value<QFont>();
    QCOMPARE(font.weight(), int(QFont::Normal));
    QVERIFY(font.underline());
    QCOMPARE(font.pointSize(), panel.fontBox()->currentFont().pointSize());
    panel.boldButton()->click();
    QCOMPARE(changed.last().at(0).value<QFont>().weight(), int(QFont::Bold));
}

void TestDrawletTextStyle::placement_data()
{
    QTest::addColumn<QRect>("toolbar");
    QTest::addColumn<QPoint>("anchor");
    QTest::addColumn<QPoint>("expected");

    // The panel is 349 x 58; the text is 100.7 pixels high (counted as 100).
    const QRect none;
    const QRect top(572, 0, 776, 56);
    const QRect left(0, 150, 56, 776);
    const QRect right(1864, 150, 56, 776);
    QTest::newRow("above the anchor") << top << QPoint(600, 500) << QPoint(600, 442);
    QTest::newRow("near the top: below the text, clear of the toolbar") << top << QPoint(600, 100)
                                                                       << QPoint(600, 200);
    QTest::newRow("just clear of the toolbar") << top << QPoint(600, 114) << QPoint(600, 56);
    QTest::newRow("toolbar at the left, anchor at x 0") << left << QPoint(0, 500) << QPoint(56, 442);
    QTest::newRow("toolbar at the right, anchor near it") << right << QPoint(1700, 500) << QPoint(1864 - 349, 442);
    QTest::newRow("near the right edge") << none << QPoint(1800, 500) << QPoint(1920 - 349, 442);
    QTest::newRow("left of the screen") << none << QPoint(-40, 500) << QPoint(0, 442);
}

void TestDrawletTextStyle::placement()
{
    QFETCH(QRect, toolbar);
    QFETCH(QPoint, anchor);
    QFETCH(QPoint, expected);
    std::unique_ptr<QWidget> frame;
    if (!toolbar.isNull()) {
        // Frameless like the toolbar frame: its position is its content's.
        frame = std::make_unique<QWidget>(nullptr, Qt::Tool | Qt::FramelessWindowHint);
        frame->setGeometry(toolbar);
    }
    TextStyleWidget panel(Skin, frame.get());
    TallText text;
    panel.showTextStyleWidget(anchor, &text);
    QCOMPARE(panel.pos(), expected);
}

// On X11 the panel is a window of its own beside the toolbar frame, levelled as the annotation program
// levels it; its very first show must already have the panel's size.
void TestDrawletTextStyle::firstPlacementBesideAShownToolbar()
{
    QWidget frame(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    frame.setGeometry(572, 0, 776, 56);
    TextStyleWidget panel(Skin, &frame);
    setWidgetLevel(&panel, 2);
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));

    TallText text;
    panel.showTextStyleWidget(QPoint(1800, 500), &text);
    QCOMPARE(panel.size(), QSize(349, 58));
    QCOMPARE(panel.pos(), QPoint(1920 - 349, 442));
    // Where the window system has it, not only where the widget thinks it is.
    QVERIFY(QTest::qWaitForWindowExposed(&panel));
    QTRY_COMPARE(panel.windowHandle()->geometry(), QRect(1920 - 349, 442, 349, 58));
}

void TestDrawletTextStyle::followsTheItemWhileItGrows()
{
    TextStyleWidget panel(Skin, nullptr);
    QorvGraphicsTextItem text;
    text.setPlainText(QStringLiteral("line"));
    panel.showTextStyleWidget(QPoint(700, 20), &text);
    const int below = panel.y();
    QCOMPARE(below, 20 + int(text.boundingRect().height()));

    text.setPlainText(QStringLiteral("line\nline\nline"));
    emit text.textSizeChanged();
    QCOMPARE(panel.y(), 20 + int(text.boundingRect().height()));
    QVERIFY(panel.y() > below);

    // Hidden, it no longer follows.
    panel.hideTextStyleWidget();
    const QPoint hiddenAt = panel.pos();
    text.setPlainText(QStringLiteral("line"));
    emit text.textSizeChanged();
    QCOMPARE(panel.pos(), hiddenAt);
}

void TestDrawletTextStyle::freedItemIsNeverTouched()
{
    TextStyleWidget panel(Skin, nullptr);
    // Moved before any text was shown, with the anchor above the limit: at the anchor itself.
    panel.moveTextStyleWidget(QPoint(300, 10));
    QCOMPARE(panel.pos(), QPoint(300, 10));

    auto *text = new QorvGraphicsTextItem;
    panel.showTextStyleWidget(QPoint(300, 10), text);
    QCOMPARE(panel.followedText(), text);
    // An emptied text is deleted by its tool while the panel still follows it.
    delete text;
    QVERIFY(!panel.followedText());
    panel.adjustPosTextStyleWidget();
    QCOMPARE(panel.pos(), QPoint(300, 10));
    panel.hideTextStyleWidget();
    QVERIFY(!panel.isVisible());
}

QTEST_MAIN(TestDrawletTextStyle)
#include "tst_drawlet_textstyle.moc"
