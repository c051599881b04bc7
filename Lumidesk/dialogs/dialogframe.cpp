#include "dialogs/dialogframe.h"

#include "dialogs/dialogdrag.h"

#include <QDialog>
#include <QGuiApplication>
#include <QScreen>

namespace DialogFrame {

void setUp(QDialog *dialog)
{
    dialog->setWindowFlags(Flags);
    dialog->setAttribute(Qt::WA_TranslucentBackground);
    dialog->setModal(true);
    new DialogDrag(dialog);
}

void centreOnScreen(QWidget *window)
{
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        window->move(area.x() + area.width() / 2 - window->width() / 2,
                     area.y() + area.height() / 2 - window->height() / 2);
    }
}

} // namespace DialogFrame
