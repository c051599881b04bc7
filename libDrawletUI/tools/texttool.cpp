#include "texttool.h"

#include "addcommand.h"
#include "annotationeditor.h"
#include "annotationscene.h"

#include <QCursor>
#include <QDebug>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTextCursor>
#include <QUndoStack>

namespace drawlet {
namespace ui {

namespace {
const int defaultPointSize = 36;
} // namespace

TextTool::TextTool(AnnotationEditor *editor, QObject *parent)
    : QObject(parent)
    , m_editor(editor)
    , m_textColor(QRgb(0xFE0000))
    , m_textFont(QStringLiteral("Times"), defaultPointSize)
{
}

TextTool::~TextTool()
{
    // A text still being typed was never recorded: it belongs to nobody but this tool.
    if (m_textItem) {
        if (m_textItem->scene())
            m_textItem->scene()->removeItem(m_textItem);
        delete m_textItem;
    }
}

void TextTool::doOnMousePressed(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    // A click while typing only ends the text; the next click places a new one.
    if (m_textItem) {
        finishTextTyping();
        return;
    }
    placeText(event->pos());
}

void TextTool::placeText(const QPoint &viewPos)
{
    AnnotationScene *scene = m_editor->getActiveScene();
    if (!scene) {
        qDebug() << "get NULL ActiveScene";
        return;
    }
    m_textItem = new QorvGraphicsTextItem();
    m_textItem->setDefaultTextColor(m_textColor);
    m_textItem->setFont(m_textFont);
    m_textItem->setTextInteractionFlags(Qt::TextEditorInteraction);
    m_textItem->setPos(m_editor->mapToScene(viewPos));
    m_textItem->setFocus(Qt::OtherFocusReason);
    m_textItem->setFlag(QGraphicsItem::ItemIsSelectable, true);
    m_textItem->setZValue(scene->getCurrentZValue());
    emit textEditorShowed(QCursor::pos(), m_textItem);
    scene->addItem(m_textItem);
}

void TextTool::doOnkeyPressed(QKeyEvent *event)
{
    if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter)
        return;
    if (event->modifiers() & Qt::ControlModifier) {
        // Control and Return types a plain line break and typing goes on.
        event->setModifiers(Qt::NoModifier);
        return;
    }
    if (m_textItem)
        finishTextTyping();
}

void TextTool::finishCurrentWork()
{
    if (m_textItem)
        finishTextTyping();
}

void TextTool::doUnLoad()
{
    if (m_textItem)
        finishTextTyping();
}

void TextTool::finishTextTyping()
{
    emit textEditorHided();
    if (!m_textItem)
        return;
    m_textItem->setTextInteractionFlags(Qt::NoTextInteraction);
    m_textItem->setFlag(QGraphicsItem::ItemIsSelectable, false);
    QTextCursor cursor = m_textItem->textCursor();
    cursor.clearSelection();
    m_textItem->setTextCursor(cursor);
    changeTextToAddCommand();
}

void TextTool::changeTextToAddCommand()
{
    if (!m_textItem)
        return;
    QorvGraphicsTextItem *text = m_textItem.data();
    m_textItem = nullptr;
    if (text->scene())
        text->scene()->removeItem(text);
    AnnotationScene *scene = m_editor->getActiveScene();
    QUndoStack *stack = m_editor->getActiveUndoStack();
    // Nothing was typed, or there is nowhere to record it: no command would ever own the item.
    if (text->toPlainText().isEmpty() || !scene || !stack) {
        delete text;
        return;
    }
    stack->push(new AddCommand(m_editor->getActiveToolPointer(), scene, text, nullptr));
}

void TextTool::doOnMouseMoved(QMouseEvent *) { }

void TextTool::doOnMouseReleased(QMouseEvent *) { }

void TextTool::doOnMouseDoubleClicked(QMouseEvent *) { }

void TextTool::doOnLoad() { }

QString TextTool::toString()
{
    return objectName();
}

bool TextTool::isSelectable()
{
    return false;
}

QColor TextTool::getTextColor() const
{
    return m_textColor;
}

QFont TextTool::getTextFont() const
{
    return m_textFont;
}

QorvGraphicsTextItem *TextTool::getTextItem() const
{
    return m_textItem;
}

void TextTool::getPaintSetting()
{
    emit setHelperColor(m_textColor);
}

void TextTool::setTextColor(QColor color)
{
    m_textColor = color;
    if (m_textItem)
        m_textItem->setDefaultTextColor(color);
}

void TextTool::setTextFont(QFont font)
{
    m_textFont = font;
    if (m_textItem)
        m_textItem->setFont(font);
}

} // namespace ui
} // namespace drawlet
