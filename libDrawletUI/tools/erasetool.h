#pragma once

#include "drawletui_global.h"
#include "toolinterface.h"

#include <QList>
#include <QObject>
#include <QPoint>

class QGraphicsItem;
class QPainterPath;

namespace drawlet {
namespace ui {

class AnnotationEditor;

// Removes whole annotations: a click the topmost one under the pointer, a drag every one the
// pointer's path crosses. One gesture is one undo step.
class DRAWLETUI_EXPORT EraseTool : public QObject, public ToolInterface
{
    Q_OBJECT
    Q_INTERFACES(drawlet::ui::ToolInterface)
public:
    explicit EraseTool(AnnotationEditor *editor, QObject *parent = nullptr);
    ~EraseTool() override;

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
    QList<QGraphicsItem *> hitItems(const QPainterPath &viewArea) const;
    void takeOff(QGraphicsItem *item);
    void recordErasedItems();

    AnnotationEditor *m_editor;
    QPoint m_lastPosition;
    QList<QGraphicsItem *> m_erasedItems;
};

} // namespace ui
} // namespace drawlet
