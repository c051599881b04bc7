#include "autoserialfilelogger.h"
#include "journix.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QThread>
#include <QtTest>

#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

#include <unistd.h>

namespace {

QByteArray readAll(const QString &name)
{
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Every file the logger made, in serial order, for one date.
QStringList filesOf(const AutoSerialFileLogger &logger, const QDate &date)
{
    QStringList names;
    for (int serial = 1; QFile::exists(logger.fileNameFor(date, serial)); ++serial)
        names << logger.fileNameFor(date, serial);
    return names;
}

void logAt(Journix *journix, int module, Journix::LogLevel level, const char *format, ...)
{
    va_list args;
    va_start(args, format);
    journix->log(module, level, QString::fromUtf8(format), args);
    va_end(args);
}

void logWith(Journix *journix, int module, Journix::LogLevel level, Journix::Echo echo, const char *format, ...)
{
    va_list args;
    va_start(args, format);
    journix->log(module, level, echo, QString::fromUtf8(format), args);
    va_end(args);
}

// What runs writes to standard error, caught in a file in its place.
QByteArray standardErrorOf(const std::function<void()> &run)
{
    QTemporaryFile capture;
    if (!capture.open())
        return "no capture file";
    std::fflush(stderr);
    const int saved = ::dup(STDERR_FILENO);
    ::dup2(capture.handle(), STDERR_FILENO);
    run();
    std::fflush(stderr);
    ::dup2(saved, STDERR_FILENO);
    ::close(saved);
    capture.seek(0);
    return capture.readAll();
}

} // namespace

Q_DECLARE_METATYPE(Journix::Echo)

class TestJournixLogger : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void fileNames_data();
    void fileNames();
    void rotatesBySizeAndDay();
    void continuesTheDaysLastFile();
    void filtersByLevelAndModule();
    void formatsLongAndMultiLineRecords();
    void errorsReachStandardErrorOnce_data();
    void errorsReachStandardErrorOnce();
    void concurrentWritersLoseNothing();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    Journix *m_journix = Journix::getSysJournix();
};

void TestJournixLogger::init()
{
    // A folder per test: the loggers continue whatever files they find.
    m_dir.reset(new QTemporaryDir);
    QVERIFY(m_dir->isValid());
}

void TestJournixLogger::cleanup()
{
    m_journix->stopLog();
    m_journix->setLogger(nullptr);
    m_journix->setLogLevel(Journix::Warning);
}

void TestJournixLogger::fileNames_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<int>("serial");
    QTest::addColumn<QString>("expected");

    QTest::newRow("first") << "/l99/Lumidesk-YYMMDD-999.log" << 1 << "/l99/Lumidesk-240229-001.log";
    QTest::newRow("wide serial") << "/l99/Lumidesk-YYMMDD-999.log" << 1234 << "/l99/Lumidesk-240229-1234.log";
    QTest::newRow("no serial") << "/logs/app-YYMMDD.log" << 2 << "/logs/app-240229.log.2";
}

void TestJournixLogger::fileNames()
{
    QFETCH(QString, pattern);
    QFETCH(int, serial);
    QFETCH(QString, expected);
    const AutoSerialFileLogger logger(pattern);
    QCOMPARE(logger.fileNameFor(QDate(2024, 2, 29), serial), expected);
}

void TestJournixLogger::rotatesBySizeAndDay()
{
    QDateTime now(QDate(2024, 3, 1), QTime(23, 59, 0));
    AutoSerialFileLogger logger(m_dir->filePath("sub/Lumidesk-YYMMDD-999.log"), 100);
    logger.setClock([&now] { return now; });
    QVERIFY(logger.open());
    const QByteArray line(40, 'x');
    for (int i = 0; i < 5; ++i)
        logger.write(line + '\n');
    // 41-byte records in 100-byte files: two per file.
    const QStringList first = filesOf(logger, now.date());
    QCOMPARE(first.size(), 3);
    QCOMPARE(readAll(first.at(0)).size(), 82);
    QCOMPARE(readAll(first.at(2)).size(), 41);

    now = now.addSecs(120);
    logger.write("next day\n");
    QCOMPARE(logger.currentFileName(), logger.fileNameFor(now.date(), 1));
    QCOMPARE(readAll(logger.currentFileName()), QByteArray("next day\n"));

    // A record larger than the limit still goes out whole, in a file of its own.
    logger.write(QByteArray(300, 'y') + '\n');
    QCOMPARE(filesOf(logger, now.date()).size(), 2);
    QCOMPARE(readAll(logger.fileNameFor(now.date(), 2)).size(), 301);
}

void TestJournixLogger::continuesTheDaysLastFile()
{
    const QString pattern = m_dir->filePath("Lumidesk-YYMMDD-999.log");
    const QDateTime now(QDate(2024, 3, 1), QTime(12, 0));
    {
        AutoSerialFileLogger logger(pattern, 100);
        logger.setClock([now] { return now; });
        QVERIFY(logger.open());
        logger.write("first run\n");
    }
    AutoSerialFileLogger logger(pattern, 100);
    logger.setClock([now] { return now; });
    QVERIFY(logger.open());
    logger.write("second run\n");
    QCOMPARE(readAll(logger.fileNameFor(now.date(), 1)), QByteArray("first run\nsecond run\n"));

    // A full last file is left alone: the next run starts the next serial.
    logger.write(QByteArray(100, 'z') + '\n');
    logger.close();
    QVERIFY(logger.open());
    QCOMPARE(logger.currentFileName(), logger.fileNameFor(now.date(), 3));
}

void TestJournixLogger::filtersByLevelAndModule()
{
    AutoSerialFileLogger logger(m_dir->filePath("Lumidesk-YYMMDD-999.log"));
    const int module = m_journix->registerLoggedModule(QStringLiteral("Tesmera/Test"));
    QVERIFY(module >= 0);
    QCOMPARE(m_journix->registerLoggedModule(QStringLiteral("Tesmera/Test")), module);
    QCOMPARE(m_journix->registerLoggedModule(QString()), -1);

    logAt(m_journix, module, Journix::Error, "before start");
    m_journix->setLogLevel(4);
    m_journix->setLogger(&logger);
    QVERIFY(m_journix->startLog());
    logAt(m_journix, module, Journix::LogLevel(2), "error %d", 2);
    logAt(m_journix, module, Journix::LogLevel(4), "state %s", "on");
    logAt(m_journix, module, Journix::LogLevel(7), "trace");
    logAt(m_journix, 9999, Journix::LogLevel(2), "unknown module");
    logAt(m_journix, -1, Journix::LogLevel(2), "failed registration");
    m_journix->stopLog();
    logAt(m_journix, module, Journix::LogLevel(2), "after stop");

    const QList<QByteArray> lines = readAll(logger.fileNameFor(QDate::currentDate(), 1)).split('\n');
    QCOMPARE(lines.size(), 3);
    QVERIFY(lines.at(0).endsWith("<2> Tesmera/Test: error 2"));
    QVERIFY(lines.at(1).endsWith("<4> Tesmera/Test: state on"));
    QVERIFY(lines.at(2).isEmpty());
}

void TestJournixLogger::formatsLongAndMultiLineRecords()
{
    const QByteArray line = Journix::formatRecord(QStringLiteral("T"), QStringLiteral("M"), 3, "a\nb\r\n");
    QCOMPARE(line, QByteArray("T <3> M: a b\n"));

    AutoSerialFileLogger logger(m_dir->filePath("Lumidesk-YYMMDD-999.log"));
    const int module = m_journix->registerLoggedModule(QStringLiteral("Tesmera/Long"));
    m_journix->setLogLevel(7);
    m_journix->setLogger(&logger);
    QVERIFY(m_journix->startLog());
    const QByteArray text(5000, 'q');
    logAt(m_journix, module, Journix::Debug, "%s|%d", text.constData(), 42);
    m_journix->stopLog();
    QVERIFY(readAll(logger.fileNameFor(QDate::currentDate(), 1)).endsWith(text + "|42\n"));
}

void TestJournixLogger::errorsReachStandardErrorOnce_data()
{
    QTest::addColumn<int>("level");
    QTest::addColumn<int>("threshold");
    QTest::addColumn<bool>("started");
    QTest::addColumn<Journix::Echo>("echo");
    QTest::addColumn<bool>("onStandardError");
    QTest::addColumn<bool>("inTheLog");

    QTest::newRow("error") << 2 << 4 << true << Journix::EchoBySeverity << true << true;
    QTest::newRow("rejected input") << 3 << 4 << true << Journix::EchoBySeverity << true << true;
    QTest::newRow("state change") << 4 << 4 << true << Journix::EchoBySeverity << false << true;
    QTest::newRow("trace") << 7 << 7 << true << Journix::EchoBySeverity << false << true;
    // The terminal shows errors whatever the log keeps.
    QTest::newRow("error over the threshold") << 2 << 1 << true << Journix::EchoBySeverity << true << false;
    QTest::newRow("error before the log starts") << 2 << 4 << false << Journix::EchoBySeverity << true << false;
    // A Qt message its handler shows itself.
    QTest::newRow("error shown already") << 2 << 4 << true << Journix::NoEcho << false << true;
}

void TestJournixLogger::errorsReachStandardErrorOnce()
{
    QFETCH(int, level);
    QFETCH(int, threshold);
    QFETCH(bool, started);
    QFETCH(Journix::Echo, echo);
    QFETCH(bool, onStandardError);
    QFETCH(bool, inTheLog);
    AutoSerialFileLogger logger(m_dir->filePath("Lumidesk-YYMMDD-999.log"));
    const int module = m_journix->registerLoggedModule(QStringLiteral("Tesmera/Echo"));
    m_journix->setLogLevel(threshold);
    m_journix->setLogger(&logger);
    if (started)
        QVERIFY(m_journix->startLog());

    const QByteArray shown = standardErrorOf([&] {
        logWith(m_journix, module, Journix::LogLevel(level), echo, "went %s\nwrong", "badly");
        logWith(m_journix, 9999, Journix::Critical, Journix::EchoBySeverity, "unknown module");
    });
    m_journix->stopLog();

    QCOMPARE(shown, onStandardError ? QByteArray("Tesmera/Echo: went badly wrong\n") : QByteArray());
    const QByteArray file = readAll(logger.fileNameFor(QDate::currentDate(), 1));
    QCOMPARE(file.count("Tesmera/Echo: went badly wrong\n"), inTheLog ? 1 : 0);
}

void TestJournixLogger::concurrentWritersLoseNothing()
{
    AutoSerialFileLogger logger(m_dir->filePath("Lumidesk-YYMMDD-999.log"), 4096);
    const int module = m_journix->registerLoggedModule(QStringLiteral("Tesmera/Threads"));
    m_journix->setLogLevel(7);
    m_journix->setLogger(&logger);
    QVERIFY(m_journix->startLog());

    const int threads = 8;
    const int records = 500;
    std::vector<QThread *> writers;
    for (int t = 0; t < threads; ++t) {
        writers.push_back(QThread::create([this, module, t] {
            for (int i = 0; i < records; ++i)
                logAt(m_journix, module, Journix::Info, "thread %d record %d end", t, i);
        }));
        writers.back()->start();
    }
    for (QThread *writer : writers) {
        QVERIFY(writer->wait(30000));
        delete writer;
    }
    m_journix->stopLog();

    QSet<QByteArray> seen;
    const QStringList files = filesOf(logger, QDate::currentDate());
    QVERIFY(files.size() > 1);
    for (const QString &name : files) {
        const QByteArray content = readAll(name);
        QVERIFY(content.size() <= 4096);
        QVERIFY(content.endsWith('\n'));
        for (const QByteArray &line : content.split('\n')) {
            if (line.isEmpty())
                continue;
            QVERIFY2(line.endsWith(" end"), line.constData());
            seen.insert(line.mid(line.indexOf("thread ")));
        }
    }
    QCOMPARE(seen.size(), threads * records);
}

QTEST_GUILESS_MAIN(TestJournixLogger)
#include "tst_journix_logger.moc"
