#include "linewidthaction.h"

#include <QSignalBlocker>

namespace drawlet {
namespace ui {

LineWidthAction::LineWidthAction(int width, QObject *parent)
    : QAction(parent)
    , m_width(width)
{
}

LineWidthAction::LineWidthAction(int width, const QString &text, QObject *parent)
    : QAction(text, parent)
    , m_width(width)
{
}

LineWidthAction::LineWidthAction(int width, const QIcon &icon, const QString &text, QObject *parent)
    : QAction(icon, text, parent)
    , m_width(width)
{
}

void LineWidthAction::onToggled()
{
    emit widthChanged(m_width);
}

void LineWidthAction::changeState(int width)
{
    if (width != m_width)
        return;
    const QSignalBlocker blocker(this);
    setChecked(true);
}

} // namespace ui
} // namespace drawlet
