#include "configmanager.h"

#include <QDebug>

namespace drawlet {
namespace ui {

ConfigManager::ConfigManager(QObject *parent)
    : QObject(parent)
{
    initalDefaultData();
}

void ConfigManager::initalDefaultData()
{
    // The pen's button images carry the width's name, the highlighter's its size in pixels; the
    // medium pen image is named "mmedium" in the application's resources.
    m_configs[PEN_CONFIG] = {
        {4, {QStringLiteral("small"), QStringLiteral("btn_line-style_small")}},
        {8, {QStringLiteral("medium"), QStringLiteral("btn_line-style_mmedium")}},
        {16, {QStringLiteral("large"), QStringLiteral("btn_line-style_large")}},
    };
    m_configs[HIGHLIGHTER_CONFIG] = {
        {12, {QStringLiteral("small"), QStringLiteral("btn_line-style_12")}},
        {16, {QStringLiteral("medium"), QStringLiteral("btn_line-style_16")}},
        {20, {QStringLiteral("large"), QStringLiteral("btn_line-style_20")}},
    };
}

bool ConfigManager::fetchConfig(std::map<int, style_setting_t> &config, ConfigType type) const
{
    const auto found = m_configs.find(type);
    if (found == m_configs.end()) {
        qDebug().nospace() << "can't find [ " << int(type) << "] configuration";
        return false;
    }
    if (found->second.empty()) {
        qCritical() << "Invalid configuration";
        return false;
    }
    if (&config != &found->second)
        config = found->second;
    return true;
}

void ConfigManager::handleConfigChange(ConfigType index)
{
    std::map<int, style_setting_t> config;
    if (fetchConfig(config, index))
        emit configChanged(index, config, config.begin()->first);
}

void ConfigManager::handleConfigChange(ConfigType index, int itemValue)
{
    std::map<int, style_setting_t> config;
    if (fetchConfig(config, index))
        emit configChanged(index, config, itemValue);
}

void ConfigManager::fetchWidthMLString(QString &width_ml, const QString &object_name)
{
    if (object_name == QLatin1String("small"))
        width_ml = tr("small");
    else if (object_name == QLatin1String("medium"))
        width_ml = tr("medium");
    else if (object_name == QLatin1String("large"))
        width_ml = tr("large");
}

} // namespace ui
} // namespace drawlet
