#include "scriptedhttpserver.h"

#include <QDeadlineTimer>
#include <QHostAddress>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QtTest>

namespace {

// Guards the tests against a client that never ends its headers.
constexpr int MaxHeaderBytes = 64 * 1024;

QByteArray reasonPhrase(int status)
{
    switch (status) {
    case 200: return "OK";
    case 204: return "No Content";
    case 301: return "Moved Permanently";
    case 302: return "Found";
    case 304: return "Not Modified";
    case 400: return "Bad Request";
    case 403: return "Forbidden";
    case 404: return "Not Found";
    case 500: return "Internal Server Error";
    case 503: return "Service Unavailable";
    default: return "Status";
    }
}

} // namespace

QByteArray ScriptedHttpServer::Request::header(const QByteArray &name) const
{
    for (const auto &pair : headers) {
        if (pair.first.compare(name, Qt::CaseInsensitive) == 0)
            return pair.second;
    }
    return QByteArray();
}

ScriptedHttpServer::ScriptedHttpServer(QObject *parent) : QObject(parent), m_server(new QTcpServer(this))
{
    connect(m_server, &QTcpServer::newConnection, this, &ScriptedHttpServer::acceptConnections);
}

ScriptedHttpServer::~ScriptedHttpServer() = default;

bool ScriptedHttpServer::listen()
{
    return m_server->listen(QHostAddress::LocalHost, 0);
}

quint16 ScriptedHttpServer::port() const
{
    return m_server->serverPort();
}

QUrl ScriptedHttpServer::url(const QString &path) const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(port()).arg(path));
}

void ScriptedHttpServer::setDefaultReply(const Reply &reply)
{
    m_defaultReply = reply;
}

void ScriptedHttpServer::enqueueReply(const Reply &reply)
{
    m_queue.enqueue(reply);
}

void ScriptedHttpServer::route(const QByteArray &path, const Reply &reply)
{
    m_routes.insert(path, reply);
}

bool ScriptedHttpServer::waitForRequests(int count, int timeoutMsecs)
{
    QDeadlineTimer deadline(timeoutMsecs);
    while (m_requests.size() < count && !deadline.hasExpired())
        QTest::qWait(10);
    return m_requests.size() >= count;
}

void ScriptedHttpServer::acceptConnections()
{
    while (QTcpSocket *socket = m_server->nextPendingConnection()) {
        m_buffers.insert(socket, QByteArray());
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { readFrom(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            m_buffers.remove(socket);
            socket->deleteLater();
        });
    }
}

void ScriptedHttpServer::readFrom(QTcpSocket *socket)
{
    QPointer<QTcpSocket> guarded(socket);
    QByteArray buffer = m_buffers.value(socket) + socket->readAll();
    Request request;
    while (takeRequest(buffer, request)) {
        m_requests.append(request);
        const Reply reply = replyFor(request);
        emit requestReceived(m_requests.size() - 1);
        if (reply.delayMsecs > 0) {
            QTimer::singleShot(reply.delayMsecs, Qt::PreciseTimer, this, [this, guarded, reply] {
                if (guarded && guarded->state() == QAbstractSocket::ConnectedState)
                    answer(guarded, reply);
            });
        } else {
            answer(socket, reply);
        }
        // An answer may close the connection, and with it the socket's buffer.
        if (!guarded || !m_buffers.contains(socket) || socket->state() != QAbstractSocket::ConnectedState)
            return;
    }
    if (buffer.size() > MaxHeaderBytes && !buffer.contains("\r\n\r\n")) {
        socket->abort();
        return;
    }
    m_buffers.insert(socket, buffer);
}

bool ScriptedHttpServer::takeRequest(QByteArray &buffer, Request &request)
{
    const int headerEnd = buffer.indexOf("\r\n\r\n");
    if (headerEnd < 0)
        return false;
    const QList<QByteArray> lines = buffer.left(headerEnd).split('\n');
    Request parsed;
    const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
    parsed.method = requestLine.value(0);
    parsed.target = requestLine.value(1);
    const int question = parsed.target.indexOf('?');
    parsed.path = question < 0 ? parsed.target : parsed.target.left(question);
    parsed.query = question < 0 ? QByteArray() : parsed.target.mid(question + 1);
    for (int i = 1; i < lines.size(); ++i) {
        const QByteArray line = lines.at(i).trimmed();
        const int colon = line.indexOf(':');
        if (colon > 0)
            parsed.headers.append({line.left(colon).trimmed(), line.mid(colon + 1).trimmed()});
    }
    const int length = parsed.header("Content-Length").toInt();
    const int bodyStart = headerEnd + 4;
    if (buffer.size() - bodyStart < length)
        return false;
    parsed.body = buffer.mid(bodyStart, length);
    buffer.remove(0, bodyStart + length);
    request = parsed;
    return true;
}

ScriptedHttpServer::Reply ScriptedHttpServer::replyFor(const Request &request)
{
    const auto routed = m_routes.constFind(request.path);
    if (routed != m_routes.constEnd())
        return routed.value();
    if (!m_queue.isEmpty())
        return m_queue.dequeue();
    return m_defaultReply;
}

void ScriptedHttpServer::answer(QTcpSocket *socket, const Reply &reply)
{
    if (reply.dropConnection) {
        socket->abort();
        return;
    }
    QByteArray head = "HTTP/1.1 " + QByteArray::number(reply.status) + ' ' + reasonPhrase(reply.status) + "\r\n";
    bool hasType = false;
    for (const auto &pair : reply.headers) {
        head += pair.first + ": " + pair.second + "\r\n";
        hasType = hasType || pair.first.compare("Content-Type", Qt::CaseInsensitive) == 0;
    }
    if (!hasType)
        head += "Content-Type: application/octet-stream\r\n";
    if (reply.chunked)
        head += "Transfer-Encoding: chunked\r\n";
    else if (reply.sendContentLength)
        head += "Content-Length: " + QByteArray::number(reply.body.size()) + "\r\n";
    else
        head += "Connection: close\r\n";
    head += "\r\n";

    // A cut chunked body stops inside a chunk whose header announced all of it.
    const bool cut = reply.bodyBytesToSend >= 0 && reply.bodyBytesToSend < reply.body.size();
    const int sendBytes = cut ? reply.bodyBytesToSend : reply.body.size();
    const int pieceBytes = reply.pieceBytes > 0 ? reply.pieceBytes : qMax(1, reply.body.size());
    QList<QByteArray> pieces;
    for (int at = 0; at < sendBytes; at += pieceBytes) {
        const QByteArray piece = reply.body.mid(at, pieceBytes);
        const QByteArray sent = piece.left(sendBytes - at);
        pieces.append(reply.chunked ? QByteArray::number(piece.size(), 16) + "\r\n" + sent
                                          + (sent.size() == piece.size() ? "\r\n" : "")
                                    : sent);
    }
    if (reply.chunked && !cut)
        pieces.append("0\r\n\r\n");
    if (pieces.isEmpty())
        pieces.append(QByteArray());
    pieces.first().prepend(head);
    sendPieces(socket, pieces, 0, reply);
}

void ScriptedHttpServer::sendPieces(QTcpSocket *socket, const QList<QByteArray> &pieces, int index,
                                    const Reply &reply)
{
    socket->write(pieces.at(index));
    if (index + 1 < pieces.size()) {
        QPointer<QTcpSocket> guarded(socket);
        QTimer::singleShot(reply.pieceDelayMsecs, Qt::PreciseTimer, this, [this, guarded, pieces, index, reply] {
            if (guarded && guarded->state() == QAbstractSocket::ConnectedState)
                sendPieces(guarded, pieces, index + 1, reply);
        });
        return;
    }
    const bool cut = reply.bodyBytesToSend >= 0 && reply.bodyBytesToSend < reply.body.size();
    if (cut || (!reply.chunked && !reply.sendContentLength)) {
        socket->flush();
        socket->disconnectFromHost();
    }
}
