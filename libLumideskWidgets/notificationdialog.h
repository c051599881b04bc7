#ifndef NOTIFICATIONDIALOG_H
#define NOTIFICATIONDIALOG_H

#include <QDialog>

namespace Ui {
class NotificationDialog;
}

// A frameless, modal message with a title and an OK button. Its owner sets the title and the message,
// shows it and then fits it to the message with autoAdjustSize().
//
// The form is built on first use (a show, a text set or a fit), not with the dialog: the toolbar and the
// camera windows make theirs at start and seldom show them, and a built form would be styled, its images
// read, with the owner's first show. Until then the dialog has its form's size, so that an owner can place
// it at once, and a language change needs nothing: the form is built in the language then in force.
class NotificationDialog : public QDialog
{
    Q_OBJECT

public:
    explicit NotificationDialog(QWidget *parent = nullptr);
    ~NotificationDialog() override;

    void setTitle(const QString &title);
    void setMessage(const QString &message);
    // Mode 0 picks its margins by the message height; 1 leaves room for a taller message, 2 is the
    // compact and 3 the roomy form. The width never changes.
    void autoAdjustSize(int mode);
    void updateString();
    bool hasForm() const;
    void setVisible(bool visible) override;

signals:
    void closeNotificationDialog();

public slots:
    void closeDialog();

private:
    void ensureForm();

    Ui::NotificationDialog *ui = nullptr;
};

#endif // NOTIFICATIONDIALOG_H
