#include <QFileInfo>
#include <QProcess>
#include <QSet>
#include <QtTest>

// FFmpeg's libraries, with the hundred-odd libraries they pull in (codecs, hardware video drivers,
// OpenCL), libcurl, with its TLS, Kerberos and LDAP, and libpulse and Qt Multimedia, with libsndfile
// and its codecs, are opened on first use (Qt Multimedia by the audio capture module), and so is
// D-Bus, with libsystemd, libgcrypt and the compressors it brings (by the power module): neither the
// libraries that call them nor the programs may load them at start, and no call may be left bound to
// them directly, which would end the program when it is made.

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

// The files of `files` (':'-separated) whose name starts with `name`.
QStringList filesNamed(const QString &files, const QString &name)
{
    QStringList named;
    for (const QString &file : files.split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        if (QFileInfo(file).fileName().startsWith(name + QLatin1Char('.')))
            named << file;
    }
    return named;
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
    // What the file needs loaded at start, to tell a broken ldd from a clean answer.
    QTest::addColumn<QString>("linked");
    // The files of the libraries opened on first use, ':'-separated, and a function of theirs.
    QTest::addColumn<QString>("loadedFiles");
    QTest::addColumn<QString>("theirFunction");
    const QString ffmpeg = QStringLiteral(LUMIDESK_FFMPEG_LOADED_FILES);
    const QString curl = QStringLiteral(LUMIDESK_CURL_LOADED_FILES);
    const QString program = QStringLiteral(LUMIDESK_PROGRAM_FILE);
    const QList<QPair<QString, QString>> users = {
        {QStringLiteral("platform"), QStringLiteral(LUMIDESK_PLATFORM_FILE)},
        {QStringLiteral("publisher"), QStringLiteral(LUMIDESK_PUSHWIRE_FILE)},
        {QStringLiteral("program"), program},
    };
    // libswresample has no caller of ours: libavcodec brings it along.
    const QList<QPair<QString, QString>> libraries = {
        {QStringLiteral("libavutil"), QStringLiteral("av_frame_alloc")},
        {QStringLiteral("libswscale"), QStringLiteral("sws_scale")},
        {QStringLiteral("libswresample"), QStringLiteral("swr_alloc")},
        {QStringLiteral("libavcodec"), QStringLiteral("avcodec_open2")},
        {QStringLiteral("libavformat"), QStringLiteral("avformat_new_stream")},
    };
    for (const auto &user : users) {
        for (const auto &library : libraries) {
            QTest::newRow(qPrintable(library.first + QStringLiteral(", ") + user.first))
                << user.second << "libQt5Core" << filesNamed(ffmpeg, library.first).join(QLatin1Char(':'))
                << library.second;
        }
    }
    const QString easyInit = QStringLiteral("curl_easy_init");
    QTest::newRow("curl, capture") << QStringLiteral(LUMIDESK_CAPTURE_FILE) << "libQt5Network" << curl << easyInit;
    QTest::newRow("curl, program") << program << "libQt5Network" << curl << easyInit;
    const QList<QPair<QString, QString>> sound = {
        {QStringLiteral(LUMIDESK_PULSE_LOADED_FILES), QStringLiteral("pa_context_new")},
        {QStringLiteral(LUMIDESK_MULTIMEDIA_FILE), QStringLiteral("_ZN16QAudioDeviceInfo16availableDevicesEN6QAudio4ModeE")},
    };
    const QList<QPair<QString, QString>> soundUsers = {
        users.first(), {QStringLiteral("capture"), QStringLiteral(LUMIDESK_CAPTURE_FILE)}, users.last()};
    for (const auto &library : sound) {
        const QString name = QFileInfo(library.first).fileName().section(QLatin1Char('.'), 0, 0);
        for (const auto &user : soundUsers) {
            QTest::newRow(qPrintable(name + QStringLiteral(", ") + user.first))
                << user.second << "libQt5Core" << library.first << library.second;
        }
    }
    const QList<QPair<QString, QString>> dbus = {
        {QStringLiteral(LUMIDESK_QTDBUS_FILE), QStringLiteral("_ZN15QDBusConnection9systemBusEv")},
        {QStringLiteral(LUMIDESK_LIBDBUS_FILE), QStringLiteral("dbus_bus_get")},
    };
    const QList<QPair<QString, QString>> dbusUsers = {
        users.first(), users.last(), {QStringLiteral("annotation program"), QStringLiteral(LUMIDESK_DRAWLET_FILE)}};
    for (const auto &library : dbus) {
        const QString name = QFileInfo(library.first).fileName().section(QLatin1Char('.'), 0, 0);
        for (const auto &user : dbusUsers) {
            QTest::newRow(qPrintable(name + QStringLiteral(", ") + user.first))
                << user.second << "libQt5Core" << library.first << library.second;
        }
    }
}

void TestMediaFfmpegLinkage::loadedOnUseOnly()
{
    QFETCH(QString, file);
    QFETCH(QString, linked);
    QFETCH(QString, loadedFiles);
    QFETCH(QString, theirFunction);
    const QStringList libraries = loadedFiles.split(QLatin1Char(':'), Qt::SkipEmptyParts);
    QVERIFY(!libraries.isEmpty());
    const QString loaded = run(QStringLiteral("ldd"), {file});
    QVERIFY2(loaded.contains(linked), qPrintable(loaded));

    QSet<QString> theirs;
    for (const QString &library : libraries) {
        // Under any of its names and builds (libcurl-gnutls as well as libcurl).
        const QString name = QFileInfo(library).fileName().section(QLatin1Char('.'), 0, 0);
        QVERIFY2(!loaded.contains(name), qPrintable(loaded));
        theirs += dynamicSymbols(library, QStringLiteral("--defined-only"));
    }
    QVERIFY(theirs.contains(theirFunction));
    QSet<QString> bound = dynamicSymbols(file, QStringLiteral("--undefined-only"));
    bound.intersect(theirs);
    QVERIFY2(bound.isEmpty(), qPrintable(bound.values().join(QLatin1Char(' '))));
}

QTEST_GUILESS_MAIN(TestMediaFfmpegLinkage)
#include "tst_media_ffmpeg_linkage.moc"
