#pragma once

#include "configtype.h"
#include "drawletui_global.h"

#include <QObject>
#include <QString>

#include <map>

namespace drawlet {
namespace ui {

// One width offered by the width picker: its name key ("small", "medium", "large"), which also
// names its button and tooltip, and the base name of its button images.
struct style_setting_t
{
    QString name;
    QString skin;
};

// The widths the picker offers for each kind of stroke, keyed by the width in pixels; the smallest
// is the kind's default. Read-only once built: callers get copies.
class DRAWLETUI_EXPORT ConfigManager : public QObject
{
    Q_OBJECT
public:
    explicit ConfigManager(QObject *parent = nullptr);

    bool fetchConfig(std::map<int, style_setting_t> &config, ConfigType type) const;

public slots:
    void handleConfigChange(drawlet::ui::ConfigType index);
    void handleConfigChange(drawlet::ui::ConfigType index, int itemValue);
    // Leaves width_ml as it came for a name that is not a width name, so a caller that pre-fills it
    // with the current tooltip keeps that tooltip.
    void fetchWidthMLString(QString &width_ml, const QString &object_name);

signals:
    void configChanged(drawlet::ui::ConfigType index,
                       const std::map<int, drawlet::ui::style_setting_t> &config,
                       int initial_value);

private:
    void initalDefaultData();

    std::map<ConfigType, std::map<int, style_setting_t>> m_configs;
};

} // namespace ui
} // namespace drawlet
