#include "baredock.h"

#include <QDockWidget>
#include <QHBoxLayout>

namespace drawlet {
namespace ui {

void makeBareDock(QDockWidget *dock)
{
    if (!dock)
        return;
    // An empty title bar: the layout gives it a size of nothing (a plain widget has no size hint).
    auto *titleBar = new QWidget(dock);
    auto *layout = new QHBoxLayout(titleBar);
    layout->setContentsMargins(0, 0, 0, 0);
    dock->setTitleBarWidget(titleBar);
    dock->setFeatures(QDockWidget::NoDockWidgetFeatures);
    // Without a border the floating frame takes no pixels either.
    dock->setStyleSheet(QStringLiteral("QDockWidget { background: transparent; border: 0px; }"));
}

} // namespace ui
} // namespace drawlet
