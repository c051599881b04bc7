#pragma once

#include "drawletui_global.h"

#include <QColorDialog>

namespace drawlet {
namespace ui {

// The colour dialog behind "more colours": Qt's own dialog (not the desktop's), centred on the
// primary screen and run modally by its constructor, so the caller reads selectedColor() right
// after (invalid when cancelled). It keeps itself in front of the annotation overlay while open.
class DRAWLETUI_EXPORT QorvColorDialog : public QColorDialog
{
    Q_OBJECT
public:
    explicit QorvColorDialog(QWidget *parent = nullptr);
    QorvColorDialog(const QColor &initial, QWidget *parent = nullptr);

    void init();

protected:
    bool event(QEvent *event) override;
};

} // namespace ui
} // namespace drawlet
