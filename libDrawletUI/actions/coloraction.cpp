#include "coloraction.h"

#include "qorvcolordialog.h"
#include "styletoolbarhelper.h"
#include "uiglobalconstconfig.h"

namespace drawlet {
namespace ui {

ColorAction::ColorAction(const QColor &color, QObject *parent, bool enableColorDialog)
    : QAction(parent)
    , m_color(color)
    , m_enableColorDialog(enableColorDialog)
{
}

ColorAction::ColorAction(const QColor &color, const QString &text, QObject *parent,
                         bool enableColorDialog)
    : QAction(text, parent)
    , m_color(color)
    , m_enableColorDialog(enableColorDialog)
{
}

ColorAction::ColorAction(const QColor &color, const QIcon &icon, const QString &text,
                         QObject *parent, bool enableColorDialog)
    : QAction(icon, text, parent)
    , m_color(color)
    , m_enableColorDialog(enableColorDialog)
{
}

bool ColorAction::isColor(QColor color) const
{
    // Compared as RGB values: the same colour may come in another colour spec.
    color.setAlpha(m_color.alpha());
    return color.rgba() == m_color.rgba();
}

QColor ColorAction::chooseColor(const QColor &initial)
{
    // No parent: the dialog is a window of its own above the overlay.
    QorvColorDialog dialog(initial, nullptr);
    return dialog.selectedColor();
}

void ColorAction::onToggled()
{
    if (m_enableColorDialog) {
        const QColor chosen = chooseColor(m_color);
        if (!chosen.isValid())
            return;
        m_color = chosen;
    }
    emit colorClicked(m_color);
    emit externalToolStyleSheetChanged(getStyleSheetString());
}

void ColorAction::changeState(QColor color)
{
    blockSignals(true);
    if (m_enableColorDialog)
        m_color = color;
    setChecked(true);
    blockSignals(false);
    emit externalToolStyleSheetChanged(getStyleSheetString());
}

void ColorAction::changeState()
{
    changeState(m_color);
}

void ColorAction::setToolBarLoaction(int location_code)
{
    m_location = location_code;
}

QString ColorAction::getStyleSheetString() const
{
    return StyleToolbarHelper::getStyleSheetString(
        UIGlobalConstConfig::RESOURCE_BUTTON_PATH + QStringLiteral("btn_color_") + objectName()
        + QLatin1Char('_') + StyleToolbarHelper::toolBarLoactionToString(m_location));
}

} // namespace ui
} // namespace drawlet
