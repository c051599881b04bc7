#include "firmware/httptransfer.h"

#include "firmware/curllibrary.h"

#include <QNetworkProxyFactory>
#include <QNetworkProxyQuery>
#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>

#include <initializer_list>
#include <limits>

namespace {

// What curl reads off the connection at once; the transfer's own buffer holds a few of these.
constexpr long CurlReadBytes = 64 * 1024;

bool isRedirect(int status)
{
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

QNetworkProxy chosenProxy(const QNetworkProxy &proxy, const QUrl &url)
{
    if (proxy.type() != QNetworkProxy::DefaultProxy)
        return proxy;
    return QNetworkProxyFactory::proxyForQuery(QNetworkProxyQuery(url)).value(0);
}

// The proxy as curl names it; empty for none. An HTTP proxy tunnels, as it does for Qt's sockets.
QByteArray proxyAddress(const QNetworkProxy &proxy, bool *tunnel)
{
    QUrl address;
    switch (proxy.type()) {
    case QNetworkProxy::HttpProxy:
        *tunnel = true;
        address.setScheme(QStringLiteral("http"));
        break;
    case QNetworkProxy::HttpCachingProxy:
        address.setScheme(QStringLiteral("http"));
        break;
    case QNetworkProxy::Socks5Proxy:
        address.setScheme(QStringLiteral("socks5h"));
        break;
    default:
        return QByteArray();
    }
    address.setHost(proxy.hostName());
    address.setPort(proxy.port());
    return address.toEncoded();
}

} // namespace

struct HttpTransfer::Curl
{
    explicit Curl(const CurlLibrary::Functions &functions) : api(functions) {}

    const CurlLibrary::Functions &api;
    CURLM *multi = nullptr;
    CURL *easy = nullptr;
    curl_slist *headers = nullptr;
    char error[CURL_ERROR_SIZE] = {};

    ~Curl()
    {
        if (multi && easy)
            api.curl_multi_remove_handle(multi, easy);
        if (easy)
            api.curl_easy_cleanup(easy);
        if (multi)
            api.curl_multi_cleanup(multi);
        api.curl_slist_free_all(headers);
    }

    static CURLcode firstFailure(std::initializer_list<CURLcode> codes)
    {
        for (const CURLcode code : codes) {
            if (code != CURLE_OK)
                return code;
        }
        return CURLE_OK;
    }

    CURLcode setRequest(const QUrl &url, HttpTransfer *self)
    {
        // Asked for, a compressed body would reach the limits of whoever reads it only once inflated.
        headers = api.curl_slist_append(nullptr, "Accept-Encoding: identity");
        return firstFailure({
            api.curl_easy_setopt(easy, CURLOPT_URL, url.toEncoded().constData()),
            api.curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https"),
            api.curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L),
            api.curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, error),
            api.curl_easy_setopt(easy, CURLOPT_USERAGENT, "Lumidesk"),
            api.curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers),
            api.curl_easy_setopt(easy, CURLOPT_HTTP_CONTENT_DECODING, 0L),
            api.curl_easy_setopt(easy, CURLOPT_FORBID_REUSE, 1L),
            api.curl_easy_setopt(easy, CURLOPT_BUFFERSIZE, CurlReadBytes),
            api.curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &Curl::header),
            api.curl_easy_setopt(easy, CURLOPT_HEADERDATA, self),
            api.curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &Curl::write),
            api.curl_easy_setopt(easy, CURLOPT_WRITEDATA, self),
        });
    }

    CURLcode setProxy(const QNetworkProxy &proxy)
    {
        bool tunnel = false;
        const QByteArray address = proxyAddress(proxy, &tunnel);
        const CURLcode code = firstFailure({
            // An empty address keeps curl from taking one from the environment, as Qt does.
            api.curl_easy_setopt(easy, CURLOPT_PROXY, address.constData()),
            api.curl_easy_setopt(easy, CURLOPT_HTTPPROXYTUNNEL, tunnel ? 1L : 0L),
            api.curl_easy_setopt(easy, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L),
        });
        if (code != CURLE_OK || address.isEmpty() || proxy.user().isEmpty())
            return code;
        return firstFailure({
            api.curl_easy_setopt(easy, CURLOPT_PROXYUSERNAME, proxy.user().toUtf8().constData()),
            api.curl_easy_setopt(easy, CURLOPT_PROXYPASSWORD, proxy.password().toUtf8().constData()),
        });
    }

    // The certificates of caPem and no others, not those of the system's folder either; without any,
    // the system's store.
    CURLcode setTrust(const QByteArray &caPem)
    {
        const CURLcode code = firstFailure({
            api.curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 1L),
            api.curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 2L),
        });
        if (code != CURLE_OK || caPem.isEmpty())
            return code;
        curl_blob blob{const_cast<char *>(caPem.constData()), size_t(caPem.size()), CURL_BLOB_COPY};
        return firstFailure({
            api.curl_easy_setopt(easy, CURLOPT_CAINFO_BLOB, &blob),
            api.curl_easy_setopt(easy, CURLOPT_CAPATH, static_cast<char *>(nullptr)),
        });
    }

    CURLMcode watchFor(HttpTransfer *self)
    {
        api.curl_multi_setopt(multi, CURLMOPT_SOCKETFUNCTION, &Curl::socket);
        api.curl_multi_setopt(multi, CURLMOPT_SOCKETDATA, self);
        api.curl_multi_setopt(multi, CURLMOPT_TIMERFUNCTION, &Curl::timer);
        api.curl_multi_setopt(multi, CURLMOPT_TIMERDATA, self);
        return api.curl_multi_add_handle(multi, easy);
    }

    static int socket(CURL *, curl_socket_t socket, int what, void *self, void *)
    {
        static_cast<HttpTransfer *>(self)->watch(socket, what);
        return 0;
    }
    static int timer(CURLM *, long msecs, void *self)
    {
        static_cast<HttpTransfer *>(self)->schedule(msecs);
        return 0;
    }
    static size_t header(char *data, size_t size, size_t count, void *self)
    {
        return static_cast<HttpTransfer *>(self)->takeHeader(data, size * count);
    }
    static size_t write(char *data, size_t size, size_t count, void *self)
    {
        return static_cast<HttpTransfer *>(self)->takeBody(data, size * count);
    }
};

HttpTransfer::HttpTransfer(const QUrl &url, QObject *parent)
    : QObject(parent),
      m_url(url),
      m_timer(new QTimer(this))
{
    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, [this] { drive(CURL_SOCKET_TIMEOUT, 0); });
}

HttpTransfer::~HttpTransfer()
{
    release();
}

void HttpTransfer::setProxy(const QNetworkProxy &proxy)
{
    m_proxy = proxy;
}

void HttpTransfer::setCaCertificates(const QList<QSslCertificate> &certificates)
{
    m_caPem.clear();
    for (const QSslCertificate &certificate : certificates)
        m_caPem += certificate.toPem();
}

void HttpTransfer::setReadBufferSize(qint64 bytes)
{
    m_readBufferBytes = bytes;
}

void HttpTransfer::start()
{
    if (m_curl || m_finished)
        return;
    const QString failure = setUp();
    if (failure.isEmpty())
        return;
    release();
    QTimer::singleShot(0, this, [this, failure] { end(failure); });
}

QString HttpTransfer::setUp()
{
    QString unavailable;
    const CurlLibrary::Functions *functions = CurlLibrary::functions(&unavailable);
    if (!functions)
        return unavailable;
    const QString cannot = QStringLiteral("Cannot set up the transfer");
    m_curl = new Curl(*functions);
    m_curl->multi = m_curl->api.curl_multi_init();
    m_curl->easy = m_curl->api.curl_easy_init();
    if (!m_curl->multi || !m_curl->easy)
        return cannot;
    const CURLcode code = Curl::firstFailure({m_curl->setRequest(m_url, this),
                                              m_curl->setProxy(chosenProxy(m_proxy, m_url)),
                                              m_curl->setTrust(m_caPem)});
    if (code != CURLE_OK)
        return QString::fromUtf8(m_curl->api.curl_easy_strerror(code));
    return m_curl->watchFor(this) == CURLM_OK ? QString() : cannot;
}

void HttpTransfer::watch(qintptr socket, int what)
{
    if (what == CURL_POLL_REMOVE) {
        // curl may close the socket now and open another under the same number.
        for (QSocketNotifier *notifier : {m_readers.take(socket), m_writers.take(socket)}) {
            if (notifier) {
                notifier->setEnabled(false);
                notifier->deleteLater();
            }
        }
        return;
    }
    setWatched(m_readers, socket, what & CURL_POLL_IN);
    setWatched(m_writers, socket, what & CURL_POLL_OUT);
}

void HttpTransfer::setWatched(QHash<qintptr, QSocketNotifier *> &watches, qintptr socket, bool on)
{
    QSocketNotifier *notifier = watches.value(socket);
    if (notifier) {
        notifier->setEnabled(on);
        return;
    }
    if (!on)
        return;
    const bool reading = &watches == &m_readers;
    notifier = new QSocketNotifier(socket, reading ? QSocketNotifier::Read : QSocketNotifier::Write, this);
    const int events = reading ? CURL_CSELECT_IN : CURL_CSELECT_OUT;
    connect(notifier, &QSocketNotifier::activated, this, [this, socket, events] { drive(socket, events); });
    watches.insert(socket, notifier);
}

void HttpTransfer::schedule(long msecs)
{
    if (msecs < 0)
        m_timer->stop();
    else
        m_timer->start(int(qMin<long>(msecs, std::numeric_limits<int>::max())));
}

size_t HttpTransfer::takeHeader(const char *data, size_t bytes)
{
    // Trailers after a chunked body come this way too: the head is what came before the body.
    if (m_headReady)
        return bytes;
    const QByteArray line = QByteArray(data, int(bytes)).trimmed();
    if (line.startsWith("HTTP/")) {
        // A new answer; what came before was an interim one.
        m_headers.clear();
    } else if (line.isEmpty()) {
        endOfHead();
    } else {
        const int colon = line.indexOf(':');
        if (colon > 0)
            m_headers.append({line.left(colon).trimmed(), line.mid(colon + 1).trimmed()});
    }
    // Nothing returned but the bytes taken ends the transfer.
    return m_refusal.isEmpty() ? bytes : 0;
}

void HttpTransfer::endOfHead()
{
    long code = 0;
    m_curl->api.curl_easy_getinfo(m_curl->easy, CURLINFO_RESPONSE_CODE, &code);
    if (code < 200)
        return;
    m_status = int(code);
    curl_off_t length = -1;
    m_curl->api.curl_easy_getinfo(m_curl->easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
    m_contentLength = length;
    if (!hasPlainLength()) {
        m_refusal = QStringLiteral("Content-Length not taken: %1").arg(QString::fromLatin1(rawHeader("Content-Length")));
        return;
    }
    // curl works out where a redirect leads only once the answer is over, and its body is not waited for.
    const QByteArray location = rawHeader("Location");
    if (isRedirect(m_status) && !location.isEmpty()) {
        QUrl target(QString::fromUtf8(location));
        if (!target.isValid())
            target = QUrl(QString::fromLatin1(location));
        m_redirect = m_url.resolved(target);
    }
    m_headReady = true;
}

// curl takes a length too large for it for no length at all, so that a body cut short would pass,
// and the last of several for the length: every length announced must be the one curl holds to.
bool HttpTransfer::hasPlainLength() const
{
    const QByteArray announced = rawHeader("Content-Length");
    if (announced.isNull() || !rawHeader("Transfer-Encoding").isNull())
        return true;
    for (const QByteArray &value : announced.split(',')) {
        bool ok = false;
        if (value.trimmed().toLongLong(&ok) != m_contentLength || !ok)
            return false;
    }
    return true;
}

size_t HttpTransfer::takeBody(const char *data, size_t bytes)
{
    if (m_readBufferBytes > 0 && m_body.size() >= m_readBufferBytes) {
        m_paused = true;
        return CURL_WRITEFUNC_PAUSE;
    }
    m_body.append(data, int(bytes));
    m_received += qint64(bytes);
    return bytes;
}

QByteArray HttpTransfer::rawHeader(const QByteArray &name) const
{
    QByteArray values;
    for (const auto &header : m_headers) {
        if (header.first.compare(name, Qt::CaseInsensitive) != 0)
            continue;
        if (!values.isNull())
            values += ", ";
        values += header.second;
    }
    return values;
}

QByteArray HttpTransfer::read(qint64 maxSize)
{
    QByteArray data;
    if (maxSize >= m_body.size()) {
        data.swap(m_body);
    } else if (maxSize > 0) {
        data = m_body.left(int(maxSize));
        m_body.remove(0, int(maxSize));
    }
    // Room again: what curl holds back comes in now, once we are out of the reader's way.
    if (m_paused)
        QMetaObject::invokeMethod(this, &HttpTransfer::resume, Qt::QueuedConnection);
    return data;
}

void HttpTransfer::drive(qintptr socket, int events)
{
    if (!m_curl)
        return;
    int running = 0;
    m_curl->api.curl_multi_socket_action(m_curl->multi, curl_socket_t(socket), events, &running);
    deliver();
}

// Passes on what curl brought in, now that curl is out of the way and a receiver may abort or delete
// this transfer.
void HttpTransfer::deliver()
{
    const QPointer<HttpTransfer> alive(this);
    if (m_headReady && !m_headDelivered) {
        m_headDelivered = true;
        emit headersReceived();
        if (!alive || m_finished)
            return;
    }
    if (m_received > m_reported) {
        m_reported = m_received;
        emit readyRead();
        if (!alive || m_finished)
            return;
        emit downloadProgress(m_reported, m_contentLength);
        if (!alive || m_finished)
            return;
    }
    int left = 0;
    while (CURLMsg *message = m_curl->api.curl_multi_info_read(m_curl->multi, &left)) {
        if (message->msg == CURLMSG_DONE) {
            endWith(message->data.result);
            return;
        }
    }
    resume();
}

void HttpTransfer::resume()
{
    if (!m_curl || !m_paused || (m_readBufferBytes > 0 && m_body.size() >= m_readBufferBytes))
        return;
    m_paused = false;
    // Hands over what it held back at once, and asks for another turn for the rest.
    m_curl->api.curl_easy_pause(m_curl->easy, CURLPAUSE_CONT);
}

void HttpTransfer::endWith(int code)
{
    if (code == CURLE_OK) {
        end(QString());
        return;
    }
    QString why = !m_refusal.isEmpty() ? m_refusal : QString::fromUtf8(m_curl->error);
    if (why.isEmpty())
        why = QString::fromUtf8(m_curl->api.curl_easy_strerror(CURLcode(code)));
    if (code == CURLE_PEER_FAILED_VERIFICATION) {
        long verified = 0;
        m_curl->api.curl_easy_getinfo(m_curl->easy, CURLINFO_SSL_VERIFYRESULT, &verified);
        // OpenSSL's verdict on the chain; curl checks the name before it takes that verdict, which then
        // stays at its "not verified" (1) when the name is what failed.
        const QSslError error(verified <= 1 ? QSslError::HostNameMismatch : QSslError::CertificateUntrusted);
        const QPointer<HttpTransfer> alive(this);
        emit sslErrors({error});
        if (!alive || m_finished)
            return;
    }
    end(why);
}

void HttpTransfer::abort()
{
    end(QStringLiteral("Operation canceled"));
}

void HttpTransfer::end(const QString &error)
{
    if (m_finished)
        return;
    m_finished = true;
    m_error = error;
    release();
    emit finished();
}

void HttpTransfer::release()
{
    // curl drops its sockets through watch() as it goes.
    Curl *const curl = m_curl;
    m_curl = nullptr;
    delete curl;
    m_timer->stop();
    for (const qintptr socket : m_readers.keys() + m_writers.keys())
        watch(socket, CURL_POLL_REMOVE);
}
