#include "analytics/deviceinfo.h"

#include "system/systemfacts.h"

#include <QGuiApplication>
#include <QLocale>
#include <QRect>
#include <QScreen>
#include <QStringList>

namespace {

// Parses a decimal number from the start of the text, the way "%d" does: optional blanks and sign,
// then digits; 0 when no digit follows.
int leadingNumber(const QString &text)
{
    const QString trimmed = text.trimmed();
    int end = 0;
    if (end < trimmed.size() && (trimmed.at(end) == QLatin1Char('-') || trimmed.at(end) == QLatin1Char('+')))
        ++end;
    while (end < trimmed.size() && trimmed.at(end).isDigit() && trimmed.at(end).unicode() < 128)
        ++end;
    bool ok = false;
    const int number = trimmed.left(end).toInt(&ok);
    return ok ? number : 0;
}

} // namespace

DeviceInfo::DeviceInfo(platform::SystemFacts *facts)
    : QObject(nullptr), m_facts(facts ? facts : platform::SystemFacts::instance())
{
}

QString DeviceInfo::getCountry() const
{
    return QLocale::countryToString(QLocale().country());
}

QString DeviceInfo::getLanguage() const
{
    return QLocale().name();
}

int DeviceInfo::getMacOS(int field) const
{
    if (field < 1)
        return 0;
    const QStringList parts = m_facts->osVersion().split(QLatin1Char('.'));
    return leadingNumber(parts.value(field - 1));
}

QString DeviceInfo::getOS() const
{
    return QStringLiteral("Linux %1.%2.%3").arg(getMacOS(1)).arg(getMacOS(2)).arg(getMacOS(3));
}

QString DeviceInfo::getCPUType() const
{
    return m_facts->cpuBrand();
}

QString DeviceInfo::getCores() const
{
    // A system that cannot tell still runs on at least one processor.
    const int count = m_facts->cpuCount();
    return QString::number(count > 0 ? count : 1);
}

QString DeviceInfo::getRAM() const
{
    return QString::number(m_facts->memoryBytes() / (1024 * 1024)) + QStringLiteral("MB");
}

QString DeviceInfo::getScreenResolution() const
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    const QRect geometry = screen ? screen->geometry() : QRect();
    return QStringLiteral("%1x%2").arg(geometry.width()).arg(geometry.height());
}

QString DeviceInfo::getUserAgent() const
{
    return QStringLiteral("X11; Linux %1_%2_%3").arg(getMacOS(1)).arg(getMacOS(2)).arg(getMacOS(3));
}
