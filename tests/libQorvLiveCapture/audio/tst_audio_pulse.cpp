#include "audio/audioinputs.h"
#include "audio/audiosamplecapture.h"
#include "audio/pulseaudioinputs.h"
#include "audio/pulseaudiosourcemonitor.h"
#include "audio/qorvaudiodevicesource.h"
#include "audio/qorvaudiosource.h"
#include "audio/qorvaudiosourcewatcher.h"
#include "core/platformbackend.h"
#include "desktop/installlayout.h"

#include "audiopulseserver.h"

#include <QtTest>

#include <csignal>

using platform::AudioInputInfo;

// The real inputs on a private PulseAudio server with a null source (the one input) and a null sink
// (whose monitor is no input). PulseAudio is one of the test packages scripts/install-deps installs: a
// machine without it fails here rather than skipping the real inputs unseen.
class TestAudioPulse : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void listsOnlyCaptureInputs();
    void followsPluggedSources();
    void hungServerDoesNotBlockTheList();
    void followsTheServerAwayAndBack();
    void startsWithoutAServer();
    void capturesAndMetersAnInput();
    void withoutTheCaptureModule_data();
    void withoutTheCaptureModule();

private:
    static QList<AudioInputInfo> listed();
    static QString describe(const QList<AudioInputInfo> &inputs);

    PulseAudioServer m_server;
    int m_pluggedModule = -1;
    const AudioInputInfo m_nullInput{QLatin1String(PulseAudioServer::SourceName), QStringLiteral("NullInput")};
};

namespace {

// Plugging, unplugging and reconnecting show within this; the monitor's retries take at most 4 s.
constexpr int FollowMs = 10000;

} // namespace

QList<AudioInputInfo> TestAudioPulse::listed()
{
    QList<QString> names;
    QList<QString> ids;
    if (QorvAudioSource::getAvailableSources(&names, &ids) != 0 || names.size() != ids.size())
        return {{QStringLiteral("broken lists"), QString()}};
    QList<AudioInputInfo> inputs;
    for (int i = 0; i < ids.size(); ++i)
        inputs.append({ids.at(i), names.at(i)});
    return inputs;
}

QString TestAudioPulse::describe(const QList<AudioInputInfo> &inputs)
{
    QStringList parts;
    for (const AudioInputInfo &input : inputs)
        parts.append(input.uniqueId + QLatin1Char('=') + input.name);
    return parts.join(QStringLiteral(", "));
}

void TestAudioPulse::initTestCase()
{
    platform::PlatformBackend::select(platform::PlatformBackend::Linux);
    qRegisterMetaType<qint8>("qint8");
    qRegisterMetaType<platform::AudioSample>("platform::AudioSample");
    QVERIFY2(PulseAudioServer::isInstalled(),
             "pulseaudio and pactl are not installed (scripts/install-deps --tests installs them)");
    // Before Qt Multimedia looks for a sound system: it settles on one at its first use.
    QVERIFY2(m_server.start(), qPrintable(m_server.lastError()));
}

void TestAudioPulse::init()
{
    // Every test starts from the server's own two modules, running, and from a list that shows them:
    // the list is the process's, and a source the test before removed leaves it only once the
    // server's event for that has come.
    QVERIFY2(m_server.start(), qPrintable(m_server.lastError()));
    QTRY_COMPARE_WITH_TIMEOUT(describe(listed()), describe({m_nullInput}), FollowMs);
}

void TestAudioPulse::cleanup()
{
    if (m_pluggedModule >= 0)
        m_server.removeSource(m_pluggedModule);
    m_pluggedModule = -1;
}

void TestAudioPulse::listsOnlyCaptureInputs()
{
    // Neither the sink's monitor nor ALSA's plug-in devices ("default", "pulse", "upmix", ...).
    QCOMPARE(describe(listed()), describe({m_nullInput}));
    QList<QString> names;
    QCOMPARE(QorvAudioSource::getAvailableSources(&names), 0);
    QCOMPARE(names, QList<QString>{m_nullInput.name});
}

void TestAudioPulse::followsPluggedSources()
{
    platform::AudioInputs *inputs = platform::AudioInputs::instance();
    QorvAudioSourceWatcher watcher;
    QSignalSpy changes(&watcher, &QorvAudioSourceWatcher::availableSourcesChanged);
    const AudioInputInfo usb{QStringLiteral("alsa_input.usb-Cam_0001-02.mono"), QStringLiteral("Document Camera Mono")};
    m_pluggedModule = m_server.addSource(usb.uniqueId, usb.name);
    QVERIFY(m_pluggedModule >= 0);
    QTRY_COMPARE_WITH_TIMEOUT(describe(listed()), describe({m_nullInput, usb}), FollowMs);
    QTRY_VERIFY(!changes.isEmpty());
    QVERIFY(inputs->contains(usb.uniqueId));
    QCOMPARE(inputs->nameOf(usb.uniqueId), usb.name);

    changes.clear();
    QVERIFY(m_server.removeSource(m_pluggedModule));
    m_pluggedModule = -1;
    QTRY_COMPARE_WITH_TIMEOUT(describe(listed()), describe({m_nullInput}), FollowMs);
    QTRY_VERIFY(!changes.isEmpty());

    // A source nobody plugs or unplugs changes nothing: no report for the server's other events. A
    // monitor takes the server's events in their order and reports every list it publishes, so once a
    // source plugged after the change is reported, the change was taken before it: that report is the
    // only one.
    QMutex reportsLock;
    QStringList reports;
    platform::PulseAudioSourceMonitor monitor("tst_audio_pulse", [&](const QList<AudioInputInfo> &inputs) {
        QMutexLocker locker(&reportsLock);
        reports.append(describe(inputs));
    });
    QVERIFY(monitor.start());
    QVERIFY(monitor.waitUntilSettled(FollowMs));
    const auto reported = [&] {
        QMutexLocker locker(&reportsLock);
        return reports;
    };
    QTRY_COMPARE_WITH_TIMEOUT(reported(), QStringList{describe({m_nullInput})}, FollowMs);
    {
        QMutexLocker locker(&reportsLock);
        reports.clear();
    }
    QVERIFY(m_server.pactl({QStringLiteral("set-source-volume"), m_nullInput.uniqueId, QStringLiteral("50%")}));
    m_pluggedModule = m_server.addSource(usb.uniqueId, usb.name);
    QVERIFY(m_pluggedModule >= 0);
    QTRY_VERIFY_WITH_TIMEOUT(!reported().isEmpty(), FollowMs);
    QCOMPARE(reported(), QStringList{describe({m_nullInput, usb})});
}

void TestAudioPulse::hungServerDoesNotBlockTheList()
{
    const qint64 pid = m_server.processId();
    QVERIFY(pid > 0);
    QCOMPARE(::kill(pid_t(pid), SIGSTOP), 0);
    QElapsedTimer clock;
    clock.start();
    QList<AudioInputInfo> seen;
    for (int i = 0; i < 100; ++i)
        seen = listed();
    const qint64 elapsedMs = clock.elapsed();
    QCOMPARE(::kill(pid_t(pid), SIGCONT), 0);
    // Served from what the server said last; asking it would wait seconds for an answer.
    QCOMPARE(describe(seen), describe({m_nullInput}));
    QVERIFY2(elapsedMs < 1000, qPrintable(QStringLiteral("100 lists took %1 ms").arg(elapsedMs)));
}

void TestAudioPulse::followsTheServerAwayAndBack()
{
    QorvAudioSourceWatcher watcher;
    QSignalSpy changes(&watcher, &QorvAudioSourceWatcher::availableSourcesChanged);
    m_server.stop();
    QTRY_VERIFY_WITH_TIMEOUT(listed().isEmpty(), FollowMs);
    QTRY_VERIFY(!changes.isEmpty());

    changes.clear();
    QVERIFY2(m_server.start(), qPrintable(m_server.lastError()));
    QTRY_COMPARE_WITH_TIMEOUT(describe(listed()), describe({m_nullInput}), FollowMs);
    QTRY_VERIFY(!changes.isEmpty());
}

void TestAudioPulse::startsWithoutAServer()
{
    m_server.stop();
    QElapsedTimer clock;
    clock.start();
    {
        platform::PulseAudioInputs inputs;
        QVERIFY(clock.elapsed() < platform::PulseAudioInputs::FirstListWaitMs); // a refusal is no wait
        QVERIFY(inputs.inputs().isEmpty());
        QVERIFY(!inputs.createStream(m_nullInput.uniqueId));

        QSignalSpy changes(&inputs, &platform::AudioInputs::inputsChanged);
        QVERIFY2(m_server.start(), qPrintable(m_server.lastError()));
        QTRY_COMPARE_WITH_TIMEOUT(describe(inputs.inputs()), describe({m_nullInput}), FollowMs);
        QTRY_VERIFY(!changes.isEmpty());
    }
    // The process-wide list found the server again too.
    QTRY_COMPARE_WITH_TIMEOUT(describe(listed()), describe({m_nullInput}), FollowMs);
}

void TestAudioPulse::capturesAndMetersAnInput()
{
    platform::AudioSampleCapture capture;
    QSignalSpy samples(&capture, &platform::AudioSampleCapture::sampleCaptured);
    QVERIFY(!capture.start(QLatin1String(PulseAudioServer::SinkName) + QStringLiteral(".monitor")));
    QVERIFY(capture.start(m_nullInput.uniqueId));
    QTRY_VERIFY_WITH_TIMEOUT(samples.count() >= 2, 5000);
    const auto first = samples.first().first().value<platform::AudioSample>();
    QVERIFY(first.isValid());

    QorvAudioSource source(m_nullInput.name, m_nullInput.uniqueId, 0);
    QVERIFY(source.deviceSource()->hasInput());
    QSignalSpy levels(source.deviceSource(), &QorvAudioDeviceSource::audioLevelReport);
    QCOMPARE(source.deviceSource()->startAudioReport(), 0);
    QTRY_VERIFY_WITH_TIMEOUT(levels.count() >= 1, 5000);
    QCOMPARE(int(levels.last().first().value<qint8>()), 0); // a null source is silent
}

void TestAudioPulse::withoutTheCaptureModule_data()
{
    QTest::addColumn<QString>("module");
    QTest::addColumn<QString>("reason");
    QTest::newRow("missing") << "/nonexistent/liblumidesk-audio.so"
                             << "the audio capture module /nonexistent/liblumidesk-audio.so cannot be loaded: ";
    // A library of ours, loaded already, that is not the module.
    const QString other = platform::InstallLayout::module(QStringLiteral("platform"));
    QTest::newRow("not the module") << other
                                    << "the audio capture module " + other + " has no entry lumideskCreateAudioInputStream";
}

void TestAudioPulse::withoutTheCaptureModule()
{
    QFETCH(QString, module);
    QFETCH(QString, reason);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^" + QRegularExpression::escape(reason)
                                                          + ".*: no microphones are listed\\.$"));
    // The server is up with its input: a backend with its module lists it before it is made.
    platform::PulseAudioInputs inputs(nullptr, module);
    QVERIFY(inputs.inputs().isEmpty());
    QVERIFY(!inputs.createStream(m_nullInput.uniqueId));
    QCOMPARE(describe(listed()), describe({m_nullInput}));
}

QTEST_GUILESS_MAIN(TestAudioPulse)
#include "tst_audio_pulse.moc"
