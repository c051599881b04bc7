#include "annotationeditor.h"
#include "annotationscene.h"
#include "drawleteditorfixture.h"
#include "drawletmouse.h"
#include "qorvgraphicstextitem.h"
#include "selecttool.h"
#include "texttool.h"

#include <QSignalSpy>
#include <QUndoStack>
#include <QtTest>

#include <memory>

using namespace drawlet::ui;

namespace {
void click(QWidget *viewport, const QPoint &pos)
{
    DrawletMouse::press(viewport, pos);
    DrawletMouse::release(viewport, pos);
}
} // namespace

class TestDrawletTextTool : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void clickPlacesTextAtPoint();
    void typingEnds_data();
    void typingEnds();
    void clickWhileTypingOnlyFinishes();
    void styleWhileTypingHasNoStepOfItsOwn();
    void finishedTextIsSelectableUnderSelectTool();

private:
    QorvGraphicsTextItem *typeAt(const QPoint &pos, const QString &text);

    std::unique_ptr<DrawletEditorFixture> m_fixture;
    std::unique_ptr<TextTool> m_tool;
};

void TestDrawletTextTool::init()
{
    m_fixture = std::make_unique<DrawletEditorFixture>();
    QVERIFY(m_fixture->isExposed());
    m_tool = std::make_unique<TextTool>(m_fixture->editor);
    m_tool->setObjectName(QStringLiteral("textTool"));
    m_fixture->editor->setTool(m_tool.get());
}

void TestDrawletTextTool::cleanup()
{
    m_fixture.reset();
    m_tool.reset();
}

QorvGraphicsTextItem *TestDrawletTextTool::typeAt(const QPoint &pos, const QString &text)
{
    click(m_fixture->viewport(), pos);
    QorvGraphicsTextItem *item = m_tool->getTextItem();
    if (item)
        QTest::keyClicks(m_fixture->editor, text);
    return item;
}

void TestDrawletTextTool::clickPlacesTextAtPoint()
{
    QSignalSpy showed(m_tool.get(), &TextTool::textEditorShowed);
    QorvGraphicsTextItem *text = typeAt(QPoint(120, 80), QString());
    QVERIFY(text);
    QCOMPARE(text->pos(), QPointF(120, 80));
    QCOMPARE(text->scene(), m_fixture->desktop);
    QVERIFY(text->hasFocus());
    QCOMPARE(text->defaultTextColor(), QColor(254, 0, 0));
    QCOMPARE(text->font().family(), QStringLiteral("Times"));
    QCOMPARE(text->font().pointSize(), 36);
    QCOMPARE(showed.count(), 1);
    QCOMPARE(showed.at(0).at(1).value<QorvGraphicsTextItem *>(), text);
    // Placing records nothing: only a finished text does.
    QCOMPARE(m_fixture->stack()->count(), 0);
}

void TestDrawletTextTool::typingEnds_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("expected"); // empty: nothing is left
    QTest::newRow("Return") << "abc" << int(Qt::Key_Return) << int(Qt::NoModifier) << "abc";
    QTest::newRow("Enter") << "abc" << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << "abc";
    QTest::newRow("shift Return") << "abc" << int(Qt::Key_Return) << int(Qt::ShiftModifier)
                                  << "abc";
    QTest::newRow("nothing typed") << "" << int(Qt::Key_Return) << int(Qt::NoModifier) << "";
    QTest::newRow("tool switch") << "abc" << 0 << 0 << "abc";
    QTest::newRow("nothing typed, tool switch") << "" << 0 << 0 << "";
}

void TestDrawletTextTool::typingEnds()
{
    QFETCH(QString, typed);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QString, expected);
    QSignalSpy hided(m_tool.get(), &TextTool::textEditorHided);
    QPointer<QorvGraphicsTextItem> text = typeAt(QPoint(60, 60), typed);
    QVERIFY(text);
    SelectTool select(m_fixture->editor);
    if (key)
        QTest::keyClick(m_fixture->editor, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    else
        m_fixture->editor->setTool(&select);
    QVERIFY(!m_tool->getTextItem());
    QVERIFY(hided.count() >= 1);
    if (expected.isEmpty()) {
        QVERIFY(m_fixture->items().isEmpty());
        QCOMPARE(m_fixture->stack()->count(), 0);
        QVERIFY(!text); // not left to leak
    } else {
        QCOMPARE(m_fixture->items(), QList<QGraphicsItem *> {text});
        QCOMPARE(text->toPlainText(), expected);
        QCOMPARE(text->textInteractionFlags(), Qt::NoTextInteraction);
        QCOMPARE(m_fixture->stack()->count(), 1);
        m_fixture->stack()->undo();
        QVERIFY(m_fixture->items().isEmpty());
    }
    m_fixture->editor->setTool(m_tool.get());
}

void TestDrawletTextTool::clickWhileTypingOnlyFinishes()
{
    QorvGraphicsTextItem *first = typeAt(QPoint(60, 60), QStringLiteral("abc"));
    // Control and Return breaks the line and typing goes on.
    QTest::keyClick(m_fixture->editor, Qt::Key_Return, Qt::ControlModifier);
    QTest::keyClicks(m_fixture->editor, QStringLiteral("d"));
    QCOMPARE(m_tool->getTextItem(), first);
    QCOMPARE(first->toPlainText(), QStringLiteral("abc\nd"));

    click(m_fixture->viewport(), QPoint(200, 200));
    QVERIFY(!m_tool->getTextItem());
    QCOMPARE(m_fixture->stack()->count(), 1);
    QCOMPARE(m_fixture->items().size(), 1);

    QorvGraphicsTextItem *second = typeAt(QPoint(200, 200), QStringLiteral("x"));
    QVERIFY(second && second != first);
    QCOMPARE(second->pos(), QPointF(200, 200));
    QVERIFY(second->zValue() > first->zValue());
}

void TestDrawletTextTool::styleWhileTypingHasNoStepOfItsOwn()
{
    QorvGraphicsTextItem *text = typeAt(QPoint(60, 60), QStringLiteral("abc"));
    const QFont font(QStringLiteral("Liberation Sans"), 20);
    m_tool->setTextColor(Qt::blue);
    m_tool->setTextFont(font);
    QCOMPARE(text->defaultTextColor(), QColor(Qt::blue));
    QCOMPARE(text->font(), font);
    QTest::keyClick(m_fixture->editor, Qt::Key_Return);
    QCOMPARE(m_fixture->stack()->count(), 1);
    // The next text starts with the style last set.
    QorvGraphicsTextItem *next = typeAt(QPoint(200, 200), QString());
    QCOMPARE(next->defaultTextColor(), QColor(Qt::blue));
    QCOMPARE(next->font(), font);
    QSignalSpy helperColor(m_tool.get(), &TextTool::setHelperColor);
    m_tool->getPaintSetting();
    QCOMPARE(helperColor.at(0).at(0).value<QColor>(), QColor(Qt::blue));
}

void TestDrawletTextTool::finishedTextIsSelectableUnderSelectTool()
{
    QorvGraphicsTextItem *text = typeAt(QPoint(60, 60), QStringLiteral("abc"));
    QVERIFY(!(text->flags() & QGraphicsItem::ItemIsMovable));
    SelectTool select(m_fixture->editor);
    m_fixture->editor->setTool(&select);
    QVERIFY(text->flags() & QGraphicsItem::ItemIsMovable);
    QVERIFY(text->flags() & QGraphicsItem::ItemIsSelectable);
    m_fixture->editor->setTool(m_tool.get());
}

QTEST_MAIN(TestDrawletTextTool)
#include "tst_drawlet_texttool.moc"
