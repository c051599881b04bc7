#pragma once

#include "configmanager.h"
#include "configtype.h"
#include "drawletui_global.h"
#include "linestyle.h"
#include "subtoolbaraction.h"

#include <QString>

#include <map>
#include <utility>
#include <vector>

class QButtonGroup;
class QToolButton;

namespace drawlet {
namespace ui {

class WidthToolButton;

// The width and line-style sub-toolbar: one button per width of the current width list, a thin
// separator, then solid, dashed, end-arrow and double-arrow. Swaps its width buttons when the pen
// and the highlighter (with their own width lists) take turns.
class DRAWLETUI_EXPORT LineWidthAndStyleAction : public SubToolbarAction
{
    Q_OBJECT
public:
    LineWidthAndStyleAction(ConfigType type, std::map<int, style_setting_t> config,
                            const QString &skin, QWidget *parent, QToolButton *ownerButton,
                            QObject *parentObject);
    ~LineWidthAndStyleAction() override;

    std::vector<WidthToolButton *> getWidthButton() const { return m_widthButtons; }
    std::vector<QToolButton *> getLineStyleButton() const { return m_styleButtons; }
    ConfigType getConfigType() const { return m_type; }
    std::map<int, style_setting_t> getWidthConfig() const { return m_config; }
    int getCurrentWidth() const { return m_currentWidth; }
    LineStyle::style_t getCurrentLineStyle() const { return m_currentStyle; }
    // The exclusive group of the width ("WIDTH") or style ("STYLE") buttons.
    QButtonGroup *buttonGroup(const QString &key) const;

public slots:
    void changeWidth(int width);
    void changeLineStyle(drawlet::ui::LineStyle::style_t style);
    void changeWidthConfig(drawlet::ui::ConfigType type,
                           const std::map<int, drawlet::ui::style_setting_t> &config,
                           int initialValue);
    void changeToolbuttonStyleSheet(int location_code) override;
    void changeToolTips() override;

signals:
    void setWidth(int width, drawlet::ui::ConfigType type);
    void setLineStyle(drawlet::ui::LineStyle::style_t style);
    void changeWidthToolButtonsState(int width);
    void changeStyleToolButtonsState(drawlet::ui::LineStyle::style_t style);
    // The receiver replaces the text with the translated width name (direct connections only).
    void widthMLStringChanged(QString &width_ml_string, const QString &object_name);

private:
    using WidthEntry = std::map<int, style_setting_t>::value_type;

    void setToolbar();
    WidthToolButton *createWidthButton(const WidthEntry &entry);
    QToolButton *createStyleButton(const LineStyle::style_t &style, const QString &name,
                                   const QString &image);
    template<typename Button>
    void setButtonAction(const std::vector<Button *> &buttons, const QString &key);
    template<typename Button>
    void groupButtons(const std::vector<Button *> &buttons, const QString &key);
    // Gives the existing width buttons the new widths in order; collects the entries no button is
    // left for and deletes the buttons no entry is left for. True when buttons must be added or
    // went.
    bool changeWidthButtons(const std::map<int, style_setting_t> &config,
                            std::vector<WidthEntry> &newEntries);
    void regenerateWidthToolBar(const std::vector<WidthEntry> &newEntries);
    bool isShownConfig(const std::map<int, style_setting_t> &config) const;

    int m_currentWidth = 4;
    LineStyle::style_t m_currentStyle = LineStyle::SOLIDLINE;
    std::map<QString, QButtonGroup *> m_buttonGroups;
    std::vector<WidthToolButton *> m_widthButtons;
    std::vector<QToolButton *> m_styleButtons;
    std::map<int, style_setting_t> m_config;
    ConfigType m_type;
};

} // namespace ui
} // namespace drawlet
