#include <QProcess>
#include <QSet>
#include <QtTest>

// libavcodec and libavformat, with the hundred-odd libraries they pull in, are opened on first use:
// neither the libraries that call them nor the program may load them at start, and no call may be
// left bound to them directly, which would end the program when it is made.

namespace {

QString run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit
        || process.exitCode() != 0)
        return QString();
    return QString::fromLocal8Bit(process.readAllStandardOutput());
}

// The names in the dynamic symbol table of `file`, without their versions.
QSet<QString> dynamicSymbols(const QString &file, const QString &which)
{
    QSet<QString> names;
    const QStringList lines = run(QStringLiteral("nm"), {QStringLiteral("-D"), which, file})
                                  .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (const QString &line : lines)
        names.insert(line.split(QLatin1Char(' '), Qt::SkipEmptyParts).last().section(QLatin1Char('@'), 0, 0));
    return names;
}

} // namespace

class TestMediaFfmpegLinkage : public QObject
{
    Q_OBJECT

private slots:
    void loadedOnUseOnly_data();
    void loadedOnUseOnly();
};

void TestMediaFfmpegLinkage::loadedOnUseOnly_data()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("platform") << QStringLiteral(LUMIDESK_PLATFORM_FILE);
    QTest::newRow("publisher") << QStringLiteral(LUMIDESK_PUSHWIRE_FILE);
    QTest::newRow("program") << QStringLiteral(LUMIDESK_PROGRAM_FILE);
}

void TestMediaFfmpegLinkage::loadedOnUseOnly()
{
    QFETCH(QString, file);
    const QString loaded = run(QStringLiteral("ldd"), {file});
    QVERIFY2(loaded.contains(QLatin1String("libavutil")), qPrintable(loaded));
    QVERIFY2(!loaded.contains(QLatin1String("libavcodec")) && !loaded.contains(QLatin1String("libavformat")),
             qPrintable(loaded));

    QSet<QString> theirs;
    for (const QString &library : QStringLiteral(LUMIDESK_FFMPEG_LOADED_FILES).split(QLatin1Char(':')))
        theirs += dynamicSymbols(library, QStringLiteral("--defined-only"));
    QVERIFY(theirs.contains(QStringLiteral("avcodec_open2")));
    QSet<QString> bound = dynamicSymbols(file, QStringLiteral("--undefined-only"));
    bound.intersect(theirs);
    QVERIFY2(bound.isEmpty(), qPrintable(bound.values().join(QLatin1Char(' '))));
}

QTEST_GUILESS_MAIN(TestMediaFfmpegLinkage)
#include "tst_media_ffmpeg_linkage.moc"
