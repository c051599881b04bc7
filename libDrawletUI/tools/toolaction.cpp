#include "toolaction.h"

#include "toolinterface.h"

#include <QCursor>

namespace drawlet {
namespace ui {

ToolAction::ToolAction(ToolInterface *tool, QCursor *cursor, QWidget *parent)
    : QAction(parent)
    , m_tool(tool)
    , m_cursor(cursor)
{
}

ToolAction::~ToolAction() = default;

ToolInterface *ToolAction::tool() const
{
    return m_tool.get();
}

void ToolAction::onToggled(bool checked)
{
    // Unchecking sends nothing: the action checked next replaces the tool.
    if (!checked)
        return;
    emit sendTool(m_tool.get());
    emit sendCursor(m_cursor.get());
}

} // namespace ui
} // namespace drawlet
