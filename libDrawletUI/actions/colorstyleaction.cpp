#include "colorstyleaction.h"

#include "buttongroupsync.h"
#include "coloraction.h"
#include "skindockwidget.h"
#include "styletoolbarhelper.h"
#include "uiglobalconstconfig.h"

#include <QButtonGroup>
#include <QToolButton>

namespace drawlet {
namespace ui {

namespace {

struct ColorRow
{
    QRgb rgb;
    const char *name;
    bool opensDialog;
};

const ColorRow ColorTable[] = {
    {0xFE0000, QT_TRANSLATE_NOOP("drawlet::ui::ColorStyleAction", "red"), false},
    {0xFFF100, QT_TRANSLATE_NOOP("drawlet::ui::ColorStyleAction", "yellow"), false},
    {0x22B04C, QT_TRANSLATE_NOOP("drawlet::ui::ColorStyleAction", "green"), false},
    {0x29AAE1, QT_TRANSLATE_NOOP("drawlet::ui::ColorStyleAction", "blue"), false},
    {0x000000, QT_TRANSLATE_NOOP("drawlet::ui::ColorStyleAction", "black"), false},
    {0xFFFFFF, QT_TRANSLATE_NOOP("drawlet::ui::ColorStyleAction", "white"), false},
    {0xFE0000, QT_TRANSLATE_NOOP("drawlet::ui::ColorStyleAction", "more-colors"), true},
};

} // namespace

ColorStyleAction::ColorStyleAction(const QString &skin, QWidget *parent, QToolButton *ownerButton,
                                   QObject *parentObject)
    : SubToolbarAction(skin, parent, ownerButton, parentObject)
    , m_currentColor(QColor::fromRgb(0xFE0000))
    , m_buttonGroup(new QButtonGroup(this))
{
    setToolbar(UIGlobalConstConfig::RESOURCE_BUTTON_PATH);
}

ColorStyleAction::~ColorStyleAction() = default;

void ColorStyleAction::setToolbar(const QString &path)
{
    for (const ColorRow &row : ColorTable) {
        const QString name = QLatin1String(row.name);
        m_toolButtons.append(createToolButton(QColor::fromRgb(row.rgb), tr(row.name), name,
                                              path + QStringLiteral("btn_color_") + name,
                                              row.opensDialog));
    }
    m_toolButtons.first()->defaultAction()->setChecked(true);
    for (QToolButton *button : qAsConst(m_toolButtons)) {
        toolbarHelper->addWidget(button);
        m_buttonGroup->addButton(button);
    }
    m_buttonGroup->setExclusive(true);
    keepButtonActionsInStep(m_buttonGroup);
}

QToolButton *ColorStyleAction::createToolButton(const QColor &color, const QString &toolTip,
                                                const QString &name, const QString &imagePath,
                                                bool enableColorDialog)
{
    auto *action = new ColorAction(color, this, enableColorDialog);
    action->setToolTip(toolTip);
    m_colorActions.append(action);

    connect(action, &ColorAction::colorClicked, this, &ColorStyleAction::changeColor);
    if (ownerButton)
        connect(action, &ColorAction::externalToolStyleSheetChanged, ownerButton,
                &QWidget::setStyleSheet);
    connect(this, &ColorStyleAction::changeToolbarLocation, action,
            &ColorAction::setToolBarLoaction);

    QToolButton *button = StyleToolbarHelper::createToolButton(action, name, imagePath, true);
    connect(button, &QToolButton::clicked, action, &ColorAction::onToggled);
    return button;
}

ColorAction *ColorStyleAction::checkedColorAction() const
{
    // The group knows which button is checked; the button's action follows it.
    const QAbstractButton *checked = m_buttonGroup->checkedButton();
    for (int i = 0; i < m_toolButtons.size(); ++i) {
        if (m_toolButtons.at(i) == checked)
            return m_colorActions.at(i);
    }
    return nullptr;
}

void ColorStyleAction::changeToolButtonsState(QColor color)
{
    for (ColorAction *action : qAsConst(m_colorActions)) {
        if (action->isColor(color)) {
            action->changeState(color);
            return;
        }
    }
    for (ColorAction *action : qAsConst(m_colorActions)) {
        if (action->getEnableColorDialog()) {
            action->changeState(color);
            return;
        }
    }
}

void ColorStyleAction::changeToolbuttonStyleSheet(int location_code)
{
    emit changeToolbarLocation(location_code);
    if (ColorAction *checked = checkedColorAction())
        checked->changeState(m_currentColor);
}

void ColorStyleAction::changeToolTips()
{
    for (QToolButton *button : qAsConst(m_toolButtons)) {
        if (QAction *action = button->defaultAction())
            action->setToolTip(tr(button->objectName().toUtf8().constData()));
    }
}

void ColorStyleAction::changeColor(QColor color)
{
    m_currentColor = color;
    emit colorChanged(color);
}

} // namespace ui
} // namespace drawlet
