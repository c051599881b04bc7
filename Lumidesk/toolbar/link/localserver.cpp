#include "toolbar/link/localserver.h"

#include "common/lumidesklog.h"

#include "ipc/localcommandtext.h"
#include "ipc/localframecodec.h"
#include "ipc/locallistener.h"

#include <QPointer>
#include <QTimer>

#include <limits>

using platform::LocalCommandText;
using platform::LocalFrameCodec;
using platform::LocalListener;

const char LocalServer::ServerName[] = "LumideskServer";
const char LocalServer::PanelGreeting[] = "cap_panelReady";

namespace {

// The main program's levels by meaning: 2 errors, 4 state changes, 7 message traces.
const Journix::LogLevel ErrorLevel = Journix::Critical;
const Journix::LogLevel StateLevel = Journix::Warning;
const Journix::LogLevel TraceLevel = Journix::Debug;
static_assert(ErrorLevel == 2 && StateLevel == 4 && TraceLevel == 7, "the link's log levels");

// Bounds for what the panel sends: positions reach window moves (X11 coordinates are 16-bit), the
// volume goes on as a signed 8-bit value, an index picks an audio input, seconds go to statistics and
// remote-control answers.
const int MinCoordinate = -32768;
const int MaxCoordinate = 32767;
const int MinVolume = -128;
const int MaxVolume = 127;
const int MaxAudioDevices = 256;
const int MaxSeconds = std::numeric_limits<int>::max();

QString number(int value)
{
    return QString::number(value);
}

int coordinate(const QString &text, int k)
{
    return LocalCommandText::intArgument(text, k, MinCoordinate, MaxCoordinate);
}

int seconds(const QString &text, int k)
{
    return LocalCommandText::intArgument(text, k, 0, MaxSeconds);
}

struct Command
{
    const char *word;
    void (*read)(LocalServer *server, const QString &text);
};

const Command commands[] = {
    {"cap_showLumidesk", [](LocalServer *s, const QString &t) {
         emit s->lumideskShow(coordinate(t, 1), coordinate(t, 2));
     }},
    {"cap_startRecord", [](LocalServer *s, const QString &) { emit s->recordStart(); }},
    {"cap_pauseRecord", [](LocalServer *s, const QString &) { emit s->recordPause(); }},
    {"cap_stopRecord", [](LocalServer *s, const QString &t) { emit s->recordStop(seconds(t, 1)); }},
    {"cap_startLive", [](LocalServer *s, const QString &) { emit s->liveStart(); }},
    {"cap_stopLive", [](LocalServer *s, const QString &t) { emit s->liveStop(seconds(t, 1)); }},
    {"cap_showAudioMenu", [](LocalServer *s, const QString &) { emit s->audioMenuShow(); }},
    {"cap_changeAudioSource", [](LocalServer *s, const QString &t) {
         emit s->audioSourceChange(LocalCommandText::argument(t, 1),
                                   LocalCommandText::intArgument(t, 2, 0, MaxAudioDevices));
     }},
    {"cap_MacChangeAudioSource", [](LocalServer *s, const QString &t) {
         emit s->audioSourceChange(LocalCommandText::argument(t, 1), LocalCommandText::argument(t, 2),
                                   LocalCommandText::intArgument(t, 3, 0, MaxAudioDevices));
     }},
    {"cap_setAudioSource", [](LocalServer *s, const QString &t) {
         emit s->doSaveAudioSetting(LocalCommandText::argument(t, 1));
     }},
    {"cap_removeAudioSource", [](LocalServer *s, const QString &) { emit s->audioSourceRemove(); }},
    {"cap_changeVolume", [](LocalServer *s, const QString &t) {
         emit s->volumeChange(LocalCommandText::intArgument(t, 1, MinVolume, MaxVolume));
     }},
    {"cap_hideRecordWidget", [](LocalServer *s, const QString &) { emit s->recordWidgetHide(); }},
    {"cap_hideLiveWidget", [](LocalServer *s, const QString &) { emit s->liveWidgetHide(); }},
    {"cap_getRecordTime", [](LocalServer *s, const QString &t) { emit s->recordTimeGet(seconds(t, 1)); }},
    {"cap_getLiveTime", [](LocalServer *s, const QString &t) { emit s->liveTimeGet(seconds(t, 1)); }},
    // Only makes its connection the one served.
    {LocalServer::PanelGreeting, [](LocalServer *, const QString &) {}},
};

const Command *findCommand(const QString &text)
{
    for (const Command &command : commands) {
        if (text.startsWith(QLatin1String(command.word)))
            return &command;
    }
    return nullptr;
}

} // namespace

LocalServer::LocalServer(QObject *parent)
    : QObject(parent)
{
    m_listener = new LocalListener(this);
    QString error;
    if (!m_listener->listen(QLatin1String(ServerName), &error))
        _LumideskLog::log(ErrorLevel, QStringLiteral("Unable to start the server: %s"),
                          error.toLatin1().constData());
    connect(m_listener, &LocalListener::newConnection, this, &LocalServer::socketConnected);
}

LocalServer::~LocalServer()
{
    // The sockets are children of the listener; they must not report back while it goes.
    for (QLocalSocket *socket : qAsConst(m_sockets))
        socket->disconnect(this);
    delete m_listener;
    m_listener = nullptr;
}

bool LocalServer::isListening() const
{
    return m_listener && m_listener->isListening();
}

bool LocalServer::isPanelConnected() const
{
    return m_socket && m_socket->state() == QLocalSocket::ConnectedState;
}

void LocalServer::sendMessage(const QString &text)
{
    _LumideskLog::log(TraceLevel, QStringLiteral("Send message = %s"), text.toLatin1().constData());
    if (!isPanelConnected())
        return;
    m_socket->write(LocalFrameCodec::encode(text));
    m_socket->flush();
}

void LocalServer::readMessage(const QString &text)
{
    _LumideskLog::log(TraceLevel, QStringLiteral("Read message = %s"), text.toLatin1().constData());
    if (const Command *command = findCommand(text))
        command->read(this, text);
    else
        _LumideskLog::log(ErrorLevel, QStringLiteral("Client message error !"));
}

void LocalServer::disconnectSocket()
{
    if (m_socket)
        m_socket->disconnectFromServer();
}

void LocalServer::setEchoDeadline(int ms, const DeadlineKeeper &keeper)
{
    m_echoDeadlineMs = ms;
    m_deadlineKeeper = keeper;
}

void LocalServer::sendCommand(const QString &word, const EchoMissed &missed)
{
    const bool served = isPanelConnected();
    sendMessage(word);
    if (!missed)
        return;
    if (served)
        awaitEcho(word, missed);
    else
        handBack({Awaited{0, word, missed, false}});
}

void LocalServer::awaitEcho(const QString &word, const EchoMissed &missed, bool question)
{
    const quint64 id = ++m_awaitedCount;
    m_peers[m_socket].awaited.append(Awaited{id, word, missed, question});
    if (!m_deadlineKeeper) {
        QTimer::singleShot(m_echoDeadlineMs, this, [this, id] { echoDeadlinePassed(id); });
        return;
    }
    m_deadlineKeeper([server = QPointer<LocalServer>(this), id] {
        if (server)
            server->echoDeadlinePassed(id);
    });
}

bool LocalServer::noteEcho(QLocalSocket *socket, const QString &text)
{
    const auto peer = m_peers.find(socket);
    if (peer == m_peers.end())
        return false;
    // Answers come in the order of the questions: the oldest of the word is the one answered.
    const QString word = LocalCommandText::sections(text).value(0);
    for (int i = 0; i < peer->awaited.size(); ++i) {
        if (peer->awaited.at(i).word == word)
            return peer->awaited.takeAt(i).question;
    }
    return false;
}

void LocalServer::echoDeadlinePassed(quint64 id)
{
    for (auto peer = m_peers.begin(); peer != m_peers.end(); ++peer) {
        for (const Awaited &awaited : qAsConst(peer->awaited)) {
            if (awaited.id != id)
                continue;
            _LumideskLog::log(StateLevel, QStringLiteral("No echo of %s: the connection is no panel until it speaks."),
                              awaited.word.toLatin1().constData());
            demote(peer.key());
            return;
        }
    }
}

void LocalServer::demote(QLocalSocket *socket)
{
    Peer &peer = m_peers[socket];
    peer.spokeAt = 0;
    const QList<Awaited> awaited = std::move(peer.awaited);
    peer.awaited.clear();
    if (socket == m_socket)
        serve(connectionToServe());
    handBack(awaited);
}

void LocalServer::handBack(const QList<Awaited> &awaited)
{
    // Later, from the event loop: the commands are carried out anew from where they began, never from
    // inside this server's own bookkeeping.
    for (const Awaited &each : awaited) {
        if (each.missed)
            QMetaObject::invokeMethod(this, [missed = each.missed] { missed(); }, Qt::QueuedConnection);
    }
}

void LocalServer::hideLumidesk(int x, int y)
{
    sendMessage(LocalCommandText::build(QStringLiteral("cap_hideLumidesk"), {number(x), number(y)}));
}

void LocalServer::changeLang(const QString &lang)
{
    sendMessage(LocalCommandText::build(QStringLiteral("cap_changeLanguage"), {lang}));
}

void LocalServer::showRecordWidget()
{
    sendMessage(QStringLiteral("cap_showRecordWidget"));
}

void LocalServer::showLiveWidget()
{
    sendMessage(QStringLiteral("cap_showLiveWidget"));
}

void LocalServer::updateAudioList(const QList<QString> &names)
{
    QStringList arguments{number(names.size())};
    arguments += names;
    sendMessage(LocalCommandText::build(QStringLiteral("cap_updateAudioList"), arguments));
}

void LocalServer::updateAudioList(const QList<QString> &names, const QList<QString> &ids)
{
    // The count is that of the names; a shorter id list sends empty ids rather than reading past it.
    QStringList arguments{number(names.size())};
    for (int i = 0; i < names.size(); ++i) {
        arguments += names.at(i);
        arguments += ids.value(i);
    }
    sendMessage(LocalCommandText::build(QStringLiteral("cap_MacUpdateAudioList"), arguments));
}

void LocalServer::updateAudioSource(const QString &id)
{
    sendMessage(LocalCommandText::build(QStringLiteral("cap_updateAudioSource"), {id}));
}

void LocalServer::updateVolume(int v)
{
    sendMessage(LocalCommandText::build(QStringLiteral("cap_updateVolume"), {number(v)}));
}

void LocalServer::updateLevelReport(int level)
{
    sendMessage(LocalCommandText::build(QStringLiteral("cap_updateLevelReport"), {number(level)}));
}

void LocalServer::showWarningBtn()
{
    sendMessage(QStringLiteral("cap_showWarningBtn"));
}

void LocalServer::hideWarningBtn()
{
    sendMessage(QStringLiteral("cap_hideWarningBtn"));
}

void LocalServer::setAutoRecord(bool on)
{
    sendMessage(LocalCommandText::build(QStringLiteral("cap_setAutoRecord"), {number(on ? 1 : 0)}));
}

void LocalServer::showNotification()
{
    sendMessage(QStringLiteral("cap_showNotification"));
}

void LocalServer::showLiveWarningBtn()
{
    sendMessage(QStringLiteral("cap_showLiveWarningBtn"));
}

void LocalServer::hideLiveWarningBtn()
{
    sendMessage(QStringLiteral("cap_hideLiveWarningBtn"));
}

void LocalServer::updateLiveStatus(int kbps, int fps)
{
    sendMessage(LocalCommandText::build(QStringLiteral("cap_updateLiveStatus"), {number(kbps), number(fps)}));
}

void LocalServer::getRecordTime(const EchoMissed &missed)
{
    sendCommand(QStringLiteral("cap_getRecordTime"), missed);
}

void LocalServer::startRecord(const EchoMissed &missed)
{
    sendCommand(QStringLiteral("cap_startRecord"), missed);
}

void LocalServer::pauseRecord(const EchoMissed &missed)
{
    sendCommand(QStringLiteral("cap_pauseRecord"), missed);
}

void LocalServer::stopRecord(const EchoMissed &missed)
{
    sendCommand(QStringLiteral("cap_stopRecord"), missed);
}

void LocalServer::getLiveTime(const EchoMissed &missed)
{
    sendCommand(QStringLiteral("cap_getLiveTime"), missed);
}

void LocalServer::startLive(const EchoMissed &missed)
{
    sendCommand(QStringLiteral("cap_startLive"), missed);
}

void LocalServer::stopLive(const EchoMissed &missed)
{
    sendCommand(QStringLiteral("cap_stopLive"), missed);
}

void LocalServer::socketConnected(QLocalSocket *socket)
{
    _LumideskLog::log(StateLevel, QStringLiteral("Socket connetcted"));
    connect(socket, &QLocalSocket::disconnected, this, &LocalServer::socketDisconnected);
    connect(socket, &QLocalSocket::readyRead, this, &LocalServer::socketRead);
    connect(socket, &QLocalSocket::errorOccurred, this, &LocalServer::displayError);
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QObject::destroyed, this, &LocalServer::socketDestroyed);
    m_sockets.append(socket);
    Peer peer;
    peer.lastActivity = ++m_activityCount;
    m_peers.insert(socket, peer);
    // Not served before it speaks: a connection that says nothing must not take the panel's place.
    closeIdleConnections(socket);
}

void LocalServer::closeIdleConnections(QLocalSocket *newcomer)
{
    // Every open connection holds a file descriptor; connections nobody closes must not take the
    // process's last ones. The panel needs one, a second start's check another for a moment.
    while (m_sockets.size() > MaxConnections) {
        QLocalSocket *socket = connectionToClose(newcomer);
        if (!socket)
            return;
        _LumideskLog::log(StateLevel, QStringLiteral("Socket closed: too many connections"));
        closeSocket(socket);
    }
}

QLocalSocket *LocalServer::connectionToClose(QLocalSocket *newcomer) const
{
    // A panel rarely writes, so being idle long says little about it; having never spoken says that
    // the connection is no panel. The current one is the one the panel is served on; the newcomer
    // has not had the time to greet.
    QLocalSocket *chosen = nullptr;
    for (QLocalSocket *socket : qAsConst(m_sockets)) {
        if (socket == m_socket || socket == newcomer)
            continue;
        if (!chosen) {
            chosen = socket;
            continue;
        }
        const Peer candidate = m_peers.value(socket);
        const Peer best = m_peers.value(chosen);
        const bool candidateSpoke = candidate.spokeAt != 0;
        const bool bestSpoke = best.spokeAt != 0;
        const bool sooner = candidateSpoke == bestSpoke ? candidate.lastActivity < best.lastActivity : !candidateSpoke;
        if (sooner)
            chosen = socket;
    }
    return chosen;
}

QLocalSocket *LocalServer::connectionToServe() const
{
    // The most recent greeting wins.
    QLocalSocket *chosen = nullptr;
    quint64 newest = 0;
    for (QLocalSocket *socket : qAsConst(m_sockets)) {
        const quint64 spokeAt = m_peers.value(socket).spokeAt;
        if (spokeAt > newest) {
            newest = spokeAt;
            chosen = socket;
        }
    }
    return chosen;
}

void LocalServer::serve(QLocalSocket *socket)
{
    m_socket = socket;
    // What was sent while another connection was current, or none, never reached this one.
    if (m_socket)
        emit localSocketReady();
}

void LocalServer::socketDisconnected()
{
    _LumideskLog::log(StateLevel, QStringLiteral("Socket disconnetcted"));
    forgetSocket(sender());
}

void LocalServer::socketDestroyed(QObject *object)
{
    _LumideskLog::log(StateLevel, QStringLiteral("Socket destroyed"));
    forgetSocket(object);
}

void LocalServer::forgetSocket(QObject *object)
{
    // Only the connection that went away is forgotten: the death of another leaves the current one in
    // place. What it was still to echo it never will.
    QList<Awaited> awaited;
    for (int i = m_sockets.size() - 1; i >= 0; --i) {
        if (static_cast<QObject *>(m_sockets.at(i)) == object) {
            awaited += m_peers.take(m_sockets.at(i)).awaited;
            m_sockets.removeAt(i);
        }
    }
    if (static_cast<QObject *>(m_socket) == object)
        serve(connectionToServe());
    handBack(awaited);
}

bool LocalServer::noteActivity(QLocalSocket *socket, bool command)
{
    const auto peer = m_peers.find(socket);
    if (peer == m_peers.end())
        return false;
    peer->lastActivity = ++m_activityCount;
    if (!command || peer->spokeAt != 0)
        return false;
    peer->spokeAt = peer->lastActivity;
    return true;
}

void LocalServer::socketRead()
{
    QPointer<QLocalSocket> socket = qobject_cast<QLocalSocket *>(sender());
    QPointer<LocalServer> self(this);
    // Only complete messages are dispatched; a partial one stays in the socket until the rest
    // arrives, so the GUI thread never waits for data.
    while (self && socket && socket->bytesAvailable() > 0) {
        QString text;
        switch (LocalFrameCodec::decode(socket, &text)) {
        case LocalFrameCodec::Complete: {
            const bool answersQuestion = noteEcho(socket, text);
            // Served before its command is carried out: what the command makes the toolbar send
            // goes back to it.
            if (noteActivity(socket, findCommand(text) != nullptr)) {
                serve(socket);
                if (!self || !socket)
                    return;
            }
            if (!answersQuestion)
                readMessage(text);
            break;
        }
        case LocalFrameCodec::Incomplete:
            return;
        case LocalFrameCodec::Corrupt:
            // Nothing after a broken frame can be trusted to start on a message boundary.
            _LumideskLog::log(ErrorLevel, QStringLiteral("Client message error !"));
            closeSocket(socket);
            return;
        }
    }
}

void LocalServer::closeSocket(QLocalSocket *socket)
{
    forgetSocket(socket);
    socket->abort();
    socket->deleteLater();
}

void LocalServer::displayError(QLocalSocket::LocalSocketError socketError)
{
    switch (socketError) {
    case QLocalSocket::ConnectionRefusedError:
        _LumideskLog::log(ErrorLevel,
                          QStringLiteral("The connection was refused by the peer.%1Make sure the fortune "
                                         "server is running, and check that the host name and port "
                                         "settings are correct.")
                              .arg(QString(9, QLatin1Char(' '))));
        break;
    case QLocalSocket::ServerNotFoundError:
        _LumideskLog::log(ErrorLevel,
                          QStringLiteral("The host was not found. Please check the host name and%1port "
                                         "settings.")
                              .arg(QString(96, QLatin1Char(' '))));
        break;
    case QLocalSocket::PeerClosedError:
        break;
    default: {
        auto *socket = qobject_cast<QLocalSocket *>(sender());
        const QString reason = socket ? socket->errorString() : QString();
        _LumideskLog::log(ErrorLevel, QStringLiteral("The following error occurred: %s"),
                          reason.toLatin1().constData());
        break;
    }
    }
}
