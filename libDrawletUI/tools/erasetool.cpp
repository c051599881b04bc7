#include "erasetool.h"

#include "annotationeditor.h"
#include "annotationscene.h"
#include "deletecommand.h"

#include <QDebug>
#include <QGraphicsItem>
#include <QMouseEvent>
#include <QPainterPath>
#include <QUndoStack>

namespace drawlet {
namespace ui {

EraseTool::EraseTool(AnnotationEditor *editor, QObject *parent)
    : QObject(parent)
    , m_editor(editor)
{
}

EraseTool::~EraseTool()
{
    // Items of an unrecorded gesture are off every scene and no command refers to them.
    qDeleteAll(m_erasedItems);
}

QList<QGraphicsItem *> EraseTool::hitItems(const QPainterPath &viewArea) const
{
    // Shapes, not bounding boxes: an outline is hit only on its line.
    return m_editor->items(viewArea, Qt::IntersectsItemShape);
}

void EraseTool::takeOff(QGraphicsItem *item)
{
    if (QGraphicsScene *scene = item->scene())
        scene->removeItem(item);
    m_erasedItems.append(item);
}

void EraseTool::doOnMousePressed(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    QPainterPath spot;
    spot.addRect(QRectF(event->pos(), QSizeF(1, 1)));
    const QList<QGraphicsItem *> hit = hitItems(spot);
    if (!hit.isEmpty())
        takeOff(hit.first());
    m_lastPosition = event->pos();
}

void EraseTool::doOnMouseMoved(QMouseEvent *event)
{
    if (!(event->buttons() & Qt::LeftButton))
        return;
    // The whole segment since the last position: a fast drag skips no item between two samples.
    QPainterPath segment(m_lastPosition);
    segment.lineTo(event->pos());
    const QList<QGraphicsItem *> hit = hitItems(segment);
    for (QGraphicsItem *item : hit)
        takeOff(item);
    m_lastPosition = event->pos();
}

void EraseTool::doOnMouseReleased(QMouseEvent *)
{
    recordErasedItems();
}

void EraseTool::recordErasedItems()
{
    if (m_erasedItems.isEmpty())
        return;
    AnnotationScene *scene = m_editor->getActiveScene();
    QUndoStack *stack = m_editor->getActiveUndoStack();
    if (!scene || !stack) {
        qDebug() << "get NULL ActiveScene";
        return;
    }
    stack->beginMacro(tr("Undo Eraser"));
    for (QGraphicsItem *item : qAsConst(m_erasedItems))
        stack->push(new DeleteCommand(m_editor->getActiveToolPointer(), scene, item, nullptr));
    stack->endMacro();
    m_erasedItems.clear();
}

void EraseTool::finishCurrentWork()
{
    // A switch of tool or scene in the middle of a drag: the erased items are recorded now, while
    // the scene they came from and its undo history are still the active ones. Left for a later
    // release they would land in the history of whatever scene is active then, or never.
    recordErasedItems();
}

void EraseTool::doOnkeyPressed(QKeyEvent *) { }

void EraseTool::doOnMouseDoubleClicked(QMouseEvent *) { }

void EraseTool::doUnLoad() { }

void EraseTool::doOnLoad() { }

QString EraseTool::toString()
{
    return objectName();
}

bool EraseTool::isSelectable()
{
    return false;
}

} // namespace ui
} // namespace drawlet
