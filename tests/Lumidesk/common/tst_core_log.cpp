#include "common/lumidesklog.h"

#include "autoserialfilelogger.h"
#include "journix.h"

#include <QDate>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <vector>

class TestLumideskLog : public QObject
{
    Q_OBJECT

private slots:
    void firstCallsFromManyThreadsRegisterOnce();
};

void TestLumideskLog::firstCallsFromManyThreadsRegisterOnce()
{
    QTemporaryDir dir;
    AutoSerialFileLogger logger(dir.filePath("Lumidesk-YYMMDD-999.log"));
    Journix *journix = Journix::getSysJournix();
    journix->setLogLevel(4);
    journix->setLogger(&logger);
    QVERIFY(journix->startLog());

    // The capture threads' first records can be the program's first: all of them race for the
    // registration here, and none may be lost.
    const int threads = 16;
    std::vector<QThread *> writers;
    for (int t = 0; t < threads; ++t)
        writers.push_back(QThread::create([t] {
            _LumideskLog::log(Journix::LogLevel(4), QStringLiteral("thread %d says %s"), t, "hello");
            _LumideskLog::log(Journix::LogLevel(7), QStringLiteral("trace %d"), t);
        }));
    for (QThread *writer : writers)
        writer->start();
    for (QThread *writer : writers) {
        QVERIFY(writer->wait(10000));
        delete writer;
    }
    journix->stopLog();
    journix->setLogger(nullptr);

    QVERIFY(_LumideskLog::moduleId() >= 0);
    QCOMPARE(journix->registerLoggedModule(QStringLiteral("Tesmera/Lumidesk")), _LumideskLog::moduleId());

    QFile file(logger.fileNameFor(QDate::currentDate(), 1));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray content = file.readAll();
    QCOMPARE(content.count('\n'), threads);
    QCOMPARE(content.count("Tesmera/Lumidesk: thread "), threads);
    QVERIFY(content.contains("thread 15 says hello\n"));
}

QTEST_GUILESS_MAIN(TestLumideskLog)
#include "tst_core_log.moc"
