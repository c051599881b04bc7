#include "scriptedhttpserver.h"

#include <QLocalSocket>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QtTest>

#include <csignal>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const int WaitMs = 20000;

QString settingsFile()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
           + "/Lumidesk/Qorv/Tivlo/settings.ini";
}

// Reads the program's standard output until a line starting with prefix turns up. The test's own
// event loop runs meanwhile, so its servers answer the program.
QString waitForLine(QProcess &program, const QString &prefix)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < WaitMs) {
        while (program.canReadLine()) {
            const QString line = QString::fromUtf8(program.readLine()).trimmed();
            if (line.startsWith(prefix))
                return line;
        }
        if (program.state() == QProcess::NotRunning)
            break;
        // Returns early or at the end of the time: the loop looks again either way.
        (void)QTest::qWaitFor([&program] { return program.canReadLine() || program.state() == QProcess::NotRunning; },
                              int(qMax<qint64>(1, WaitMs - clock.elapsed())));
    }
    // Said before the comparison fails, so that a run that went wrong shows how.
    if (program.state() == QProcess::NotRunning)
        qWarning("no \"%s\" line: the program ended (exit status %d, code %d)", qPrintable(prefix),
                 int(program.exitStatus()), program.exitCode());
    else
        qWarning("no \"%s\" line within %d ms", qPrintable(prefix), WaitMs);
    qWarning("its error output: %s", program.readAllStandardError().right(4000).constData());
    return QString();
}

QString logFolder()
{
    return QStandardPaths::standardLocations(QStandardPaths::DocumentsLocation).first() + "/Qorv/Log/Tivlo";
}

QByteArray logText()
{
    QByteArray all;
    for (const QString &name : QDir(logFolder()).entryList({"Lumidesk-*.log"}, QDir::Files, QDir::Name)) {
        QFile file(logFolder() + "/" + name);
        if (file.open(QIODevice::ReadOnly))
            all += file.readAll();
    }
    return all;
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeLaterStart()
{
    QFile::remove(settingsFile());
    QSettings settings(settingsFile(), QSettings::IniFormat);
    settings.setValue("Guid/Enabled", 0);
    settings.setValue("POSITION/X", 1700);
    settings.setValue("POSITION/Y", 300);
}

// Whether something accepts connections on the program's local link socket.
bool linkAnswers()
{
    QLocalSocket socket;
    socket.connectToServer(QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation) + "/LumideskServer");
    return socket.waitForConnected(5000);
}

} // namespace

// Runs the test build of the program on the test's own display, drives it through its test hook and
// checks what a user sees: the guide first, then the toolbar, and a clean exit when the toolbar is
// closed. The program users install has no such hook.
class TestProgram : public QObject
{
    Q_OBJECT

private slots:
    void firstStartThenClose();
    void laterStartSurvivesBrokenPipes();
    void installedProgramHasNoTestHook();
    void secondStartEndsBeforeAnyWindow();
    void secondStartWhileTheFirstStarts();
    void settingsPipeIsNeverOpened();
    void silentUpdateServerHoldsNoWindowBack();

private:
    void start(QProcess &program, const QProcessEnvironment &extra = QProcessEnvironment());
    void closeAndExpectCleanEnd(QProcess &program);
};

void TestProgram::start(QProcess &program, const QProcessEnvironment &extra)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("LUMIDESK_SIMULATE", "1");
    environment.insert(extra);
    program.setProcessEnvironment(environment);
    program.setProcessChannelMode(QProcess::SeparateChannels);
    program.start(qEnvironmentVariable("LUMIDESK_PROGRAM"), QStringList());
    QVERIFY2(program.waitForStarted(), qPrintable(program.errorString()));
}

void TestProgram::firstStartThenClose()
{
    QProcess program;
    start(program);
    QCOMPARE(waitForLine(program, "shown "), QStringLiteral("shown NavigationDialog 950x674+485+203"));

    program.write("ok\n");
    QCOMPARE(waitForLine(program, "shown "), QStringLiteral("shown Lumidesk 488x55+716+1025"));

    program.write("close\n");
    QVERIFY(program.waitForFinished(WaitMs));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);

    const QSettings settings(settingsFile(), QSettings::IniFormat);
    QCOMPARE(settings.value("Guid/Enabled").toInt(), 1);
    QCOMPARE(settings.value("POSITION/X").toInt(), 716);
    QCOMPARE(settings.value("POSITION/Y").toInt(), 1025);
    const QString logs = QStandardPaths::standardLocations(QStandardPaths::DocumentsLocation).first()
                         + "/Qorv/Log/Tivlo";
    QVERIFY(!QDir(logs).entryList({"Lumidesk-*-001.log"}, QDir::Files).isEmpty());
}

void TestProgram::laterStartSurvivesBrokenPipes()
{
    {
        QSettings settings(settingsFile(), QSettings::IniFormat);
        settings.setValue("Guid/Enabled", 0);
        settings.setValue("POSITION/X", 1700);
        settings.setValue("POSITION/Y", 300);
    }
    QProcess program;
    start(program);
    QCOMPARE(waitForLine(program, "shown "), QStringLiteral("shown Lumidesk 55x488+1865+300"));

    ::kill(pid_t(program.processId()), SIGPIPE);
    QCOMPARE(waitForLine(program, "Caught"), QStringLiteral("Caught SIGPIPE"));
    QCOMPARE(program.state(), QProcess::Running);

    program.write("close\n");
    QVERIFY(program.waitForFinished(WaitMs));
    QCOMPARE(program.exitCode(), 0);
}

void TestProgram::installedProgramHasNoTestHook()
{
    // A hook reading commands from standard input would be a door into every user's program; it
    // must not even be linked in (its class name is in the meta-object data of any build that has it).
    QFile program(qEnvironmentVariable("LUMIDESK_RELEASE_PROGRAM"));
    QVERIFY2(program.open(QIODevice::ReadOnly), qPrintable(program.fileName()));
    const QByteArray bytes = program.readAll();
    QVERIFY(bytes.contains("LumideskStartup"));
    QVERIFY(!bytes.contains("StartupTestHook"));
    QVERIFY(!bytes.contains("LUMIDESK_TEST_HOOK"));

    QFile host(qEnvironmentVariable("LUMIDESK_PROGRAM"));
    QVERIFY(host.open(QIODevice::ReadOnly));
    QVERIFY(host.readAll().contains("StartupTestHook"));
}

void TestProgram::closeAndExpectCleanEnd(QProcess &program)
{
    program.write("close\n");
    QVERIFY2(program.waitForFinished(WaitMs), program.readAllStandardError().right(4000).constData());
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
}

void TestProgram::secondStartEndsBeforeAnyWindow()
{
    writeLaterStart();
    QDir(logFolder()).removeRecursively();
    QProcess first;
    start(first);
    QCOMPARE(waitForLine(first, "shown "), QStringLiteral("shown Lumidesk 55x488+1865+300"));
    const QByteArray settings = fileBytes(settingsFile());
    QVERIFY(!settings.isEmpty());

    // The user has the Lumidesk they started: ending is no failure, and the reason goes to the
    // terminal, not into the running one's log.
    QProcess second;
    start(second);
    QVERIFY2(second.waitForFinished(WaitMs), "the second start did not end");
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 0);
    QCOMPARE(second.readAllStandardError(), QByteArray("Lumidesk is already running.\n"));
    // No window was ever mapped: the hook reports every one.
    QCOMPARE(second.readAllStandardOutput(), QByteArray());

    // The first one goes on as before: its link still answers, its settings are as they were, its log
    // holds one start, one phone server and no fight over the link.
    QCOMPARE(first.state(), QProcess::Running);
    QVERIFY(linkAnswers());
    QCOMPARE(fileBytes(settingsFile()), settings);
    const QByteArray log = logText();
    QCOMPARE(log.count("Lumidesk starts"), 1);
    QCOMPARE(log.count("Remote-control server listening"), 1);
    QVERIFY(!log.contains("Unable to start the server"));

    closeAndExpectCleanEnd(first);
    // Once it has gone, the next start is the Lumidesk again.
    QProcess next;
    start(next);
    QCOMPARE(waitForLine(next, "shown "), QStringLiteral("shown Lumidesk 55x488+1865+300"));
    closeAndExpectCleanEnd(next);
}

void TestProgram::secondStartWhileTheFirstStarts()
{
    writeLaterStart();
    // A start held after its look for a running one, before its toolbar and its link server: a second
    // start now finds no socket to answer, and must still find the first.
    QProcessEnvironment hold;
    hold.insert("LUMIDESK_TEST_HOLD_START", "1");
    QProcess first;
    start(first, hold);
    QCOMPARE(waitForLine(first, "holding"), QStringLiteral("holding"));

    QProcess second;
    start(second);
    QVERIFY2(second.waitForFinished(WaitMs), "the second start did not end");
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 0);
    QCOMPARE(second.readAllStandardError(), QByteArray("Lumidesk is already running.\n"));
    QCOMPARE(second.readAllStandardOutput(), QByteArray());

    first.write("go\n");
    QCOMPARE(waitForLine(first, "shown "), QStringLiteral("shown Lumidesk 55x488+1865+300"));
    closeAndExpectCleanEnd(first);
}

void TestProgram::settingsPipeIsNeverOpened()
{
    QFile::remove(settingsFile());
    QVERIFY(QDir().mkpath(QFileInfo(settingsFile()).path()));
    const QByteArray path = QFile::encodeName(settingsFile());
    QCOMPARE(::mkfifo(path.constData(), 0600), 0);
    QDir(logFolder()).removeRecursively();

    // Nobody writes to the pipe: opened for reading, it would hold the start for good. The defaults
    // show the first-run guide.
    QProcess program;
    start(program);
    QCOMPARE(waitForLine(program, "shown "), QStringLiteral("shown NavigationDialog 950x674+485+203"));

    // From now on the pipe has a writer (this test) and a line in it: a read would take the line, a
    // write would add to it.
    const int pipe = ::open(path.constData(), O_RDWR | O_NONBLOCK);
    QVERIFY(pipe >= 0);
    QCOMPARE(::write(pipe, "untouched\n", 10), ssize_t(10));

    // The guide's choice, the toolbar's place and the chooser all read and write settings.
    program.write("ok\n");
    QCOMPARE(waitForLine(program, "shown Lumidesk"), QStringLiteral("shown Lumidesk 488x55+716+1025"));
    closeAndExpectCleanEnd(program);

    struct stat after;
    QCOMPARE(::stat(path.constData(), &after), 0);
    QVERIFY(S_ISFIFO(after.st_mode));
    char buffer[64];
    const ssize_t read = ::read(pipe, buffer, sizeof buffer);
    ::close(pipe);
    QCOMPARE(QByteArray(buffer, int(qMax<ssize_t>(read, 0))), QByteArray("untouched\n"));
    QFile::remove(settingsFile());

    QVERIFY(logText().contains("Settings file not used: " + path + " is no regular file"));
    // What the run saved went to a private file that went with it.
    QCOMPARE(QDir(QDir::tempPath()).entryList({"Lumidesk-settings-*"}, QDir::AllEntries | QDir::Hidden), QStringList());
}

void TestProgram::silentUpdateServerHoldsNoWindowBack()
{
    writeLaterStart();
    // Accepts the check's request and never answers it within the test.
    ScriptedHttpServer server;
    QVERIFY(server.listen());
    ScriptedHttpServer::Reply silent = ScriptedHttpServer::bodyReply("LinuxVersion=\"99.0.0.0\"\nEOF\n");
    silent.delayMsecs = 10 * 60 * 1000;
    server.route("/Tivlo/check4Update/update.cfg", silent);
    QProcessEnvironment extra;
    extra.insert("LUMIDESK_TEST_UPDATE_SERVER", server.url().toString());

    QElapsedTimer clock;
    clock.start();
    QProcess program;
    start(program, extra);
    QCOMPARE(waitForLine(program, "shown "), QStringLiteral("shown Lumidesk 55x488+1865+300"));
    const qint64 shownMs = clock.elapsed();
    // The server has the request, has not answered, and the program still waits for it: the toolbar
    // is on screen while the check is under way.
    QTRY_COMPARE_WITH_TIMEOUT(server.requestCount(), 1, WaitMs);
    QCOMPARE(server.openConnections(), 1);
    QCOMPARE(server.requests().first().path, QByteArray("/Tivlo/check4Update/update.cfg"));
    qInfo("toolbar mapped %lld ms after the start, the update check still unanswered", shownMs);

    // Closing while the check waits ends the program at once.
    closeAndExpectCleanEnd(program);
}

QTEST_GUILESS_MAIN(TestProgram)
#include "tst_toolbar_program.moc"
