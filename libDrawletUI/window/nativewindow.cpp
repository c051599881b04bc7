#include "nativewindow.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QVariant>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <vector>

namespace {

const char *const levelProperty = "drawletWindowLevel";

// Changes flags without QWidget::setWindowFlags, which would hide the window and make a new native
// one: the shown window keeps its native window and takes the new flags at once.
void changeWindowFlag(QWidget *widget, Qt::WindowType flag, bool on)
{
    QWidget *window = widget->window();
    Qt::WindowFlags flags = window->windowFlags();
    flags.setFlag(flag, on);
    if (flags == window->windowFlags())
        return;
    if (QWindow *handle = window->windowHandle()) {
        window->overrideWindowFlags(flags);
        handle->setFlags(flags);
    } else {
        window->setWindowFlags(flags);
    }
}

// Raises every levelled window in the order of its level, so the annotation windows keep their
// order among themselves whichever was levelled last.
void restackLevelledWindows()
{
    std::vector<QWidget *> windows;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (widget->property(levelProperty).isValid() && widget->isVisible())
            windows.push_back(widget);
    }
    std::stable_sort(windows.begin(), windows.end(), [](QWidget *a, QWidget *b) {
        return a->property(levelProperty).toInt() < b->property(levelProperty).toInt();
    });
    for (QWidget *widget : windows)
        widget->raise();
}

} // namespace

void setWidgetLevel(QWidget *widget, int offset)
{
    if (!widget)
        return;
    QWidget *window = widget->window();
    window->setProperty(levelProperty, offset);
    changeWindowFlag(window, Qt::WindowStaysOnTopHint, true);
    changeWindowFlag(window, Qt::WindowTransparentForInput, false);
    changeWindowFlag(window, Qt::NoDropShadowWindowHint, true);
    restackLevelledWindows();
}

void setMouseTransparent(QWidget *widget, bool transparent)
{
    if (!widget)
        return;
    changeWindowFlag(widget, Qt::WindowTransparentForInput, transparent);
}

void windowUpdate(QWidget *widget)
{
    if (!widget)
        return;
    QWidget *window = widget->window();
    const QRect frame = window->geometry();
    window->resize(frame.width() + 1, frame.height());
    window->resize(frame.size());
    window->update();
}

void setWindowSize(QWidget *widget, int width, int height, bool keepOrigin)
{
    if (!widget)
        return;
    QWidget *window = widget->window();
    const QRect frame = window->geometry();
    // Qt's y axis points down: the top edge stays by itself; keeping the bottom edge moves the top.
    const int y = keepOrigin ? frame.y() + frame.height() - height : frame.y();
    window->setGeometry(frame.x(), y, width, height);
    window->update();
}

void setShadow(QWidget *widget)
{
    if (!widget)
        return;
    changeWindowFlag(widget, Qt::NoDropShadowWindowHint, true);
}

void setCocoaToolTip(QWidget *, QString *) { }

QRect macMainAppLocation()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return QRect(0, 0, 0, 0);
    const QRect full = screen->geometry();
    const QRect available = screen->availableGeometry();
    const int bottomUp = (full.y() + full.height()) - (available.y() + available.height());
    return QRect(available.x() - full.x(), bottomUp, available.width(), available.height());
}

QRect getStatusBarSize()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return QRect(0, 0, 0, 0);
    const QRect full = screen->geometry();
    const int panelHeight = std::max(0, screen->availableGeometry().y() - full.y());
    return QRect(full.x(), full.y(), panelHeight, panelHeight);
}
