#include "capturemodemenu.h"

#include "popupbutton.h"

#include <QVBoxLayout>

CaptureModeMenu::CaptureModeMenu(QWidget *parent)
    : QFrame(parent, Qt::Popup)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    for (int mode = 0; mode < 3; ++mode) {
        // One row of this pop-up, made so: new flags afterwards would style it again.
        auto *button = new PopupButton(this, Qt::Widget);
        button->switchIcon(mode);
        connect(button, &PopupButton::switchBtnMode, this, &CaptureModeMenu::choose);
        layout->addWidget(button);
        m_buttons.append(button);
        // Nothing is offered until the menu is about to show; its size is taken then.
        button->hide();
    }
}

void CaptureModeMenu::setOfferedModes(const QList<int> &modes)
{
    m_offered.clear();
    for (int mode = 0; mode < m_buttons.size(); ++mode) {
        const bool offered = modes.contains(mode);
        m_buttons.at(mode)->setVisible(offered);
        if (offered)
            m_offered.append(mode);
    }
    adjustSize();
}

QList<int> CaptureModeMenu::offeredModes() const
{
    return m_offered;
}

PopupButton *CaptureModeMenu::button(int mode) const
{
    return mode >= 0 && mode < m_buttons.size() ? m_buttons.at(mode) : nullptr;
}

void CaptureModeMenu::choose(int mode)
{
    hide();
    emit switchBtnMode(mode);
}

void CaptureModeMenu::hideEvent(QHideEvent *event)
{
    QFrame::hideEvent(event);
    emit closed();
}
