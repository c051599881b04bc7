#ifndef WARNINGDIALOG_H
#define WARNINGDIALOG_H

#include <QDialog>

namespace Ui {
class WarningDialog;
}

// The fixed warning that the computer cannot render the chosen frame rate, with three tips.
class WarningDialog : public QDialog
{
    Q_OBJECT

public:
    explicit WarningDialog(QWidget *parent = nullptr);
    ~WarningDialog() override;

    void updateString();

private:
    Ui::WarningDialog *ui;
};

#endif // WARNINGDIALOG_H
