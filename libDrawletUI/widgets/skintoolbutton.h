#pragma once

#include "drawletui_global.h"

#include <QPixmap>
#include <QString>
#include <QToolButton>

class QTimer;

// An image button painted from four pixmaps (normal, pressed, selected, disabled) that follows the
// pointer itself and hands its text to the native tool tip shortly after the pointer enters. A
// press on a checked button unchecks it at once, and the click that follows leaves it unchecked.
class DRAWLETUI_EXPORT skinToolButton : public QToolButton
{
    Q_OBJECT
public:
    enum PaintState { Normal = 0, Pressed = 1, MouseOver = 2, Checked = 4, Disabled = 5 };

    explicit skinToolButton(QWidget *parent = nullptr);

    void setToolTipString(QString text);
    int paintState() const { return m_paintState; }
    QTimer *stayTimer() const { return m_stayTimer; }

public slots:
    void stayTimerUpdate();

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void nextCheckState() override;

private:
    QPixmap m_disabled;
    QPixmap m_normal;
    QPixmap m_pressed;
    QPixmap m_selected;
    int m_paintState = Normal;
    QTimer *m_stayTimer;
    QString m_toolTipString;
    bool m_skipToggle = false;
};
