// The overlay window's link to the record and live panel through the real plug-in controller, on the
// stand-in panel plug-in: when the program may start, the panel hidden around a capture, the screen
// handed over both ways, the main program's language and its shutdown. Last, the program as installed
// with the real panel, through a dropped link and to the main program's end.
#include "drawletappfixture.h"
#include "linkrawserver.h"
#include "linkrawsocket.h"

#include "captureaction.h"
#include "multiskindockwidget.h"
#include "plugmux.h"
#include "shapeselwidget.h"
#include "skindockwidget.h"
#include "tr.h"

#include <QAction>
#include <QApplication>
#include <QProcess>
#include <QScreen>
#include <QSignalSpy>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

using drawlet::application::DrawletApp;

class TestDrawletAppLink : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void startsOnlyWithTheMainProgramReachable_data();
    void startsOnlyWithTheMainProgramReachable();
    void panelHiddenAtStartAndDuringACapture();
    void screenHandedOverBothWays();
    void followsTheMainProgramsLanguage();
    void keepsItsLanguageForANameThatIsNoLocale_data();
    void keepsItsLanguageForANameThatIsNoLocale();
    void quitsWhenTheMainProgramGoes();
    void outlivesADroppedLinkAndEndsWithTheMainProgram();
};

void TestDrawletAppLink::init()
{
    QVERIFY2(fakePanel().isLoaded(), qPrintable(fakePanel().errorString()));
    fakePanel().setServerAlive(true);
}

void TestDrawletAppLink::startsOnlyWithTheMainProgramReachable_data()
{
    QTest::addColumn<bool>("alive");
    QTest::newRow("reachable") << true;
    QTest::newRow("not reachable") << false;
}

void TestDrawletAppLink::startsOnlyWithTheMainProgramReachable()
{
    QFETCH(bool, alive);
    fakePanel().setServerAlive(alive);
    MessageLog log;
    DrawletApp window;
    QCOMPARE(window.valid(), alive);
    QVERIFY(window.controller());
    QCOMPARE(log.contains(QtCriticalMsg, QStringLiteral("Lumidesk isn't existed.")), !alive);
    QCOMPARE(log.contains(QtWarningMsg, QStringLiteral("failed to create lumidesk controller")), !alive);
    QVERIFY(!window.isVisible());
}

void TestDrawletAppLink::panelHiddenAtStartAndDuringACapture()
{
    // The panel is up before the window links to it, as a panel the main program opened would be.
    std::unique_ptr<drawlet::ui::Plugmux> early(drawlet::ui::Plugmux::createPlugmux(nullptr));
    QVERIFY(early);
    QWidget *panel = early->getPluginWidget();
    panel->show();
    QVERIFY(panel->isVisible());
    auto window = makeWindow();
    QCOMPARE(window->controller()->getPluginWidget(), panel);
    early.reset();
    QVERIFY(panel->isHidden());
    QVERIFY(panel->windowFlags().testFlag(Qt::WindowStaysOnTopHint));

    // The panel shows itself when the main program asks; a capture takes it away meanwhile.
    panel->show();
    emit window->captureAction()->captureClicked();
    QVERIFY(!panel->isVisible());
    emit window->captureAction()->captureFinished();
    QVERIFY(panel->isVisible());
    panel->hide();
}

void TestDrawletAppLink::screenHandedOverBothWays()
{
    auto window = makeWindow();
    drawlet::ui::MultiSkinDockWidget *frame = window->toolbarFrame();
    toolButton(window.get(), "mouseModeButton")->click();
    frame->setNarowMode(true);

    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    fakePanel().emitLumideskHided(screen.width() / 2 - 200, 2);
    QVERIFY(window->isVisible());
    QVERIFY(frame->isVisible());
    QVERIFY(!frame->isNarrowMode());
    QCOMPARE(frame->location(), 0);
    QCOMPARE(frame->y(), frame->statusBarRect().height());

    // Left where it went, then closed: the main program gets back the place it handed over, not the
    // one the longer toolbar had to take.
    toolButton(window.get(), "closeButton")->click();
    QVERIFY(!frame->isVisible());
    QCOMPARE(fakePanel().shownAt().last(), QStringLiteral("%1,2").arg(screen.width() / 2 - 200));
    fakePanel().emitLumideskHided(screen.width() / 2 - 200, 2);
    QVERIFY(frame->isVisible());

    // Moved by the user and let go there, then closed: the main program gets the toolbar where it is.
    frame->move(frame->x() + 40, frame->y());
    QTest::mouseMove(frame, QPoint(10, 10));
    QTest::mouseRelease(frame, Qt::LeftButton, {}, QPoint(10, 10));
    const QPoint movedTo = frame->pos();
    toolButton(window.get(), "closeButton")->click();
    QVERIFY(!window->isVisible());
    QVERIFY(!frame->isVisible());
    QCOMPARE(fakePanel().shownAt().last(), QStringLiteral("%1,%2").arg(movedTo.x()).arg(movedTo.y()));
    // The mode and the drawings wait for the next hand-over.
    QCOMPARE(activeModeState(window.get()), QStringLiteral("mouseModeState"));
    fakePanel().emitLumideskHided(screen.width() / 2 - 200, screen.height() - 20);
    QVERIFY(window->isVisible());
    QCOMPARE(frame->location(), 1);
}

void TestDrawletAppLink::followsTheMainProgramsLanguage()
{
    TR tr(qApp, QStringLiteral("Drawlet_"), QStringLiteral("Languages"));
    auto window = makeWindow();
    window->setDrawletTR(&tr);
    window->connectLanguateTranslator();
    QAction *mouseMode = toolButton(window.get(), "mouseModeButton")->defaultAction();
    QAction *close = toolButton(window.get(), "closeButton")->defaultAction();

    auto *shapes = qobject_cast<drawlet::ui::ShapeSelWidget *>(window->shapePanel()->widget());
    QVERIFY(shapes);
    QAction *outline = shapes->buttons().first()->defaultAction();
    QCOMPARE(outline->toolTip(), QStringLiteral("Rectangle Outline"));

    fakePanel().emitLangChanged(QStringLiteral("de_DE"));
    QCOMPARE(tr.currentLocale(), QStringLiteral("de_de"));
    QVERIFY(tr.programCatalogueLoaded());
    QCOMPARE(mouseMode->toolTip(), QStringLiteral("Mausmodus"));
    QCOMPARE(close->toolTip(), QString::fromUtf8("Zurück"));
    // The shape panel's own buttons too.
    QCOMPARE(outline->toolTip(), QStringLiteral("Rechteck als Umriss"));

    // No catalogue for the language: logged, and the texts are English; a text English lacks shows
    // its key.
    MessageLog log;
    fakePanel().emitLangChanged(QStringLiteral("fr_FR"));
    QVERIFY(!tr.programCatalogueLoaded());
    QCOMPARE(mouseMode->toolTip(), QStringLiteral("Mouse mode"));
    QCOMPARE(close->toolTip(), QStringLiteral("back"));
    QVERIFY(log.texts().join('\n').contains(QStringLiteral("No catalogue Drawlet_fr_fr")));

    // A name that is no locale never reaches a file name.
    fakePanel().emitLangChanged(QStringLiteral("../../de_DE"));
    QCOMPARE(tr.currentLocale(), QStringLiteral("fr_fr"));
}

void TestDrawletAppLink::keepsItsLanguageForANameThatIsNoLocale_data()
{
    QTest::addColumn<QString>("name");
    // A pattern anchored with "$" alone lets a line break at the end through.
    QTest::newRow("trailing line break") << QStringLiteral("en_US\n");
    QTest::newRow("path through the name") << QStringLiteral("en_US/../de_DE");
}

void TestDrawletAppLink::keepsItsLanguageForANameThatIsNoLocale()
{
    QFETCH(QString, name);
    TR tr(qApp, QStringLiteral("Drawlet_"), QStringLiteral("Languages"));
    tr.ChangeLocale(QStringLiteral("de_DE"));
    QVERIFY(tr.programCatalogueLoaded());
    QSignalSpy updated(&tr, &TR::UpdateUI);

    MessageLog log;
    tr.ChangeLocale(name);
    QCOMPARE(tr.currentLocale(), QStringLiteral("de_de"));
    QVERIFY(tr.programCatalogueLoaded());
    QCOMPARE(updated.count(), 0);
    QVERIFY(log.texts().join('\n').contains(QStringLiteral("is no locale name")));
}

void TestDrawletAppLink::quitsWhenTheMainProgramGoes()
{
    auto window = makeWindow();
    QTimer::singleShot(0, [] { fakePanel().emitServerShutdown(); });
    QTimer::singleShot(5000, [] { QCoreApplication::exit(2); });
    QCOMPARE(QCoreApplication::exec(), 0);
}

// The main program closing the panel's connection is not its end: the program stays and is served on a
// new connection; only when nobody serves the name any more does it end, with 0.
void TestDrawletAppLink::outlivesADroppedLinkAndEndsWithTheMainProgram()
{
    LinkRawServer server;
    QVERIFY(server.listen(QStringLiteral("LumideskServer")));
    QProcess program;
    program.setProcessChannelMode(QProcess::ForwardedChannels);
    program.start(QStringLiteral(DRAWLETAPP_PROGRAM), QStringList());
    QTRY_VERIFY_WITH_TIMEOUT(server.newestPeer() && server.newestPeer()->isConnected(), 15000);

    server.newestPeer()->socket()->disconnectFromServer();
    QTRY_VERIFY_WITH_TIMEOUT(server.peers().size() == 2 && server.newestPeer()->isConnected(), 10000);
    LinkRawSocket *panel = server.newestPeer();
    panel->writeFrame(QStringLiteral("cap_getRecordTime"));
    QTRY_VERIFY_WITH_TIMEOUT(panel->messages().contains(QStringLiteral("cap_getRecordTime/p0")), 10000);
    QCOMPARE(program.state(), QProcess::Running);

    server.close();
    QVERIFY(program.waitForFinished(10000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
}

QTEST_MAIN(TestDrawletAppLink)
#include "tst_drawletapp_link.moc"
