#include "addcommand.h"

#include "annotationscene.h"
#include "toolinterface.h"

#include <QGraphicsItem>

namespace drawlet {
namespace ui {

AddCommand::AddCommand(ToolInterface **currentTool, AnnotationScene *scene, QGraphicsItem *item,
                       QUndoCommand *parent)
    : QUndoCommand(parent)
    , m_scene(scene)
    , m_item(item)
    , m_currentTool(currentTool)
{
    // Stamped once: undo and redo keep the item at its place in the stacking order.
    m_item->setZValue(qreal(m_scene->getCurrentZValue()));
}

AddCommand::~AddCommand()
{
    // Only read the item when this command's last action removed it: otherwise it belongs to a
    // scene or to a later command and may already be gone.
    if (m_removedByUndo && !m_item->scene())
        delete m_item;
}

void AddCommand::redo()
{
    const bool selectable = m_currentTool && *m_currentTool && (*m_currentTool)->isSelectable();
    m_item->setFlag(QGraphicsItem::ItemIsSelectable, selectable);
    m_item->setFlag(QGraphicsItem::ItemIsMovable, selectable);
    m_scene->addItem(m_item);
    m_scene->clearSelection();
    m_scene->update(QRectF());
    m_removedByUndo = false;
}

void AddCommand::undo()
{
    m_scene->removeItem(m_item);
    m_scene->update(QRectF());
    m_removedByUndo = true;
}

} // namespace ui
} // namespace drawlet
