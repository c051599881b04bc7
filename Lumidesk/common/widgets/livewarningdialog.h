#ifndef LIVEWARNINGDIALOG_H
#define LIVEWARNINGDIALOG_H

#include <QDialog>

namespace Ui {
class LiveWarningDialog;
}

// The warning that the upload is too slow for a smooth live stream.
class LiveWarningDialog : public QDialog
{
    Q_OBJECT

public:
    explicit LiveWarningDialog(QWidget *parent = nullptr);
    ~LiveWarningDialog() override;

    void setMessage(const QString &message);
    void updateString(const QString &lang);
    // Fits the dialog to its text; call it before showing the dialog or after.
    void autoAdjustSize();

private:
    Ui::LiveWarningDialog *ui;
    QString m_language;
};

#endif // LIVEWARNINGDIALOG_H
