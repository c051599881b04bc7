#include "skintoolbutton.h"

#include "nativewindow.h"

#include <QEvent>
#include <QPainter>
#include <QTimer>

skinToolButton::skinToolButton(QWidget *parent)
    : QToolButton(parent)
    , m_disabled(QStringLiteral(":/btn_clear-all_disabled.png"))
    , m_normal(QStringLiteral(":/btn_clear-all_normal.png"))
    , m_pressed(QStringLiteral(":/btn_clear-all_pressed.png"))
    , m_selected(QStringLiteral(":/btn_clear-all_selected.png"))
    , m_stayTimer(new QTimer(this))
{
    setCheckable(true);
    connect(m_stayTimer, &QTimer::timeout, this, &skinToolButton::stayTimerUpdate);
    setMouseTracking(true);
    QString empty;
    setCocoaToolTip(this, &empty);
}

void skinToolButton::setToolTipString(QString text)
{
    m_toolTipString = text;
}

void skinToolButton::stayTimerUpdate()
{
    m_stayTimer->stop();
    QString tip = text();
    setCocoaToolTip(this, &tip);
    update();
}

bool skinToolButton::event(QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        m_paintState = Pressed;
        if (isChecked()) {
            setChecked(false);
            m_skipToggle = true;
        }
        update();
        break;
    case QEvent::MouseButtonRelease:
        m_paintState = MouseOver;
        update();
        break;
    case QEvent::Enter:
        setFocus(Qt::OtherFocusReason);
        if (m_paintState != MouseOver) {
            m_paintState = MouseOver;
            m_stayTimer->start(1);
        }
        break;
    case QEvent::Leave:
    case QEvent::ChildRemoved:
        m_paintState = Normal;
        update();
        break;
    default:
        break;
    }
    return QToolButton::event(event);
}

void skinToolButton::nextCheckState()
{
    if (!isChecked() && !m_skipToggle)
        setChecked(true);
    m_skipToggle = false;
}

void skinToolButton::paintEvent(QPaintEvent *)
{
    if (isChecked())
        m_paintState = Checked;
    QPainter painter(this);
    if (!isEnabled()) {
        m_paintState = Disabled;
        painter.drawPixmap(0, 0, m_disabled);
        return;
    }
    switch (m_paintState) {
    case Normal:
        painter.drawPixmap(0, 0, m_normal);
        break;
    case Pressed:
    case MouseOver:
        painter.drawPixmap(0, 0, m_pressed);
        break;
    case Checked:
        painter.drawPixmap(0, 0, m_selected);
        break;
    default:
        break;
    }
}
