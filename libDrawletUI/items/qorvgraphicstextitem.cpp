#include "qorvgraphicstextitem.h"

#include <QAbstractTextDocumentLayout>
#include <QKeyEvent>
#include <QTextDocument>

namespace drawlet {
namespace ui {

QorvGraphicsTextItem::QorvGraphicsTextItem(QGraphicsItem *parent)
    : QGraphicsTextItem(parent)
{
    connect(document()->documentLayout(), &QAbstractTextDocumentLayout::documentSizeChanged, this,
            &QorvGraphicsTextItem::textSizeChanged);
}

void QorvGraphicsTextItem::keyPressEvent(QKeyEvent *event)
{
    // Where Control is the Command key the modifier is dropped so that Command and a letter types
    // the letter. Here Control is the shortcut key itself: copy, paste, select all and undo must
    // reach the text editor with it, so every key goes on as it came.
    QGraphicsTextItem::keyPressEvent(event);
}

} // namespace ui
} // namespace drawlet
