#include "selecttool.h"

#include "annotationeditor.h"
#include "annotationscene.h"
#include "continuemovecommand.h"
#include "graphicsarrowlineitem.h"
#include "linecolorchangecommand.h"
#include "lineshapechanestylecommand.h"
#include "movecommand.h"
#include "pathitemchangestylecommand.h"
#include "pathitemchangewidthcommand.h"
#include "pencolorchangecommand.h"
#include "pictureresizecommand.h"
#include "qorvgraphicspathitem.h"
#include "qorvgraphicspixmapitem.h"
#include "textcolorchangecommand.h"
#include "textcontentchangecommand.h"
#include "textstylechangecommand.h"
#include "widthchangecommand.h"

#include <QAbstractGraphicsShapeItem>
#include <QDebug>
#include <QGraphicsItem>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainterPath>
#include <QPixmap>
#include <QTextCursor>
#include <QUndoStack>

namespace drawlet {
namespace ui {

namespace {

// Qt's own item types, which tell the annotation kinds apart.
enum ItemType {
    PathType = 2,
    RectType = 3,
    EllipseType = 4,
    PolygonType = 5,
    LineType = 6,
    PictureType = 7,
    TextType = 8
};

const int cursorSide = 44;

std::shared_ptr<QCursor> makeCursor(const QString &image, int hotX, int hotY)
{
    const QPixmap pixmap
        = QPixmap(QStringLiteral(":/icons/icons/cursor/") + image)
              .scaled(cursorSide, cursorSide, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    return std::make_shared<QCursor>(pixmap, hotX, hotY);
}

// The stroke through the recorded points, without its arrow heads.
QPainterPath pathThroughPoints(const std::vector<QPointF> &points)
{
    QPainterPath path;
    path.moveTo(points.front());
    for (const QPointF &point : points)
        path.lineTo(point);
    return path;
}

// A restyled stroke drawn again through its recorded points, with arrow heads sized by its current
// pen. Without recorded points the stroke keeps its path.
QPainterPath rebuiltPath(QorvGraphicsPathItem *path)
{
    const std::vector<QPointF> points = path->getPathPoints();
    QPainterPath newPath = path->path();
    if (!points.empty()) {
        newPath = pathThroughPoints(points);
        path->arrowPath(newPath);
    }
    return newPath;
}

} // namespace

SelectTool::SelectTool(AnnotationEditor *editor, QObject *parent)
    : QObject(parent)
    , m_editor(editor)
    , m_selectCursor(makeCursor(QStringLiteral("cursor_select.png"), 5, 10))
    , m_moveCursor(makeCursor(QStringLiteral("cursor_move.png"), 21, 21))
{
}

SelectTool::~SelectTool() = default;

QList<QGraphicsItem *> SelectTool::selectedItems() const
{
    AnnotationScene *scene = m_editor ? m_editor->getActiveScene() : nullptr;
    return scene ? scene->selectedItems() : QList<QGraphicsItem *>();
}

void SelectTool::doOnLoad()
{
    m_editor->setDragMode(QGraphicsView::RubberBandDrag);
    selectObjects(true);
}

void SelectTool::doUnLoad()
{
    m_editor->setDragMode(QGraphicsView::NoDrag);
    selectObjects(false);
}

void SelectTool::selectObjects(bool selectable)
{
    AnnotationScene *scene = m_editor ? m_editor->getActiveScene() : nullptr;
    if (!scene)
        return;
    const QList<QGraphicsItem *> items = scene->items();
    for (QGraphicsItem *item : items) {
        item->setFlag(QGraphicsItem::ItemIsMovable, selectable);
        item->setFlag(QGraphicsItem::ItemIsSelectable, selectable);
    }
}

void SelectTool::setHelper(bool color, bool lineStyle)
{
    emit enableColorHelper(color);
    emit enableLineStyleHelper(lineStyle);
}

void SelectTool::doOnMousePressed(QMouseEvent *event)
{
    m_pressedOnItem = m_editor->itemAt(event->pos()) != nullptr;
    endTextEditing();
    const QList<QGraphicsItem *> selected = selectedItems();
    m_pressedPicture = nullptr;
    if (selected.size() != 1)
        return;
    if (auto *picture = dynamic_cast<QorvGraphicsPixmapItem *>(selected.first())) {
        m_pressedPicture = picture;
        m_pictureRectAtPress = picture->pixmapSceneRect();
        m_picturePosAtPress = picture->pos();
    }
}

void SelectTool::doOnMouseMoved(QMouseEvent *event)
{
    const bool overItem = m_editor->itemAt(event->pos()) != nullptr;
    m_editor->setCursor(overItem ? *m_moveCursor : *m_selectCursor);
    const QList<QGraphicsItem *> selected = selectedItems();
    if (selected.isEmpty())
        return;
    const bool leftHeld = event->buttons() & Qt::LeftButton;
    // A lone picture's drag or resize is recorded at the release instead.
    const bool lonePicture = m_pressedPicture && selected.size() == 1;
    if (!lonePicture && leftHeld && m_pressedOnItem) {
        m_pressedOnItem = false;
        recordMoveOfSelection();
    }
    if (m_editing)
        return;
    if (m_selectedText && leftHeld)
        emit textEditorHided();
    m_editor->viewport()->update();
}

void SelectTool::recordMoveOfSelection()
{
    QUndoStack *stack = m_editor->getActiveUndoStack();
    if (!stack)
        return;
    // Called before the view moves anything: each command holds its item's start position, and
    // the whole drag is one undo step however long it lasts.
    stack->beginMacro(QStringLiteral("Move Item"));
    const QList<QGraphicsItem *> selected = selectedItems();
    for (QGraphicsItem *item : selected)
        stack->push(new ContinueMoveCommand(item, item->pos(), nullptr));
    stack->endMacro();
}

void SelectTool::doOnMouseReleased(QMouseEvent *event)
{
    m_editor->viewport()->update();
    const QList<QGraphicsItem *> selected = selectedItems();
    if (selected.size() != 1) {
        setHelper(false, false);
        emit textEditorHided();
        return;
    }
    QGraphicsItem *single = selected.first();
    reportSelection(single);
    showOrHideTextPanel(single);
    if (event->button() == Qt::LeftButton && recordPictureChange(single))
        return;
    if (m_editing && m_editedText) {
        // The word a double click selected must not stay selected while typing.
        QTextCursor cursor = m_editedText->textCursor();
        cursor.clearSelection();
        cursor.movePosition(QTextCursor::End);
        m_editedText->setTextCursor(cursor);
    }
}

void SelectTool::reportSelection(QGraphicsItem *item)
{
    switch (item->type()) {
    case PathType: {
        auto *path = dynamic_cast<QorvGraphicsPathItem *>(item);
        if (!path)
            return;
        setHelper(true, true);
        emit setHelperColor(path->pen().color());
        emit setHelperLineStyle(path->getLineStyle());
        emit setHelperLineWidth(path->isHighlight() ? HIGHLIGHTER_CONFIG : PEN_CONFIG,
                                path->pen().width());
        break;
    }
    case RectType:
    case EllipseType:
    case PolygonType:
        emit setHelperColor(static_cast<QAbstractGraphicsShapeItem *>(item)->pen().color());
        setHelper(true, false);
        break;
    case LineType: {
        auto *line = dynamic_cast<GraphicsArrowLineItem *>(item);
        if (!line)
            return;
        emit setHelperColor(line->pen().color());
        emit setHelperLineWidth(PEN_CONFIG, line->pen().width());
        emit setHelperLineStyle(line->getLineStyle());
        setHelper(true, true);
        break;
    }
    case PictureType:
        setHelper(false, false);
        break;
    case TextType:
        emit setHelperColor(static_cast<QGraphicsTextItem *>(item)->defaultTextColor());
        setHelper(true, false);
        break;
    default:
        break;
    }
}

void SelectTool::showOrHideTextPanel(QGraphicsItem *item)
{
    auto *text = item->type() == TextType ? dynamic_cast<QorvGraphicsTextItem *>(item) : nullptr;
    m_selectedText = text;
    if (!text) {
        emit textEditorHided();
        return;
    }
    const QPoint viewPos = m_editor->mapFromScene(text->scenePos());
    emit textEditorShowed(m_editor->viewport()->mapToGlobal(viewPos), text);
}

bool SelectTool::recordPictureChange(QGraphicsItem *single)
{
    // Compared by address only: the pressed picture may have been taken off the scene since.
    if (!m_pressedPicture || single != m_pressedPicture)
        return false;
    QorvGraphicsPixmapItem *picture = m_pressedPicture;
    QUndoStack *stack = m_editor->getActiveUndoStack();
    if (!stack)
        return false;
    const QRectF rect = picture->pixmapSceneRect();
    if (rect != m_pictureRectAtPress) {
        stack->push(new PictureResizeCommand(picture, m_picturePosAtPress, m_pictureRectAtPress,
                                             picture->pos(), rect, nullptr));
    } else if (picture->pos() != m_picturePosAtPress) {
        stack->push(new MoveCommand(picture, m_picturePosAtPress, picture->pos(), nullptr));
    } else {
        return false;
    }
    m_pressedPicture = nullptr;
    return true;
}

void SelectTool::doOnMouseDoubleClicked(QMouseEvent *)
{
    const QList<QGraphicsItem *> selected = selectedItems();
    if (selected.isEmpty() || m_editing)
        return;
    QGraphicsItem *last = selected.last();
    auto *text = last->type() == TextType ? dynamic_cast<QorvGraphicsTextItem *>(last) : nullptr;
    if (!text || text->textInteractionFlags() != Qt::NoTextInteraction)
        return;
    // The view delivers the double click to the text next, which then takes the focus and caret.
    text->setTextInteractionFlags(Qt::TextEditorInteraction);
    m_editing = true;
    m_editedText = text;
    m_textBeforeEditing = text->toPlainText();
}

void SelectTool::doOnkeyPressed(QKeyEvent *event)
{
    if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter)
        return;
    if (event->modifiers() & Qt::ControlModifier) {
        // Control and Return types a plain line break into the edited text.
        event->setModifiers(Qt::NoModifier);
        return;
    }
    endTextEditing();
    setHelper(false, false);
    emit textEditorHided();
}

void SelectTool::finishCurrentWork()
{
    endTextEditing();
    emit textEditorHided();
    if (AnnotationScene *scene = m_editor ? m_editor->getActiveScene() : nullptr)
        scene->clearSelection();
    setHelper(false, false);
    // A press remembered on this scene must not be recorded after a switch of scene or tool.
    m_pressedPicture = nullptr;
    m_selectedText = nullptr;
}

QString SelectTool::toString()
{
    return objectName();
}

bool SelectTool::isSelectable()
{
    return true;
}

void SelectTool::endTextEditing()
{
    if (!m_editing)
        return;
    if (QorvGraphicsTextItem *text = m_editedText) {
        const QString current = text->toPlainText();
        QUndoStack *stack = m_editor->getActiveUndoStack();
        if (current != m_textBeforeEditing && stack)
            stack->push(new TextContentChangeCommand(text, m_textBeforeEditing, current, nullptr));
        text->setTextInteractionFlags(Qt::NoTextInteraction);
        QTextCursor cursor = text->textCursor();
        cursor.clearSelection();
        text->setTextCursor(cursor);
        text->setSelected(false);
    }
    m_editedText = nullptr;
    m_editing = false;
}

bool SelectTool::canRestyle()
{
    if (!m_editor) {
        qDebug() << "Null editor";
        return false;
    }
    if (!m_editor->getActiveScene() || !m_editor->getActiveUndoStack()) {
        qDebug() << "get NULL ActiveScene";
        return false;
    }
    return true;
}

void SelectTool::setColor(QColor color)
{
    if (!canRestyle())
        return;
    QUndoStack *stack = m_editor->getActiveUndoStack();
    // No macro: each item is its own undo step.
    const QList<QGraphicsItem *> selected = selectedItems();
    for (QGraphicsItem *item : selected) {
        switch (item->type()) {
        case PathType:
        case RectType:
        case EllipseType:
        case PolygonType:
            if (auto *shape = dynamic_cast<QAbstractGraphicsShapeItem *>(item))
                stack->push(new PenColorChangeCommand(shape, shape->pen().color(), color, nullptr));
            break;
        case LineType:
            if (auto *line = dynamic_cast<QGraphicsLineItem *>(item))
                stack->push(new LineColorChangeCommand(line, line->pen().color(), color, nullptr));
            break;
        case TextType:
            if (auto *text = dynamic_cast<QGraphicsTextItem *>(item))
                stack->push(
                    new TextColorChangeCommand(text, text->defaultTextColor(), color, nullptr));
            break;
        default:
            break;
        }
    }
    m_editor->viewport()->update();
}

template<typename Item> void SelectTool::setWidth(QGraphicsItem *item, int width)
{
    auto *typed = dynamic_cast<Item *>(item);
    if (!typed)
        return;
    m_editor->getActiveUndoStack()->push(
        new WidthChangeCommand<Item>(typed, typed->pen().width(), width));
}

bool SelectTool::setPathWidth(QGraphicsItem *item, int width)
{
    auto *path = dynamic_cast<QorvGraphicsPathItem *>(item);
    if (!path)
        return false;
    const PathItemChangeWidthCommand::undo_path_t oldState {path->path(), path->pen().width()};
    // The arrow heads are sized by the pen: widen it before building them.
    QPen pen = path->pen();
    pen.setWidth(width);
    path->setPen(pen);
    const QPainterPath newPath = rebuiltPath(path);
    m_editor->getActiveUndoStack()->push(
        new PathItemChangeWidthCommand(path, oldState, {newPath, width}, nullptr));
    return true;
}

void SelectTool::setWidth(int width)
{
    if (!canRestyle())
        return;
    const QList<QGraphicsItem *> selected = selectedItems();
    for (QGraphicsItem *item : selected) {
        if (item->type() == LineType)
            setWidth<QGraphicsLineItem>(item, width);
        else if (item->type() == PathType && !setPathWidth(item, width))
            return;
    }
    m_editor->viewport()->update();
}

bool SelectTool::setPathLineStyle(QGraphicsItem *item, const LineStyle::style_t &style)
{
    auto *path = dynamic_cast<QorvGraphicsPathItem *>(item);
    if (!path)
        return false;
    const PathItemChangeStyleCommand::undo_path_t oldState {path->path(), path->getLineStyle()};
    path->setLineStyle(style);
    // A stroke without recorded points keeps its path; its new style is still one undo step.
    const QPainterPath newPath = rebuiltPath(path);
    m_editor->getActiveUndoStack()->push(
        new PathItemChangeStyleCommand(path, oldState, {newPath, style}, nullptr));
    return true;
}

void SelectTool::setLineStyle(LineStyle::style_t style)
{
    if (!canRestyle())
        return;
    QUndoStack *stack = m_editor->getActiveUndoStack();
    const QList<QGraphicsItem *> selected = selectedItems();
    for (QGraphicsItem *item : selected) {
        if (item->type() == LineType) {
            auto *line = dynamic_cast<GraphicsArrowLineItem *>(item);
            if (!line)
                return;
            stack->push(new LineShapeChaneStyleCommand(line, line->getLineStyle(), style, nullptr));
        } else if (item->type() == PathType && !setPathLineStyle(item, style)) {
            return;
        }
    }
    m_editor->viewport()->update();
}

void SelectTool::setTextFont(QFont font)
{
    if (!canRestyle())
        return;
    QUndoStack *stack = m_editor->getActiveUndoStack();
    const QList<QGraphicsItem *> selected = selectedItems();
    for (QGraphicsItem *item : selected) {
        if (item->type() != TextType)
            continue;
        if (auto *text = dynamic_cast<QGraphicsTextItem *>(item))
            stack->push(new TextStyleChangeCommand(text, text->font(), font, nullptr));
    }
}

} // namespace ui
} // namespace drawlet
