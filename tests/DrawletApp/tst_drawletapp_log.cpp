// The annotation program's log: the record of one message, and the file it goes to or, when that
// cannot be written, the standard error output.
#include "debugmessagefilehandler.h"

#include <QDir>
#include <QFile>
#include <QTemporaryFile>
#include <QtTest>

#include <unistd.h>

using drawlet::ui::DebugMessageFileHandler;
using drawlet::ui::formatLogRecord;
using drawlet::ui::logFilePath;

class TestDrawletAppLog : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void recordOfOneMessage_data();
    void recordOfOneMessage();
    void recordsAreAppendedToTheDocumentsFile();
    void unwritableFileGoesToStandardError();
};

void TestDrawletAppLog::init()
{
    QFile::remove(logFilePath());
}

void TestDrawletAppLog::recordOfOneMessage_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("withContext");
    QTest::addColumn<QString>("record");

    const QString stamp = QStringLiteral("[07/12/2026 23:20:41] ");
    const QString rest = QStringLiteral("Func: int main(int, char **) has be called!!\n"
                                        "<Msg>: Application Startting \n"
                                        "at main.cpp line: 23\n\n");
    QTest::newRow("debug") << int(QtDebugMsg) << "Application Startting" << true << stamp + "{Debug}\t" + rest;
    QTest::newRow("warning") << int(QtWarningMsg) << "Application Startting" << true << stamp + "{Warning}\t" + rest;
    QTest::newRow("critical") << int(QtCriticalMsg) << "Application Startting" << true << stamp + "{Critical}\t" + rest;
    QTest::newRow("info") << int(QtInfoMsg) << "Application Startting" << true << stamp + "{Info}\t" + rest;
    QTest::newRow("up to a NUL") << int(QtDebugMsg) << QString::fromUtf8("Application Startting\0hidden", 28) << true
                                 << stamp + "{Debug}\t" + rest;
    QTest::newRow("no context") << int(QtDebugMsg) << "plain" << false
                                << stamp + "{Debug}\tFunc:  has be called!!\n<Msg>: plain \nat  line: 0\n\n";
}

void TestDrawletAppLog::recordOfOneMessage()
{
    QFETCH(int, type);
    QFETCH(QString, message);
    QFETCH(bool, withContext);
    QFETCH(QString, record);
    const QMessageLogContext context = withContext ? QMessageLogContext("main.cpp", 23, "int main(int, char **)", "default")
                                                   : QMessageLogContext();
    const QDateTime time(QDate(2026, 12, 7), QTime(23, 20, 41));
    QCOMPARE(formatLogRecord(QtMsgType(type), context, message, time), record);
}

void TestDrawletAppLog::recordsAreAppendedToTheDocumentsFile()
{
    QCOMPARE(logFilePath(), QDir::homePath() + QStringLiteral("/Documents/DrawletLogFile.log"));
    const QMessageLogContext context("main.cpp", 7, "void f()", "default");
    DebugMessageFileHandler(QtDebugMsg, context, QStringLiteral("first"));
    DebugMessageFileHandler(QtWarningMsg, context, QString::fromUtf8("zweite Zeile ü"));

    QFile file(logFilePath());
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QStringList records = QString::fromUtf8(file.readAll()).split(QStringLiteral("\n\n"));
    QCOMPARE(records.size(), 3);
    QVERIFY(records.at(0).contains(QStringLiteral("{Debug}\tFunc: void f() has be called!!\n<Msg>: first \nat main.cpp line: 7")));
    QVERIFY(records.at(1).contains(QString::fromUtf8("{Warning}\tFunc: void f() has be called!!\n<Msg>: zweite Zeile ü \n")));
    QCOMPARE(records.at(2), QString());
}

void TestDrawletAppLog::unwritableFileGoesToStandardError()
{
    // The log's place is taken by a folder: the file cannot be opened.
    QVERIFY(QDir().mkpath(logFilePath()));
    QTemporaryFile captured;
    QVERIFY(captured.open());
    fflush(stderr);
    const int savedError = dup(STDERR_FILENO);
    dup2(captured.handle(), STDERR_FILENO);
    DebugMessageFileHandler(QtCriticalMsg, QMessageLogContext("a.cpp", 3, "void g()", "default"),
                            QStringLiteral("still seen"));
    fflush(stderr);
    dup2(savedError, STDERR_FILENO);
    close(savedError);
    QVERIFY(QDir().rmdir(logFilePath()));

    captured.seek(0);
    const QString text = QString::fromLocal8Bit(captured.readAll());
    QVERIFY2(text.contains(QStringLiteral("{Critical}\tFunc: void g() has be called!!\n<Msg>: still seen \nat a.cpp line: 3")),
             qPrintable(text));
}

QTEST_GUILESS_MAIN(TestDrawletAppLog)
#include "tst_drawletapp_log.moc"
