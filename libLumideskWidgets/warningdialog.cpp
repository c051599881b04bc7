#include "warningdialog.h"

#include "ui_warningdialog.h"

namespace {
// The form's size (warningdialog.ui), the dialog's before the form is built.
const QSize FormSize(596, 265);
}

WarningDialog::WarningDialog(QWidget *parent)
    // Made with its final flags: set after the form, they would restyle every widget of it again.
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
{
    setAttribute(Qt::WA_TranslucentBackground);
    setModal(true);
    resize(FormSize);
}

WarningDialog::~WarningDialog()
{
    delete ui;
}

void WarningDialog::ensureForm()
{
    if (ui)
        return;
    ui = new Ui::WarningDialog;
    ui->setupUi(this);
    connect(ui->btnClose, &QToolButton::clicked, this, &WarningDialog::close);
    connect(ui->btnOk, &QToolButton::clicked, this, &WarningDialog::close);
}

bool WarningDialog::hasForm() const
{
    return ui != nullptr;
}

void WarningDialog::setVisible(bool visible)
{
    if (visible)
        ensureForm();
    QDialog::setVisible(visible);
}

void WarningDialog::setTitle(const QString &title)
{
    ensureForm();
    ui->labelTitle->setText(title);
}

void WarningDialog::updateString()
{
    // A form built later takes the language then in force.
    if (ui)
        ui->retranslateUi(this);
}
