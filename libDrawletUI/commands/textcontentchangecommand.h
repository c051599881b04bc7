#pragma once

#include "drawletui_global.h"

#include <QString>
#include <QUndoCommand>

class QGraphicsTextItem;

namespace drawlet {
namespace ui {

class DRAWLETUI_EXPORT TextContentChangeCommand : public QUndoCommand
{
public:
    TextContentChangeCommand(QGraphicsTextItem *item, const QString &oldText,
                             const QString &newText, QUndoCommand *parent = nullptr);

    void undo() override;
    void redo() override;

private:
    QGraphicsTextItem *m_item;
    QString m_oldText;
    QString m_newText;
};

} // namespace ui
} // namespace drawlet
