#pragma once

#include <QPoint>
#include <QVector>

class QWidget;

// Mouse gestures on a view's viewport, sent as the window system would: moves carry the buttons
// held.
namespace DrawletMouse {
void press(QWidget *viewport, const QPoint &pos, Qt::MouseButton button = Qt::LeftButton);
void move(QWidget *viewport, const QPoint &pos, Qt::MouseButtons buttons = Qt::LeftButton);
void release(QWidget *viewport, const QPoint &pos, Qt::MouseButton button = Qt::LeftButton);
void doubleClick(QWidget *viewport, const QPoint &pos, Qt::MouseButton button = Qt::LeftButton);
// Press at the first point, move through the rest, release at the last.
void stroke(QWidget *viewport, const QVector<QPoint> &points,
            Qt::MouseButton button = Qt::LeftButton);
} // namespace DrawletMouse
