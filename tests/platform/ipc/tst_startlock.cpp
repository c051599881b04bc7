#include "ipc/startlock.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using platform::StartLock;

class TestStartLock : public QObject
{
    Q_OBJECT

private slots:
    void oneHolderAtATimeWhateverTheFileHolds();
    void freedWhenTheHolderDies();
    void noStartedProgramKeepsIt();
    void placeThatCannotServe_data();
    void placeThatCannotServe();

private:
    QString lockPath() const { return m_folder.filePath(QStringLiteral("Program.start")); }
    QTemporaryDir m_folder;
};

void TestStartLock::oneHolderAtATimeWhateverTheFileHolds()
{
    // What a start that died while writing an old-style lock leaves.
    QFile garbled(lockPath());
    QVERIFY(garbled.open(QIODevice::WriteOnly));
    garbled.write("\xff\x00 12", 5);
    garbled.close();

    StartLock first;
    StartLock second;
    QCOMPARE(first.take(lockPath()), StartLock::Taken);
    QCOMPARE(second.take(lockPath()), StartLock::HeldByAnother);
    QVERIFY(!second.isHeld());
    first.release();
    QCOMPARE(second.take(lockPath()), StartLock::Taken);
    // The file stays: a start that opened it a moment ago must lock the one the next start finds.
    second.release();
    QVERIFY(QFileInfo(lockPath()).isFile());
}

void TestStartLock::freedWhenTheHolderDies()
{
    int ready[2];
    QCOMPARE(::pipe(ready), 0);
    const QByteArray path = QFile::encodeName(lockPath());
    const pid_t holder = ::fork();
    QVERIFY(holder >= 0);
    if (holder == 0) {
        StartLock lock;
        const char said = lock.take(QFile::decodeName(path)) == StartLock::Taken ? 'y' : 'n';
        if (::write(ready[1], &said, 1) != 1)
            ::_exit(1);
        for (;;)
            ::pause();
    }
    ::close(ready[1]);
    char said = 0;
    QCOMPARE(::read(ready[0], &said, 1), ssize_t(1));
    ::close(ready[0]);
    QCOMPARE(said, 'y');

    StartLock lock;
    QCOMPARE(lock.take(lockPath()), StartLock::HeldByAnother);
    // Killed, as a crash ends it: nothing of it is left to clean away.
    ::kill(holder, SIGKILL);
    int status = 0;
    QCOMPARE(::waitpid(holder, &status, 0), holder);
    QCOMPARE(lock.take(lockPath()), StartLock::Taken);
}

void TestStartLock::noStartedProgramKeepsIt()
{
    // The program that holds the lock starts others (DrawletApp): once it ends, they must not hold
    // the next start off.
    StartLock lock;
    QCOMPARE(lock.take(lockPath()), StartLock::Taken);
    QProcess child;
    child.start(QStringLiteral("/bin/sleep"), {QStringLiteral("60")});
    QVERIFY(child.waitForStarted());
    lock.release();

    StartLock next;
    QCOMPARE(next.take(lockPath()), StartLock::Taken);
    child.kill();
    QVERIFY(child.waitForFinished());
}

void TestStartLock::placeThatCannotServe_data()
{
    QTest::addColumn<QString>("plant");
    QTest::addColumn<QString>("reason");

    QTest::newRow("folder") << "folder" << "a folder is in the place of the start lock";
    QTest::newRow("named pipe without writer") << "pipe" << "a named pipe is in the place of the start lock";
    QTest::newRow("link to a regular file") << "link" << "a symbolic link is in the place of the start lock";
    QTest::newRow("file of another user") << "other" << "belongs to another user (uid 65534)";
}

void TestStartLock::placeThatCannotServe()
{
    QFETCH(QString, plant);
    QFETCH(QString, reason);
    const QString path = lockPath();
    const QByteArray native = QFile::encodeName(path);
    QFile::remove(path);
    if (plant == "folder") {
        QVERIFY(QDir().mkdir(path));
    } else if (plant == "pipe") {
        QCOMPARE(::mkfifo(native.constData(), 0600), 0);
    } else if (plant == "link") {
        const QString target = m_folder.filePath(QStringLiteral("elsewhere"));
        QFile(target).open(QIODevice::WriteOnly);
        QVERIFY(QFile::link(target, path));
    } else {
        QFile(path).open(QIODevice::WriteOnly);
        QCOMPARE(::chown(native.constData(), 65534, 65534), 0);
    }

    StartLock lock;
    QString why;
    QCOMPARE(lock.take(path, &why), StartLock::Unusable);
    QVERIFY2(why.contains(reason), qPrintable(why));
    QVERIFY(!lock.isHeld());

    if (plant == "folder")
        QDir().rmdir(path);
    else
        QFile::remove(path);
}

QTEST_GUILESS_MAIN(TestStartLock)
#include "tst_startlock.moc"
