#include "popupbutton.h"

#include <QToolButton>
#include <QVBoxLayout>

namespace {
QString modeStyleSheet(const QString &image)
{
    return QStringLiteral("QToolButton{background-image:url(:/pip/resources/pip/%1_normal.png);border: none;}"
                          "QToolButton:hover{background-image:url(:/pip/resources/pip/%1_hover.png);}"
                          "QToolButton:pressed{background-image:url(:/pip/resources/pip/%1_pressed.png);}")
        .arg(image);
}

QString modeImage(int mode)
{
    switch (mode) {
    case 0:
        return QStringLiteral("btn_cam_2_p");
    case 1:
        return QStringLiteral("btn_cam_keystone_2_p");
    case 2:
        return QStringLiteral("btn_cam_hd_2_p");
    default:
        return QString();
    }
}
}

PopupButton::PopupButton(QWidget *parent, Qt::WindowFlags flags)
    : QWidget(parent, flags)
    , m_button(new QToolButton(this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_button->setMinimumSize(116, 46);
    m_button->setStyleSheet(modeStyleSheet(modeImage(m_mode)));
    layout->addWidget(m_button);
    connect(m_button, &QToolButton::clicked, this, &PopupButton::buttonClicked);
}

void PopupButton::switchIcon(int mode)
{
    m_mode = mode;
    const QString image = modeImage(mode);
    if (!image.isEmpty())
        m_button->setStyleSheet(modeStyleSheet(image));
}

int PopupButton::mode() const
{
    return m_mode;
}

void PopupButton::buttonClicked()
{
    emit switchBtnMode(m_mode);
    hide();
}
