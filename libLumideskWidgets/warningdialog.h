#ifndef WARNINGDIALOG_H
#define WARNINGDIALOG_H

#include <QDialog>

namespace Ui {
class WarningDialog;
}

// The fixed warning that the computer cannot render the chosen frame rate, with three tips.
//
// The form is built on first use (a show or a title set), not with the dialog: the camera window makes
// one at start and seldom shows it. Until then the dialog has its form's size, so that an owner can place
// it at once, and a language change needs nothing: the form is built in the language then in force.
class WarningDialog : public QDialog
{
    Q_OBJECT

public:
    explicit WarningDialog(QWidget *parent = nullptr);
    ~WarningDialog() override;

    // A title in place of the form's own, until the next updateString().
    void setTitle(const QString &title);
    void updateString();
    bool hasForm() const;
    void setVisible(bool visible) override;

private:
    void ensureForm();

    Ui::WarningDialog *ui = nullptr;
};

#endif // WARNINGDIALOG_H
