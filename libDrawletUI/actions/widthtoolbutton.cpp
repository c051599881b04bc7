#include "widthtoolbutton.h"

#include "linewidthaction.h"

namespace drawlet {
namespace ui {

WidthToolButton::WidthToolButton(LineWidthAction *action, QWidget *parent)
    : QToolButton(parent)
    , m_action(action)
{
    if (m_action) {
        m_action->setParent(this);
        setDefaultAction(m_action);
    }
}

LineWidthAction *WidthToolButton::getAction() const
{
    return m_action.data();
}

} // namespace ui
} // namespace drawlet
