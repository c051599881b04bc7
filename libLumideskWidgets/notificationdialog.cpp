#include "notificationdialog.h"

#include "ui_notificationdialog.h"

namespace {
// Distance of the OK button's top from the content panel's bottom.
const int OkButtonLift = 55;
// The form's size (notificationdialog.ui), the dialog's before the form is built.
const QSize FormSize(476, 300);

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
{
    setAttribute(Qt::WA_TranslucentBackground);
    setModal(true);
    resize(FormSize);
}

NotificationDialog::~NotificationDialog()
{
    delete ui;
}

void NotificationDialog::ensureForm()
{
    if (ui)
        return;
    ui = new Ui::NotificationDialog;
    ui->setupUi(this);
    connect(ui->btnClose, &QToolButton::clicked, this, &NotificationDialog::closeDialog);
    connect(ui->btnOk, &QToolButton::clicked, this, &NotificationDialog::closeDialog);
}

bool NotificationDialog::hasForm() const
{
    return ui != nullptr;
}

void NotificationDialog::setVisible(bool visible)
{
    if (visible)
        ensureForm();
    QDialog::setVisible(visible);
}

// The owners set the texts just before they show the dialog: the form is built for them.
void NotificationDialog::setTitle(const QString &title)
{
    ensureForm();
    ui->labelTitle->setText(title);
}

void NotificationDialog::setMessage(const QString &message)
{
    ensureForm();
    ui->labelMessage->setText(QStringLiteral("<p style=\"line-height:130%\">%2</p>").arg(message));
}

void NotificationDialog::autoAdjustSize(int mode)
{
    // A message set just before must be laid out now, not at the next turn of the event loop, or the
    // dialog would be fitted to the previous message.
    ensureForm();
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
    // A form built later takes the language then in force.
    if (ui)
        ui->retranslateUi(this);
}

void NotificationDialog::closeDialog()
{
    // Owners clear their "shown" flag on this signal; it comes first so a handler sees the dialog open.
    emit closeNotificationDialog();
    close();
}
