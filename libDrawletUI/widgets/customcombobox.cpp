#include "customcombobox.h"

#include <QStyle>
#include <QStyleFactory>

namespace drawlet {
namespace ui {

CustomComboBox::CustomComboBox(QWidget *parent)
    : QComboBox(parent)
{
    // A widget does not own the style it is given: the box keeps it as a child.
    if (QStyle *style = QStyleFactory::create(QStringLiteral("windows"))) {
        style->setParent(this);
        setStyle(style);
    }
}

void CustomComboBox::hidePopup()
{
    QComboBox::hidePopup();
    emit popupHided();
}

} // namespace ui
} // namespace drawlet
