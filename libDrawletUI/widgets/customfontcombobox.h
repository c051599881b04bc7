#pragma once

#include "drawletui_global.h"

#include <QFontComboBox>

namespace drawlet {
namespace ui {

// A QFontComboBox in the plain "windows" look that announces when its list closes, chosen or not.
class DRAWLETUI_EXPORT CustomFontComboBox : public QFontComboBox
{
    Q_OBJECT
public:
    explicit CustomFontComboBox(QWidget *parent = nullptr);

    void hidePopup() override;

signals:
    void popupHided();
};

} // namespace ui
} // namespace drawlet
