#pragma once

#include "drawletui_global.h"

#include <QWidget>

namespace drawlet {
namespace ui {

// A see-through marker: a red dashed frame round its whole area.
class DRAWLETUI_EXPORT FrameWidget : public QWidget
{
    Q_OBJECT
public:
    explicit FrameWidget(QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};

} // namespace ui
} // namespace drawlet
