#include "audio/pulseaudioserverstate.h"
#include "audio/pulseaudiosoundplayer.h"
#include "audio/pulseaudiosourcemonitor.h"

#include "audiopulseserver.h"

#include <QFile>
#include <QMutex>
#include <QtTest>

#include <algorithm>

using platform::PulseAudioServerState;
using platform::PulseAudioSoundPlayer;
using platform::PulseAudioSourceMonitor;

namespace {

// What the process said about the sound server: our connections' notes and Qt's own.
class Messages
{
public:
    Messages() { s_current = this, m_previous = qInstallMessageHandler(handler); }
    ~Messages() { qInstallMessageHandler(m_previous), s_current = nullptr; }

    QStringList texts() const
    {
        QMutexLocker locker(&m_mutex);
        return m_texts;
    }
    QStringList warnings() const
    {
        QMutexLocker locker(&m_mutex);
        return m_warnings;
    }

private:
    static void handler(QtMsgType type, const QMessageLogContext &context, const QString &text)
    {
        const bool ours = qstrcmp(context.category, platform::lcPulseAudio().categoryName()) == 0;
        if (!ours && !text.contains(QLatin1String("PulseAudio")))
            return;
        QMutexLocker locker(&s_current->m_mutex);
        s_current->m_texts << text;
        if (type == QtWarningMsg)
            s_current->m_warnings << text;
    }

    static Messages *s_current;
    QtMessageHandler m_previous = nullptr;
    mutable QMutex m_mutex;
    QStringList m_texts;
    QStringList m_warnings;
};

Messages *Messages::s_current = nullptr;

// The waits the monitor chose, in order; it really waits a tenth of a second at most.
class RetryWaits
{
public:
    PulseAudioSourceMonitor::RetryWait hook()
    {
        return [this](int chosenMs) {
            QMutexLocker locker(&m_mutex);
            m_chosen << chosenMs;
            return std::min(chosenMs, 100);
        };
    }
    QList<int> chosen() const
    {
        QMutexLocker locker(&m_mutex);
        return m_chosen;
    }
    int count() const { return chosen().size(); }

private:
    mutable QMutex m_mutex;
    QList<int> m_chosen;
};

QByteArray wave(quint16 format, quint16 channels, quint32 rate, quint16 bits, const QByteArray &samples,
                bool cutShort = false)
{
    auto u16 = [](quint16 v) { return QByteArray(reinterpret_cast<const char *>(&v), 2); };
    auto u32 = [](quint32 v) { return QByteArray(reinterpret_cast<const char *>(&v), 4); };
    const quint16 block = quint16(channels * bits / 8);
    QByteArray body = "WAVE";
    body += "fmt " + u32(16) + u16(format) + u16(channels) + u32(rate) + u32(rate * block) + u16(block) + u16(bits);
    body += "LIST" + u32(5) + QByteArray("INFOx") + QByteArray(1, '\0'); // an odd chunk, padded
    body += "data" + u32(quint32(samples.size() + (cutShort ? 10 : 0))) + samples;
    return "RIFF" + u32(quint32(body.size())) + body;
}

} // namespace

Q_DECLARE_METATYPE(PulseAudioServerState::State)

// A machine without a sound server says so once, not at every attempt to reach it, and the monitor
// asks again at growing intervals; the capture click plays through a connection of its own that
// keeps as quiet, and never through Qt's sound effects.
class TestPulseReconnect : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void logsOncePerChange_data();
    void logsOncePerChange();
    void monitorAsksAgainAtGrowingIntervals();
    void soundsWithoutAServerStayQuiet();
    void soundsPlayOnAServer();
    void waveFiles_data();
    void waveFiles();

private:
    PulseAudioServer m_server;
    QString m_sound;
};

void TestPulseReconnect::initTestCase()
{
    QVERIFY2(PulseAudioServer::isInstalled(), "pulseaudio and pactl (scripts/install-deps --tests)");
    m_sound = qEnvironmentVariable("LUMIDESK_CAPTURE_SOUND");
    QVERIFY(QFile::exists(m_sound));
}

void TestPulseReconnect::cleanup()
{
    m_server.stop();
}

void TestPulseReconnect::logsOncePerChange_data()
{
    QTest::addColumn<QString>("reports"); // c: connected, f: failed
    QTest::addColumn<int>("warnings");
    QTest::addColumn<PulseAudioServerState::State>("state");

    QTest::newRow("never a server") << "ffffffff" << 1 << PulseAudioServerState::Unreachable;
    QTest::newRow("a server from the start") << "cccc" << 0 << PulseAudioServerState::Reachable;
    QTest::newRow("away and back") << "ccffffcc" << 2 << PulseAudioServerState::Reachable;
    QTest::newRow("found late, lost again") << "fffcccff" << 3 << PulseAudioServerState::Unreachable;
}

void TestPulseReconnect::logsOncePerChange()
{
    QFETCH(QString, reports);
    QFETCH(int, warnings);
    QFETCH(PulseAudioServerState::State, state);

    Messages messages;
    PulseAudioServerState server;
    QCOMPARE(server.state(), PulseAudioServerState::Unknown);
    for (const QChar report : reports) {
        if (report == QLatin1Char('c'))
            server.reportConnected();
        else
            server.reportFailed(QStringLiteral("Connection refused"));
    }
    QCOMPARE(server.state(), state);
    QCOMPARE(messages.warnings().size(), warnings);
}

void TestPulseReconnect::monitorAsksAgainAtGrowingIntervals()
{
    Messages messages;
    PulseAudioServerState server;
    RetryWaits waits;
    QMutex listMutex;
    QStringList listed;
    PulseAudioSourceMonitor monitor("tst_pulse_reconnect", [&](const QList<platform::AudioInputInfo> &inputs) {
        QMutexLocker locker(&listMutex);
        listed.clear();
        for (const platform::AudioInputInfo &input : inputs)
            listed << input.uniqueId;
    }, &server);
    monitor.setRetryWait(waits.hook());
    QVERIFY(monitor.start());

    // No server in the test's runtime folder: attempt after attempt, one note.
    QTRY_VERIFY_WITH_TIMEOUT(waits.count() >= 8, 20000);
    const QList<int> first = waits.chosen().mid(0, 8);
    QCOMPARE(first, (QList<int>{250, 500, 1000, 2000, 4000, 4000, 4000, 4000}));
    QCOMPARE(server.state(), PulseAudioServerState::Unreachable);
    QCOMPARE(messages.warnings().size(), 1);
    QVERIFY2(messages.warnings().first().contains(QLatin1String("No PulseAudio server")),
             qPrintable(messages.warnings().first()));

    // A server starts: found at the next attempt, told once.
    QVERIFY2(m_server.start(), qPrintable(m_server.lastError()));
    QTRY_COMPARE_WITH_TIMEOUT(server.state(), PulseAudioServerState::Reachable, 20000);
    const auto listedNow = [&] {
        QMutexLocker locker(&listMutex);
        return listed;
    };
    QTRY_VERIFY_WITH_TIMEOUT(listedNow().contains(PulseAudioServer::SourceName), 20000);
    QCOMPARE(messages.warnings().size(), 2);

    // It goes away: told once more, and the intervals start small again.
    const int before = waits.count();
    m_server.stop();
    QTRY_VERIFY_WITH_TIMEOUT(waits.count() >= before + 3, 20000);
    QCOMPARE(waits.chosen().mid(before, 3), (QList<int>{250, 500, 1000}));
    QCOMPARE(messages.warnings().size(), 3);
    QVERIFY2(messages.warnings().last().contains(QLatin1String("went away")), qPrintable(messages.warnings().last()));
    monitor.stop();
}

void TestPulseReconnect::soundsWithoutAServerStayQuiet()
{
    Messages messages;
    PulseAudioServerState server;
    {
        PulseAudioSoundPlayer player(&server);
        for (int i = 0; i < 5; ++i) {
            QVERIFY(player.play(m_sound));
            QVERIFY(player.waitUntilIdle(10000));
        }
        QCOMPARE(player.playedCount(), 0);
    }
    QCOMPARE(server.state(), PulseAudioServerState::Unreachable);
    // One note of ours, and nothing of Qt's ("PulseAudioService: pa_context_connect() failed").
    QCOMPARE(messages.texts().size(), 1);
    QCOMPARE(messages.warnings().size(), 1);
}

void TestPulseReconnect::soundsPlayOnAServer()
{
    QVERIFY2(m_server.start(), qPrintable(m_server.lastError()));
    Messages messages;
    PulseAudioServerState server;
    PulseAudioSoundPlayer player(&server);
    QVERIFY(player.play(m_sound));
    QVERIFY(player.play(m_sound));
    QVERIFY(player.waitUntilIdle(20000));
    QCOMPARE(player.playedCount(), 2);
    QCOMPARE(server.state(), PulseAudioServerState::Reachable);
    QCOMPARE(messages.warnings(), QStringList());

    // The server goes and comes back: the next sound after it is back plays again.
    m_server.stop();
    QVERIFY(player.play(m_sound));
    QVERIFY(player.waitUntilIdle(20000));
    QTRY_COMPARE_WITH_TIMEOUT(server.state(), PulseAudioServerState::Unreachable, 20000);
    QVERIFY2(m_server.start(), qPrintable(m_server.lastError()));
    const int played = player.playedCount();
    QVERIFY(player.play(m_sound));
    QVERIFY(player.waitUntilIdle(20000));
    QCOMPARE(player.playedCount(), played + 1);
    QCOMPARE(messages.warnings().size(), 2);
}

void TestPulseReconnect::waveFiles_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("readable");
    QTest::addColumn<int>("bytes");

    const QByteArray samples(400, '\x10');
    QTest::newRow("16-bit mono") << wave(1, 1, 44100, 16, samples) << true << 400;
    QTest::newRow("8-bit stereo") << wave(1, 2, 8000, 8, samples) << true << 400;
    QTest::newRow("odd bytes of 16-bit data") << wave(1, 1, 44100, 16, samples + "x") << true << 400;
    QTest::newRow("float samples") << wave(3, 1, 44100, 32, samples) << false << 0;
    QTest::newRow("24-bit") << wave(1, 1, 44100, 24, samples) << false << 0;
    QTest::newRow("six channels") << wave(1, 6, 44100, 16, samples.repeated(3)) << false << 0;
    QTest::newRow("no samples") << wave(1, 1, 44100, 16, QByteArray()) << false << 0;
    QTest::newRow("data cut short") << wave(1, 1, 44100, 16, samples, true) << false << 0;
    QTest::newRow("no RIFF") << QByteArray("RIFX") + wave(1, 1, 44100, 16, samples).mid(4) << false << 0;
    QTest::newRow("empty") << QByteArray() << false << 0;
}

void TestPulseReconnect::waveFiles()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, readable);
    QFETCH(int, bytes);
    PulseAudioSoundPlayer::Sound sound;
    QCOMPARE(PulseAudioSoundPlayer::readWave(file, &sound), readable);
    QCOMPARE(sound.samples.size(), bytes);

    // Every cut of the file is refused or read within what is left of it.
    for (int length = 0; length < file.size(); ++length) {
        PulseAudioSoundPlayer::Sound cut;
        if (PulseAudioSoundPlayer::readWave(file.left(length), &cut))
            QVERIFY(cut.samples.size() <= length);
    }
}

QTEST_GUILESS_MAIN(TestPulseReconnect)
#include "tst_pulse_reconnect.moc"
