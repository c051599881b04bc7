// What a taskbar or window list shows of the annotation program, run as installed with the real panel
// plug-in under a real window manager: every window it maps has a title a user can read, the overlay
// has the program's entry, and its toolbar, pop-ups and the record and live panel are kept out of the
// taskbar and the pager.
#include "drawletappfixture.h"
#include "linkrawserver.h"
#include "linkrawsocket.h"
#include "xdotool.h"
#include "xstackorder.h"
#include "xwindowlist.h"

#include "skindockwidget.h"
#include "tr.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QtTest>

#include <algorithm>

namespace {

const int WaitMs = 10000;

QStringList sorted(QStringList lines)
{
    std::sort(lines.begin(), lines.end());
    return lines;
}

} // namespace

class TestDrawletAppWindowTitles : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void everyWindowOfTheProgram();
    void titlesFollowTheLanguage();

private:
    WindowManagerRun m_manager;
    QProcess m_program;
};

void TestDrawletAppWindowTitles::initTestCase()
{
    QVERIFY(m_manager.start());
    m_program.setProcessChannelMode(QProcess::ForwardedChannels);
}

void TestDrawletAppWindowTitles::cleanup()
{
    if (m_program.state() != QProcess::NotRunning) {
        m_program.kill();
        m_program.waitForFinished();
    }
}

void TestDrawletAppWindowTitles::everyWindowOfTheProgram()
{
    LinkRawServer server;
    QVERIFY(server.listen(QStringLiteral("LumideskServer")));
    m_program.start(QStringLiteral(DRAWLETAPP_PROGRAM), QStringList());
    QTRY_VERIFY_WITH_TIMEOUT(server.newestPeer() && server.newestPeer()->isConnected(), 15000);
    LinkRawSocket *panel = server.newestPeer();
    const qint64 pid = m_program.processId();

    // The screen handed over: the overlay with the program's entry, its toolbar at the top.
    panel->writeFrame(QStringLiteral("cap_hideLumidesk/p600/p0"));
    QStringList expected = {QStringLiteral("DrawletApp - Annotation: entry"),
                            QStringLiteral("DrawletApp - Annotation Toolbar: kept out")};
    QTRY_COMPARE_WITH_TIMEOUT(XWindowList::taskbarLines(pid), sorted(expected), WaitMs);

    // The main program's record button opens the panel's record controls.
    panel->writeFrame(QStringLiteral("cap_showRecordWidget"));
    expected << QStringLiteral("DrawletApp - Deskpad: kept out");
    QTRY_COMPARE_WITH_TIMEOUT(XWindowList::taskbarLines(pid), sorted(expected), WaitMs);

    // The toolbar's pop-ups: the shapes and, in place of them, the colours. The toolbar stands at
    // x 600; the shape button's centre is 491 and the colour button's 667 from its left edge.
    QVERIFY(xdotool({"mousemove", "1091", "25", "click", "1"}));
    QTRY_COMPARE_WITH_TIMEOUT(XWindowList::taskbarLines(pid), sorted(expected + QStringList{"DrawletApp - Shapes: kept out"}), WaitMs);
    QVERIFY(xdotool({"mousemove", "1267", "25", "click", "1"}));
    QTRY_COMPARE_WITH_TIMEOUT(XWindowList::taskbarLines(pid), sorted(expected + QStringList{"DrawletApp - Colors: kept out"}), WaitMs);

    server.close();
    QVERIFY(m_program.waitForFinished(10000));
}

void TestDrawletAppWindowTitles::titlesFollowTheLanguage()
{
    TR tr(qApp, QStringLiteral("Drawlet_"), QStringLiteral("Languages"));
    auto window = makeWindow();
    window->setDrawletTR(&tr);
    window->connectLanguateTranslator();
    QCOMPARE(window->windowTitle(), QStringLiteral("DrawletApp - Annotation"));
    QCOMPARE(window->shapePanel()->windowTitle(), QStringLiteral("DrawletApp - Shapes"));

    fakePanel().emitLangChanged(QStringLiteral("de_DE"));
    QVERIFY(tr.programCatalogueLoaded());
    QCOMPARE(window->windowTitle(), QStringLiteral("DrawletApp - Anmerkungen"));
    QCOMPARE(window->shapePanel()->windowTitle(), QStringLiteral("DrawletApp - Formen"));
}

QTEST_MAIN(TestDrawletAppWindowTitles)
#include "tst_drawletapp_windowtitles.moc"
