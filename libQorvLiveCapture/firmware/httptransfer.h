#pragma once

#include "qorvlivecaptureglobal.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QNetworkProxy>
#include <QObject>
#include <QPair>
#include <QSslCertificate>
#include <QSslError>
#include <QString>
#include <QUrl>

class QSocketNotifier;
class QTimer;

// One HTTP(S) GET through libcurl, driven by this thread's event loop, so that nothing waits for the
// network. curl does the framing, so a body cut short, a chunk size it cannot read or a length that
// does not match fails the answer instead of passing for a shorter one; TLS checks the certificate
// and the host name before the request is sent.
// It offers what a download needs: the final answer's status and headers (headersReceived), the
// redirect target (redirects are not followed here), the body through read() with readyRead and
// downloadProgress, sslErrors, abort() and finished(). The body waits in a buffer of its own, which
// holds back the transfer once it holds readBufferSize() bytes. It asks for no compressed body and
// inflates none, and speaks only http and https.
// No signal is emitted from within curl: every one comes from the event loop or from abort().
// libcurl is opened by the first start() of the process (CurlLibrary); when it cannot be, the transfer
// fails, from the event loop, with the loader's message.
class QORVLIVECAPTURE_EXPORT HttpTransfer : public QObject
{
    Q_OBJECT

public:
    static constexpr qint64 DefaultReadBufferBytes = 256 * 1024;

    explicit HttpTransfer(const QUrl &url, QObject *parent = nullptr);
    ~HttpTransfer() override;

    // Before start(). Proxy: DefaultProxy takes the application's; NoProxy also ignores the
    // environment's. CA certificates: the only ones trusted; none, the system's store.
    void setProxy(const QNetworkProxy &proxy);
    void setCaCertificates(const QList<QSslCertificate> &certificates);
    void setReadBufferSize(qint64 bytes);
    qint64 readBufferSize() const { return m_readBufferBytes; }
    // Sends the request; what follows comes from the event loop, a failure to set up included.
    void start();

    QUrl url() const { return m_url; }
    // Known from headersReceived() on.
    int status() const { return m_status; }
    // The values of every header of that name (any case), joined by ", "; null when there is none.
    QByteArray rawHeader(const QByteArray &name) const;
    // The announced body length; -1 without one.
    qint64 contentLength() const { return m_contentLength; }
    // Where a 301, 302, 303, 307 or 308 answer points, resolved against url(); invalid otherwise.
    QUrl redirectTarget() const { return m_redirect; }

    qint64 bytesAvailable() const { return m_body.size(); }
    QByteArray read(qint64 maxSize);

    bool isFinished() const { return m_finished; }
    bool hasError() const { return !m_error.isEmpty(); }
    QString errorString() const { return m_error; }
    // Ends the transfer at once and closes its connection; finished() is emitted before this returns.
    void abort();

signals:
    void headersReceived();
    void readyRead();
    void downloadProgress(qint64 bytesReceived, qint64 bytesTotal);
    // The certificate was refused; the transfer fails.
    void sslErrors(const QList<QSslError> &errors);
    void finished();

private:
    // curl's handles and its callbacks, which hand what they get to the members below.
    struct Curl;

    // Why the transfer cannot be set up; empty when it can.
    QString setUp();
    void watch(qintptr socket, int what);
    void setWatched(QHash<qintptr, QSocketNotifier *> &watches, qintptr socket, bool on);
    void schedule(long msecs);
    size_t takeHeader(const char *data, size_t bytes);
    size_t takeBody(const char *data, size_t bytes);
    void endOfHead();
    bool hasPlainLength() const;
    void drive(qintptr socket, int events);
    void deliver();
    void resume();
    void endWith(int code);
    void end(const QString &error);
    void release();

    QUrl m_url;
    QNetworkProxy m_proxy{QNetworkProxy::DefaultProxy};
    QByteArray m_caPem;
    qint64 m_readBufferBytes = DefaultReadBufferBytes;
    Curl *m_curl = nullptr;
    QHash<qintptr, QSocketNotifier *> m_readers;
    QHash<qintptr, QSocketNotifier *> m_writers;
    QTimer *m_timer;
    QList<QPair<QByteArray, QByteArray>> m_headers;
    int m_status = 0;
    qint64 m_contentLength = -1;
    QUrl m_redirect;
    QByteArray m_body;
    qint64 m_received = 0;
    qint64 m_reported = 0;
    QString m_error;
    // Why this side broke the transfer off inside curl, when it did.
    QString m_refusal;
    bool m_headReady = false;
    bool m_headDelivered = false;
    bool m_paused = false;
    bool m_finished = false;
};
