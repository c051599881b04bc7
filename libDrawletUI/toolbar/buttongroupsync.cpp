#include "buttongroupsync.h"

#include <QAction>
#include <QButtonGroup>
#include <QToolButton>

namespace drawlet {
namespace ui {

void keepButtonActionsInStep(QButtonGroup *group)
{
    if (!group)
        return;
    QObject::connect(group, QOverload<QAbstractButton *>::of(&QButtonGroup::buttonClicked), group,
                     [](QAbstractButton *button) {
                         auto *toolButton = qobject_cast<QToolButton *>(button);
                         QAction *action = toolButton ? toolButton->defaultAction() : nullptr;
                         if (!action || action->isChecked() == button->isChecked())
                             return;
                         action->setChecked(button->isChecked());
                     });
}

} // namespace ui
} // namespace drawlet
