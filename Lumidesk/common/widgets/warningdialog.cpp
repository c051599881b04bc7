#include "warningdialog.h"

#include "ui_warningdialog.h"

WarningDialog::WarningDialog(QWidget *parent)
    // Made with its final flags: set after the form, they would restyle every widget of it again.
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
    , ui(new Ui::WarningDialog)
{
    ui->setupUi(this);
    setAttribute(Qt::WA_TranslucentBackground);
    setModal(true);

    connect(ui->btnClose, &QToolButton::clicked, this, &WarningDialog::close);
    connect(ui->btnOk, &QToolButton::clicked, this, &WarningDialog::close);
}

WarningDialog::~WarningDialog()
{
    delete ui;
}

void WarningDialog::updateString()
{
    ui->retranslateUi(this);
}
