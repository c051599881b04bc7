#pragma once

#include <QPoint>
#include <QRect>
#include <QString>
#include <QWidget>

// Screen-edge docking of the main toolbar and the capture feedback (sound and a short black flash of
// the whole primary screen), shared by the toolbar and the camera windows.
//
// The docking boundaries are worked out from the primary screen when a helper is made, and hold for
// every helper of the process until the next one is made.
class AbstractCaptureScreenAction : public QWidget
{
public:
    enum Edge { Top = 0, Bottom = 1, Left = 2, Right = 3 };

    static const QString CAPTURE_SOUND_PATH;
    // How long the flash stays on screen, in milliseconds, counted from when it is on the screen.
    static const int FlashMs = 40;

    static const float XRatio;
    static const float YRatio;
    static const float TopBottmLeftRatio;
    static const float TopBottmRightRatio;
    static int TopBottmLeftBoundary;
    static int TopBottmRightBoundary;
    static int TopBottmBoundary;
    static int LeftRightBoundary;
    static int toolBarLoaction;

    // The parent is not used: the helper is never shown.
    explicit AbstractCaptureScreenAction(QWidget *parent = nullptr);
    ~AbstractCaptureScreenAction() override;

    // Works the boundaries out for a screen of the given size.
    static void computeBoundaries(const QSize &screenSize);

    // The edge a toolbar released at p (screen coordinates) docks to. The outer fifths of the width
    // dock left or right, the middle by the half the point lies in; a point that fits no rule keeps
    // the previous edge.
    int checkDockWidgetPosition(QPoint p);

    // Plays the capture sound and flashes the primary screen black for FlashMs once the flash is on the
    // screen. The rectangle is not used: the flash always covers the whole primary screen. Pending
    // events are processed during the flash and while it comes up.
    void executeSuccessResponse(QRect rect);

    // Makes w the flash: black, opaque and shown.
    void setWidget(QWidget *w);
};
