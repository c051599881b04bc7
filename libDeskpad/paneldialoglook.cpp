#include "paneldialoglook.h"

#include "notificationdialog.h"
#include "warningdialog.h"

#include <QCoreApplication>
#include <QLabel>
#include <QToolButton>

namespace {

const char CloseButtonSheet[] =
    "QToolButton{background-image:url(:/resources/btn_x_td_normal.png);border: none;}\n"
    "QToolButton:hover{background-image:url(:/resources/btn_x_td_hover.png);}\n"
    "QToolButton:pressed{background-image:url(:/resources/btn_x_td_pressed.png);}";

void setTitle(QWidget *dialog, const QString &title)
{
    if (QLabel *label = dialog->findChild<QLabel *>(QStringLiteral("labelTitle")))
        label->setText(title);
}

} // namespace

void PanelDialogLook::apply(NotificationDialog *dialog)
{
    dialog->setTitle(QCoreApplication::translate("DeskpadWidget", "Deskpad"));
    dialog->setMessage(QCoreApplication::translate(
        "DeskpadWidget", "The recording is stopped because the video has reached the maximum time (6 hours)."));
    if (QToolButton *close = dialog->findChild<QToolButton *>(QStringLiteral("btnClose")))
        close->setStyleSheet(QLatin1String(CloseButtonSheet));
}

void PanelDialogLook::apply(WarningDialog *dialog)
{
    setTitle(dialog, QStringLiteral("Lumidesk"));
}
