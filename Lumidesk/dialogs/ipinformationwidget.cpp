#include "dialogs/ipinformationwidget.h"

#include "ui_ipinformationwidget.h"

#include <QFontMetrics>

IpInformationWidget::IpInformationWidget(const QString &ip, const QString &name)
    : QWidget(nullptr)
    , ui(new Ui::IpInformationWidget)
{
    ui->setupUi(this);
    ui->lbIp->setText(ip);

    // The style sheet's font is the one the label paints with, so measure after polishing.
    ui->lbWirelessName->ensurePolished();
    const QFontMetrics metrics(ui->lbWirelessName->font());
    if (metrics.horizontalAdvance(name) <= NameWidth) {
        ui->lbWirelessName->setToolTip(QString());
        ui->lbWirelessName->setText(name);
    } else {
        ui->lbWirelessName->setToolTip(QStringLiteral("<span style='color:block;'>") + name.toHtmlEscaped()
                                       + QStringLiteral("</span>"));
        ui->lbWirelessName->setText(metrics.elidedText(name, Qt::ElideRight, NameWidth));
    }
}

IpInformationWidget::~IpInformationWidget()
{
    delete ui;
}

void IpInformationWidget::updateString()
{
    const QString ip = ui->lbIp->text();
    const QString name = ui->lbWirelessName->text();
    ui->retranslateUi(this);
    ui->lbIp->setText(ip);
    ui->lbWirelessName->setText(name);
}

QString IpInformationWidget::ip() const
{
    return ui->lbIp->text();
}

QString IpInformationWidget::shownName() const
{
    return ui->lbWirelessName->text();
}

QString IpInformationWidget::nameToolTip() const
{
    return ui->lbWirelessName->toolTip();
}
