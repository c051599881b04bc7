#include "livewarningdialog.h"

#include "ui_livewarningdialog.h"

namespace {
const int OkButtonLift = 55;
const int TallRowHeight = 80;
const int RowHeight = 60;
// The form's size (livewarningdialog.ui), the dialog's before the form is built.
const QSize FormSize(664, 260);
}

LiveWarningDialog::LiveWarningDialog(QWidget *parent)
    // Made with its final flags: set after the form, they would restyle every widget of it again.
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
    , m_message(tr("Your Internet connection is slow, so the stream may not run smoothly.\n"
                   "Please check your Internet connection or contact your IT guy."))
{
    setAttribute(Qt::WA_TranslucentBackground);
    setModal(true);
    resize(FormSize);
}

LiveWarningDialog::~LiveWarningDialog()
{
    delete ui;
}

void LiveWarningDialog::ensureForm()
{
    if (ui)
        return;
    ui = new Ui::LiveWarningDialog;
    ui->setupUi(this);
    connect(ui->btnClose, &QToolButton::clicked, this, &LiveWarningDialog::close);
    connect(ui->btnOk, &QToolButton::clicked, this, &LiveWarningDialog::close);
    if (m_message)
        showMessage(*m_message);
    m_message.reset();
}

bool LiveWarningDialog::hasForm() const
{
    return ui != nullptr;
}

void LiveWarningDialog::setVisible(bool visible)
{
    if (visible)
        ensureForm();
    QDialog::setVisible(visible);
}

void LiveWarningDialog::setMessage(const QString &message)
{
    if (ui)
        showMessage(message);
    else
        m_message = message;
}

void LiveWarningDialog::showMessage(const QString &message)
{
    ui->lbContent->setText(QStringLiteral("<p style=\"line-height:130%\">%2</p>").arg(message));
}

void LiveWarningDialog::updateString(const QString &lang)
{
    m_language = lang;
    // The camera window passes every language on at start: no form is built for it. Retranslating
    // gives the text its form's own, so a message kept for the form goes.
    if (ui)
        ui->retranslateUi(this);
    else
        m_message.reset();
}

void LiveWarningDialog::autoAdjustSize()
{
    ensureForm();
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
