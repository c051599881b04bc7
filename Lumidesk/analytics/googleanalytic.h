#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QUrl>

class QNetworkAccessManager;
class QNetworkReply;
class QTimer;

// Posts Measurement Protocol (version 1) page views and events, one request per hit, no queue and no
// retry. Without a collection endpoint or property id (both build settings) hits are built and logged
// but not sent.
class GoogleAnalytic : public QObject
{
    Q_OBJECT

public:
    GoogleAnalytic();
    ~GoogleAnalytic() override;

    void defineGoogleAnalytic();
    void setGoogleAnalytic(QString cid, QString tid, QString dh, QString, QString, QString, QString);

    void sendPageView(QString dp, QString dt, QString ul, QString agent);
    void sendEvent(QString ec, QString ea, QString el, int ev, QString dp, QString ul, QString);

    QString clientId() const { return m_cid; }
    QString propertyId() const { return m_tid; }
    QString documentHostName() const { return m_dh; }

    // The collection endpoint; the build setting by default. An empty URL keeps hits from being sent.
    QUrl endpoint() const { return m_endpoint; }
    void setEndpoint(const QUrl &endpoint);
    // How long the destructor lets hits still in flight finish; the program's last hits are posted
    // just before it ends.
    void setShutdownWait(int msecs) { m_shutdownWaitMsecs = msecs; }
    int pendingHits() const { return m_pending; }
    QNetworkAccessManager *networkManager();

    // The form-encoded body of a hit: pairs joined by "&", key "=" value, a null value as its key
    // alone. Within keys and values every character that would change the meaning of the body or that
    // a form decoder would turn into something else ("%", "&", "=", "+", controls and the characters
    // that are not allowed in a URL) is written as %XX; all else, non-ASCII included, stays as UTF-8.
    static QByteArray encodeBody(const QList<QPair<QString, QString>> &pairs);

signals:
    // Every hit as it was built, whether or not it is sent.
    void hitBuilt(const QByteArray &body);

public slots:
    void getNetworkReply(QNetworkReply *reply);
    void postTimeout();

private:
    void postHit(const QList<QPair<QString, QString>> &pairs);
    bool canSend() const;
    void waitForPendingHits();

    QNetworkAccessManager *m_manager = nullptr;
    QString m_cid;
    QString m_tid;
    QString m_dh;
    QTimer *m_requestTimer = nullptr;
    QUrl m_endpoint;
    int m_pending = 0;
    int m_shutdownWaitMsecs = 2000;
};
