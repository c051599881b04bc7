#include "analytics/googleanalytic.h"

#include "common/lumidesklog.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QHostInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUuid>

// Build settings: the deploying organisation's collection endpoint and property id. Left empty, the
// program sends nothing.
#ifndef LUMIDESK_ANALYTICS_ENDPOINT
#define LUMIDESK_ANALYTICS_ENDPOINT ""
#endif
#ifndef LUMIDESK_ANALYTICS_PROPERTY_ID
#define LUMIDESK_ANALYTICS_PROPERTY_ID ""
#endif

namespace {

constexpr int RequestTimeoutMsecs = 15000;

bool needsEscape(uchar c)
{
    if (c < 0x20 || c == 0x7f)
        return true;
    switch (c) {
    case '"': case '%': case '&': case '+': case '<': case '=': case '>':
    case '\\': case '^': case '`': case '{': case '|': case '}':
        return true;
    default:
        return false;
    }
}

void appendEncoded(QByteArray &body, const QString &text)
{
    static const char hex[] = "0123456789ABCDEF";
    const QByteArray utf8 = text.toUtf8();
    for (const char ch : utf8) {
        const uchar c = uchar(ch);
        if (needsEscape(c)) {
            body.append('%');
            body.append(hex[c >> 4]);
            body.append(hex[c & 0xf]);
        } else {
            body.append(ch);
        }
    }
}

} // namespace

GoogleAnalytic::GoogleAnalytic() : QObject(nullptr)
{
    defineGoogleAnalytic();

    m_requestTimer = new QTimer;
    m_requestTimer->setInterval(RequestTimeoutMsecs);
    m_requestTimer->setSingleShot(true);
    connect(m_requestTimer, &QTimer::timeout, this, &GoogleAnalytic::postTimeout);
}

GoogleAnalytic::~GoogleAnalytic()
{
    waitForPendingHits();
    if (m_manager) {
        disconnect(m_manager, &QNetworkAccessManager::finished, this, &GoogleAnalytic::getNetworkReply);
        delete m_manager;
    }
    disconnect(m_requestTimer, &QTimer::timeout, this, &GoogleAnalytic::postTimeout);
    delete m_requestTimer;
}

// Made with the first hit sent: a build without an endpoint never needs it, and making one loads Qt's
// network configuration plug-ins, which the start of the program would wait for.
QNetworkAccessManager *GoogleAnalytic::networkManager()
{
    if (!m_manager) {
        m_manager = new QNetworkAccessManager;
        connect(m_manager, &QNetworkAccessManager::finished, this, &GoogleAnalytic::getNetworkReply);
    }
    return m_manager;
}

void GoogleAnalytic::defineGoogleAnalytic()
{
    m_cid = QUuid::createUuid().toString();
    m_tid = QStringLiteral(LUMIDESK_ANALYTICS_PROPERTY_ID);
    m_dh = QHostInfo::localHostName() + QLatin1Char('.') + QHostInfo::localDomainName();
    m_endpoint = QUrl(QStringLiteral(LUMIDESK_ANALYTICS_ENDPOINT));
}

void GoogleAnalytic::setGoogleAnalytic(QString cid, QString tid, QString dh, QString, QString, QString,
                                       QString)
{
    if (!cid.isEmpty())
        m_cid = cid;
    if (!tid.isEmpty())
        m_tid = tid;
    if (!dh.isEmpty())
        m_dh = dh;
}

void GoogleAnalytic::setEndpoint(const QUrl &endpoint)
{
    m_endpoint = endpoint;
}

void GoogleAnalytic::sendPageView(QString dp, QString dt, QString ul, QString agent)
{
    QList<QPair<QString, QString>> pairs;
    pairs.append({QStringLiteral("v"), QStringLiteral("1")});
    pairs.append({QStringLiteral("tid"), m_tid});
    pairs.append({QStringLiteral("cid"), m_cid});
    if (!agent.isEmpty()) {
        pairs.append({QStringLiteral("ua"),
                      QStringLiteral("Opera/9.80 (") + agent + QStringLiteral(") Presto/2.12.388 Version/12.14")});
        pairs.append({QStringLiteral("sc"), QStringLiteral("start")});
    }
    pairs.append({QStringLiteral("t"), QStringLiteral("pageview")});
    pairs.append({QStringLiteral("dh"), m_dh});
    pairs.append({QStringLiteral("dp"), dp});
    pairs.append({QStringLiteral("dt"), dt});
    pairs.append({QStringLiteral("ul"), ul});
    postHit(pairs);
}

void GoogleAnalytic::sendEvent(QString ec, QString ea, QString el, int ev, QString dp, QString ul, QString)
{
    QList<QPair<QString, QString>> pairs;
    pairs.append({QStringLiteral("v"), QStringLiteral("1")});
    pairs.append({QStringLiteral("tid"), m_tid});
    pairs.append({QStringLiteral("cid"), m_cid});
    pairs.append({QStringLiteral("t"), QStringLiteral("event")});
    pairs.append({QStringLiteral("ec"), ec});
    pairs.append({QStringLiteral("ea"), ea});
    pairs.append({QStringLiteral("el"), el});
    pairs.append({QStringLiteral("ev"), QString::number(ev)});
    pairs.append({QStringLiteral("dh"), m_dh});
    pairs.append({QStringLiteral("dp"), dp});
    pairs.append({QStringLiteral("ul"), ul});
    postHit(pairs);
}

QByteArray GoogleAnalytic::encodeBody(const QList<QPair<QString, QString>> &pairs)
{
    QByteArray body;
    for (const auto &pair : pairs) {
        if (!body.isEmpty())
            body.append('&');
        appendEncoded(body, pair.first);
        if (pair.second.isNull())
            continue;
        body.append('=');
        appendEncoded(body, pair.second);
    }
    return body;
}

void GoogleAnalytic::getNetworkReply(QNetworkReply *reply)
{
    if (m_requestTimer->isActive())
        m_requestTimer->stop();
    --m_pending;
    // Released at once rather than with the manager, so a long session does not pile up replies.
    reply->deleteLater();
}

void GoogleAnalytic::postTimeout()
{
    // A slow hit is left to finish on its own; a lost hit is not worth a retry.
}

void GoogleAnalytic::postHit(const QList<QPair<QString, QString>> &pairs)
{
    const QByteArray body = encodeBody(pairs);
    emit hitBuilt(body);
    if (!canSend()) {
        _LumideskLog::log(Journix::Debug, QStringLiteral("analytics hit not sent (no endpoint or property id): %s"),
                          body.constData());
        return;
    }
    QNetworkRequest request(m_endpoint);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/x-www-form-urlencoded"));
    networkManager()->post(request, body);
    ++m_pending;
    m_requestTimer->start();
}

bool GoogleAnalytic::canSend() const
{
    return m_endpoint.isValid() && !m_endpoint.isEmpty() && !m_tid.isEmpty();
}

void GoogleAnalytic::waitForPendingHits()
{
    // The closing hits are posted just before the program ends; give them a short, bounded chance to
    // leave instead of dropping them with the manager.
    if (m_pending <= 0 || m_shutdownWaitMsecs <= 0 || !QCoreApplication::instance())
        return;
    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    const QMetaObject::Connection done = connect(networkManager(), &QNetworkAccessManager::finished, &loop, [this, &loop] {
        if (m_pending <= 0)
            loop.quit();
    });
    deadline.start(m_shutdownWaitMsecs);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    disconnect(done);
}
