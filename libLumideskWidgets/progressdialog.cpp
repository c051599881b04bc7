#include "progressdialog.h"

#include "ui_progressdialog.h"

#include <QMovie>

ProgressDialog::ProgressDialog(QWidget *parent)
    // Made with its final flags: set after the form, they would restyle every widget of it again.
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
    , ui(new Ui::ProgressDialog)
{
    ui->setupUi(this);
    setAttribute(Qt::WA_TranslucentBackground);
    setModal(true);

    // Runs for the dialog's whole life, so showing it never waits for the animation to start.
    m_movie = new QMovie(QStringLiteral(":/pip/resources/pip/HQ-Capturing-loading.gif"), QByteArray(), this);
    ui->lbWait->setMovie(m_movie);
    m_movie->start();
}

ProgressDialog::~ProgressDialog()
{
    delete ui;
}
