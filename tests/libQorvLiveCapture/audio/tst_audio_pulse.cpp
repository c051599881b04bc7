#include "audio/audioinputs.h"
#include "audio/audiosamplecapture.h"
#include "audio/pulseaudioinputs.h"
#include "audio/qorvaudiodevicesource.h"
#include "audio/qorvaudiosource.h"
#include "core/platformbackend.h"

#include "audiopulseserver.h"

#include <QtTest>

// The real inputs through Qt Multimedia and PulseAudio, on a private server with a null source;
// skipped where PulseAudio cannot run.
class TestAudioPulse : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void parsesSourceDescriptions();
    void listsAndCapturesAnInput();

private:
    PulseAudioServer m_server;
    bool m_serverRuns = false;
};

void TestAudioPulse::initTestCase()
{
    platform::PlatformBackend::select(platform::PlatformBackend::Linux);
    qRegisterMetaType<qint8>("qint8");
    qRegisterMetaType<platform::AudioSample>("platform::AudioSample");
    // Before Qt Multimedia looks for a sound system: it settles on one at its first use.
    m_serverRuns = m_server.start();
    if (!m_serverRuns)
        qWarning("%s", qPrintable(m_server.lastError()));
}

void TestAudioPulse::parsesSourceDescriptions()
{
    const QString text = QStringLiteral(
        "Source #0\n\tState: SUSPENDED\n\tName: auto_null.monitor\n\tDescription: Monitor of Dummy Output\n"
        "\tDriver: module-null-sink.c\n\nSource #1\n\tName: alsa_input.usb-Cam_0001-02.mono-fallback\n"
        "\tDescription: Document Camera Mono\n\tProperties:\n\t\tdevice.description = \"x\"\n"
        "Source #2\n\tName: no_description\n");
    const QHash<QString, QString> descriptions = platform::PulseAudioInputs::parseSourceDescriptions(text);
    QCOMPARE(descriptions.size(), 2);
    QCOMPARE(descriptions.value("auto_null.monitor"), QStringLiteral("Monitor of Dummy Output"));
    QCOMPARE(descriptions.value("alsa_input.usb-Cam_0001-02.mono-fallback"), QStringLiteral("Document Camera Mono"));
}

void TestAudioPulse::listsAndCapturesAnInput()
{
    if (!m_serverRuns)
        QSKIP("no PulseAudio server");
    const QList<platform::AudioInputInfo> inputs = platform::AudioInputs::instance()->inputs();
    bool nullSourceListed = false;
    for (const platform::AudioInputInfo &input : inputs) {
        if (input.uniqueId == QLatin1String(PulseAudioServer::SourceName)) {
            nullSourceListed = true;
            QCOMPARE(input.name, QStringLiteral("NullInput"));
        }
    }
    QVERIFY(nullSourceListed);
    QList<QString> names;
    QList<QString> uuids;
    QCOMPARE(QorvAudioSource::getAvailableSources(&names, &uuids), 0);
    QCOMPARE(names.size(), uuids.size());
    QVERIFY(!uuids.isEmpty());
    QCOMPARE(QSet<QString>(uuids.begin(), uuids.end()).size(), uuids.size()); // unique

    platform::AudioSampleCapture capture;
    QSignalSpy samples(&capture, &platform::AudioSampleCapture::sampleCaptured);
    QVERIFY(capture.start(QLatin1String(PulseAudioServer::SourceName)));
    QTRY_VERIFY_WITH_TIMEOUT(samples.count() >= 2, 5000);
    const auto first = samples.first().first().value<platform::AudioSample>();
    QVERIFY(first.isValid());

    QorvAudioSource source(QStringLiteral("NullInput"), QLatin1String(PulseAudioServer::SourceName), 0);
    QVERIFY(source.deviceSource()->hasInput());
    QSignalSpy levels(source.deviceSource(), &QorvAudioDeviceSource::audioLevelReport);
    QCOMPARE(source.deviceSource()->startAudioReport(), 0);
    QTRY_VERIFY_WITH_TIMEOUT(levels.count() >= 1, 5000);
    QCOMPARE(int(levels.last().first().value<qint8>()), 0); // a null source is silent
}

QTEST_GUILESS_MAIN(TestAudioPulse)
#include "tst_audio_pulse.moc"
