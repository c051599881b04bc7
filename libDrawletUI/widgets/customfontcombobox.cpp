#include "customfontcombobox.h"

#include <QStyle>
#include <QStyleFactory>

namespace drawlet {
namespace ui {

CustomFontComboBox::CustomFontComboBox(QWidget *parent)
    : QFontComboBox(parent)
{
    // A widget does not own the style it is given: the box keeps it as a child.
    if (QStyle *style = QStyleFactory::create(QStringLiteral("windows"))) {
        style->setParent(this);
        setStyle(style);
    }
}

void CustomFontComboBox::hidePopup()
{
    QFontComboBox::hidePopup();
    emit popupHided();
}

} // namespace ui
} // namespace drawlet
