#include "panelfixture.h"

#include "localclient.h"

#include "linkrawserver.h"
#include "linkrawsocket.h"

#include <QAbstractButton>
#include <QSignalSpy>
#include <QtTest>

namespace {
const int OneHourMs = 60 * 60 * 1000;
const char SyncReply[] = "cap_showLumidesk/p";
}

DeskpadWidget::Timing PanelFixture::quietTiming()
{
    DeskpadWidget::Timing timing;
    timing.countdownStepMs = 20;
    timing.countdownLastStepMs = 5;
    timing.tickMs = OneHourMs;
    return timing;
}

PanelFixture::PanelFixture() = default;

PanelFixture::~PanelFixture()
{
    m_panel.reset();
    m_server.reset();
}

bool PanelFixture::start(const DeskpadWidget::Timing &timing)
{
    m_server.reset(new LinkRawServer);
    if (!m_server->listen(QLatin1String(LocalClient::ServerName)))
        return false;
    m_panel.reset(new DeskpadWidget);
    m_panel->setTiming(timing);
    if (!QTest::qWaitFor([this] { return m_panel->checkServerAlive() && m_server->newestPeer(); }, 15000))
        return false;
    m_peer = m_server->newestPeer();
    return sync();
}

bool PanelFixture::send(const QString &message)
{
    m_peer->writeFrame(message);
    return sync();
}

bool PanelFixture::click(const char *name)
{
    QAbstractButton *button = child<QAbstractButton>(name);
    if (!button || !button->isVisible() || !button->isEnabled())
        return false;
    button->click();
    return sync();
}

bool PanelFixture::sync()
{
    // The panel handles messages in order, and sends in order: a marker each way passes only behind
    // everything before it.
    const int marker = ++m_sequence;
    QSignalSpy hided(m_panel.get(), &DeskpadWidget::lumideskHided);
    m_peer->writeFrame(QStringLiteral("cap_hideLumidesk/p%1/p0").arg(marker));
    const bool received = QTest::qWaitFor([&] {
        for (const QList<QVariant> &arguments : qAsConst(hided)) {
            if (arguments.at(0).toInt() == marker)
                return true;
        }
        return false;
    }, 15000);
    if (!received)
        return false;
    m_panel->showLumidesk(marker, 0);
    const QString reply = QStringLiteral("%1%2/p0").arg(QLatin1String(SyncReply)).arg(marker);
    return QTest::qWaitFor([&] { return m_peer->messages().contains(reply); }, 15000);
}

QStringList PanelFixture::take()
{
    QStringList messages;
    for (const QString &message : m_peer->messages()) {
        if (!message.startsWith(QLatin1String(SyncReply)) && message != QLatin1String(LocalClient::PanelGreeting))
            messages.append(message);
    }
    m_peer->clearMessages();
    return messages;
}
