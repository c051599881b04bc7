#pragma once

class QWidget;

// Native window behaviours of the main program's windows, applied to the widget's native window.
// Each does nothing for a null widget.

// Forces the window system to draw the window afresh.
void windowUpdate(QWidget *widget);
// Turns the window's shadow off.
void setShadow(QWidget *widget);
// Keeps the window on the desktop it is on.
void keepCurrentDesktop(QWidget *widget);
// Whether the desktop can minimise a window and give it back to the user: on X11 only a window
// manager does.
bool canMinimize();
