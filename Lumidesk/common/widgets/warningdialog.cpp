#include "warningdialog.h"

#include "ui_warningdialog.h"

WarningDialog::WarningDialog(QWidget *parent)
    : QDialog(parent)
    , ui(new Ui::WarningDialog)
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
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
