#include "deletecommand.h"

#include "annotationscene.h"
#include "toolinterface.h"

#include <QGraphicsItem>

namespace drawlet {
namespace ui {

DeleteCommand::DeleteCommand(ToolInterface **currentTool, AnnotationScene *scene,
                             QGraphicsItem *item, QUndoCommand *parent)
    : QUndoCommand(parent)
    , m_scene(scene)
    , m_item(item)
    , m_currentTool(currentTool)
{
}

DeleteCommand::~DeleteCommand()
{
    // Only read the item when this command's last action removed it: otherwise it belongs to a
    // scene or to another command and may already be gone.
    if (m_removedByRedo && !m_item->scene())
        delete m_item;
}

void DeleteCommand::redo()
{
    // The eraser takes its items off the scene during the gesture and records them afterwards.
    if (m_item->scene() == m_scene)
        m_scene->removeItem(m_item);
    m_scene->update(QRectF());
    m_removedByRedo = true;
}

void DeleteCommand::undo()
{
    const bool selectable = m_currentTool && *m_currentTool && (*m_currentTool)->isSelectable();
    m_item->setFlag(QGraphicsItem::ItemIsSelectable, selectable);
    m_item->setFlag(QGraphicsItem::ItemIsMovable, selectable);
    m_scene->addItem(m_item);
    m_scene->update(QRectF());
    m_removedByRedo = false;
}

} // namespace ui
} // namespace drawlet
