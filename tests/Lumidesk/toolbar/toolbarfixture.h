#pragma once

// What the toolbar tests share: the simulated devices, a toolbar made the way the program makes it,
// a scripted record and live panel on the real local command link, and readers for what the toolbar
// shows and reports.

#include "common/settingspath.h"
#include "core/platformbackend.h"
#include "desktop/desktoppaths.h"
#include "ipc/localsocketpath.h"
#include "linkrawsocket.h"
#include "notificationdialog.h"
#include "toolbar/link/localserver.h"
#include "toolbar/lumidesk.h"
#include "windowprobes.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QSettings>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

#include <functional>
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

    // Greets on connecting, as the panel does: the toolbar serves a connection only once it has spoken.
    bool connectToToolbar()
    {
        if (!m_link.connectTo(platform::LocalSocketPath::fullPath(QString::fromLatin1(LocalServer::ServerName)),
                              3000))
            return false;
        send(QString::fromLatin1(LocalServer::PanelGreeting));
        return true;
    }

    void disconnectFromToolbar() { m_link.socket()->disconnectFromServer(); }
    void send(const QString &text) { m_link.writeFrame(text); }

    QStringList received() const { return m_link.messages(); }
    void clear() { m_link.clearMessages(); }
    int count(const QString &text) const { return m_link.messages().count(text); }
    // Lets everything the toolbar sent before this call arrive: the link keeps the order, so what has
    // not come once the marker has was never sent.
    bool settle(Lumidesk &bar)
    {
        const QString marker = QStringLiteral("test_marker/p") + QString::number(++m_markers);
        bar.localServer()->sendMessage(marker);
        return QTest::qWaitFor([&] { return m_link.messages().contains(marker); }, 10000);
    }

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
    int m_markers = 0;
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

// Runs what was queued to the receiver's thread before this call: queued calls run in the order they
// were posted, so what they would have done is done once this returns true.
inline bool runQueued(QObject &receiver)
{
    const auto ran = std::make_shared<bool>(false);
    QMetaObject::invokeMethod(&receiver, [ran] { *ran = true; }, Qt::QueuedConnection);
    return QTest::qWaitFor([&] { return *ran; }, 10000);
}

// Waits until a timer of twice ms, started now, has fired: a timer of this thread started before with
// an interval of ms has fired by then, however late either ran.
inline bool outlastTimer(int ms)
{
    const auto fired = std::make_shared<bool>(false);
    QTimer::singleShot(2 * ms, [fired] { *fired = true; });
    return QTest::qWaitFor([&] { return *fired; }, 2 * ms + 10000);
}

// Timers short enough for a test.
inline Lumidesk::Timing testTiming(int stopNoticeDelayMs = 200)
{
    Lumidesk::Timing timing;
    timing.stopNoticeDelayMs = stopNoticeDelayMs;
    timing.reconnectDelayMs = 300;
    // A scripted panel slow under load is not taken for a deaf one; the deadline's own tests set theirs.
    timing.panelEchoDeadlineMs = 60000;
    return timing;
}

// Stop notices the toolbar scheduled, held until the test lets them out: "not yet" is then what the
// test has seen, not a race with a timer. The list outlives this holder while the toolbar may still
// hand it a notice.
class HeldNotices
{
public:
    void holdFor(Lumidesk &bar)
    {
        Lumidesk::Timing timing = testTiming();
        timing.deferStopNotice = [held = m_held](std::function<void()> notice) { held->append(std::move(notice)); };
        bar.setTiming(timing);
    }

    int count() const { return int(m_held->size()); }

    void release()
    {
        const QList<std::function<void()>> held = std::move(*m_held);
        m_held->clear();
        for (const std::function<void()> &notice : held)
            notice();
    }

private:
    std::shared_ptr<QList<std::function<void()>>> m_held = std::make_shared<QList<std::function<void()>>>();
};

// A toolbar as the program shows it after start-up: frameless, on top, at its saved place, with
// timers short enough for a test.
inline std::unique_ptr<Lumidesk> makeToolbar(int stopNoticeDelayMs = 200)
{
    auto toolbar = std::make_unique<Lumidesk>();
    toolbar->setWindowFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    toolbar->setTiming(testTiming(stopNoticeDelayMs));
    toolbar->show();
    toolbar->loadLastPoint();
    return toolbar;
}

} // namespace toolbar
