#include "scriptedhttpserver.h"
#include "vantoupdater.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSslConfiguration>
#include <QSslSocket>
#include <QTcpSocket>
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
    void certificateChecks_data();
    void certificateChecks();
    void noCaCertificatesTrustsTheSystemStore();

private:
    struct Keys
    {
        QByteArray certificate;
        QByteArray key;
    };
    // A self-signed certificate for altName and its key.
    bool makeCertificate(const QString &name, const QString &altName, Keys *keys);

    QTemporaryDir m_keys;
    Keys m_server;
    Keys m_elsewhere;
    Keys m_stranger;
    std::unique_ptr<ScriptedHttpServer> m_tls;
    std::unique_ptr<ScriptedHttpServer> m_plain;
};

bool UpdaterTlsTest::makeCertificate(const QString &name, const QString &altName, Keys *keys)
{
    QProcess openssl;
    openssl.setWorkingDirectory(m_keys.path());
    const QString keyFile = name + QStringLiteral("-key.pem");
    const QString certificateFile = name + QStringLiteral("-cert.pem");
    openssl.start(QStringLiteral("openssl"),
                  {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"), QStringLiteral("ec"),
                   QStringLiteral("-pkeyopt"), QStringLiteral("ec_paramgen_curve:prime256v1"), QStringLiteral("-nodes"),
                   QStringLiteral("-keyout"), keyFile, QStringLiteral("-out"), certificateFile,
                   QStringLiteral("-days"), QStringLiteral("2"), QStringLiteral("-subj"), QStringLiteral("/CN=") + name,
                   QStringLiteral("-addext"), QStringLiteral("subjectAltName=") + altName});
    if (!openssl.waitForFinished(30000) || openssl.exitStatus() != QProcess::NormalExit || openssl.exitCode() != 0) {
        qWarning("%s", openssl.readAllStandardError().constData());
        return false;
    }
    QFile certificate(m_keys.filePath(certificateFile));
    QFile key(m_keys.filePath(keyFile));
    if (!certificate.open(QIODevice::ReadOnly) || !key.open(QIODevice::ReadOnly))
        return false;
    keys->certificate = certificate.readAll();
    keys->key = key.readAll();
    return true;
}

void UpdaterTlsTest::initTestCase()
{
    QVERIFY2(QSslSocket::supportsSsl(), "Qt has no TLS here");
    QVERIFY(makeCertificate(QStringLiteral("server"), QStringLiteral("IP:127.0.0.1"), &m_server));
    QVERIFY(makeCertificate(QStringLiteral("elsewhere"), QStringLiteral("DNS:update.elsewhere.example"), &m_elsewhere));
    QVERIFY(makeCertificate(QStringLiteral("stranger"), QStringLiteral("IP:127.0.0.1"), &m_stranger));

    // Trusted by every request made from here on, and nothing else is: the stranger's is not.
    QSslConfiguration trusted = QSslConfiguration::defaultConfiguration();
    trusted.setCaCertificates({QSslCertificate(m_server.certificate, QSsl::Pem),
                               QSslCertificate(m_elsewhere.certificate, QSsl::Pem)});
    QSslConfiguration::setDefaultConfiguration(trusted);
}

void UpdaterTlsTest::init()
{
    m_tls = std::make_unique<ScriptedHttpServer>();
    QVERIFY(m_tls->listenTls(m_server.certificate, m_server.key));
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
    QVERIFY(m_plain->probeArrives());
    QCOMPARE(m_plain->requestCount(), plainRequests + 1);
    QFile file(updater.downloadFolder() + QStringLiteral("LinuxUpdater.zip"));
    QCOMPARE(file.exists(), completes);
    if (completes) {
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), Body);
    }
}

void UpdaterTlsTest::certificateChecks_data()
{
    QTest::addColumn<QString>("certificate");
    QTest::addColumn<bool>("completes");

    QTest::newRow("trusted, for this address") << "server" << true;
    QTest::newRow("trusted, for another name") << "elsewhere" << false;
    QTest::newRow("not trusted") << "stranger" << false;
}

void UpdaterTlsTest::certificateChecks()
{
    QFETCH(QString, certificate);
    QFETCH(bool, completes);
    const Keys &keys = certificate == QLatin1String("server") ? m_server
                       : certificate == QLatin1String("elsewhere") ? m_elsewhere
                                                                  : m_stranger;
    ScriptedHttpServer server;
    QVERIFY(server.listenTls(keys.certificate, keys.key));
    server.route("/pkg/LinuxUpdater.zip", bodyReply());
    VantoUpdater updater;

    QCOMPARE(updater.downloadFile(server.url(QStringLiteral("/pkg/LinuxUpdater.zip"))), completes);
    // Refused in the handshake: the request itself is never sent.
    QCOMPARE(server.requestCount(), completes ? 1 : 0);
    QCOMPARE(QFile::exists(updater.downloadFolder() + QStringLiteral("LinuxUpdater.zip")), completes);
}

void UpdaterTlsTest::noCaCertificatesTrustsTheSystemStore()
{
    // Without certificates of its own a download still checks the server's, against the system's
    // store, which knows none of this test's.
    const QSslConfiguration trusted = QSslConfiguration::defaultConfiguration();
    QSslConfiguration none = trusted;
    none.setCaCertificates({});
    QSslConfiguration::setDefaultConfiguration(none);
    m_tls->route("/pkg/LinuxUpdater.zip", bodyReply());
    VantoUpdater updater;

    const bool completed = updater.downloadFile(m_tls->url(QStringLiteral("/pkg/LinuxUpdater.zip")));
    QSslConfiguration::setDefaultConfiguration(trusted);
    QVERIFY(!completed);
    QCOMPARE(m_tls->requestCount(), 0);
}

QTEST_GUILESS_MAIN(UpdaterTlsTest)
#include "tst_updater_tls.moc"
