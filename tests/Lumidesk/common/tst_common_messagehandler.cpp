#include "common/lumidesklog.h"

#include "capturelog.h"
#include "journix.h"
#include "syslogger.h"

#include <QLoggingCategory>
#include <QProcess>
#include <QTextStream>
#include <QtTest>

Q_LOGGING_CATEGORY(lcLibrary, "lumidesk.testlibrary", QtWarningMsg)
Q_LOGGING_CATEGORY(lcMaker, "qorv.testlibrary", QtWarningMsg)

namespace {

// Keeps the records the log system hands over.
class RecordingLogger : public SysLogger
{
public:
    bool open() override { return true; }
    void close() override {}
    void write(const QByteArray &line) override
    {
        lines << QString::fromUtf8(line);
    }

    QStringList lines;
};

// Stands for standard error: the handler that had the messages before.
QStringList forwarded;
void recordForwarded(QtMsgType, const QMessageLogContext &, const QString &message)
{
    forwarded << message;
}

enum Source { Default, Library, Maker };

// What qDebug() and qCDebug() and their kin do, for a type and category from a table.
void emitMessage(QtMsgType type, Source source, const char *text)
{
    const QLoggingCategory &category = source == Default ? *QLoggingCategory::defaultCategory()
                                       : source == Library ? lcLibrary()
                                                           : lcMaker();
    if (!category.isEnabled(type))
        return;
    QMessageLogger logger(nullptr, 0, nullptr, category.categoryName());
    switch (type) {
    case QtDebugMsg:
        logger.debug("%s", text);
        break;
    case QtInfoMsg:
        logger.info("%s", text);
        break;
    case QtWarningMsg:
        logger.warning("%s", text);
        break;
    case QtCriticalMsg:
        logger.critical("%s", text);
        break;
    case QtFatalMsg:
        break;
    }
}

// The argument that makes this program a helper: with the program's own handler in front of Qt's
// default one (standard error), it raises a message of every kind and logs a record at every level of
// meaning, then prints the log's records on standard output.
const char PrintMessagesArgument[] = "--print-messages";

int printMessages(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    RecordingLogger logger;
    Journix *journix = Journix::getSysJournix();
    journix->setLogLevel(4);
    journix->setLogger(&logger);
    if (!journix->startLog())
        return 1;
    _LumideskLog::installMessageHandler(4);
    qDebug("a debug message");
    qInfo("an info message");
    qWarning("a warning message");
    qCritical("a critical message");
    qCWarning(lcLibrary, "a library warning");
    _LumideskLog::log(Journix::Critical, "a logged error %d", 2);
    _LumideskLog::log(Journix::Error, "a logged rejected input");
    _LumideskLog::log(Journix::Warning, "a logged state change");
    _LumideskLog::log(Journix::Debug, "a logged trace");
    _LumideskLog::removeMessageHandler();
    journix->stopLog();
    journix->setLogger(nullptr);
    QTextStream out(stdout);
    for (const QString &line : logger.lines)
        out << line;
    return 0;
}

} // namespace

Q_DECLARE_METATYPE(Source)
Q_DECLARE_METATYPE(QtMsgType)

class TestMessageHandler : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void messagesReachTheLog_data();
    void messagesReachTheLog();
    void textIsNeverAFormat();
    void captureLibraryIsQuietUntilTheLevelAsks();
    void errorsAndWarningsReachStandardErrorOnce_data();
    void errorsAndWarningsReachStandardErrorOnce();

private:
    void start(int threshold);

    RecordingLogger m_logger;
    QtMessageHandler m_testHandler = nullptr;
};

void TestMessageHandler::init()
{
    m_logger.lines.clear();
    forwarded.clear();
}

void TestMessageHandler::start(int threshold)
{
    Journix *journix = Journix::getSysJournix();
    journix->setLogLevel(threshold);
    journix->setLogger(&m_logger);
    QVERIFY(journix->startLog());
    m_testHandler = qInstallMessageHandler(recordForwarded);
    _LumideskLog::installMessageHandler(threshold);
}

void TestMessageHandler::cleanup()
{
    _LumideskLog::removeMessageHandler();
    if (m_testHandler)
        qInstallMessageHandler(m_testHandler);
    m_testHandler = nullptr;
    Journix::getSysJournix()->stopLog();
    Journix::getSysJournix()->setLogger(nullptr);
}

void TestMessageHandler::messagesReachTheLog_data()
{
    QTest::addColumn<int>("threshold");
    QTest::addColumn<QtMsgType>("type");
    QTest::addColumn<Source>("source");
    // The record as it ends, or empty when the threshold keeps it out of the log.
    QTest::addColumn<QString>("record");
    QTest::addColumn<bool>("onStandardError");

    QTest::newRow("debug, default threshold") << 4 << QtDebugMsg << Default << "" << false;
    QTest::newRow("debug, trace threshold") << 7 << QtDebugMsg << Default << "<7> Tesmera/Lumidesk: hello\n"
                                            << false;
    QTest::newRow("info, default threshold") << 4 << QtInfoMsg << Default << "" << false;
    QTest::newRow("info, info threshold") << 6 << QtInfoMsg << Default << "<6> Tesmera/Lumidesk: hello\n"
                                          << false;
    QTest::newRow("warning") << 4 << QtWarningMsg << Default << "<4> Tesmera/Lumidesk: hello\n" << true;
    QTest::newRow("warning below the threshold") << 3 << QtWarningMsg << Default << "" << true;
    QTest::newRow("critical") << 4 << QtCriticalMsg << Default << "<2> Tesmera/Lumidesk: hello\n" << true;

    // Our libraries' categories speak only of warnings and worse until the threshold asks for more.
    QTest::newRow("library debug, default threshold") << 4 << QtDebugMsg << Library << "" << false;
    QTest::newRow("library info, default threshold") << 4 << QtInfoMsg << Library << "" << false;
    QTest::newRow("library debug, trace threshold")
        << 7 << QtDebugMsg << Library << "<7> Tesmera/Lumidesk: lumidesk.testlibrary: hello\n" << false;
    QTest::newRow("maker library info, info threshold")
        << 6 << QtInfoMsg << Maker << "<6> Tesmera/Lumidesk: qorv.testlibrary: hello\n" << false;
    QTest::newRow("maker library debug, info threshold") << 6 << QtDebugMsg << Maker << "" << false;
    QTest::newRow("library warning")
        << 4 << QtWarningMsg << Library << "<4> Tesmera/Lumidesk: lumidesk.testlibrary: hello\n" << true;
}

void TestMessageHandler::messagesReachTheLog()
{
    QFETCH(int, threshold);
    QFETCH(QtMsgType, type);
    QFETCH(Source, source);
    QFETCH(QString, record);
    QFETCH(bool, onStandardError);

    start(threshold);
    emitMessage(type, source, "hello");

    if (record.isEmpty()) {
        QCOMPARE(m_logger.lines, QStringList());
    } else {
        QCOMPARE(m_logger.lines.size(), 1);
        QVERIFY2(m_logger.lines.first().endsWith(record), qPrintable(m_logger.lines.first()));
    }
    QCOMPARE(forwarded, onStandardError ? QStringList{QStringLiteral("hello")} : QStringList());
}

void TestMessageHandler::textIsNeverAFormat()
{
    start(4);
    qWarning().noquote() << "100% sure: %s %n %d";
    QCOMPARE(m_logger.lines.size(), 1);
    QVERIFY2(m_logger.lines.first().endsWith(QLatin1String(": 100% sure: %s %n %d\n")),
             qPrintable(m_logger.lines.first()));
}

void TestMessageHandler::captureLibraryIsQuietUntilTheLevelAsks()
{
    // Printed "ptr size 8" and the like on every start before.
    QVERIFY(!lcCapture().isDebugEnabled());
    QVERIFY(!lcCapture().isInfoEnabled());
    QVERIFY(lcCapture().isWarningEnabled());

    start(7);
    QVERIFY(lcCapture().isDebugEnabled());
    cleanup();
    QVERIFY(!lcCapture().isDebugEnabled());
}

void TestMessageHandler::errorsAndWarningsReachStandardErrorOnce_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("onStandardError");
    QTest::addColumn<int>("inTheLog");

    QTest::newRow("qDebug") << "a debug message" << 0 << 0;
    QTest::newRow("qInfo") << "an info message" << 0 << 0;
    QTest::newRow("qWarning") << "a warning message" << 1 << 1;
    QTest::newRow("qCritical") << "a critical message" << 1 << 1;
    QTest::newRow("a library's warning") << "a library warning" << 1 << 1;
    QTest::newRow("error logged directly") << "a logged error 2" << 1 << 1;
    QTest::newRow("rejected input logged directly") << "a logged rejected input" << 1 << 1;
    QTest::newRow("state change logged directly") << "a logged state change" << 0 << 1;
    QTest::newRow("trace logged directly") << "a logged trace" << 0 << 0;
}

// A program of its own, so that standard error is Qt's own default output and nothing of the test's.
void TestMessageHandler::errorsAndWarningsReachStandardErrorOnce()
{
    QFETCH(QString, text);
    QFETCH(int, onStandardError);
    QFETCH(int, inTheLog);
    QProcess helper;
    helper.start(QCoreApplication::applicationFilePath(), {QString::fromLatin1(PrintMessagesArgument)});
    QVERIFY(helper.waitForFinished(30000));
    QCOMPARE(helper.exitCode(), 0);
    const QString shown = QString::fromLocal8Bit(helper.readAllStandardError());
    const QString logged = QString::fromUtf8(helper.readAllStandardOutput());

    QVERIFY2(shown.count(text) == onStandardError, qPrintable(shown));
    QVERIFY2(logged.count(text) == inTheLog, qPrintable(logged));
}

int main(int argc, char **argv)
{
    if (argc > 1 && qstrcmp(argv[1], PrintMessagesArgument) == 0)
        return printMessages(argc, argv);
    QCoreApplication app(argc, argv);
    TestMessageHandler test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_common_messagehandler.moc"
