// The annotation program as installed, with the real panel plug-in, beside a stand-in main program that
// serves the local command link: it refuses to start without the main program, connects, takes the
// screen on "cap_hideLumidesk", gives it back with "cap_showLumidesk" from its close button, and ends
// when the main program goes.
#include "linkrawserver.h"
#include "linkrawsocket.h"
#include "xdotool.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRect>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// How long the test waits for what the program is to do. A condition met returns at once, so the bound
// only says when to give up: room for a machine busy with a whole suite, where a start, a click or an
// xdotool look at the windows can take seconds.
const int WaitBoundMs = 30000;

} // namespace

class TestDrawletAppProgram : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void refusesToStart_data();
    void refusesToStart();
    void takesAndGivesBackTheScreen();

private:
    static QString logText();
    // The program's visible windows, by xdotool.
    QList<QRect> visibleWindows(qint64 pid);
    // With DRAWLETAPP_LOOK set to a folder, a picture of the screen as it is, for a person to look at.
    static void lookAt(const QString &name);

    QProcess m_program;
};

void TestDrawletAppProgram::init()
{
    QFile::remove(QDir::homePath() + QStringLiteral("/Documents/DrawletLogFile.log"));
    m_program.setProcessChannelMode(QProcess::ForwardedChannels);
}

void TestDrawletAppProgram::cleanup()
{
    if (m_program.state() != QProcess::NotRunning) {
        m_program.kill();
        m_program.waitForFinished();
    }
}

QString TestDrawletAppProgram::logText()
{
    QFile log(QDir::homePath() + QStringLiteral("/Documents/DrawletLogFile.log"));
    return log.open(QIODevice::ReadOnly) ? QString::fromUtf8(log.readAll()) : QString();
}

QList<QRect> TestDrawletAppProgram::visibleWindows(qint64 pid)
{
    QString ids;
    xdotool({"search", "--onlyvisible", "--pid", QString::number(pid)}, &ids);
    QList<QRect> windows;
    for (const QString &id : ids.split('\n', Qt::SkipEmptyParts)) {
        QString geometry;
        if (!xdotool({"getwindowgeometry", "--shell", id}, &geometry))
            continue;
        QMap<QString, int> values;
        for (const QString &line : geometry.split('\n', Qt::SkipEmptyParts))
            values.insert(line.section('=', 0, 0), line.section('=', 1).toInt());
        windows << QRect(values["X"], values["Y"], values["WIDTH"], values["HEIGHT"]);
    }
    return windows;
}

void TestDrawletAppProgram::lookAt(const QString &name)
{
    const QString folder = qEnvironmentVariable("DRAWLETAPP_LOOK");
    if (folder.isEmpty())
        return;
    QTest::qWait(500);
    QProcess::execute(QStringLiteral("xwd"), {"-root", "-silent", "-out", folder + "/" + name + ".xwd"});
}

void TestDrawletAppProgram::refusesToStart_data()
{
    QTest::addColumn<bool>("withPlugin");
    QTest::addColumn<QString>("reason");
    QTest::newRow("no main program") << true << "Lumidesk isn't existed.";
    QTest::newRow("no panel plug-in") << false << "failed to create plugmux.";
}

void TestDrawletAppProgram::refusesToStart()
{
    QFETCH(bool, withPlugin);
    QFETCH(QString, reason);
    QString program = QStringLiteral(DRAWLETAPP_PROGRAM);
    QTemporaryDir alone;
    if (!withPlugin) {
        // The program alone in a folder of the layout's shape, without the plug-in beside it.
        QVERIFY(QDir(alone.path()).mkpath("DrawletApp/bin"));
        const QString copy = alone.path() + "/DrawletApp/bin/DrawletApp";
        QVERIFY(QFile::copy(program, copy));
        program = copy;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("LD_LIBRARY_PATH", QFileInfo(QStringLiteral(DRAWLETAPP_PROGRAM)).absolutePath() + "/../../lib");
        m_program.setProcessEnvironment(environment);
    }
    m_program.start(program, QStringList());
    QVERIFY(m_program.waitForFinished(WaitBoundMs));
    QCOMPARE(m_program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_program.exitCode(), 1);
    const QString log = logText();
    QVERIFY2(log.contains("{Critical}\tFunc: bool drawlet::application::DrawletApp::createLumideskController() has be called!!\n<Msg>: "
                          + reason + " \n"), qPrintable(log));
    QVERIFY(log.indexOf(reason) < log.indexOf("failed to create lumidesk controller"));
    QVERIFY(log.indexOf("failed to create lumidesk controller") < log.indexOf("Application failed to start"));
    QProcessEnvironment clean = QProcessEnvironment::systemEnvironment();
    m_program.setProcessEnvironment(clean);
}

void TestDrawletAppProgram::takesAndGivesBackTheScreen()
{
    LinkRawServer server;
    QVERIFY(server.listen(QStringLiteral("LumideskServer")));
    m_program.start(QStringLiteral(DRAWLETAPP_PROGRAM), QStringList());
    QTRY_VERIFY_WITH_TIMEOUT(server.newestPeer() && server.newestPeer()->isConnected(), WaitBoundMs);
    LinkRawSocket *panel = server.newestPeer();
    // Nothing of the program shows until the screen is handed over: not once it is up and answering.
    panel->writeFrame(QStringLiteral("cap_getRecordTime"));
    QTRY_VERIFY_WITH_TIMEOUT(panel->messages().contains(QStringLiteral("cap_getRecordTime/p0")), WaitBoundMs);
    QVERIFY(visibleWindows(m_program.processId()).isEmpty());

    panel->writeFrame(QStringLiteral("cap_hideLumidesk/p600/p0"));
    QList<QRect> windows;
    QTRY_VERIFY_WITH_TIMEOUT((windows = visibleWindows(m_program.processId())).size() >= 2, WaitBoundMs);
    QRect overlay;
    QRect toolbar;
    for (const QRect &window : windows) {
        if (window.width() == 1920)
            overlay = window;
        else if (window.width() == 776)
            toolbar = window;
    }
    QCOMPARE(overlay, QRect(0, 0, 1920, 1079));
    QVERIFY2(toolbar.isValid() && toolbar.y() == 0, qPrintable(QStringLiteral("%1 windows").arg(windows.size())));

    lookAt("desktop");

    // On the whiteboard the toolbar grows by its insert-picture button; unchecking the whiteboard
    // leads to mouse mode with the desktop's toolbar.
    const QString whiteboardX = QString::number(toolbar.x() + 65 + 44 + 22);
    const auto toolbarWidth = [this](int width) {
        for (const QRect &window : visibleWindows(m_program.processId())) {
            if (window.width() == width && window.y() == 0)
                return true;
        }
        return false;
    };
    QVERIFY(xdotool({"mousemove", whiteboardX, "25", "click", "1"}));
    QTRY_VERIFY_WITH_TIMEOUT(toolbarWidth(820), WaitBoundMs);
    lookAt("whiteboard");
    QVERIFY(xdotool({"mousemove", whiteboardX, "25", "click", "1"}));
    QTRY_VERIFY_WITH_TIMEOUT(toolbarWidth(776), WaitBoundMs);
    lookAt("mouse");

    // The close button at the toolbar's right end hands the screen back where the toolbar stands.
    QVERIFY(xdotool({"mousemove", QString::number(toolbar.x() + 737 + 17), QString::number(toolbar.y() + 18),
                     "click", "1"}));
    const QString handedBack = QStringLiteral("cap_showLumidesk/p%1/p%2").arg(toolbar.x()).arg(toolbar.y());
    QTRY_VERIFY_WITH_TIMEOUT(panel->messages().contains(handedBack), WaitBoundMs);
    QTRY_VERIFY_WITH_TIMEOUT(visibleWindows(m_program.processId()).isEmpty(), WaitBoundMs);

    server.close();
    QVERIFY(m_program.waitForFinished(WaitBoundMs));
    QCOMPARE(m_program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_program.exitCode(), 0);
}

QTEST_MAIN(TestDrawletAppProgram)
#include "tst_drawletapp_program.moc"
