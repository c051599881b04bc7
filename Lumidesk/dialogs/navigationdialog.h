#pragma once

#include "ui_navigationdialog.h"

#include <QDialog>

// The three-page picture guide shown at the first start and on demand. Its check box is the one
// setting it keeps: whether to show the guide again at the next start ("Guid/Enabled").
class NavigationDialog : public QDialog
{
    Q_OBJECT

public:
    explicit NavigationDialog(QWidget *parent = nullptr);
    ~NavigationDialog() override;

    // Reads "Guid/Enabled" (default 1), ticks the check box when it is 1 or more and clears it
    // otherwise; true when it is 1 or more.
    bool checkGuidSetting();
    void updateString();
    // Places the captions next to their markers; a longer translation makes a caption wider.
    void autoAdjustSize();

    Ui::NavigationDialog *form() { return &ui; }

signals:
    void closeGuidPage();

public slots:
    void changeToPage1();
    void changeToPage2();
    void changeToPage3();
    void openLink();
    void setGuid(int enabled);
    void closeDialog();

    // Escape (or any other dismissal) leaves the guide the way OK does, so whoever waits for the
    // guide to close (the toolbar at start-up) is always told.
    void reject() override;

private:
    void changeToPage(int index);
    void fitMessage();

    Ui::NavigationDialog ui;
    int m_messageLineHeight = 0;
};
