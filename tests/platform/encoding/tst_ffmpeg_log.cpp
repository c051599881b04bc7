#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

namespace {

// The probe's own messages as the log and standard error show them, the context's address left out.
QStringList normalised(const QByteArray &output, const QString &after)
{
    static const QRegularExpression address(QStringLiteral(" @ 0x[0-9a-f]+\\]"));
    QStringList lines;
    for (const QString &line : QString::fromUtf8(output).split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const int start = line.indexOf(after);
        if (start >= 0)
            lines << line.mid(start + after.size()).replace(address, QStringLiteral(" @ ADDR]"));
    }
    return lines;
}

QStringList probeLines(const QStringList &lines)
{
    QStringList own;
    for (const QString &line : lines) {
        if (!line.contains(QLatin1String("[libx264")))
            own << line;
    }
    return own;
}

const QStringList Problems = {
    QStringLiteral("[probe @ ADDR] an error 16"),
    QStringLiteral("[probe @ ADDR] a warning in two pieces"),
    QStringLiteral("[probe @ ADDR] two lines"),
    QStringLiteral("in one call"),
    QStringLiteral("[probe @ ADDR] a bell? and a ?[31mcolour"),
};

} // namespace

// FFmpeg's messages, run through the main program's log system in a process of their own: each at the
// level that matches its own, and only warnings and errors on standard error.
class TestFfmpegLog : public QObject
{
    Q_OBJECT

private slots:
    void messagesReachTheLog_data();
    void messagesReachTheLog();
};

void TestFfmpegLog::messagesReachTheLog_data()
{
    QTest::addColumn<int>("threshold");
    QTest::addColumn<QStringList>("logged");
    QTest::addColumn<bool>("encoderNews");

    const QStringList levels = {"<2>", "<4>", "<4>", "<4>", "<4>"};
    QStringList problems;
    for (int i = 0; i < Problems.size(); ++i)
        problems << levels.at(i) + " " + Problems.at(i);

    QTest::newRow("state changes") << 4 << problems << false;
    QTest::newRow("information") << 6 << (problems << QStringLiteral("<6> [probe @ ADDR] some news")) << true;
    // FFmpeg's own level, information, still holds back its debug messages.
    QTest::newRow("traces") << 7 << problems << true;
}

void TestFfmpegLog::messagesReachTheLog()
{
    QFETCH(int, threshold);
    QFETCH(QStringList, logged);
    QFETCH(bool, encoderNews);

    QProcess probe;
    probe.setProcessChannelMode(QProcess::SeparateChannels);
    probe.start(qEnvironmentVariable("FFMPEG_LOG_PROBE"), {QString::number(threshold)});
    QVERIFY2(probe.waitForFinished(60000), qPrintable(probe.errorString()));
    QCOMPARE(probe.exitStatus(), QProcess::NormalExit);
    QCOMPARE(probe.exitCode(), 0);
    const QByteArray output = probe.readAllStandardOutput();
    const QByteArray errors = probe.readAllStandardError();

    // Records end "<level> module: category: text".
    QStringList ffmpegRecords;
    static const QRegularExpression record(QStringLiteral("(<\\d>) Tesmera/Lumidesk: lumidesk\\.ffmpeg: (.*)$"));
    for (const QString &line : QString::fromUtf8(output).split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QRegularExpressionMatch match = record.match(line);
        if (match.hasMatch())
            ffmpegRecords << match.captured(1) + " " + match.captured(2);
    }
    const QStringList shown = normalised(ffmpegRecords.join(QLatin1Char('\n')).toUtf8(), QString());
    QCOMPARE(probeLines(shown), logged);
    // libx264's banner ("using cpu capabilities", "profile ...") is news, not a problem.
    const QStringList encoder = shown.filter(QStringLiteral("[libx264 @ ADDR]"));
    QCOMPARE(!encoder.isEmpty(), encoderNews);
    for (const QString &line : encoder)
        QVERIFY2(line.startsWith(QLatin1String("<6> ")), qPrintable(line));

    // Standard error: the problems and nothing else, whatever the threshold.
    const QStringList printed = normalised(errors, QString());
    QStringList expected;
    for (const QString &problem : Problems)
        expected << QStringLiteral("lumidesk.ffmpeg: ") + problem;
    QCOMPARE(printed, expected);
}

QTEST_GUILESS_MAIN(TestFfmpegLog)
#include "tst_ffmpeg_log.moc"
