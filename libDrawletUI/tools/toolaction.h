#pragma once

#include "drawletui_global.h"

#include <QAction>

#include <memory>

class QCursor;

namespace drawlet {
namespace ui {

class ToolInterface;

// The toolbar action behind one tool: when checked, it hands its tool and cursor to the editor.
class DRAWLETUI_EXPORT ToolAction : public QAction
{
    Q_OBJECT
public:
    // Takes ownership of the tool and the cursor.
    ToolAction(ToolInterface *tool, QCursor *cursor, QWidget *parent);
    ~ToolAction() override;

    ToolInterface *tool() const;

public slots:
    void onToggled(bool checked = true);

signals:
    void sendTool(ToolInterface *painter);
    void sendCursor(QCursor *cursor);

private:
    std::shared_ptr<ToolInterface> m_tool;
    std::shared_ptr<QCursor> m_cursor;
};

} // namespace ui
} // namespace drawlet
