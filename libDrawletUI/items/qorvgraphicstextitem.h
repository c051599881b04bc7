#pragma once

#include "drawletui_global.h"

#include <QGraphicsTextItem>

namespace drawlet {
namespace ui {

class DRAWLETUI_EXPORT QorvGraphicsTextItem : public QGraphicsTextItem
{
    Q_OBJECT
public:
    explicit QorvGraphicsTextItem(QGraphicsItem *parent = nullptr);

signals:
    // Every change of the text's size: typing, a new font.
    void textSizeChanged();

protected:
    void keyPressEvent(QKeyEvent *event) override;
};

} // namespace ui
} // namespace drawlet
