#include "desktop/detachedprocess.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <unistd.h>

// The started program reports what it was given and where it runs, as a shell script of the test's
// own; the program under test itself is never started through a shell.
class TestDetachedProcess : public QObject
{
    Q_OBJECT

private slots:
    void startsOnItsOwn();
    void aProgramThatCannotStartSaysWhy();

private:
    QTemporaryDir m_folder;
};

void TestDetachedProcess::startsOnItsOwn()
{
    const QString report = m_folder.filePath(QStringLiteral("report"));
    const QString script = m_folder.filePath(QStringLiteral("reporter"));
    QFile file(script);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("#!/bin/sh\n"
               "out=$(readlink /proc/$$/fd/1); err=$(readlink /proc/$$/fd/2)\n"
               "{ echo \"args $#:$1\"; ps -o sid= -p $$; grep SigIgn /proc/$$/status; echo \"$out\"; echo \"$err\"; } > \"$0.tmp\"\n"
               "mv \"$0.tmp\" \"" + QFile::encodeName(report) + "\"\n"
               "echo printed\n"
               "echo complained >&2\n");
    file.close();
    QVERIFY(file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));

    // An ignored signal would carry over into the new program: the child must start with none.
    const auto previous = std::signal(SIGPIPE, SIG_IGN);
    QString error;
    const qint64 pid = platform::DetachedProcess::start(script, {QStringLiteral("a b; echo no shell")}, &error);
    std::signal(SIGPIPE, previous);
    QVERIFY2(pid > 0, qPrintable(error));

    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(report), 15000);
    QFile reported(report);
    QVERIFY(reported.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = reported.readAll().split('\n');
    QCOMPARE(lines.value(0), QByteArray("args 1:a b; echo no shell"));
    // A session of its own: its session id is its own process id.
    QCOMPARE(lines.value(1).trimmed().toLongLong(), pid);
    const QList<QByteArray> ignored = lines.value(2).simplified().split(' ');
    QCOMPARE(ignored.value(0), QByteArray("SigIgn:"));
    QVERIFY2(!(ignored.value(1).toULongLong(nullptr, 16) & (1ULL << (SIGPIPE - 1))), lines.value(2).constData());
    QCOMPARE(lines.value(3), QByteArray("/dev/null"));
    QCOMPARE(lines.value(4), QByteArray("/dev/null"));
    // Gone for good once it ends: collected, no zombie left behind under this process.
    QTRY_VERIFY_WITH_TIMEOUT(!QFileInfo::exists(QStringLiteral("/proc/%1").arg(pid)), 15000);
}

void TestDetachedProcess::aProgramThatCannotStartSaysWhy()
{
    QString error;
    QCOMPARE(platform::DetachedProcess::start(m_folder.filePath(QStringLiteral("absent")), {}, &error), qint64(-1));
    QVERIFY2(error.contains(QStringLiteral("No such file")), qPrintable(error));
}

QTEST_GUILESS_MAIN(TestDetachedProcess)
#include "tst_detachedprocess.moc"
