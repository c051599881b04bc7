#include "paneldialoglook.h"

#include "notificationdialog.h"
#include "warningdialog.h"

#include <QCoreApplication>
#include <QToolButton>

namespace {

const char CloseButtonSheet[] =
    "QToolButton{background-image:url(:/resources/btn_x_td_normal.png);border: none;}\n"
    "QToolButton:hover{background-image:url(:/resources/btn_x_td_hover.png);}\n"
    "QToolButton:pressed{background-image:url(:/resources/btn_x_td_pressed.png);}";

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
    dialog->setTitle(QStringLiteral("Lumidesk"));
}
