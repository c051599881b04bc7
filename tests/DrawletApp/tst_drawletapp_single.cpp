// One annotation program per user: a later start hands its last argument to the running one and ends
// with 0; a socket left by a killed instance does not block the next start.
#include "ipc/localsocketpath.h"

#include <QFileInfo>
#include <QProcess>
#include <QtTest>

#include <csignal>

using platform::LocalSocketPath;

class TestDrawletAppSingle : public QObject
{
    Q_OBJECT

private slots:
    void laterStartHandsOver_data();
    void laterStartHandsOver();
    void staleSocketOfAKilledInstance();

private:
    // A first instance, up and holding the name.
    bool startFirst(QProcess &first);
    static QString socketPath() { return LocalSocketPath::fullPath(QStringLiteral("Drawlet")); }
};

bool TestDrawletAppSingle::startFirst(QProcess &first)
{
    first.setProgram(QStringLiteral(SINGLE_PROBE));
    first.start();
    if (!first.waitForReadyRead(10000))
        return false;
    return first.readAllStandardOutput().trimmed() == "first" && LocalSocketPath::isServing(socketPath());
}

void TestDrawletAppSingle::laterStartHandsOver_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("received");
    QTest::newRow("last argument") << QStringList{"first-arg", "second"} << R"(The value is:  "second")";
    QTest::newRow("first word of it") << QStringList{"two words"} << R"(The value is:  "two")";
    QTest::newRow("no argument") << QStringList() << R"(The value is:  "")";
}

void TestDrawletAppSingle::laterStartHandsOver()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, received);
    QProcess first;
    QVERIFY(startFirst(first));

    // The program itself as the later start: it needs neither a display nor the main program.
    QProcess second;
    second.start(QStringLiteral(DRAWLETAPP_PROGRAM), arguments);
    QVERIFY(second.waitForFinished(10000));
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 0);
    QVERIFY(QString::fromLocal8Bit(second.readAllStandardError()).contains("Connected server,program will quit"));

    QString firstOutput;
    QTRY_VERIFY_WITH_TIMEOUT((firstOutput += QString::fromLocal8Bit(first.readAllStandardError())).contains(received), 5000);
    QVERIFY(LocalSocketPath::isServing(socketPath()));
    first.kill();
    first.waitForFinished();
}

void TestDrawletAppSingle::staleSocketOfAKilledInstance()
{
    QProcess killed;
    QVERIFY(startFirst(killed));
    ::kill(pid_t(killed.processId()), SIGKILL);
    QVERIFY(killed.waitForFinished(5000));
    QVERIFY(QFileInfo::exists(socketPath()));
    QVERIFY(!LocalSocketPath::isServing(socketPath()));

    QProcess next;
    QVERIFY(startFirst(next));
    QString nextOutput = QString::fromLocal8Bit(next.readAllStandardError());
    QVERIFY(nextOutput.contains("Can't connect to server,build a server"));
    QProcess second;
    second.start(QStringLiteral(SINGLE_PROBE), {"again"});
    QVERIFY(second.waitForFinished(10000));
    QCOMPARE(second.exitCode(), 0);
    QTRY_VERIFY_WITH_TIMEOUT((nextOutput += QString::fromLocal8Bit(next.readAllStandardError())).contains(R"("again")"), 5000);
    next.kill();
    next.waitForFinished();
}

QTEST_GUILESS_MAIN(TestDrawletAppSingle)
#include "tst_drawletapp_single.moc"
