#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QtTest>

#include <csignal>

namespace {

const int WaitMs = 20000;

QString settingsFile()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
           + "/Lumidesk/Qorv/Tivlo/settings.ini";
}

// Reads the program's standard output until a line starting with prefix turns up.
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
        program.waitForReadyRead(200);
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

private:
    void start(QProcess &program);
};

void TestProgram::start(QProcess &program)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("LUMIDESK_SIMULATE", "1");
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

QTEST_GUILESS_MAIN(TestProgram)
#include "tst_toolbar_program.moc"
