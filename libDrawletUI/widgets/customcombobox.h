#pragma once

#include "drawletui_global.h"

#include <QComboBox>

namespace drawlet {
namespace ui {

// A QComboBox in the plain "windows" look that announces when its list closes, chosen or not.
class DRAWLETUI_EXPORT CustomComboBox : public QComboBox
{
    Q_OBJECT
public:
    explicit CustomComboBox(QWidget *parent = nullptr);

    void hidePopup() override;

signals:
    void popupHided();
};

} // namespace ui
} // namespace drawlet
