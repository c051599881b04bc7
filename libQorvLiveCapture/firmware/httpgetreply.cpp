#include "firmware/httpgetreply.h"

#include <QSslConfiguration>
#include <QSslSocket>
#include <QTcpSocket>
#include <QTimer>

namespace {

QNetworkReply::NetworkError replyError(QAbstractSocket::SocketError error)
{
    switch (error) {
    case QAbstractSocket::ConnectionRefusedError:
        return QNetworkReply::ConnectionRefusedError;
    case QAbstractSocket::HostNotFoundError:
        return QNetworkReply::HostNotFoundError;
    case QAbstractSocket::SocketTimeoutError:
        return QNetworkReply::TimeoutError;
    case QAbstractSocket::SslHandshakeFailedError:
    case QAbstractSocket::SslInternalError:
    case QAbstractSocket::SslInvalidUserDataError:
        return QNetworkReply::SslHandshakeFailedError;
    case QAbstractSocket::ProxyConnectionRefusedError:
    case QAbstractSocket::ProxyConnectionClosedError:
    case QAbstractSocket::ProxyConnectionTimeoutError:
    case QAbstractSocket::ProxyNotFoundError:
    case QAbstractSocket::ProxyProtocolError:
    case QAbstractSocket::ProxyAuthenticationRequiredError:
        return QNetworkReply::ProxyConnectionRefusedError;
    default:
        return QNetworkReply::UnknownNetworkError;
    }
}

bool isRedirect(int status)
{
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

QByteArray hostHeader(const QUrl &url)
{
    QByteArray host = url.host(QUrl::FullyEncoded).toLatin1();
    if (host.contains(':'))
        host = '[' + host + ']';
    const bool secure = url.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0;
    const int port = url.port();
    if (port >= 0 && port != (secure ? 443 : 80))
        host += ':' + QByteArray::number(port);
    return host;
}

} // namespace

HttpGetReply::HttpGetReply(const QNetworkRequest &request, const QNetworkProxy &proxy, QObject *parent)
    : QNetworkReply(parent)
{
    setRequest(request);
    setUrl(request.url());
    setOperation(QNetworkAccessManager::GetOperation);
    open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    connectToServer(proxy);
}

HttpGetReply::~HttpGetReply()
{
    if (m_socket)
        m_socket->abort();
}

void HttpGetReply::connectToServer(const QNetworkProxy &proxy)
{
    const QUrl address = url();
    const bool secure = address.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0;
    if (!secure && address.scheme().compare(QLatin1String("http"), Qt::CaseInsensitive) != 0) {
        QTimer::singleShot(0, this, [this] { end(ProtocolUnknownError, QStringLiteral("Not an HTTP address")); });
        return;
    }
    const QString host = address.host();
    const quint16 port = quint16(address.port(secure ? 443 : 80));
    if (secure) {
        auto *socket = new QSslSocket(this);
        socket->setSslConfiguration(request().sslConfiguration());
        connect(socket, &QSslSocket::encrypted, this, [this] {
            setAttribute(QNetworkRequest::ConnectionEncryptedAttribute, true);
            sendRequest();
        });
        connect(socket, QOverload<const QList<QSslError> &>::of(&QSslSocket::sslErrors), this,
                [this](const QList<QSslError> &errors) { emit sslErrors(errors); });
        m_socket = socket;
    } else {
        m_socket = new QTcpSocket(this);
        connect(m_socket, &QTcpSocket::connected, this, &HttpGetReply::sendRequest);
    }
    m_socket->setProxy(proxy);
    m_socket->setReadBufferSize(readBufferSize());
    connect(m_socket, &QTcpSocket::readyRead, this, &HttpGetReply::readSocket);
    connect(m_socket, &QTcpSocket::errorOccurred, this, &HttpGetReply::socketError);
    connect(m_socket, &QTcpSocket::disconnected, this, &HttpGetReply::socketClosed);
    if (secure)
        static_cast<QSslSocket *>(m_socket)->connectToHostEncrypted(host, port);
    else
        m_socket->connectToHost(host, port);
}

void HttpGetReply::sendRequest()
{
    const QUrl address = url();
    QByteArray target = address.path(QUrl::FullyEncoded).toLatin1();
    if (target.isEmpty())
        target = "/";
    if (address.hasQuery())
        target += '?' + address.query(QUrl::FullyEncoded).toLatin1();
    QByteArray head = "GET " + target + " HTTP/1.1\r\nHost: " + hostHeader(address) + "\r\n";
    const QList<QByteArray> names = request().rawHeaderList();
    for (const QByteArray &name : names) {
        // Ours are fixed: one answer on this connection, and its body as it is.
        if (name.compare("Host", Qt::CaseInsensitive) == 0 || name.compare("Connection", Qt::CaseInsensitive) == 0
            || name.compare("Accept-Encoding", Qt::CaseInsensitive) == 0) {
            continue;
        }
        head += name + ": " + request().rawHeader(name) + "\r\n";
    }
    if (!request().hasRawHeader("User-Agent"))
        head += "User-Agent: Lumidesk\r\n";
    head += "Accept-Encoding: identity\r\nConnection: close\r\n\r\n";
    m_socket->write(head);
}

void HttpGetReply::readSocket()
{
    while (!m_ended && m_socket && m_socket->bytesAvailable() > 0 && hasRoom()) {
        const qint64 room = readBufferSize() > 0 ? readBufferSize() - m_body.size() : m_socket->bytesAvailable();
        const qint64 before = m_body.size();
        const bool fine = m_reader.feed(m_socket->read(qMin(room, m_socket->bytesAvailable())), &m_body);
        if (m_reader.hasHead() && !m_headTaken) {
            takeHead();
            // The head may have been enough for whoever reads this answer.
            if (m_ended)
                return;
        }
        if (!fine) {
            end(ProtocolFailure, m_reader.errorString());
            return;
        }
        if (m_body.size() > before) {
            m_received += m_body.size() - before;
            emit readyRead();
            if (m_ended)
                return;
            emit downloadProgress(m_received, m_reader.contentLength());
            if (m_ended)
                return;
        }
        if (m_reader.state() == HttpResponseReader::Done) {
            end(NoError, QString());
            return;
        }
    }
    if (m_socketClosed && !m_ended && (!m_socket || m_socket->bytesAvailable() == 0)) {
        m_reader.closed();
        if (m_reader.hasHead() && !m_headTaken)
            takeHead();
        if (m_ended)
            return;
        if (m_reader.state() == HttpResponseReader::Done)
            end(NoError, QString());
        else
            end(RemoteHostClosedError, m_reader.errorString());
    }
}

void HttpGetReply::takeHead()
{
    m_headTaken = true;
    const int status = m_reader.status();
    setAttribute(QNetworkRequest::HttpStatusCodeAttribute, status);
    setAttribute(QNetworkRequest::HttpReasonPhraseAttribute, QString::fromLatin1(m_reader.reasonPhrase()));
    QList<QByteArray> seen;
    for (const auto &header : m_reader.headers()) {
        const QByteArray name = header.first;
        QByteArray value = header.second;
        const QByteArray known = rawHeader(name);
        if (seen.contains(name.toLower()))
            value = known + ", " + value;
        seen.append(name.toLower());
        setRawHeader(name, value);
    }
    if (isRedirect(status) && hasRawHeader("Location")) {
        const QByteArray location = rawHeader("Location");
        QUrl target(QString::fromUtf8(location));
        if (!target.isValid())
            target = QUrl(QString::fromLatin1(location));
        setAttribute(QNetworkRequest::RedirectionTargetAttribute, target);
    }
    emit metaDataChanged();
}

void HttpGetReply::socketError(QAbstractSocket::SocketError error)
{
    // The server's close ends the body or cuts it short: the reader tells which, once all is read.
    if (error == QAbstractSocket::RemoteHostClosedError) {
        socketClosed();
        return;
    }
    end(replyError(error), m_socket ? m_socket->errorString() : QString());
}

void HttpGetReply::socketClosed()
{
    if (m_socketClosed)
        return;
    m_socketClosed = true;
    readSocket();
}

void HttpGetReply::abort()
{
    if (m_ended)
        return;
    if (m_socket)
        m_socket->abort();
    end(OperationCanceledError, QStringLiteral("Operation canceled"));
}

qint64 HttpGetReply::bytesAvailable() const
{
    return m_body.size() + QNetworkReply::bytesAvailable();
}

void HttpGetReply::setReadBufferSize(qint64 size)
{
    QNetworkReply::setReadBufferSize(size);
    if (m_socket)
        m_socket->setReadBufferSize(size);
}

qint64 HttpGetReply::readData(char *data, qint64 maxSize)
{
    if (m_body.isEmpty())
        return m_ended ? -1 : 0;
    const qint64 taken = qMin<qint64>(maxSize, m_body.size());
    std::copy_n(m_body.constData(), taken, data);
    m_body.remove(0, int(taken));
    // Room again: what the connection held back comes in now.
    if (!m_ended && m_socket && m_socket->bytesAvailable() > 0)
        QMetaObject::invokeMethod(this, &HttpGetReply::readSocket, Qt::QueuedConnection);
    return taken;
}

qint64 HttpGetReply::writeData(const char *, qint64)
{
    return -1;
}

void HttpGetReply::end(NetworkError error, const QString &text)
{
    if (m_ended)
        return;
    m_ended = true;
    if (m_socket) {
        disconnect(m_socket, nullptr, this, nullptr);
        if (error == NoError)
            m_socket->disconnectFromHost();
        else
            m_socket->abort();
    }
    if (error != NoError) {
        setError(error, text);
        emit errorOccurred(error);
    }
    setFinished(true);
    emit finished();
}

bool HttpGetReply::hasRoom() const
{
    return readBufferSize() <= 0 || m_body.size() < readBufferSize();
}
