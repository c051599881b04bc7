#include "scriptedhttpserver.h"
#include "vantoupdater.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSslConfiguration>
#include <QSslSocket>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using Reply = ScriptedHttpServer::Reply;

namespace {

const QByteArray Body = "the package, over TLS or not";

Reply redirectTo(const QString &location)
{
    Reply reply;
    reply.status = 302;
    reply.headers.append({QByteArray("Location"), location.toUtf8()});
    return reply;
}

Reply bodyReply()
{
    Reply reply;
    reply.body = Body;
    return reply;
}

} // namespace

// Redirects between http and https, against a TLS server on 127.0.0.1 whose self-signed certificate
// this test makes and trusts: a download never steps down from https to http.
class UpdaterTlsTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void redirects_data();
    void redirects();

private:
    QTemporaryDir m_keys;
    QByteArray m_certificate;
    QByteArray m_key;
    std::unique_ptr<ScriptedHttpServer> m_tls;
    std::unique_ptr<ScriptedHttpServer> m_plain;
};

void UpdaterTlsTest::initTestCase()
{
    QVERIFY2(QSslSocket::supportsSsl(), "Qt has no TLS here");
    QProcess openssl;
    openssl.setWorkingDirectory(m_keys.path());
    openssl.start(QStringLiteral("openssl"),
                  {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"), QStringLiteral("ec"),
                   QStringLiteral("-pkeyopt"), QStringLiteral("ec_paramgen_curve:prime256v1"), QStringLiteral("-nodes"),
                   QStringLiteral("-keyout"), QStringLiteral("key.pem"), QStringLiteral("-out"),
                   QStringLiteral("cert.pem"), QStringLiteral("-days"), QStringLiteral("2"), QStringLiteral("-subj"),
                   QStringLiteral("/CN=127.0.0.1"), QStringLiteral("-addext"),
                   QStringLiteral("subjectAltName=IP:127.0.0.1")});
    QVERIFY(openssl.waitForFinished(30000));
    QVERIFY2(openssl.exitStatus() == QProcess::NormalExit && openssl.exitCode() == 0,
             openssl.readAllStandardError().constData());
    QFile certificate(m_keys.filePath(QStringLiteral("cert.pem")));
    QFile key(m_keys.filePath(QStringLiteral("key.pem")));
    QVERIFY(certificate.open(QIODevice::ReadOnly) && key.open(QIODevice::ReadOnly));
    m_certificate = certificate.readAll();
    m_key = key.readAll();

    // Trusted by every request made from here on, and nothing else is.
    QSslConfiguration trusted = QSslConfiguration::defaultConfiguration();
    trusted.setCaCertificates({QSslCertificate(m_certificate, QSsl::Pem)});
    QSslConfiguration::setDefaultConfiguration(trusted);
}

void UpdaterTlsTest::init()
{
    m_tls = std::make_unique<ScriptedHttpServer>();
    QVERIFY(m_tls->listenTls(m_certificate, m_key));
    m_plain = std::make_unique<ScriptedHttpServer>();
    QVERIFY(m_plain->listen());
}

void UpdaterTlsTest::cleanup()
{
    m_tls.reset();
    m_plain.reset();
}

void UpdaterTlsTest::redirects_data()
{
    QTest::addColumn<bool>("startsOnTls");
    // Where the first answer redirects to: "tls" or "plain" and a path.
    QTest::addColumn<QString>("server");
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("completes");
    QTest::addColumn<int>("plainRequests");

    QTest::newRow("https to http") << true << "plain" << "/real/LinuxUpdater.zip" << false << 0;
    QTest::newRow("https to https") << true << "tls" << "/real/LinuxUpdater.zip" << true << 0;
    QTest::newRow("http to https") << false << "tls" << "/real/LinuxUpdater.zip" << true << 1;
    QTest::newRow("http to http") << false << "plain" << "/real/LinuxUpdater.zip" << true << 2;
    // A step down after a safe hop is still a step down.
    QTest::newRow("https to https to http") << true << "tls" << "/down" << false << 0;
}

void UpdaterTlsTest::redirects()
{
    QFETCH(bool, startsOnTls);
    QFETCH(QString, server);
    QFETCH(QString, path);
    QFETCH(bool, completes);
    QFETCH(int, plainRequests);
    const QUrl target = (server == QLatin1String("tls") ? m_tls : m_plain)->url(path);
    for (ScriptedHttpServer *each : {m_tls.get(), m_plain.get()}) {
        each->route("/pkg/LinuxUpdater.zip", redirectTo(target.toString()));
        each->route("/real/LinuxUpdater.zip", bodyReply());
        each->route("/down", redirectTo(m_plain->url(QStringLiteral("/real/LinuxUpdater.zip")).toString()));
    }
    VantoUpdater updater;
    const QUrl start = (startsOnTls ? m_tls : m_plain)->url(QStringLiteral("/pkg/LinuxUpdater.zip"));

    QCOMPARE(updater.downloadFile(start), completes);
    QTest::qWait(100);
    QCOMPARE(m_plain->requestCount(), plainRequests);
    QFile file(updater.downloadFolder() + QStringLiteral("LinuxUpdater.zip"));
    QCOMPARE(file.exists(), completes);
    if (completes) {
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), Body);
    }
}

QTEST_GUILESS_MAIN(UpdaterTlsTest)
#include "tst_updater_tls.moc"
