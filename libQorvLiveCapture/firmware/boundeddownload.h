#pragma once

#include "firmware/downloadlimits.h"
#include "firmware/ratewindow.h"
#include "qorvlivecaptureglobal.h"

#include <QCryptographicHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSslError>
#include <QUrl>

#include <functional>

class HttpTransfer;
class QNetworkAccessManager;
class QSaveFile;
class QTimer;

// One HTTP(S) download of a file, safe against a hostile or broken server. The body streams through a
// small read buffer into a file beside the target name, which it takes only on commit(), so neither
// memory nor a half-written file ever holds more than the limits allow:
// - the size limit refuses an answer that announces more at once, and ends one that sends more;
// - the overall deadline ends a download that drips, however often its bytes arrive;
// - the rate window ends one whose bytes come in too slowly, whatever length it announces;
// - the silence limit ends one that stops sending;
// - no compressed body is asked for, and one sent anyway is refused rather than inflated;
// - an answer other than 2xx is judged on its headers and its body is never read;
// - redirects are followed here, at most MaxRedirects, never to a less safe scheme, and any error of
//   an answer (a cancel or time-out included) ends the download rather than a redirect being followed.
// Only the body of the final 2xx answer is the file, and only when it arrived in full: answers are read
// by HttpTransfer, whose framing by libcurl tells a complete body from one cut short (with the
// manager's proxy), not by the manager's own replies.
class QORVLIVECAPTURE_EXPORT BoundedDownload : public QObject
{
    Q_OBJECT

public:
    enum Result {
        NotFinished, // not started, or still running
        Succeeded,   // a 2xx answer whose whole body is in the file
        Failed,      // a network error, an answer other than 2xx, or a body cut short
        Refused,     // not http(s), a redirect to a less safe scheme or one too many, a compressed body
        TooLarge,    // the answer announced or sent more than the size limit
        TimedOut,    // the overall deadline passed
        Silent,      // nothing arrived for the silence limit
        Cancelled,   // abort()
        WriteFailed, // the file could not be made or written
        TooSlow,     // a window of time after the grace brought less than the limits ask for
    };
    Q_ENUM(Result)

    static constexpr int MaxRedirects = 5;
    static constexpr qint64 ReadBufferBytes = 256 * 1024;
    // Monotonic milliseconds; the time limits are measured on it.
    using Clock = std::function<qint64()>;

    // The network manager whose proxy the answers go through and which parents them, asked for when a
    // request is sent (making one loads Qt's network plug-ins, which a download not yet started does
    // not need). It must outlive this download's answers or delete them with itself.
    using ManagerProvider = std::function<QNetworkAccessManager *()>;

    explicit BoundedDownload(ManagerProvider manager, QObject *parent = nullptr);
    explicit BoundedDownload(QNetworkAccessManager *manager, QObject *parent = nullptr);
    ~BoundedDownload() override;

    void setLimits(const DownloadLimits &limits);
    DownloadLimits limits() const { return m_limits; }
    // Gives up after this long without data, the wait for the first byte included; 0: never.
    void setSilenceLimit(int msecs);
    int silenceLimit() const { return m_silenceMsecs; }
    bool isSilenceWatchdogActive() const;
    // The clock the deadline and the rate window are measured on, for the next start(); the
    // monotonic clock by default.
    void setClock(Clock clock);

    // Starts fetching url. False, with nothing sent, when the address is not http(s) (result Refused)
    // or the file cannot be made (WriteFailed); otherwise finished() follows.
    bool start(const QUrl &url, const QString &targetPath);
    bool isRunning() const { return m_running; }
    // Ends a running download (result Cancelled); finished() is emitted before this returns.
    void abort();
    // Takes in what the answer holds so far; runs on every readyRead.
    void readAvailable();

    Result result() const { return m_result; }
    // The HTTP status of the last answer, redirects included; 0 when none came (no connection, or
    // one lost before the headers). Tells a download the server refused from one that broke off.
    int answerStatus() const { return m_answerStatus; }
    QByteArray sha256() const { return m_hash.result(); }
    qint64 bodyBytes() const { return m_bodyBytes; }
    // After a success, makes the file appear under the target name (false when it cannot be written);
    // discard() drops it instead. A failed download drops its file by itself.
    bool commit();
    void discard();

    // A redirect may lead to https from anywhere, and to http only from http.
    static bool isSafeRedirect(const QUrl &from, const QUrl &to);

signals:
    void progress(qint64 bytesRead, qint64 totalBytes);
    void sslErrors(const QList<QSslError> &errors);
    void finished(bool succeeded);

private:
    void request(const QUrl &url);
    void checkHeaders();
    void replyFinished();
    void judgeAnswer();
    Result judge(QUrl *redirect) const;
    void stop(Result reason);
    void finish(Result result);
    void releaseReply();
    bool checkDeadline();
    bool keepsRate(qint64 now);
    void scheduleCheck(qint64 now, qint64 allowed);
    void storeBody(const QByteArray &data);
    int status() const;
    bool isSuccessStatus() const;

    ManagerProvider m_manager;
    QPointer<HttpTransfer> m_reply;
    QSaveFile *m_file = nullptr;
    QTimer *m_silence;
    QTimer *m_deadline;
    Clock m_clock;
    qint64 m_startedAt = 0;
    RateWindow m_window;
    DownloadLimits m_limits;
    int m_silenceMsecs = 0;
    int m_hops = 0;
    qint64 m_replyBytes = 0;
    qint64 m_receivedBytes = 0;
    qint64 m_announced = -1;
    qint64 m_bodyBytes = 0;
    int m_answerStatus = 0;
    Result m_result = NotFinished;
    Result m_stopReason = NotFinished;
    bool m_running = false;
    bool m_inReplyFinished = false;
    bool m_writeFailed = false;
    QCryptographicHash m_hash{QCryptographicHash::Sha256};
};
