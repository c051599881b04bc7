#include "linestyleaction.h"

#include <QSignalBlocker>

namespace drawlet {
namespace ui {

LineStyleAction::LineStyleAction(LineStyle::style_t style, QObject *parent)
    : QAction(parent)
    , m_style(style)
{
}

LineStyleAction::LineStyleAction(LineStyle::style_t style, const QString &text, QObject *parent)
    : QAction(text, parent)
    , m_style(style)
{
}

LineStyleAction::LineStyleAction(LineStyle::style_t style, const QIcon &icon, const QString &text,
                                 QObject *parent)
    : QAction(icon, text, parent)
    , m_style(style)
{
}

void LineStyleAction::onToggled()
{
    emit lineStyleChanged(m_style);
}

void LineStyleAction::changeState(const LineStyle::style_t &style)
{
    if (style != m_style)
        return;
    const QSignalBlocker blocker(this);
    setChecked(true);
}

} // namespace ui
} // namespace drawlet
