#include "paintertool.h"

#include "addcommand.h"
#include "annotationeditor.h"
#include "annotationscene.h"
#include "paintinterface.h"

#include <QGraphicsItem>
#include <QDebug>
#include <QMouseEvent>
#include <QUndoStack>

namespace drawlet {
namespace ui {

namespace {

void requirePainter(const std::shared_ptr<PaintInterface> &painter, const char *function)
{
    if (!painter)
        QMessageLogger(__FILE__, __LINE__, function).fatal("painter is null pointer");
}

} // namespace

PainterTool::PainterTool(AnnotationEditor *editor, PaintInterface *painter, QObject *parent)
    : QObject(parent)
    , m_editor(editor)
    , m_painter(painter)
{
}

PainterTool::~PainterTool()
{
    discardPendingItem();
}

void PainterTool::discardPendingItem()
{
    if (!m_pendingItem)
        return;
    if (m_painter && m_painter->isDrawing())
        m_painter->release();
    delete m_pendingItem;
    m_pendingItem = nullptr;
    m_pending = false;
}

void PainterTool::doOnMousePressed(QMouseEvent *event)
{
    requirePainter(m_painter, Q_FUNC_INFO);
    if (event->button() != Qt::LeftButton)
        return;
    // A press that follows a press without a release: the earlier item never got on the scene.
    discardPendingItem();
    QGraphicsItem *item = m_painter->init(m_editor->mapToScene(event->pos()));
    if (item) {
        m_pending = true;
        m_pendingItem = item;
    }
}

void PainterTool::doOnMouseMoved(QMouseEvent *event)
{
    requirePainter(m_painter, Q_FUNC_INFO);
    if (!(event->buttons() & Qt::LeftButton))
        return;
    QGraphicsItem *item = m_painter->draw(m_editor->mapToScene(event->pos()));
    if (!item)
        return;
    if (m_pending) {
        AnnotationScene *scene = m_editor->getActiveScene();
        QUndoStack *stack = m_editor->getActiveUndoStack();
        if (scene && stack) {
            stack->push(new AddCommand(m_editor->getActiveToolPointer(), scene, item, nullptr));
            m_pending = false;
            if (item == m_pendingItem)
                m_pendingItem = nullptr;
        } else {
            qDebug() << "get NULL ActiveScene";
        }
    }
    // The scene repaints the region the item changed; repainting the whole editor on every move
    // would cost a full redraw of every annotation per mouse move.
    m_editor->viewport()->update(m_editor->mapFromScene(item->sceneBoundingRect()).boundingRect());
}

void PainterTool::doOnMouseReleased(QMouseEvent *event)
{
    requirePainter(m_painter, Q_FUNC_INFO);
    if (event->button() != Qt::LeftButton)
        return;
    m_painter->release();
    // A press and release without a move: the item was never shown and no command refers to it.
    if (m_pendingItem) {
        delete m_pendingItem;
        m_pendingItem = nullptr;
        m_pending = false;
    }
}

void PainterTool::doOnkeyPressed(QKeyEvent *) { }

void PainterTool::doOnMouseDoubleClicked(QMouseEvent *) { }

void PainterTool::doUnLoad()
{
    // Unloaded in the middle of a stroke that has not moved yet (a scene or tool switch under the
    // pressed button): its item would be lost otherwise.
    discardPendingItem();
}

void PainterTool::doOnLoad()
{
    if (m_painter)
        m_painter->getPaintSetting();
}

void PainterTool::finishCurrentWork() { }

QString PainterTool::toString()
{
    return objectName();
}

bool PainterTool::isSelectable()
{
    return false;
}

} // namespace ui
} // namespace drawlet
