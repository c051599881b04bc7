#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPair>
#include <QQueue>
#include <QUrl>

class QTcpServer;
class QTcpSocket;

// A small HTTP/1.1 server on 127.0.0.1 for tests: it records every request it receives and answers
// each with a scripted reply (status, headers, body, a delay, a cut-off body, a dropped connection, an
// endless or dripping body, a false length). Replies are chosen by path first, then from the queue of
// one-shot replies, then the default reply. With listenTls() it speaks HTTPS instead.
class ScriptedHttpServer : public QObject
{
    Q_OBJECT

public:
    struct Reply
    {
        int status = 200;
        QByteArray body;
        QList<QPair<QByteArray, QByteArray>> headers;
        // Waits this long before answering.
        int delayMsecs = 0;
        // Sends only this many bytes of the body (a Content-Length of the full body is still
        // announced) and then closes the connection; -1 sends it all.
        int bodyBytesToSend = -1;
        // Closes the connection without any answer.
        bool dropConnection = false;
        // Sends the body with chunked transfer coding; a body cut by bodyBytesToSend then ends
        // without its last (empty) chunk.
        bool chunked = false;
        // Leaves out the Content-Length and ends the body by closing the connection.
        bool sendContentLength = true;
        // Sends the body in pieces of this many bytes, the first with the headers and each further
        // one pieceDelayMsecs after the one before; 0 sends it at once.
        int pieceBytes = 0;
        int pieceDelayMsecs = 0;
        // Sends the body over and over until the client goes away (in pieces as above; without a
        // delay, as fast as the client reads). No Content-Length unless announcedLength gives one.
        bool endless = false;
        // Announces this Content-Length whatever the body sent; -1 announces the body's own length.
        qint64 announcedLength = -1;
        // When set, sent after the headers byte for byte in place of the body, then the connection
        // closes: framing that no sound server sends (chunked still announces its coding).
        QByteArray wireBody;
    };

    struct Request
    {
        QByteArray method;
        QByteArray target;
        QByteArray path;
        QByteArray query;
        QList<QPair<QByteArray, QByteArray>> headers;
        QByteArray body;

        // The first header of that name, compared without regard to case; null when absent.
        QByteArray header(const QByteArray &name) const;
    };

    explicit ScriptedHttpServer(QObject *parent = nullptr);
    ~ScriptedHttpServer() override;

    // Listens on 127.0.0.1 at a free port.
    bool listen();
    // Listens on 127.0.0.1 at a free port for HTTPS, with this certificate and key (PEM).
    bool listenTls(const QByteArray &certificatePem, const QByteArray &keyPem);
    quint16 port() const;
    QUrl url(const QString &path = QStringLiteral("/")) const;

    void setDefaultReply(const Reply &reply);
    void enqueueReply(const Reply &reply);
    void route(const QByteArray &path, const Reply &reply);

    QList<Request> requests() const { return m_requests; }
    // Connections accepted and not yet closed, by either side.
    int openConnections() const { return m_buffers.size(); }
    int requestCount() const { return m_requests.size(); }
    // Runs the event loop until at least count requests arrived or the time is up.
    bool waitForRequests(int count, int timeoutMsecs = 5000);
    // Sends a plain request of the test's own and returns once it has arrived: whatever a download
    // sent before it has arrived by then too, so what the server did not get, it never gets.
    bool probeArrives(int timeoutMsecs = 30000);

    // A reply with this body and status, the rest as by default.
    static Reply bodyReply(const QByteArray &body, int status = 200);
    // size bytes of "abc...zabc...", a body whose every cut is easy to see.
    static QByteArray letters(int size);
    // The gzip form of count copies of data, for Content-Encoding: gzip bodies (made by the gzip tool).
    static QByteArray gzipped(const QByteArray &data, int count = 1);

signals:
    void requestReceived(int index);
    // A delayed reply found its client gone when its time came, and was not sent.
    void replyDropped(int index);

private:
    void acceptConnections();
    void readFrom(QTcpSocket *socket);
    bool takeRequest(QByteArray &buffer, Request &request);
    Reply replyFor(const Request &request);
    void answer(QTcpSocket *socket, const Reply &reply);
    void sendPieces(QTcpSocket *socket, const QList<QByteArray> &pieces, int index, const Reply &reply);
    void sendEndless(QTcpSocket *socket, const Reply &reply, qint64 offset);

    class Listener;
    Listener *m_server;
    QHash<QTcpSocket *, QByteArray> m_buffers;
    QHash<QByteArray, Reply> m_routes;
    QQueue<Reply> m_queue;
    Reply m_defaultReply;
    QList<Request> m_requests;
};
