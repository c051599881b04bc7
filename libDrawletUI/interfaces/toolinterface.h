#pragma once

#include <QObject>
#include <QString>

class QKeyEvent;
class QMouseEvent;

namespace drawlet {
namespace ui {

// What the editor drives with the input of its view. The order of the operations is part of the
// interface: tools built against it are called through this table.
class ToolInterface
{
public:
    virtual ~ToolInterface() = default;

    virtual void doOnMouseMoved(QMouseEvent *event) = 0;
    virtual void doOnMousePressed(QMouseEvent *event) = 0;
    virtual void doOnMouseReleased(QMouseEvent *event) = 0;
    virtual void doOnkeyPressed(QKeyEvent *event) = 0;
    virtual void doOnMouseDoubleClicked(QMouseEvent *event) = 0;
    virtual void doUnLoad() = 0;
    virtual void doOnLoad() = 0;
    virtual void finishCurrentWork() = 0;
    virtual QString toString() = 0;
    // Whether items put back on a scene while this tool is active can be selected and moved.
    virtual bool isSelectable() = 0;
};

} // namespace ui
} // namespace drawlet

#define ToolInterface_iid "drawlet.ui.ToolInterface/1.0"
Q_DECLARE_INTERFACE(drawlet::ui::ToolInterface, ToolInterface_iid)
