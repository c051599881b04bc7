#ifndef NOTIFICATIONDIALOG_H
#define NOTIFICATIONDIALOG_H

#include <QDialog>

namespace Ui {
class NotificationDialog;
}

// A frameless, modal message with a title and an OK button. Its owner sets the title and the message,
// shows it and then fits it to the message with autoAdjustSize().
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

signals:
    void closeNotificationDialog();

public slots:
    void closeDialog();

private:
    Ui::NotificationDialog *ui;
};

#endif // NOTIFICATIONDIALOG_H
