#include "subtoolbaraction.h"

#include "skindockwidget.h"
#include "styletoolbarhelper.h"

#include <QToolButton>

namespace drawlet {
namespace ui {

SubToolbarAction::SubToolbarAction(const QString &skin, QWidget *parent, QToolButton *owner,
                                   QObject *objectParent)
    : QAction(objectParent)
    , toolbarHelper(new StyleToolbarHelper(skin, owner, parent))
    , ownerButton(owner)
{
    SkinDockWidget *popUp = toolbarHelper->getSkin();
    if (owner)
        connect(owner, &QToolButton::clicked, popUp, &QWidget::show);
    connect(this, &SubToolbarAction::hide, popUp, &QWidget::hide);
    connect(this, &SubToolbarAction::updateButtonLocation, popUp,
            &SkinDockWidget::changeLocationSlot);
}

SubToolbarAction::~SubToolbarAction() = default;

SkinDockWidget *SubToolbarAction::getSkin() const
{
    return toolbarHelper->getSkin();
}

void SubToolbarAction::setHideByToolbuttonObjectName(QString objectName)
{
    if (objectName != this->objectName())
        emit hide();
}

} // namespace ui
} // namespace drawlet
