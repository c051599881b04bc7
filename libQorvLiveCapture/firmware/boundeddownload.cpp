#include "firmware/boundeddownload.h"

#include "capturelog.h"
#include "firmware/httptransfer.h"

#include <QDeadlineTimer>
#include <QNetworkAccessManager>
#include <QSaveFile>
#include <QSslConfiguration>
#include <QTimer>

#include <limits>

namespace {

qint64 monotonicMsecs()
{
    return QDeadlineTimer::current().deadline();
}

} // namespace

BoundedDownload::BoundedDownload(QNetworkAccessManager *manager, QObject *parent)
    : BoundedDownload([manager] { return manager; }, parent)
{
}

BoundedDownload::BoundedDownload(ManagerProvider manager, QObject *parent)
    : QObject(parent),
      m_manager(std::move(manager)),
      m_silence(new QTimer(this)),
      m_deadline(new QTimer(this)),
      m_clock(monotonicMsecs)
{
    m_silence->setSingleShot(true);
    m_silence->setTimerType(Qt::PreciseTimer);
    connect(m_silence, &QTimer::timeout, this, [this] {
        qCWarning(lcCapture, "No data for %d ms from %s, giving up", m_silenceMsecs,
                  m_reply ? qPrintable(m_reply->url().toDisplayString()) : "");
        stop(Silent);
    });
    m_deadline->setSingleShot(true);
    m_deadline->setTimerType(Qt::PreciseTimer);
    connect(m_deadline, &QTimer::timeout, this, &BoundedDownload::checkDeadline);
}

BoundedDownload::~BoundedDownload()
{
    if (m_reply) {
        disconnect(m_reply, nullptr, this, nullptr);
        m_reply->abort();
        m_reply->deleteLater();
    }
    discard();
}

void BoundedDownload::setLimits(const DownloadLimits &limits)
{
    m_limits = limits;
}

void BoundedDownload::setSilenceLimit(int msecs)
{
    m_silenceMsecs = qMax(0, msecs);
    if (m_silenceMsecs == 0)
        m_silence->stop();
}

bool BoundedDownload::isSilenceWatchdogActive() const
{
    return m_silence->isActive();
}

void BoundedDownload::setClock(Clock clock)
{
    m_clock = clock ? std::move(clock) : Clock(monotonicMsecs);
}

bool BoundedDownload::start(const QUrl &url, const QString &targetPath)
{
    if (m_running)
        return false;
    discard();
    m_result = NotFinished;
    m_stopReason = NotFinished;
    m_hops = 0;
    m_receivedBytes = 0;
    m_bodyBytes = 0;
    m_answerStatus = 0;
    m_writeFailed = false;
    m_hash.reset();
    const QString scheme = url.scheme().toLower();
    if (scheme != QLatin1String("http") && scheme != QLatin1String("https")) {
        qCWarning(lcCapture, "Refused to download %s", qPrintable(url.toDisplayString()));
        m_result = Refused;
        return false;
    }
    m_file = new QSaveFile(targetPath);
    if (targetPath.isEmpty() || !m_file->open(QIODevice::WriteOnly)) {
        discard();
        m_result = WriteFailed;
        return false;
    }
    m_running = true;
    m_startedAt = m_clock();
    m_window = m_limits.hasRateWindow() ? RateWindow(m_startedAt + m_limits.graceMsecs, m_limits.rateWindowMsecs)
                                        : RateWindow();
    request(url);
    return true;
}

void BoundedDownload::request(const QUrl &url)
{
    // Not the manager's own reply, which takes a chunk size it cannot read for the end of the body;
    // the manager's proxy and the trust of Qt's default TLS configuration still apply (asked for only
    // over TLS, so that a plain download does not set up Qt's TLS).
    QNetworkAccessManager *const manager = m_manager();
    m_reply = new HttpTransfer(url, manager);
    m_reply->setProxy(manager->proxy());
    if (url.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0)
        m_reply->setCaCertificates(QSslConfiguration::defaultConfiguration().caCertificates());
    m_reply->setReadBufferSize(ReadBufferBytes);
    m_replyBytes = 0;
    m_announced = -1;
    connect(m_reply, &HttpTransfer::headersReceived, this, &BoundedDownload::checkHeaders);
    connect(m_reply, &HttpTransfer::readyRead, this, &BoundedDownload::readAvailable);
    connect(m_reply, &HttpTransfer::downloadProgress, this, &BoundedDownload::progress);
    connect(m_reply, &HttpTransfer::sslErrors, this, [this](const QList<QSslError> &errors) {
        // Not ignored: the answer fails.
        for (const QSslError &error : errors)
            qCWarning(lcCapture, "Download: %s", qPrintable(error.errorString()));
        emit sslErrors(errors);
    });
    connect(m_reply, &HttpTransfer::finished, this, &BoundedDownload::replyFinished);
    m_reply->start();
    if (m_silenceMsecs > 0)
        m_silence->start(m_silenceMsecs);
    checkDeadline();
}

void BoundedDownload::checkHeaders()
{
    if (!m_reply)
        return;
    // Only a 2xx body is the file: a redirect or an error page is judged now, before its body (which
    // could run up to the size limit) is waited for.
    if (status() >= 300) {
        judgeAnswer();
        return;
    }
    m_announced = m_reply->contentLength();
    if (m_announced > m_limits.maxBytes) {
        qCWarning(lcCapture, "%s announces %lld bytes, more than the %lld allowed",
                  qPrintable(m_reply->url().toDisplayString()), m_announced, m_limits.maxBytes);
        stop(TooLarge);
        return;
    }
    const QByteArray encoding = m_reply->rawHeader("Content-Encoding").trimmed().toLower();
    if (!encoding.isEmpty() && encoding != "identity") {
        qCWarning(lcCapture, "%s sent a %s body that was not asked for",
                  qPrintable(m_reply->url().toDisplayString()), encoding.constData());
        stop(Refused);
        return;
    }
    checkDeadline();
}

void BoundedDownload::readAvailable()
{
    while (m_reply && m_reply->bytesAvailable() > 0) {
        if (m_silenceMsecs > 0 && !m_inReplyFinished)
            m_silence->start(m_silenceMsecs);
        const QByteArray data = m_reply->read(ReadBufferBytes);
        if (data.isEmpty())
            return;
        m_replyBytes += data.size();
        m_receivedBytes += data.size();
        m_window.add(m_clock(), data.size());
        if (m_replyBytes > m_limits.maxBytes) {
            qCWarning(lcCapture, "%s sends more than the %lld bytes allowed",
                      qPrintable(m_reply->url().toDisplayString()), m_limits.maxBytes);
            stop(TooLarge);
            return;
        }
        // What the transport took of a redirect or an error page before its headers were judged.
        if (isSuccessStatus())
            storeBody(data);
        if (!checkDeadline())
            return;
    }
}

void BoundedDownload::storeBody(const QByteArray &data)
{
    if (!m_file || m_writeFailed)
        return;
    m_bodyBytes += data.size();
    m_hash.addData(data);
    if (m_file->write(data) != data.size())
        m_writeFailed = true;
}

bool BoundedDownload::checkDeadline()
{
    if (!m_running || m_stopReason != NotFinished)
        return false;
    const qint64 now = m_clock();
    const qint64 allowed = m_limits.allowedMsecs(qMax(m_receivedBytes, m_announced));
    if (allowed >= 0 && now - m_startedAt >= allowed) {
        qCWarning(lcCapture, "Download of %s took longer than %lld ms, giving up",
                  m_reply ? qPrintable(m_reply->url().toDisplayString()) : "", allowed);
        stop(TimedOut);
        return false;
    }
    if (!keepsRate(now))
        return false;
    scheduleCheck(now, allowed);
    return true;
}

bool BoundedDownload::keepsRate(qint64 now)
{
    if (!m_window.isFull(now))
        return true;
    const qint64 arrived = m_window.bytesWithin(now);
    if (arrived >= m_limits.minimumWindowBytes())
        return true;
    qCWarning(lcCapture, "Download of %s brought %lld bytes in the last %d ms, fewer than %lld, giving up",
              m_reply ? qPrintable(m_reply->url().toDisplayString()) : "", arrived, m_limits.rateWindowMsecs,
              m_limits.minimumWindowBytes());
    stop(TooSlow);
    return false;
}

// Looks again when the deadline passes or the rate window next loses what it counts, whichever is
// first: between arrivals nothing else can change the verdict.
void BoundedDownload::scheduleCheck(qint64 now, qint64 allowed)
{
    qint64 next = allowed >= 0 ? m_startedAt + allowed : -1;
    if (m_window.isValid())
        next = next < 0 ? m_window.nextChange(now) : qMin(next, m_window.nextChange(now));
    if (next < 0) {
        m_deadline->stop();
        return;
    }
    m_deadline->start(int(qBound<qint64>(0, next - now, std::numeric_limits<int>::max())));
}

void BoundedDownload::abort()
{
    stop(Cancelled);
}

void BoundedDownload::stop(Result reason)
{
    if (!m_reply || m_stopReason != NotFinished)
        return;
    m_stopReason = reason;
    m_silence->stop();
    m_deadline->stop();
    // A running answer ends at once, through replyFinished(); one that has finished already is being
    // judged right now, or is judged here.
    if (m_inReplyFinished)
        return;
    HttpTransfer *const stopped = m_reply;
    if (!stopped->isFinished())
        stopped->abort();
    // The transport reports the abort as the answer's end; should it not, the end is taken here.
    if (m_reply == stopped && m_running)
        replyFinished();
}

void BoundedDownload::replyFinished()
{
    if (!m_reply || m_inReplyFinished)
        return;
    m_inReplyFinished = true;
    readAvailable();
    m_inReplyFinished = false;
    judgeAnswer();
}

void BoundedDownload::judgeAnswer()
{
    m_answerStatus = status();
    QUrl next;
    const Result outcome = judge(&next);
    if (outcome != NotFinished) {
        finish(outcome);
        return;
    }
    releaseReply();
    ++m_hops;
    request(next);
}

BoundedDownload::Result BoundedDownload::judge(QUrl *redirect) const
{
    // Whatever else the answer says, an answer that ended in an error (our own cancel or time-out
    // among them) ends the download: its redirect is never followed.
    if (m_stopReason != NotFinished)
        return m_stopReason;
    const QString where = m_reply->url().toDisplayString();
    if (m_reply->hasError()) {
        qCWarning(lcCapture, "Download of %s failed: %s", qPrintable(where), qPrintable(m_reply->errorString()));
        return Failed;
    }
    const int code = status();
    if (code >= 300 && code < 400) {
        *redirect = m_reply->redirectTarget();
        if (!redirect->isValid())
            return Failed;
        if (m_hops >= MaxRedirects || !isSafeRedirect(m_reply->url(), *redirect)) {
            qCWarning(lcCapture, "Refused the redirect from %s to %s", qPrintable(where),
                      qPrintable(redirect->toDisplayString()));
            return Refused;
        }
        return NotFinished;
    }
    if (!isSuccessStatus()) {
        qCWarning(lcCapture, "Download of %s answered %d", qPrintable(where), code);
        return Failed;
    }
    if (m_announced >= 0 && m_announced != m_replyBytes) {
        qCWarning(lcCapture, "Download of %s ended after %lld of %lld bytes", qPrintable(where), m_replyBytes,
                  m_announced);
        return Failed;
    }
    return m_writeFailed ? WriteFailed : Succeeded;
}

void BoundedDownload::finish(Result result)
{
    releaseReply();
    m_silence->stop();
    m_deadline->stop();
    m_running = false;
    m_result = result;
    if (result != Succeeded)
        discard();
    emit finished(result == Succeeded);
}

void BoundedDownload::releaseReply()
{
    if (!m_reply)
        return;
    disconnect(m_reply, nullptr, this, nullptr);
    // An answer judged on its headers still has its body coming: the connection drops it.
    if (!m_reply->isFinished())
        m_reply->abort();
    m_reply->deleteLater();
    m_reply = nullptr;
}

bool BoundedDownload::commit()
{
    if (m_result != Succeeded || !m_file)
        return false;
    const bool written = m_file->commit();
    delete m_file;
    m_file = nullptr;
    return written;
}

void BoundedDownload::discard()
{
    if (!m_file)
        return;
    m_file->cancelWriting();
    delete m_file;
    m_file = nullptr;
}

bool BoundedDownload::isSafeRedirect(const QUrl &from, const QUrl &to)
{
    const QString fromScheme = from.scheme().toLower();
    const QString toScheme = to.scheme().toLower();
    if (toScheme == QLatin1String("https"))
        return true;
    return toScheme == QLatin1String("http") && fromScheme == QLatin1String("http");
}

int BoundedDownload::status() const
{
    return m_reply ? m_reply->status() : 0;
}

bool BoundedDownload::isSuccessStatus() const
{
    const int code = status();
    return code >= 200 && code < 300;
}
