// The software update check at start-up against a scripted update server on 127.0.0.1: the toolbar is
// up before the check has asked anything, and the answer decides afterwards between the offer and the
// layout chooser.

#include "dialogs/swupdatedialog.h"
#include "scriptedhttpserver.h"
#include "toolbar/pipwidget.h"
#include "toolbarfixture.h"
#include "vantoupdater.h"

#include <QFileInfo>
#include <QtTest>

using namespace toolbar;

Q_DECLARE_METATYPE(ScriptedHttpServer::Reply)

namespace {

const char ConfigPath[] = "/Tivlo/check4Update/update.cfg";

QByteArray offering(const char *version)
{
    return QByteArrayLiteral("LinuxVersion=\"") + version + QByteArrayLiteral("\"\nEOF\n");
}

// The check has its answer once the configuration lies in the dialog's download folder: what the
// toolbar does with the answer follows at once, without a return to the event loop.
bool checkAnswered(Lumidesk &bar)
{
    const QString config = bar.updateDialog()->updater()->downloadFolder() + QLatin1String("/update.cfg");
    return QTest::qWaitFor([&config] { return QFileInfo::exists(config); }, 20000) && runQueued(bar);
}

} // namespace

class TestStartupCheck : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void answerComesAfterTheToolbar_data();
    void answerComesAfterTheToolbar();
    void chooserAlreadyUsedIsNotReopened();
    void chooserWaitsForTheHiddenToolbar();

private:
    std::unique_ptr<ScriptedHttpServer> m_server;
    QUrl m_builtServer;
};

void TestStartupCheck::initTestCase()
{
    useSimulatedDevices();
    m_builtServer = VantoUpdater::updateServerBase();
}

void TestStartupCheck::init()
{
    writeSettings({});
    m_server = std::make_unique<ScriptedHttpServer>();
    QVERIFY(m_server->listen());
    VantoUpdater::setUpdateServerBase(m_server->url());
}

void TestStartupCheck::cleanup()
{
    VantoUpdater::setUpdateServerBase(m_builtServer);
    m_server.reset();
}

void TestStartupCheck::answerComesAfterTheToolbar_data()
{
    QTest::addColumn<ScriptedHttpServer::Reply>("reply");
    QTest::addColumn<bool>("offered");

    QTest::newRow("a newer version") << ScriptedHttpServer::bodyReply(offering("99.0.0.0")) << true;
    QTest::newRow("up to date") << ScriptedHttpServer::bodyReply(offering("0.0.0.1")) << false;
    QTest::newRow("no configuration") << ScriptedHttpServer::bodyReply("gone", 404) << false;
}

void TestStartupCheck::answerComesAfterTheToolbar()
{
    QFETCH(ScriptedHttpServer::Reply, reply);
    QFETCH(bool, offered);
    m_server->route(ConfigPath, reply);

    // The server runs on this thread: a constructor that waited for it would have let it take the
    // request.
    auto bar = std::make_unique<Lumidesk>();
    QCOMPARE(m_server->requestCount(), 0);
    bar->setWindowFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    bar->show();
    bar->loadLastPoint();

    if (offered) {
        QTRY_VERIFY(bar->updateDialog()->isVisible());
        QVERIFY(bar->updateDialog()->isModal());
        // The answer showed the offer and nothing else: it posts nothing either (runQueued).
        QVERIFY(runQueued(*bar));
        QVERIFY(!bar->layoutChooser()->isVisible());
        bar->updateDialog()->closeDialog();
    }
    QTRY_VERIFY(bar->layoutChooser()->isVisible());
    QVERIFY(!bar->updateDialog()->isVisible());
    QCOMPARE(m_server->requestCount(), 1);
}

void TestStartupCheck::chooserAlreadyUsedIsNotReopened()
{
    m_server->route(ConfigPath, ScriptedHttpServer::bodyReply(offering("0.0.0.1")));
    auto bar = makeToolbar();
    // While the server has the request the user opens the chooser and closes it again.
    connect(m_server.get(), &ScriptedHttpServer::requestReceived, bar.get(), [&bar] {
        bar->selectLayoutBtn->click();
        QVERIFY(QTest::qWaitForWindowExposed(bar->layoutChooser()));
        bar->layoutChooser()->hide();
    });
    QVERIFY(checkAnswered(*bar));
    QCOMPARE(m_server->requestCount(), 1);
    QVERIFY(!bar->layoutChooser()->isVisible());
}

void TestStartupCheck::chooserWaitsForTheHiddenToolbar()
{
    // As under the first-run guide: the toolbar is made, not shown, when the answer comes.
    m_server->route(ConfigPath, ScriptedHttpServer::bodyReply(offering("0.0.0.1")));
    auto bar = std::make_unique<Lumidesk>();
    bar->setWindowFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    QVERIFY(checkAnswered(*bar));
    QVERIFY(!bar->layoutChooser()->isVisible());

    // The guide closed: the toolbar comes, and the chooser with it.
    bar->show();
    QTRY_VERIFY(bar->layoutChooser()->isVisible());
}

QTEST_MAIN(TestStartupCheck)
#include "tst_toolbar_startupcheck.moc"
