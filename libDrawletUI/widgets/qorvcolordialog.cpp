#include "qorvcolordialog.h"

#include "desktop/taskbarentry.h"
#include "dockscreen.h"
#include "nativewindow.h"

#include <QEvent>

namespace drawlet {
namespace ui {

QorvColorDialog::QorvColorDialog(QWidget *parent)
    : QorvColorDialog(QColor(Qt::white), parent)
{
}

QorvColorDialog::QorvColorDialog(const QColor &initial, QWidget *parent)
    : QColorDialog(parent)
{
    setOption(QColorDialog::DontUseNativeDialog);
    setCurrentColor(initial);
    init();
}

void QorvColorDialog::init()
{
    // Laid out first, so it is centred at the size it is shown with.
    adjustSize();
    const QRect screen = DockScreen::geometry();
    if (!screen.isEmpty())
        move(screen.x() + (screen.width() - width()) / 2,
             screen.y() + (screen.height() - height()) / 2);
    platform::TaskbarEntry::keepOut(this);
    exec();
}

bool QorvColorDialog::event(QEvent *event)
{
    const bool result = QColorDialog::event(event);
    if (event->type() == QEvent::WindowActivate)
        setWidgetLevel(this, 3);
    else if (event->type() == QEvent::WindowDeactivate && isVisible())
        activateWindow();
    return result;
}

} // namespace ui
} // namespace drawlet
