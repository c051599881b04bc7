#include "notificationdialog.h"

#include "ui_notificationdialog.h"

namespace {
// Distance of the OK button's top from the content panel's bottom.
const int OkButtonLift = 55;

struct Margins {
    int dialog;
    int content;
};

bool marginsFor(int mode, int messageHeight, Margins *margins)
{
    switch (mode) {
    case 0:
        *margins = messageHeight <= 80 ? Margins{96, 68} : Margins{76, 48};
        return true;
    case 1:
        *margins = {120, 92};
        return true;
    case 2:
        *margins = {76, 48};
        return true;
    case 3:
        *margins = {96, 68};
        return true;
    default:
        return false;
    }
}
}

NotificationDialog::NotificationDialog(QWidget *parent)
    // Made with its final flags: set after the form, they would restyle every widget of it again.
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
    , ui(new Ui::NotificationDialog)
{
    ui->setupUi(this);
    setAttribute(Qt::WA_TranslucentBackground);
    setModal(true);

    connect(ui->btnClose, &QToolButton::clicked, this, &NotificationDialog::closeDialog);
    connect(ui->btnOk, &QToolButton::clicked, this, &NotificationDialog::closeDialog);
}

NotificationDialog::~NotificationDialog()
{
    delete ui;
}

void NotificationDialog::setTitle(const QString &title)
{
    ui->labelTitle->setText(title);
}

void NotificationDialog::setMessage(const QString &message)
{
    ui->labelMessage->setText(QStringLiteral("<p style=\"line-height:130%\">%2</p>").arg(message));
}

void NotificationDialog::autoAdjustSize(int mode)
{
    // A message set just before must be laid out now, not at the next turn of the event loop, or the
    // dialog would be fitted to the previous message.
    ui->widget->layout()->activate();
    const int messageHeight = ui->labelMessage->height();

    Margins margins;
    if (marginsFor(mode, messageHeight, &margins)) {
        resize(width(), messageHeight + margins.dialog);
        ui->frameContent->resize(width(), messageHeight + margins.content);
    }
    ui->btnOk->move(ui->btnOk->x(), ui->frameContent->height() - OkButtonLift);
}

void NotificationDialog::updateString()
{
    ui->retranslateUi(this);
}

void NotificationDialog::closeDialog()
{
    // Owners clear their "shown" flag on this signal; it comes first so a handler sees the dialog open.
    emit closeNotificationDialog();
    close();
}
