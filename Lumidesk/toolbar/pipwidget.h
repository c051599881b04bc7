#pragma once

#include "analytics/bigdata.h"

#include <QDialog>
#include <QPoint>
#include <QVariant>

class NavigationDialog;

namespace Ui {
class PipWidget;
}

// The camera layout chooser: a small frameless, modal dialog offering the desktop only, the desktop
// with one camera window, with two side by side, or picture in picture. The main window applies the
// layout chosen and tells the chooser which one is in force; the dialog only narrows itself to the
// layouts that add a camera when one is open already.
//
// The toolbar makes the chooser at start-up but shows it only once the toolbar is on screen, and Qt
// styles every child of a window at the window's first show: the form (eight large layout images) is
// therefore built on the chooser's first show or use, not with the chooser. Its size and place are the
// form's from the start.
class PipWidget : public QDialog
{
    Q_OBJECT

public:
    enum Mode { NoCamera = 0, SingleCamera = 1, DualCamera = 2, PipCamera = 3 };
    static constexpr int LayoutEvent = BigData::Event_startMode;
    // The analytics values of the four layouts, in the order of Mode.
    static constexpr int LayoutValueBase = BigData::DesktopOnly;

    PipWidget(QWidget *parent, int mode);
    ~PipWidget() override;

    void setCameraMode(int mode);
    int getCameraCount() const { return m_mode; }
    void updateString();

    // Builds the form if it is not built yet.
    Ui::PipWidget *form();
    bool hasForm() const { return ui != nullptr; }
    void setVisible(bool visible) override;
    NavigationDialog *guide();

signals:
    void doShowCameraMode(int mode);
    void closePipPanel();
    void sendCommand(int commane, QVariant data1 = QVariant(-1), QVariant data2 = QVariant(-1),
                     QVariant data3 = QVariant(-1), QVariant data4 = QVariant(-1), QVariant data5 = QVariant(-1),
                     QVariant data6 = QVariant(-1));

public slots:
    void closeToolBar();
    void showNoCameraMode();
    void showSingleCameraMode();
    void showDualCameraMode();
    void showPipCameraMode();
    void showGuid();
    void decreaseCameraCount();
    void reject() override;

protected:
    void mousePressEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;

private:
    void ensureForm();
    void chooseLayout(int mode);
    void placeOnScreen();
    void chcekInitialMode();
    int firstOffered() const;
    int offeredWidth() const;

    Ui::PipWidget *ui = nullptr;
    int m_mode = NoCamera;
    // The layout the form is arranged for: the one in force when the chooser was made.
    int m_arrangedMode = NoCamera;
    bool m_dragging = false;
    QPoint m_pressPos;
    NavigationDialog *m_guide = nullptr;
    BigData *m_analytics = nullptr;
    bool m_layoutChosen = false;
};
