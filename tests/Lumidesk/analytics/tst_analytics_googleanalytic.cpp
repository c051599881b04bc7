#include "analytics/googleanalytic.h"

#include "journix.h"
#include "scriptedhttpserver.h"
#include "syslogger.h"

#include <QElapsedTimer>
#include <QHostInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

namespace {

const QString ClientId = QStringLiteral("{0b7e2f5c-3d1a-4c9e-8f00-123456789abc}");
const QString PropertyId = QStringLiteral("UA-12345678-1");
const QString HostName = QStringLiteral("desk.example");
// Braces are among the characters a URL query writes as %XX.
const QByteArray Head = "v=1&tid=UA-12345678-1&cid=%7B0b7e2f5c-3d1a-4c9e-8f00-123456789abc%7D";

// How a form decoder on the collection side reads one key or value.
QString formDecoded(QByteArray text)
{
    text.replace('+', ' ');
    return QString::fromUtf8(QByteArray::fromPercentEncoding(text));
}

// Keeps the log records in memory.
class RecordingLogger : public SysLogger
{
public:
    bool open() override { return true; }
    void close() override {}
    void write(const QByteArray &line) override { lines.append(line); }

    QList<QByteArray> lines;
};

} // namespace

class TestGoogleAnalytic : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void bodiesPostedToCollect_data();
    void bodiesPostedToCollect();
    void valuesReachTheServerUnchanged_data();
    void valuesReachTheServerUnchanged();
    void identities();
    void repliesAreReleased_data();
    void repliesAreReleased();
    void notSentWithoutEndpointOrProperty_data();
    void notSentWithoutEndpointOrProperty();
    void shutdownLetsHitsInFlightLeave();
    void shutdownWaitIsBounded();

private:
    std::unique_ptr<GoogleAnalytic> makeSender() const;

    std::unique_ptr<ScriptedHttpServer> m_server;
};

void TestGoogleAnalytic::init()
{
    m_server = std::make_unique<ScriptedHttpServer>();
    QVERIFY(m_server->listen());
}

std::unique_ptr<GoogleAnalytic> TestGoogleAnalytic::makeSender() const
{
    auto sender = std::make_unique<GoogleAnalytic>();
    sender->setGoogleAnalytic(ClientId, PropertyId, HostName, QString(), QString(), QString(), QString());
    sender->setEndpoint(m_server->url(QStringLiteral("/collect")));
    return sender;
}

void TestGoogleAnalytic::bodiesPostedToCollect_data()
{
    QTest::addColumn<bool>("pageView");
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QByteArray>("body");

    QTest::newRow("start page view with agent")
        << true
        << QStringList{"Program_start?Country=Germany&Language=de_DE&OS=Linux 12.0.0", "Program_start", "de_DE",
                       "X11; Linux 12_0_0"}
        << QByteArray(Head + "&ua=Opera/9.80 (X11; Linux 12_0_0) Presto/2.12.388 Version/12.14&sc=start"
                             "&t=pageview&dh=desk.example"
                             "&dp=Program_start?Country%3DGermany%26Language%3Dde_DE%26OS%3DLinux 12.0.0"
                             "&dt=Program_start&ul=de_DE");
    QTest::newRow("page view without agent")
        << true << QStringList{"Page_MouseMode", "Page_MouseMode", "en_US", QString()}
        << QByteArray(Head + "&t=pageview&dh=desk.example&dp=Page_MouseMode&dt=Page_MouseMode&ul=en_US");
    QTest::newRow("event, null label and page")
        << false << QStringList{"Event_DesktopCapture", "Event_DesktopCapture", QString(), QString(), "en_US"}
        << QByteArray(Head + "&t=event&ec=Event_DesktopCapture&ea=Event_DesktopCapture&el&ev=0&dh=desk.example"
                             "&dp&ul=en_US");
    QTest::newRow("event, empty action is not null")
        << false << QStringList{"Event_Language", QLatin1String(""), QString(), "Program_start", "en_US"}
        << QByteArray(Head + "&t=event&ec=Event_Language&ea=&el&ev=0&dh=desk.example&dp=Program_start&ul=en_US");
    QTest::newRow("event, delimiters, plus, percent, non-ASCII")
        << false
        << QStringList{"Recoding&Streaming", "RecordingNum=1&Streaming=F", QString::fromUtf8("Enable both\u2026=True (a+b; 100%)"),
                       "Program_start", "fr_FR"}
        << QByteArray(Head + "&t=event&ec=Recoding%26Streaming&ea=RecordingNum%3D1%26Streaming%3DF"
                             "&el=Enable both\xe2\x80\xa6%3DTrue (a%2Bb; 100%25)&ev=0&dh=desk.example"
                             "&dp=Program_start&ul=fr_FR");
}

void TestGoogleAnalytic::bodiesPostedToCollect()
{
    QFETCH(bool, pageView);
    QFETCH(QStringList, args);
    QFETCH(QByteArray, body);

    auto sender = makeSender();
    QSignalSpy built(sender.get(), &GoogleAnalytic::hitBuilt);
    if (pageView)
        sender->sendPageView(args.at(0), args.at(1), args.at(2), args.at(3));
    else
        sender->sendEvent(args.at(0), args.at(1), args.at(2), 0, args.at(3), args.at(4), QString());

    QVERIFY(m_server->waitForRequests(1));
    const ScriptedHttpServer::Request request = m_server->requests().first();
    QCOMPARE(request.method, QByteArray("POST"));
    QCOMPARE(request.target, QByteArray("/collect"));
    QCOMPARE(request.header("Content-Type"), QByteArray("application/x-www-form-urlencoded"));
    QCOMPARE(request.body, body);
    QCOMPARE(built.count(), 1);
    QCOMPARE(built.first().first().toByteArray(), body);
}

void TestGoogleAnalytic::valuesReachTheServerUnchanged_data()
{
    QTest::addColumn<QString>("value");

    QTest::newRow("plus") << "C++ 1+1";
    QTest::newRow("percent") << "100% done";
    QTest::newRow("already escaped") << "a%2Bb%26c%3D";
    QTest::newRow("delimiters") << "x=1&y=2#z?w";
    QTest::newRow("quotes and brackets") << "\"{a|b}\" <c> \\d ^e `f`";
    QTest::newRow("non-ASCII") << QString::fromUtf8("Kamera \u00fc\u2026 \U0001F4F7");
    QTest::newRow("control characters") << "line\none\ttab";
}

void TestGoogleAnalytic::valuesReachTheServerUnchanged()
{
    QFETCH(QString, value);
    auto sender = makeSender();
    sender->sendEvent(QStringLiteral("ec"), value, value, 0, value, QStringLiteral("en_US"), QString());
    QVERIFY(m_server->waitForRequests(1));

    QHash<QString, QString> decoded;
    const QList<QByteArray> pairs = m_server->requests().first().body.split('&');
    QCOMPARE(pairs.size(), 11);
    for (const QByteArray &pair : pairs) {
        const int equals = pair.indexOf('=');
        QVERIFY2(equals > 0, pair.constData());
        decoded.insert(formDecoded(pair.left(equals)), formDecoded(pair.mid(equals + 1)));
    }
    QCOMPARE(decoded.value(QStringLiteral("ea")), value);
    QCOMPARE(decoded.value(QStringLiteral("el")), value);
    QCOMPARE(decoded.value(QStringLiteral("dp")), value);
}

void TestGoogleAnalytic::identities()
{
    GoogleAnalytic first;
    GoogleAnalytic second;
    const QRegularExpression braced(QStringLiteral("^\\{[0-9a-f]{8}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{12}\\}$"));
    QVERIFY(braced.match(first.clientId()).hasMatch());
    QVERIFY(first.clientId() != second.clientId());
    QCOMPARE(first.documentHostName(), QHostInfo::localHostName() + QLatin1Char('.') + QHostInfo::localDomainName());

    // Empty texts leave what is there; the last four texts play no part.
    const QString random = first.clientId();
    first.setGoogleAnalytic(QString(), QLatin1String(""), QString(), "a", "b", "c", "d");
    QCOMPARE(first.clientId(), random);
    first.setGoogleAnalytic(ClientId, PropertyId, HostName, QString(), QString(), QString(), QString());
    QCOMPARE(first.clientId(), ClientId);
    QCOMPARE(first.propertyId(), PropertyId);
    QCOMPARE(first.documentHostName(), HostName);
}

void TestGoogleAnalytic::repliesAreReleased_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<bool>("drop");

    QTest::newRow("ok") << 200 << false;
    QTest::newRow("server error") << 500 << false;
    QTest::newRow("connection dropped") << 0 << true;
}

void TestGoogleAnalytic::repliesAreReleased()
{
    QFETCH(int, status);
    QFETCH(bool, drop);
    ScriptedHttpServer::Reply reply;
    reply.status = status;
    reply.dropConnection = drop;
    m_server->setDefaultReply(reply);

    auto sender = makeSender();
    for (int i = 0; i < 5; ++i)
        sender->sendEvent(QStringLiteral("ec"), QString::number(i), QString(), 0, QString(), QString(), QString());
    QTRY_COMPARE(sender->pendingHits(), 0);
    // Finished replies go away with the next event-loop pass, not with the manager at the end.
    QTRY_VERIFY(sender->networkManager()->findChildren<QNetworkReply *>().isEmpty());
}

void TestGoogleAnalytic::notSentWithoutEndpointOrProperty_data()
{
    QTest::addColumn<bool>("endpoint");
    QTest::addColumn<bool>("property");

    QTest::newRow("no endpoint") << false << true;
    QTest::newRow("no property id") << true << false;
}

void TestGoogleAnalytic::notSentWithoutEndpointOrProperty()
{
    QFETCH(bool, endpoint);
    QFETCH(bool, property);
    GoogleAnalytic sender;
    sender.setGoogleAnalytic(ClientId, property ? PropertyId : QString(), HostName, QString(), QString(), QString(),
                             QString());
    sender.setEndpoint(endpoint ? m_server->url(QStringLiteral("/collect")) : QUrl());
    if (!property && !sender.propertyId().isEmpty())
        QSKIP("this build sets a property id");
    RecordingLogger logger;
    Journix *journix = Journix::getSysJournix();
    journix->setLogger(&logger);
    journix->setLogLevel(Journix::Debug);
    QVERIFY(journix->startLog());
    QSignalSpy built(&sender, &GoogleAnalytic::hitBuilt);
    sender.sendPageView(QStringLiteral("Page_MouseMode"), QStringLiteral("Page_MouseMode"), QStringLiteral("en_US"),
                        QString());
    journix->stopLog();
    journix->setLogger(nullptr);

    QCOMPARE(built.count(), 1);
    // The hit is still logged, whole.
    QCOMPARE(logger.lines.size(), 1);
    QVERIFY2(logger.lines.first().contains(built.first().first().toByteArray()), logger.lines.first().constData());
    QCOMPARE(sender.pendingHits(), 0);
    // Nothing reaches the server, however long a busy machine would take to send it: no request
    // of another sender orders it, so the wait is long.
    QVERIFY(!m_server->waitForRequests(1, 2000));
}

void TestGoogleAnalytic::shutdownLetsHitsInFlightLeave()
{
    ScriptedHttpServer::Reply slow;
    slow.delayMsecs = 300;
    m_server->setDefaultReply(slow);

    auto sender = makeSender();
    sender->sendEvent(QStringLiteral("Program_exit"), QStringLiteral("Program_exit"), QString(), 0, QString(),
                      QString(), QString());
    sender.reset();
    // The request left and was answered before the sender was gone.
    QCOMPARE(m_server->requestCount(), 1);
    QVERIFY(m_server->requests().first().body.contains("ec=Program_exit"));
}

void TestGoogleAnalytic::shutdownWaitIsBounded()
{
    ScriptedHttpServer::Reply never;
    never.delayMsecs = 60000;
    m_server->setDefaultReply(never);

    auto sender = makeSender();
    sender->setShutdownWait(200);
    sender->sendEvent(QStringLiteral("Program_exit"), QStringLiteral("Program_exit"), QString(), 0, QString(),
                      QString(), QString());
    // In flight: sent, and never to be answered. A busy machine may take longer than the short wait
    // to send it at all.
    QVERIFY(m_server->waitForRequests(1, 15000));
    QElapsedTimer clock;
    clock.start();
    sender.reset();
    QVERIFY2(clock.elapsed() < 5000, QByteArray::number(clock.elapsed()).constData());
}

QTEST_GUILESS_MAIN(TestGoogleAnalytic)
#include "tst_analytics_googleanalytic.moc"
