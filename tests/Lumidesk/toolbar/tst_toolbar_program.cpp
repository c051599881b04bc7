#include "scriptedhttpserver.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QRandomGenerator>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QtTest>

#include <csignal>

#include <sys/socket.h>
#include <sys/un.h>

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

QString runtimePath(const QString &name)
{
    return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation) + "/" + name;
}

// What a crash leaves: a socket file nobody listens on any more.
bool plantDeadSocket(const QString &path)
{
    const QByteArray native = QFile::encodeName(path);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    qstrncpy(address.sun_path, native.constData(), sizeof address.sun_path);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    const bool bound = fd >= 0 && ::bind(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0;
    if (fd >= 0)
        ::close(fd);
    return bound;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

// Nobody's: the user that owns no process of the test.
const uid_t OtherUser = 65534;

// Removes whatever a row planted in the link's places.
void clearLinkPlaces()
{
    for (const char *name : {"LumideskServer", "LumideskServer.start", "LumideskServer.lock"}) {
        const QString path = runtimePath(name);
        if (QFileInfo(path).isDir() && !QFileInfo(path).isSymLink())
            QDir(path).removeRecursively();
        else
            QFile::remove(path);
    }
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
    void startBesidePlantedLinkPlaces_data();
    void startBesidePlantedLinkPlaces();
    void userInfoPipeIsNeverOpened();
    void whatCannotBeKeptIsToldOnce_data();
    void whatCannotBeKeptIsToldOnce();

private:
    void start(QProcess &program, const QProcessEnvironment &extra = QProcessEnvironment());
    void closeAndExpectCleanEnd(QProcess &program);
    // The same, keeping what the program said on standard error for the caller.
    QByteArray closeAndTakeErrors(QProcess &program);
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

QByteArray TestProgram::closeAndTakeErrors(QProcess &program)
{
    program.write("close\n");
    const bool ended = program.waitForFinished(WaitMs);
    const QByteArray errors = program.readAllStandardError();
    [&] {
        QVERIFY2(ended, errors.right(4000).constData());
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);
    }();
    return errors;
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

    QVERIFY(logText().contains("Settings file not used: " + path + " is a named pipe"));
    // What the run saved went to a private file that went with it.
    QCOMPARE(QDir(QDir::tempPath()).entryList({"Lumidesk-files-*"}, QDir::AllEntries | QDir::Hidden), QStringList());
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

// What a crash, another program or another user may leave in the places of the start lock and the link
// socket. A start beside it either is the Lumidesk (one toolbar, its link up) or ends at once, saying
// why, with a failure: never "already running" when nothing runs.
void TestProgram::startBesidePlantedLinkPlaces_data()
{
    QTest::addColumn<QString>("plant");
    QTest::addColumn<QString>("refusal");

    QTest::newRow("empty lock") << "empty lock" << QString();
    QTest::newRow("garbled lock") << "garbled lock" << QString();
    QTest::newRow("lock of another user") << "lock of another user"
                                          << "the start lock " + runtimePath("LumideskServer.start")
                                                 + " belongs to another user (uid 65534)";
    QTest::newRow("folder as lock") << "folder as lock"
                                    << "a folder is in the place of the start lock " + runtimePath("LumideskServer.start");
    QTest::newRow("socket file with nobody behind it") << "dead socket" << QString();
    QTest::newRow("socket file of another user") << "dead socket of another user"
                                                 << "a socket of another user (uid 65534) is in the place of the socket "
                                                        + runtimePath("LumideskServer");
    QTest::newRow("folder as socket") << "folder as socket"
                                      << "a folder is in the place of the socket " + runtimePath("LumideskServer");
    QTest::newRow("foreign listening socket") << "foreign server"
                                              << runtimePath("LumideskServer")
                                                     + " is served by a program that holds no start lock, so not by Lumidesk";
}

void TestProgram::startBesidePlantedLinkPlaces()
{
    QFETCH(QString, plant);
    QFETCH(QString, refusal);
    writeLaterStart();
    QDir(logFolder()).removeRecursively();
    clearLinkPlaces();
    const QString lock = runtimePath("LumideskServer.start");
    const QString socket = runtimePath("LumideskServer");
    QLocalServer foreign;
    if (plant == "empty lock")
        QVERIFY(writeFile(lock, QByteArray()));
    else if (plant == "garbled lock")
        QVERIFY(writeFile(lock, QByteArray("\xff\xfe not a lock\n-17\n\0\0", 21)));
    else if (plant == "lock of another user")
        QVERIFY(writeFile(lock, "4242\n") && ::chown(QFile::encodeName(lock).constData(), OtherUser, OtherUser) == 0);
    else if (plant == "folder as lock")
        QVERIFY(QDir().mkpath(lock + "/inside"));
    else if (plant == "dead socket")
        QVERIFY(plantDeadSocket(socket));
    else if (plant == "dead socket of another user")
        QVERIFY(plantDeadSocket(socket) && ::chown(QFile::encodeName(socket).constData(), OtherUser, OtherUser) == 0);
    else if (plant == "folder as socket")
        QVERIFY(QDir().mkpath(socket));
    else if (plant == "foreign server")
        QVERIFY(foreign.listen(socket));

    QProcess program;
    start(program);
    if (refusal.isEmpty()) {
        QCOMPARE(waitForLine(program, "shown "), QStringLiteral("shown Lumidesk 55x488+1865+300"));
        QVERIFY(linkAnswers());
        QVERIFY(!logText().contains("Unable to start the server"));
        closeAndExpectCleanEnd(program);
    } else {
        QVERIFY2(program.waitForFinished(WaitMs), "the start did not end");
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 1);
        QCOMPARE(QString::fromUtf8(program.readAllStandardError()), "Lumidesk cannot start: " + refusal + ".\n");
        QCOMPARE(program.readAllStandardOutput(), QByteArray());
        // Nothing was made or removed.
        QVERIFY(!QFileInfo::exists(logFolder()));
        QVERIFY(QFileInfo::exists(plant.contains("lock") ? lock : socket));
    }
    foreign.close();
    clearLinkPlaces();
}

void TestProgram::userInfoPipeIsNeverOpened()
{
    writeLaterStart();
    const QString userInfo = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/UserInfo.ini";
    QVERIFY(QDir().mkpath(QFileInfo(userInfo).path()));
    QFile::remove(userInfo);
    const QByteArray path = QFile::encodeName(userInfo);
    QCOMPARE(::mkfifo(path.constData(), 0600), 0);

    // Opened for reading, the pipe without a writer would hold the start before any window.
    QProcess program;
    start(program);
    QCOMPARE(waitForLine(program, "shown "), QStringLiteral("shown Lumidesk 55x488+1865+300"));
    const int pipe = ::open(path.constData(), O_RDWR | O_NONBLOCK);
    QVERIFY(pipe >= 0);
    QCOMPARE(::write(pipe, "untouched\n", 10), ssize_t(10));
    const QByteArray errors = closeAndTakeErrors(program);

    char buffer[64];
    const ssize_t read = ::read(pipe, buffer, sizeof buffer);
    ::close(pipe);
    QFile::remove(userInfo);
    QCOMPARE(QByteArray(buffer, int(qMax<ssize_t>(read, 0))), QByteArray("untouched\n"));
    QVERIFY2(errors.contains(path + " is a named pipe: not opened"), errors.constData());
}

// A settings file that cannot be read, or folders that cannot be written: the program runs as on a
// first run, says why once on standard error, and leaves what is in the way as it was.
void TestProgram::whatCannotBeKeptIsToldOnce_data()
{
    QTest::addColumn<QString>("blocked");
    QTest::addColumn<bool>("noise");
    QTest::addColumn<QString>("told");

    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    QTest::newRow("50 MB of noise as settings") << settingsFile() << true
                                                << "the settings file " + settingsFile()
                                                       + " is no settings file Lumidesk can read; this run starts with "
                                                         "the default settings and leaves the file as it is";
    QTest::newRow("a file in the settings folder's way") << data + "/Lumidesk" << false
                                                         << data + "/Lumidesk cannot be written; the settings of "
                                                                   "this run are not kept";
    const QString logParent = QFileInfo(logFolder()).path();
    QTest::newRow("a file in the log folder's way") << logParent << false
                                                    << "no log file can be written in " + logFolder()
                                                           + "/; this run keeps no log";
}

void TestProgram::whatCannotBeKeptIsToldOnce()
{
    QFETCH(QString, blocked);
    QFETCH(bool, noise);
    QFETCH(QString, told);
    QFile::remove(settingsFile());
    QDir(logFolder()).removeRecursively();
    QDir(blocked).removeRecursively();
    QVERIFY(QDir().mkpath(QFileInfo(blocked).path()));
    QByteArray bytes("not a folder\n");
    if (noise) {
        bytes.resize(50 * 1024 * 1024);
        QRandomGenerator generator(47);
        generator.fillRange(reinterpret_cast<quint32 *>(bytes.data()), bytes.size() / int(sizeof(quint32)));
    }
    QVERIFY(writeFile(blocked, bytes));

    QProcess program;
    start(program);
    QCOMPARE(waitForLine(program, "shown "), QStringLiteral("shown NavigationDialog 950x674+485+203"));
    // The guide's choice and the toolbar's place are saved, or would be.
    program.write("ok\n");
    QCOMPARE(waitForLine(program, "shown "), QStringLiteral("shown Lumidesk 488x55+716+1025"));
    const QString errors = QString::fromUtf8(closeAndTakeErrors(program));
    QVERIFY2(errors.count(told) == 1, qPrintable(errors));
    QVERIFY(fileBytes(blocked) == bytes);
    QFile::remove(blocked);
}

QTEST_GUILESS_MAIN(TestProgram)
#include "tst_toolbar_program.moc"
