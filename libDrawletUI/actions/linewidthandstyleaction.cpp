#include "linewidthandstyleaction.h"

#include "buttongroupsync.h"
#include "linestyleaction.h"
#include "linewidthaction.h"
#include "styletoolbarhelper.h"
#include "widthtoolbutton.h"
#include "uiglobalconstconfig.h"

#include <QButtonGroup>
#include <QDebug>
#include <QToolButton>

namespace drawlet {
namespace ui {

namespace {

const QString WIDTH_INDEX = QStringLiteral("WIDTH");
const QString STYLE_INDEX = QStringLiteral("STYLE");

struct StyleRow
{
    LineStyle::style_t style;
    const char *name;
    const char *image;
};

// The solid image base name has a doubled underscore, as its files have.
const StyleRow StyleTable[] = {
    {{1, 1},
     QT_TRANSLATE_NOOP("drawlet::ui::LineWidthAndStyleAction", "solid"),
     "btn_line-style__solid"},
    {{3, 1},
     QT_TRANSLATE_NOOP("drawlet::ui::LineWidthAndStyleAction", "dash"),
     "btn_line-style_dashed"},
    {{1, 2},
     QT_TRANSLATE_NOOP("drawlet::ui::LineWidthAndStyleAction", "arrow1"),
     "btn_line-style_arrow1"},
    {{1, 4},
     QT_TRANSLATE_NOOP("drawlet::ui::LineWidthAndStyleAction", "arrow2"),
     "btn_line-style_arrow2"},
};

} // namespace

LineWidthAndStyleAction::LineWidthAndStyleAction(ConfigType type,
                                                 std::map<int, style_setting_t> config,
                                                 const QString &skin, QWidget *parent,
                                                 QToolButton *ownerButton, QObject *parentObject)
    : SubToolbarAction(skin, parent, ownerButton, parentObject)
    , m_config(std::move(config))
    , m_type(type)
{
    setToolbar();
    if (ownerButton)
        connect(this, &SubToolbarAction::setToolbuttonStyleSheet, ownerButton,
                &QWidget::setStyleSheet);
}

LineWidthAndStyleAction::~LineWidthAndStyleAction() = default;

QButtonGroup *LineWidthAndStyleAction::buttonGroup(const QString &key) const
{
    const auto found = m_buttonGroups.find(key);
    return found == m_buttonGroups.end() ? nullptr : found->second;
}

void LineWidthAndStyleAction::setToolbar()
{
    for (const WidthEntry &entry : m_config)
        m_widthButtons.push_back(createWidthButton(entry));
    setButtonAction(m_widthButtons, WIDTH_INDEX);
    toolbarHelper->setSeparator();
    for (const StyleRow &row : StyleTable)
        m_styleButtons.push_back(
            createStyleButton(row.style, QLatin1String(row.name), QLatin1String(row.image)));
    setButtonAction(m_styleButtons, STYLE_INDEX);
}

WidthToolButton *LineWidthAndStyleAction::createWidthButton(const WidthEntry &entry)
{
    const QString &name = entry.second.name;
    auto *action = new LineWidthAction(entry.first, this);
    QString toolTip = name;
    emit widthMLStringChanged(toolTip, name);
    action->setToolTip(toolTip);
    connect(action, &LineWidthAction::widthChanged, this, &LineWidthAndStyleAction::changeWidth);
    connect(this, &LineWidthAndStyleAction::changeWidthToolButtonsState, action,
            &LineWidthAction::changeState);

    auto *button = new WidthToolButton(action);
    StyleToolbarHelper::setToolButton(
        button, name, UIGlobalConstConfig::RESOURCE_BUTTON_PATH + entry.second.skin, true);
    connect(button, &QToolButton::clicked, action, &LineWidthAction::onToggled);
    return button;
}

QToolButton *LineWidthAndStyleAction::createStyleButton(const LineStyle::style_t &style,
                                                        const QString &name, const QString &image)
{
    // No text: a tool button shows the text of an action without icon over its images.
    auto *action = new LineStyleAction(style, this);
    action->setToolTip(tr(name.toUtf8().constData()));
    connect(action, &LineStyleAction::lineStyleChanged, this,
            &LineWidthAndStyleAction::changeLineStyle);
    connect(this, &LineWidthAndStyleAction::changeStyleToolButtonsState, action,
            &LineStyleAction::changeState);
    QToolButton *button = StyleToolbarHelper::createToolButton(
        action, name, UIGlobalConstConfig::RESOURCE_BUTTON_PATH + image, true);
    connect(button, &QToolButton::clicked, action, &LineStyleAction::onToggled);
    return button;
}

template<typename Button>
void LineWidthAndStyleAction::setButtonAction(const std::vector<Button *> &buttons,
                                              const QString &key)
{
    if (!buttons.empty() && buttons.front()->defaultAction())
        buttons.front()->defaultAction()->setChecked(true);
    groupButtons(buttons, key);
}

// The buttons join the row in their order and form one exclusive group, registered under the key.
template<typename Button>
void LineWidthAndStyleAction::groupButtons(const std::vector<Button *> &buttons, const QString &key)
{
    auto *group = new QButtonGroup(this);
    for (Button *button : buttons) {
        toolbarHelper->addWidget(button);
        group->addButton(button);
    }
    group->setExclusive(true);
    keepButtonActionsInStep(group);
    m_buttonGroups[key] = group;
}

void LineWidthAndStyleAction::changeWidth(int width)
{
    m_currentWidth = width;
    emit setWidth(width, m_type);
}

void LineWidthAndStyleAction::changeLineStyle(LineStyle::style_t style)
{
    m_currentStyle = style;
    emit setLineStyle(style);
}

bool LineWidthAndStyleAction::isShownConfig(const std::map<int, style_setting_t> &config) const
{
    if (config.size() != m_config.size())
        return false;
    return std::equal(config.begin(), config.end(), m_config.begin(),
                      [](const WidthEntry &a, const WidthEntry &b) {
                          return a.first == b.first && a.second.name == b.second.name
                              && a.second.skin == b.second.skin;
                      });
}

void LineWidthAndStyleAction::changeWidthConfig(ConfigType type,
                                                const std::map<int, style_setting_t> &config,
                                                int initialValue)
{
    if (isShownConfig(config)) {
        emit changeWidthToolButtonsState(initialValue);
        return;
    }
    std::vector<WidthEntry> newEntries;
    if (changeWidthButtons(config, newEntries)) {
        toolbarHelper->removeAllButton();
        regenerateWidthToolBar(newEntries);
    }
    m_config = config;
    m_type = type;
    emit changeWidthToolButtonsState(initialValue);
}

bool LineWidthAndStyleAction::changeWidthButtons(const std::map<int, style_setting_t> &config,
                                                 std::vector<WidthEntry> &newEntries)
{
    size_t next = 0;
    for (const WidthEntry &entry : config) {
        if (next >= m_widthButtons.size()) {
            newEntries.push_back(entry);
            continue;
        }
        WidthToolButton *button = m_widthButtons[next++];
        LineWidthAction *action = button->getAction();
        if (!action) {
            qCritical() << "Invalid calling sequence : action is null pointer";
            continue;
        }
        action->setWidthConfig(entry.first);
        button->setStyleSheet(StyleToolbarHelper::getStyleSheetString(
            UIGlobalConstConfig::RESOURCE_BUTTON_PATH + entry.second.skin));
    }
    const bool buttonsGo = next < m_widthButtons.size();
    for (size_t i = next; i < m_widthButtons.size(); ++i)
        delete m_widthButtons[i];
    m_widthButtons.resize(next);
    return !newEntries.empty() || buttonsGo;
}

void LineWidthAndStyleAction::regenerateWidthToolBar(const std::vector<WidthEntry> &newEntries)
{
    delete buttonGroup(WIDTH_INDEX);
    m_buttonGroups.erase(WIDTH_INDEX);
    for (const WidthEntry &entry : newEntries)
        m_widthButtons.push_back(createWidthButton(entry));
    groupButtons(m_widthButtons, WIDTH_INDEX);
    toolbarHelper->setSeparator();
    for (QToolButton *button : m_styleButtons)
        toolbarHelper->addWidget(button);
}

void LineWidthAndStyleAction::changeToolbuttonStyleSheet(int location_code)
{
    emit setToolbuttonStyleSheet(StyleToolbarHelper::getStyleSheetString(
        UIGlobalConstConfig::RESOURCE_BUTTON_PATH + QStringLiteral("btn_line-style_")
        + StyleToolbarHelper::toolBarLoactionToString(location_code)));
}

void LineWidthAndStyleAction::changeToolTips()
{
    for (WidthToolButton *button : m_widthButtons) {
        QString toolTip = button->toolTip();
        emit widthMLStringChanged(toolTip, button->objectName());
        if (LineWidthAction *action = button->getAction())
            action->setToolTip(toolTip);
    }
    for (QToolButton *button : m_styleButtons) {
        if (QAction *action = button->defaultAction())
            action->setToolTip(tr(button->objectName().toUtf8().constData()));
    }
}

} // namespace ui
} // namespace drawlet
