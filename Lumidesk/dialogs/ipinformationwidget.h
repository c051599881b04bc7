#pragma once

#include <QWidget>

namespace Ui {
class IpInformationWidget;
}

// One card of the pairing page: a network interface's IP address, which the user types into the phone
// app, and the interface's name (elided with a tool tip when it is too wide).
class IpInformationWidget : public QWidget
{
    Q_OBJECT

public:
    // The widest name shown whole, in pixels of the name label's font.
    static constexpr int NameWidth = 130;

    IpInformationWidget(const QString &ip, const QString &name);
    ~IpInformationWidget() override;

    // Re-translates the fixed texts; the address and the name stay.
    void updateString();

    QString ip() const;
    QString shownName() const;
    QString nameToolTip() const;

private:
    Ui::IpInformationWidget *ui;
};
