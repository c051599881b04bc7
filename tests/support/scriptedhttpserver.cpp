#include "scriptedhttpserver.h"

#include <QDeadlineTimer>
#include <QHostAddress>
#include <QPointer>
#include <QProcess>
#include <QSslCertificate>
#include <QSslKey>
#include <QSslSocket>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QtTest>

#include <memory>

namespace {

// Guards the tests against a client that never ends its headers.
constexpr int MaxHeaderBytes = 64 * 1024;
// An endless body without pauses is written in pieces of this size, and never further ahead of the
// client than MaxBytesAhead, so the server's own memory stays small however long the client reads.
constexpr int EndlessPieceBytes = 64 * 1024;
constexpr qint64 MaxBytesAhead = 1024 * 1024;

// count bytes of data repeated from offset (taken modulo its size).
QByteArray cycled(const QByteArray &data, qint64 offset, int count)
{
    QByteArray piece;
    piece.reserve(count);
    int at = int(offset % data.size());
    while (piece.size() < count) {
        const int take = qMin(count - piece.size(), data.size() - at);
        piece.append(data.constData() + at, take);
        at = (at + take) % data.size();
    }
    return piece;
}

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

// Hands out plain sockets, or with a certificate TLS sockets that start the server side of the handshake.
class ScriptedHttpServer::Listener : public QTcpServer
{
public:
    using QTcpServer::QTcpServer;
    QSslCertificate certificate;
    QSslKey key;

protected:
    void incomingConnection(qintptr descriptor) override
    {
        if (certificate.isNull()) {
            QTcpServer::incomingConnection(descriptor);
            return;
        }
        auto *socket = new QSslSocket(this);
        if (!socket->setSocketDescriptor(descriptor)) {
            delete socket;
            return;
        }
        socket->setLocalCertificate(certificate);
        socket->setPrivateKey(key);
        socket->startServerEncryption();
        addPendingConnection(socket);
    }
};

ScriptedHttpServer::ScriptedHttpServer(QObject *parent) : QObject(parent), m_server(new Listener(this))
{
    connect(m_server, &QTcpServer::newConnection, this, &ScriptedHttpServer::acceptConnections);
}

ScriptedHttpServer::~ScriptedHttpServer() = default;

bool ScriptedHttpServer::listen()
{
    return m_server->listen(QHostAddress::LocalHost, 0);
}

bool ScriptedHttpServer::listenTls(const QByteArray &certificatePem, const QByteArray &keyPem)
{
    m_server->certificate = QSslCertificate(certificatePem, QSsl::Pem);
    m_server->key = QSslKey(keyPem, QSsl::Ec, QSsl::Pem);
    if (m_server->key.isNull())
        m_server->key = QSslKey(keyPem, QSsl::Rsa, QSsl::Pem);
    if (m_server->certificate.isNull() || m_server->key.isNull() || !QSslSocket::supportsSsl())
        return false;
    return listen();
}

quint16 ScriptedHttpServer::port() const
{
    return m_server->serverPort();
}

QUrl ScriptedHttpServer::url(const QString &path) const
{
    const QString scheme = m_server->certificate.isNull() ? QStringLiteral("http") : QStringLiteral("https");
    return QUrl(QStringLiteral("%1://127.0.0.1:%2%3").arg(scheme).arg(port()).arg(path));
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

bool ScriptedHttpServer::probeArrives(int timeoutMsecs)
{
    QTcpSocket probe;
    probe.connectToHost(QHostAddress::LocalHost, port());
    if (!probe.waitForConnected(timeoutMsecs))
        return false;
    probe.write("GET /probe HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
    return QTest::qWaitFor([this] { return !m_requests.isEmpty() && m_requests.last().path == "/probe"; },
                           timeoutMsecs);
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
            const int index = m_requests.size() - 1;
            QTimer::singleShot(reply.delayMsecs, Qt::PreciseTimer, this, [this, guarded, reply, index] {
                if (guarded && guarded->state() == QAbstractSocket::ConnectedState)
                    answer(guarded, reply);
                else
                    emit replyDropped(index);
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
    else if (reply.announcedLength >= 0)
        head += "Content-Length: " + QByteArray::number(reply.announcedLength) + "\r\n";
    else if (reply.sendContentLength && !reply.endless)
        head += "Content-Length: " + QByteArray::number(reply.body.size()) + "\r\n";
    else
        head += "Connection: close\r\n";
    head += "\r\n";
    if (!reply.wireBody.isEmpty()) {
        socket->write(head + reply.wireBody);
        socket->flush();
        socket->disconnectFromHost();
        return;
    }
    if (reply.endless && !reply.body.isEmpty()) {
        socket->write(head);
        sendEndless(socket, reply, 0);
        return;
    }

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
    const bool falseLength = reply.announcedLength >= 0 && reply.announcedLength != reply.body.size();
    if (cut || falseLength || (!reply.chunked && !reply.sendContentLength)) {
        socket->flush();
        socket->disconnectFromHost();
    }
}

void ScriptedHttpServer::sendEndless(QTcpSocket *socket, const Reply &reply, qint64 offset)
{
    const bool chunked = reply.chunked;
    const auto frame = [chunked](const QByteArray &piece) {
        return chunked ? QByteArray::number(piece.size(), 16) + "\r\n" + piece + "\r\n" : piece;
    };
    if (reply.pieceDelayMsecs > 0) {
        const int size = reply.pieceBytes > 0 ? reply.pieceBytes : reply.body.size();
        socket->write(frame(cycled(reply.body, offset, size)));
        QPointer<QTcpSocket> guarded(socket);
        QTimer::singleShot(reply.pieceDelayMsecs, Qt::PreciseTimer, this, [this, guarded, reply, offset, size] {
            if (guarded && guarded->state() == QAbstractSocket::ConnectedState)
                sendEndless(guarded, reply, offset + size);
        });
        return;
    }
    // As fast as the client reads: topped up whenever the socket has written some of what it holds.
    const int size = reply.pieceBytes > 0 ? reply.pieceBytes : EndlessPieceBytes;
    auto next = std::make_shared<qint64>(offset);
    const auto topUp = [socket, reply, next, size, frame] {
        while (socket->state() == QAbstractSocket::ConnectedState && socket->bytesToWrite() < MaxBytesAhead) {
            socket->write(frame(cycled(reply.body, *next, size)));
            *next += size;
        }
    };
    connect(socket, &QTcpSocket::bytesWritten, this, topUp);
    topUp();
}

ScriptedHttpServer::Reply ScriptedHttpServer::bodyReply(const QByteArray &body, int status)
{
    Reply reply;
    reply.status = status;
    reply.body = body;
    return reply;
}

QByteArray ScriptedHttpServer::letters(int size)
{
    QByteArray data(size, '\0');
    for (int i = 0; i < size; ++i)
        data[i] = char('a' + i % 26);
    return data;
}

QByteArray ScriptedHttpServer::gzipped(const QByteArray &data, int count)
{
    QProcess gzip;
    gzip.start(QStringLiteral("gzip"), {QStringLiteral("-c"), QStringLiteral("-n"), QStringLiteral("-9")});
    if (!gzip.waitForStarted())
        return QByteArray();
    QByteArray result;
    for (int i = 0; i < count; ++i) {
        gzip.write(data);
        // Drain the output as we go, so neither pipe fills up and blocks the other.
        while (gzip.bytesToWrite() > 0) {
            gzip.waitForBytesWritten(1000);
            result += gzip.readAllStandardOutput();
        }
    }
    gzip.closeWriteChannel();
    while (gzip.waitForReadyRead(5000))
        result += gzip.readAllStandardOutput();
    gzip.waitForFinished();
    result += gzip.readAllStandardOutput();
    return gzip.exitStatus() == QProcess::NormalExit && gzip.exitCode() == 0 ? result : QByteArray();
}
