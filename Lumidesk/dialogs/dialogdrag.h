#pragma once

#include <QObject>
#include <QPoint>

class QWidget;

// Moves a frameless dialog by a left-button drag anywhere on its body (outside the controls that take
// the press): the pressed point stays under the pointer. Made with the dialog as parent, it follows the
// mouse events that reach the dialog.
class DialogDrag : public QObject
{
    Q_OBJECT

public:
    explicit DialogDrag(QWidget *dialog);

    bool isDragging() const { return m_dragging; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *m_dialog;
    bool m_dragging = false;
    QPoint m_pressPosition;
};
