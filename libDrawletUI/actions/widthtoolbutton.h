#pragma once

#include "drawletui_global.h"

#include <QPointer>
#include <QToolButton>

namespace drawlet {
namespace ui {

class LineWidthAction;

// A width button; it owns its action.
class DRAWLETUI_EXPORT WidthToolButton : public QToolButton
{
    Q_OBJECT
public:
    WidthToolButton(LineWidthAction *action, QWidget *parent = nullptr);

    LineWidthAction *getAction() const;

private:
    QPointer<LineWidthAction> m_action;
};

} // namespace ui
} // namespace drawlet
