#include "localclient.h"

#include "desktop/installlayout.h"
#include "ipc/localcommandtext.h"
#include "ipc/localframecodec.h"
#include "ipc/localsocketpath.h"

#include <QPointer>
#include <QTimer>

using platform::LocalCommandText;
using platform::LocalFrameCodec;
using platform::LocalSocketPath;

const char LocalClient::ServerName[] = "LumideskServer";
const char LocalClient::PanelGreeting[] = "cap_panelReady";

namespace {

// Bounds for what the main program sends: a list count sizes the lists the panel builds, positions
// reach window moves (X11 coordinates are 16-bit), volume and level feed a 0-100 slider and meter.
const int MaxAudioDevices = 256;
const int MinCoordinate = -32768;
const int MaxCoordinate = 32767;
const int MaxPercent = 100;
const int MaxKbps = 10 * 1000 * 1000;
const int MaxFps = 1000;

QString number(int value)
{
    return QString::number(value);
}

struct Command
{
    const char *word;
    void (*read)(LocalClient *client, const QString &message);
};

} // namespace

LocalClient::LocalClient(QObject *parent)
    : QObject(parent)
{
    // The audio lists may also be delivered through queued connections.
    qRegisterMetaType<QList<QString>>();

    m_socket = new QLocalSocket(this);
    connect(m_socket, &QLocalSocket::connected, this, &LocalClient::socketConnected);
    connect(m_socket, &QLocalSocket::disconnected, this, &LocalClient::socketDisconnected);
    connect(m_socket, &QLocalSocket::readyRead, this, &LocalClient::socketRead);
    connect(m_socket, &QLocalSocket::errorOccurred, this, &LocalClient::displayError);

    m_aliveTimer = new QTimer(this);
    connect(m_aliveTimer, &QTimer::timeout, this, &LocalClient::checkAliveTimeout);
    m_aliveTimer->start(AliveIntervalMs);
}

LocalClient::~LocalClient()
{
    // Closing the socket here must not tell the panel that the server went away.
    m_socket->disconnect(this);
    delete m_socket;
    m_socket = nullptr;
}

void LocalClient::requestNewConnection()
{
    if (!m_socket || m_socket->state() == QLocalSocket::ConnectedState)
        return;
    m_socket->abort();
    connectToServer();
}

void LocalClient::connectToServer()
{
    m_socket->connectToServer(LocalSocketPath::fullPath(QLatin1String(ServerName)),
                              QIODevice::ReadWrite);
}

void LocalClient::reconnect()
{
    if (!m_reconnecting || m_socket->state() != QLocalSocket::UnconnectedState)
        return;
    m_triedSinceCheck = true;
    connectToServer();
}

bool LocalClient::checkAlive() const
{
    return m_socket && m_socket->state() == QLocalSocket::ConnectedState;
}

void LocalClient::sendMessage(const QString &message)
{
    if (!checkAlive())
        return;
    m_socket->write(LocalFrameCodec::encode(message));
    m_socket->flush();
}

void LocalClient::readMessage(const QString &message)
{
    static const Command commands[] = {
        {"cap_hideLumidesk", [](LocalClient *c, const QString &m) {
             emit c->lumideskHided(LocalCommandText::intArgument(m, 1, MinCoordinate, MaxCoordinate),
                                   LocalCommandText::intArgument(m, 2, MinCoordinate, MaxCoordinate));
         }},
        {"cap_changeLanguage", [](LocalClient *c, const QString &m) {
             const QString lang = LocalCommandText::argument(m, 1);
             if (isValidLanguageCode(lang))
                 emit c->langChanged(lang);
         }},
        {"cap_showRecordWidget", [](LocalClient *c, const QString &) { emit c->recordWidgetShow(); }},
        {"cap_showLiveWidget", [](LocalClient *c, const QString &) { emit c->liveWidgetShow(); }},
        {"cap_updateAudioList", [](LocalClient *c, const QString &m) { c->readAudioList(m); }},
        {"cap_MacUpdateAudioList", [](LocalClient *c, const QString &m) { c->readMacAudioList(m); }},
        {"cap_updateAudioSource", [](LocalClient *c, const QString &m) {
             emit c->audioSourceUpdate(LocalCommandText::argument(m, 1));
         }},
        {"cap_updateVolume", [](LocalClient *c, const QString &m) {
             emit c->volumeUpdate(LocalCommandText::intArgument(m, 1, 0, MaxPercent));
         }},
        {"cap_updateLevelReport", [](LocalClient *c, const QString &m) {
             emit c->levelReportUpdate(LocalCommandText::intArgument(m, 1, 0, MaxPercent));
         }},
        {"cap_showWarningBtn", [](LocalClient *c, const QString &) { emit c->warningBtnShow(); }},
        {"cap_hideWarningBtn", [](LocalClient *c, const QString &) { emit c->warningBtnHided(); }},
        {"cap_setAutoRecord", [](LocalClient *c, const QString &m) {
             emit c->autoRecordSet(LocalCommandText::argument(m, 1).toInt(nullptr, 10) != 0);
         }},
        {"cap_showNotification", [](LocalClient *c, const QString &) { emit c->notificationShow(); }},
        {"cap_showLiveWarningBtn", [](LocalClient *c, const QString &) { emit c->liveWarningBtnShow(); }},
        {"cap_hideLiveWarningBtn", [](LocalClient *c, const QString &) { emit c->liveWarningBtnHided(); }},
        {"cap_updateLiveStatus", [](LocalClient *c, const QString &m) {
             emit c->liveStatusUpdate(LocalCommandText::intArgument(m, 1, 0, MaxKbps),
                                      LocalCommandText::intArgument(m, 2, 0, MaxFps));
         }},
        {"cap_getRecordTime", [](LocalClient *c, const QString &) { emit c->recordTimeGet(); }},
        {"cap_startRecord", [](LocalClient *c, const QString &) { emit c->recordStart(); }},
        {"cap_pauseRecord", [](LocalClient *c, const QString &) { emit c->recordPause(); }},
        {"cap_stopRecord", [](LocalClient *c, const QString &) { emit c->recordStop(); }},
        {"cap_getLiveTime", [](LocalClient *c, const QString &) { emit c->liveTimeGet(); }},
        {"cap_startLive", [](LocalClient *c, const QString &) { emit c->liveStart(); }},
        {"cap_stopLive", [](LocalClient *c, const QString &) { emit c->liveStop(); }},
    };

    for (const Command &command : commands) {
        if (message.startsWith(QLatin1String(command.word))) {
            command.read(this, message);
            return;
        }
    }
}

bool LocalClient::isValidLanguageCode(const QString &lang)
{
    return platform::InstallLayout::isLanguageCode(lang);
}

void LocalClient::readAudioList(const QString &message)
{
    const int count = LocalCommandText::intArgument(message, 1, 0, MaxAudioDevices);
    const QStringList sections = LocalCommandText::sections(message);
    QList<QString> names;
    names.reserve(count);
    for (int i = 0; i < count; ++i)
        names.append(sections.value(2 + i));
    emit audioListUpdate(names);
}

void LocalClient::readMacAudioList(const QString &message)
{
    const int count = LocalCommandText::intArgument(message, 1, 0, MaxAudioDevices);
    const QStringList sections = LocalCommandText::sections(message);
    QList<QString> names;
    QList<QString> uuids;
    names.reserve(count);
    uuids.reserve(count);
    for (int i = 0; i < count; ++i) {
        names.append(sections.value(2 + 2 * i));
        uuids.append(sections.value(3 + 2 * i));
    }
    emit audioListUpdate(names, uuids);
}

void LocalClient::showLumidesk(int x, int y)
{
    sendMessage(LocalCommandText::build(QStringLiteral("cap_showLumidesk"), {number(x), number(y)}));
}

void LocalClient::startRecord()
{
    sendMessage(QStringLiteral("cap_startRecord"));
}

void LocalClient::pauseRecord()
{
    sendMessage(QStringLiteral("cap_pauseRecord"));
}

void LocalClient::stopRecord(int time)
{
    sendMessage(LocalCommandText::build(QStringLiteral("cap_stopRecord"), {number(time)}));
}

void LocalClient::startLive()
{
    sendMessage(QStringLiteral("cap_startLive"));
}

void LocalClient::stopLive(int time)
{
    sendMessage(LocalCommandText::build(QStringLiteral("cap_stopLive"), {number(time)}));
}

void LocalClient::showAudioMenu()
{
    sendMessage(QStringLiteral("cap_showAudioMenu"));
}

void LocalClient::changeAudioSource(const QString &id, int index)
{
    sendMessage(LocalCommandText::build(QStringLiteral("cap_changeAudioSource"), {id, number(index)}));
}

void LocalClient::changeAudioSource(const QString &name, const QString &uuid, int index)
{
    sendMessage(LocalCommandText::build(QStringLiteral("cap_MacChangeAudioSource"),
                                        {name, uuid, number(index)}));
}

void LocalClient::doSaveAudioSetting(const QString &name)
{
    sendMessage(LocalCommandText::build(QStringLiteral("cap_setAudioSource"), {name}));
}

void LocalClient::removeAudioSource()
{
    sendMessage(QStringLiteral("cap_removeAudioSource"));
}

void LocalClient::changeVolume(int value)
{
    sendMessage(LocalCommandText::build(QStringLiteral("cap_changeVolume"), {number(value)}));
}

void LocalClient::hideRecordWidget()
{
    sendMessage(QStringLiteral("cap_hideRecordWidget"));
}

void LocalClient::hideLiveWidget()
{
    sendMessage(QStringLiteral("cap_hideLiveWidget"));
}

void LocalClient::updateRecordTime(int time)
{
    sendMessage(LocalCommandText::build(QStringLiteral("cap_getRecordTime"), {number(time)}));
}

void LocalClient::updateLiveTime(int time)
{
    sendMessage(LocalCommandText::build(QStringLiteral("cap_getLiveTime"), {number(time)}));
}

void LocalClient::socketConnected()
{
    m_reconnecting = false;
    sendMessage(QLatin1String(PanelGreeting));
}

void LocalClient::socketDisconnected()
{
    // Only a new connection tells whether the server went or just closed this one. Not from inside
    // the socket's own signal.
    m_reconnecting = true;
    if (!m_triedSinceCheck)
        QTimer::singleShot(0, this, &LocalClient::reconnect);
}

void LocalClient::socketRead()
{
    // Only complete messages are dispatched; a partial one stays in the socket until its remaining
    // bytes arrive, so the GUI thread never waits for data.
    QPointer<LocalClient> self(this);
    while (self && m_socket && m_socket->bytesAvailable() > 0) {
        QString message;
        switch (LocalFrameCodec::decode(m_socket, &message)) {
        case LocalFrameCodec::Complete:
            readMessage(message);
            break;
        case LocalFrameCodec::Incomplete:
            return;
        case LocalFrameCodec::Corrupt:
            // Nothing after a broken frame can be trusted to start on a message boundary.
            m_socket->abort();
            return;
        }
    }
}

void LocalClient::displayError(QLocalSocket::LocalSocketError socketError)
{
    // Nobody serves the name any more. Any other failure (no descriptor free, a full backlog that
    // timed out) is tried again at the next check.
    const bool gone = socketError == QLocalSocket::ServerNotFoundError
                      || socketError == QLocalSocket::ConnectionRefusedError;
    if (!m_reconnecting || !gone)
        return;
    m_reconnecting = false;
    emit serverShutdown();
}

void LocalClient::checkAliveTimeout()
{
    m_triedSinceCheck = false;
    if (checkAlive())
        return;
    if (m_reconnecting)
        reconnect();
    else
        emit serverShutdown();
}
