#pragma once

// The screen's flashes as a user sees them on a bare X server: a desktop of one colour over the whole
// screen, whose middle pixel is watched from an X connection of the test's own for the black of a flash
// while shots are taken.

#include "screenpixelwatch.h"

#include <QStringList>
#include <QWidget>

#include <functional>

class FlashWatch
{
public:
    FlashWatch();

    // Shows the desktop and waits until the screen shows it; false when it does not.
    bool open();
    // Takes `count` shots one after the other, each from the desktop again, so that no flash is counted
    // twice. Tells how many flashes were on the screen for at least `flashMs`; `seen` gets what the
    // watch saw of each.
    int flashesOnScreen(int count, int flashMs, const std::function<void()> &shoot, QStringList *seen);

private:
    QWidget m_desktop;
    ScreenPixelWatch m_watch;
    QPoint m_pixel;
};
