#include "livewarningdialog.h"

#include "ui_livewarningdialog.h"

namespace {
const int OkButtonLift = 55;
const int TallRowHeight = 80;
const int RowHeight = 60;
}

LiveWarningDialog::LiveWarningDialog(QWidget *parent)
    // Made with its final flags: set after the form, they would restyle every widget of it again.
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
    , ui(new Ui::LiveWarningDialog)
{
    ui->setupUi(this);
    setAttribute(Qt::WA_TranslucentBackground);
    setModal(true);

    connect(ui->btnClose, &QToolButton::clicked, this, &LiveWarningDialog::close);
    connect(ui->btnOk, &QToolButton::clicked, this, &LiveWarningDialog::close);
    setMessage(tr("Your Internet connection is slow, so the stream may not run smoothly.\n"
                  "Please check your Internet connection or contact your IT guy."));
}

LiveWarningDialog::~LiveWarningDialog()
{
    delete ui;
}

void LiveWarningDialog::setMessage(const QString &message)
{
    ui->lbContent->setText(QStringLiteral("<p style=\"line-height:130%\">%2</p>").arg(message));
}

void LiveWarningDialog::updateString(const QString &lang)
{
    ui->retranslateUi(this);
    m_language = lang;
}

void LiveWarningDialog::autoAdjustSize()
{
    // Japanese and Russian texts wrap onto more lines.
    const bool tall = m_language == QLatin1String("ja_jp") || m_language == QLatin1String("ru_ru");
    ui->widget->resize(ui->widget->width(), tall ? TallRowHeight : RowHeight);
    // A hidden dialog lays its row out only when shown: place the text now so its height is current.
    ui->widget->layout()->setGeometry(ui->widget->rect());

    const int textHeight = ui->lbContent->height();
    resize(width(), textHeight + 118);
    ui->frameContent->resize(width(), textHeight + 90);
    ui->btnOk->move((ui->frameContent->width() - ui->btnOk->width()) / 2,
                    ui->frameContent->height() - OkButtonLift);
}
