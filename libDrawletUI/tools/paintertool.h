#pragma once

#include "drawletui_global.h"
#include "toolinterface.h"

#include <QObject>

#include <memory>

class QGraphicsItem;

namespace drawlet {
namespace ui {

class AnnotationEditor;
class PaintInterface;

// Turns press, move and release into one new item drawn by its painter: one stroke, one undo step.
class DRAWLETUI_EXPORT PainterTool : public QObject, public ToolInterface
{
    Q_OBJECT
    Q_INTERFACES(drawlet::ui::ToolInterface)
public:
    // Takes ownership of the painter.
    PainterTool(AnnotationEditor *editor, PaintInterface *painter, QObject *parent = nullptr);
    ~PainterTool() override;

    void doOnMouseMoved(QMouseEvent *event) override;
    void doOnMousePressed(QMouseEvent *event) override;
    void doOnMouseReleased(QMouseEvent *event) override;
    void doOnkeyPressed(QKeyEvent *event) override;
    void doOnMouseDoubleClicked(QMouseEvent *event) override;
    void doUnLoad() override;
    void doOnLoad() override;
    void finishCurrentWork() override;
    QString toString() override;
    bool isSelectable() override;

private:
    void discardPendingItem();

    AnnotationEditor *m_editor;
    std::shared_ptr<PaintInterface> m_painter;
    bool m_pending = false;
    // The item of a stroke that has not moved yet: nobody else knows it, so this tool deletes it
    // when the stroke ends without reaching the scene.
    QGraphicsItem *m_pendingItem = nullptr;
};

} // namespace ui
} // namespace drawlet
