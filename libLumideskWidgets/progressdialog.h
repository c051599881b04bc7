#ifndef PROGRESSDIALOG_H
#define PROGRESSDIALOG_H

#include <QDialog>

class QMovie;

namespace Ui {
class ProgressDialog;
}

// The small animated strip a camera window shows over itself while a high-quality capture runs.
class ProgressDialog : public QDialog
{
    Q_OBJECT

public:
    explicit ProgressDialog(QWidget *parent = nullptr);
    ~ProgressDialog() override;

private:
    Ui::ProgressDialog *ui;
    QMovie *m_movie;
};

#endif // PROGRESSDIALOG_H
