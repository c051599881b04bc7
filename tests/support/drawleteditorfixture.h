#pragma once

#include <QList>
#include <QPoint>

#include <memory>

class QGraphicsItem;
class QUndoStack;
class QWidget;

namespace drawlet {
namespace ui {
class AnnotationEditor;
class AnnotationScene;
} // namespace ui
} // namespace drawlet

// A shown editor over a desktop and a whiteboard scene of 400 x 300, scene and view coordinates
// alike, so tests can press at the scene points they put items at.
class DrawletEditorFixture
{
public:
    DrawletEditorFixture();
    ~DrawletEditorFixture();

    bool isExposed() const;
    QWidget *viewport() const;
    QUndoStack *stack() const;
    // The items of the active scene, topmost first.
    QList<QGraphicsItem *> items() const;
    QGraphicsItem *addItem(QGraphicsItem *item);

    drawlet::ui::AnnotationScene *desktop;
    drawlet::ui::AnnotationScene *whiteboard;
    drawlet::ui::AnnotationEditor *editor;

private:
    bool m_exposed = false;
};
