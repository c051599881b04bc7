#ifndef LIVEWARNINGDIALOG_H
#define LIVEWARNINGDIALOG_H

#include <QDialog>

#include <optional>

namespace Ui {
class LiveWarningDialog;
}

// The warning that the upload is too slow for a smooth live stream.
//
// The form is built on first use (a show or a fit), not with the dialog: the camera window makes one at
// start and seldom shows it. Until then the dialog has its form's size, so that an owner can place it at
// once; a message or a language given before is kept for the form, which is built in the language then
// in force.
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
    bool hasForm() const;
    void setVisible(bool visible) override;

private:
    void ensureForm();
    void showMessage(const QString &message);

    Ui::LiveWarningDialog *ui = nullptr;
    QString m_language;
    // The message the form takes when it is built; none once a retranslation has given the form's own.
    std::optional<QString> m_message;
};

#endif // LIVEWARNINGDIALOG_H
