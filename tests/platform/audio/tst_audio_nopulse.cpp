#include "audio/pulseaudioserverstate.h"
#include "audio/pulseaudiosoundplayer.h"
#include "audio/pulseaudiosourcemonitor.h"
#include "audio/pulselibrary.h"

#include <QtTest>

using platform::PulseAudioServerState;
using platform::PulseLibrary;

namespace {

const QString Absent = QStringLiteral("/nonexistent/libpulse.so.0");

} // namespace

// Without libpulse the inputs cannot be followed and no sound plays: each says so and fails, the
// loader says why once, and nothing crashes or waits.
class TestAudioNoPulse : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void everyUserFailsCleanly();
};

void TestAudioNoPulse::initTestCase()
{
    PulseLibrary::setFileName(Absent);
    QVERIFY(QFile::exists(qEnvironmentVariable("LUMIDESK_CAPTURE_SOUND")));
}

void TestAudioNoPulse::everyUserFailsCleanly()
{
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^cannot load " + QRegularExpression::escape(Absent)));
    PulseAudioServerState server;
    int listed = 0;
    platform::PulseAudioSourceMonitor monitor("tst_audio_nopulse", [&](const QList<platform::AudioInputInfo> &) {
        ++listed;
    }, &server);
    QVERIFY(!monitor.start());
    QVERIFY(monitor.waitUntilSettled(0));

    platform::PulseAudioSoundPlayer player(&server);
    QVERIFY(!player.play(qEnvironmentVariable("LUMIDESK_CAPTURE_SOUND")));
    QVERIFY(player.waitUntilIdle(0));
    QCOMPARE(player.playedCount(), 0);

    QString error;
    QVERIFY(!PulseLibrary::functions(&error));
    QVERIFY2(error.startsWith("cannot load " + Absent), qPrintable(error));
    QCOMPARE(listed, 0);
    // Nobody spoke to a server.
    QCOMPARE(server.state(), PulseAudioServerState::Unknown);
}

QTEST_GUILESS_MAIN(TestAudioNoPulse)
#include "tst_audio_nopulse.moc"
