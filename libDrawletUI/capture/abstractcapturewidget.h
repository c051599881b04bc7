#pragma once

#include "drawletui_global.h"

#include <QRect>
#include <QWidget>

class QScreen;

namespace drawlet {
namespace ui {

// An in-process overlay that reports a chosen part of a screen instead of writing a file.
class DRAWLETUI_EXPORT AbstractCaptureWidget : public QWidget
{
    Q_OBJECT
public:
    explicit AbstractCaptureWidget(QWidget *parent = nullptr);
    ~AbstractCaptureWidget() override = 0;

signals:
    void screenCaptured(QScreen *screen, QRect scope);
    void captureCanceled();

protected:
    // A nearly invisible tool window over the whole primary screen, above everything, with a cross
    // cursor.
    void coverPrimaryScreen();
};

} // namespace ui
} // namespace drawlet
