#pragma once

#include "drawletui_global.h"

#include <QUndoCommand>

class QGraphicsItem;

namespace drawlet {
namespace ui {

class AnnotationScene;
class ToolInterface;

// Takes an item off the scene. While applied, the item is off every scene and this command is its
// only owner: it deletes the item when it is itself destroyed in that state.
class DRAWLETUI_EXPORT DeleteCommand : public QUndoCommand
{
public:
    DeleteCommand(ToolInterface **currentTool, AnnotationScene *scene, QGraphicsItem *item,
                  QUndoCommand *parent = nullptr);
    ~DeleteCommand() override;

    void undo() override;
    void redo() override;

private:
    AnnotationScene *m_scene;
    QGraphicsItem *m_item;
    ToolInterface **m_currentTool;
    bool m_removedByRedo = false;
};

} // namespace ui
} // namespace drawlet
