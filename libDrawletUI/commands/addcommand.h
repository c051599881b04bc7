#pragma once

#include "drawletui_global.h"

#include <QUndoCommand>

class QGraphicsItem;

namespace drawlet {
namespace ui {

class AnnotationScene;
class ToolInterface;

// Puts a new item on the scene. While undone, the item is off every scene and this command is its
// only owner: it deletes the item when it is itself destroyed in that state.
class DRAWLETUI_EXPORT AddCommand : public QUndoCommand
{
public:
    AddCommand(ToolInterface **currentTool, AnnotationScene *scene, QGraphicsItem *item,
               QUndoCommand *parent = nullptr);
    ~AddCommand() override;

    void undo() override;
    void redo() override;

private:
    AnnotationScene *m_scene;
    QGraphicsItem *m_item;
    ToolInterface **m_currentTool;
    bool m_removedByUndo = false;
};

} // namespace ui
} // namespace drawlet
