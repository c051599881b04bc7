#pragma once

// What the toolbar tests share: the simulated devices, a toolbar made the way the program makes it,
// a scripted record and live panel on the real local command link, and readers for what the toolbar
// shows and reports.

#include "common/settingspath.h"
#include "common/widgets/notificationdialog.h"
#include "core/platformbackend.h"
#include "desktop/desktoppaths.h"
#include "ipc/localsocketpath.h"
#include "linkrawsocket.h"
#include "toolbar/link/localserver.h"
#include "toolbar/lumidesk.h"
#include "windowprobes.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QSettings>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

namespace toolbar {

// A record and live panel as DrawletApp's plug-in is: it connects to the toolbar's local server,
// collects every message and echoes the record and live commands as the panel does (a stop carries
// the seconds it counted), so a stop or pause that starts in the program takes effect.
class ScriptedPanel : public QObject
{
    Q_OBJECT

public:
    bool echo = true;
    int seconds = 0;

    ScriptedPanel() { connect(&m_link, &LinkRawSocket::messageReceived, this, &ScriptedPanel::reply); }

    bool connectToToolbar()
    {
        return m_link.connectTo(platform::LocalSocketPath::fullPath(QString::fromLatin1(LocalServer::ServerName)),
                                3000);
    }

    void disconnectFromToolbar() { m_link.socket()->disconnectFromServer(); }
    void send(const QString &text) { m_link.writeFrame(text); }

    QStringList received() const { return m_link.messages(); }
    void clear() { m_link.clearMessages(); }
    int count(const QString &text) const { return m_link.messages().count(text); }
    bool has(const QString &prefix) const
    {
        for (const QString &message : m_link.messages()) {
            if (message.startsWith(prefix))
                return true;
        }
        return false;
    }

private:
    void reply(const QString &text)
    {
        if (!echo)
            return;
        const QString withSeconds = QStringLiteral("/p") + QString::number(seconds);
        if (text == QLatin1String("cap_startRecord") || text == QLatin1String("cap_pauseRecord")
            || text == QLatin1String("cap_startLive"))
            send(text);
        else if (text == QLatin1String("cap_stopRecord") || text == QLatin1String("cap_stopLive")
                 || text == QLatin1String("cap_getRecordTime") || text == QLatin1String("cap_getLiveTime"))
            send(text + withSeconds);
    }

    LinkRawSocket m_link;
};

inline void useSimulatedDevices()
{
    QApplication::setApplicationName(QStringLiteral("Lumidesk"));
    platform::PlatformBackend::select(platform::PlatformBackend::Simulated);
}

inline void writeSettings(const QVariantMap &values)
{
    QFile::remove(_GUID_SETTING_INI);
    QSettings settings(_GUID_SETTING_INI, QSettings::IniFormat);
    settings.setValue(QStringLiteral("Guid/Enabled"), 0);
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        settings.setValue(it.key(), it.value());
}

inline QString tivlo(const QString &leaf)
{
    return platform::DesktopPaths::documentsFolder() + QStringLiteral("/Qorv/Tivlo/") + leaf;
}

// A toolbar as the program shows it after start-up: frameless, on top, at its saved place, with
// timers short enough for a test.
inline std::unique_ptr<Lumidesk> makeToolbar(int stopNoticeDelayMs = 200)
{
    auto toolbar = std::make_unique<Lumidesk>();
    toolbar->setWindowFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    Lumidesk::Timing timing;
    timing.stopNoticeDelayMs = stopNoticeDelayMs;
    timing.reconnectDelayMs = 300;
    toolbar->setTiming(timing);
    toolbar->show();
    toolbar->loadLastPoint();
    return toolbar;
}

} // namespace toolbar
