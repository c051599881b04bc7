#include "audio/audiodevicemanager.h"
#include "audio/audiosamplecapture.h"
#include "audio/audioiodevice.h"
#include "audio/qorvaudiodevicesource.h"
#include "audio/qorvaudiosource.h"
#include "audio/qorvaudiosourcewatcher.h"
#include "audio/simulatedaudioinputs.h"
#include "core/platformbackend.h"
#include "manager/doccammanager.h"
#include "media/mediaclock.h"
#include "waitpast.h"

#include <QtEndian>
#include <QtTest>

#include <cstring>

using platform::AudioFormat;
using platform::SimulatedAudioInputs;

Q_DECLARE_METATYPE(platform::AudioFormat)

class TestAudioInputs : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void peakLevel_data();
    void peakLevel();
    void reportAndStreamSwitches();
    void volumeRange_data();
    void volumeRange();
    void inputChoice_data();
    void inputChoice();
    void listsStayParallel();
    void metersTheTone();
    void resetAfterAWholePeriodWithoutData();
    void stalledInputIsReset();
    void unpluggedInputLosesItsStream();
    void sleepAndWakeStopAndStartEveryInput();
    void capturesTimeStampedBlocks();
};

namespace {

constexpr int ShortCheckMs = 150;

AudioFormat formatOf(int bits, AudioFormat::SampleType type, AudioFormat::Endian order = AudioFormat::LittleEndian,
                     int channels = 1)
{
    return AudioFormat(44100, channels, bits, type, order);
}

QByteArray s16le(std::initializer_list<int> values)
{
    QByteArray bytes;
    for (int v : values) {
        char raw[2];
        qToLittleEndian<qint16>(qint16(v), raw);
        bytes.append(raw, 2);
    }
    return bytes;
}

QByteArray s16be(std::initializer_list<int> values)
{
    QByteArray bytes;
    for (int v : values) {
        char raw[2];
        qToBigEndian<qint16>(qint16(v), raw);
        bytes.append(raw, 2);
    }
    return bytes;
}

QByteArray s32le(std::initializer_list<qint64> values)
{
    QByteArray bytes;
    for (qint64 v : values) {
        char raw[4];
        qToLittleEndian<qint32>(qint32(v), raw);
        bytes.append(raw, 4);
    }
    return bytes;
}

QByteArray f32le(std::initializer_list<float> values)
{
    QByteArray bytes;
    for (float v : values)
        bytes.append(reinterpret_cast<const char *>(&v), 4);
    return bytes;
}

QList<int> levelsOf(const QSignalSpy &spy)
{
    QList<int> levels;
    for (const QList<QVariant> &args : spy)
        levels.append(args.first().value<qint8>());
    return levels;
}

} // namespace

void TestAudioInputs::initTestCase()
{
    platform::PlatformBackend::select(platform::PlatformBackend::Simulated);
    AudioIODevice::setDefaultLiveTimeoutMs(ShortCheckMs);
    qRegisterMetaType<qint8>("qint8");
}

void TestAudioInputs::init()
{
    SimulatedAudioInputs::instance()->reset();
}

void TestAudioInputs::peakLevel_data()
{
    QTest::addColumn<AudioFormat>("format");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<int>("level");

    const AudioFormat s16 = formatOf(16, AudioFormat::SignedInt);
    QTest::newRow("s16 half scale") << s16 << s16le({0, 1200, 16384, -3}) << 50;
    // Negative samples count by their magnitude.
    QTest::newRow("s16 negative peak") << s16 << s16le({100, -16384, 5}) << 50;
    // The most negative sample has no positive twin: it is full scale, not an overflow.
    QTest::newRow("s16 most negative") << s16 << s16le({-32768}) << 100;
    QTest::newRow("s16 silence") << s16 << s16le({0, 0}) << 0;
    QTest::newRow("s16 big-endian") << formatOf(16, AudioFormat::SignedInt, AudioFormat::BigEndian)
                                    << s16be({-16384, 2}) << 50;
    QTest::newRow("s16 stereo, either channel") << formatOf(16, AudioFormat::SignedInt, AudioFormat::LittleEndian, 2)
                                                << s16le({10, -32767}) << 100;
    QTest::newRow("s16 trailing half sample ignored") << s16 << (s16le({8192}) + QByteArray(1, '\x7f')) << 25;
    QTest::newRow("u8 raw value") << formatOf(8, AudioFormat::UnSignedInt) << QByteArray("\x00\x7f", 2) << 49;
    QTest::newRow("s8 most negative") << formatOf(8, AudioFormat::SignedInt) << QByteArray("\x80", 1) << 100;
    QTest::newRow("s32 most negative") << formatOf(32, AudioFormat::SignedInt)
                                       << s32le({-2147483647LL - 1}) << 100;
    QTest::newRow("float negative half") << formatOf(32, AudioFormat::Float) << f32le({0.1f, -0.5f}) << 50;
    QTest::newRow("float beyond full scale") << formatOf(32, AudioFormat::Float) << f32le({-3.0f}) << 100;
    QTest::newRow("24-bit: unknown maximum") << formatOf(24, AudioFormat::SignedInt) << QByteArray(6, '\x7f') << 0;
}

void TestAudioInputs::peakLevel()
{
    QFETCH(AudioFormat, format);
    QFETCH(QByteArray, data);
    QFETCH(int, level);
    QCOMPARE(int(AudioIODevice::peakLevel(format, data.constData(), data.size())), level);
}

void TestAudioInputs::reportAndStreamSwitches()
{
    AudioIODevice sink(formatOf(16, AudioFormat::SignedInt));
    QVERIFY(sink.open(QIODevice::WriteOnly));
    QSignalSpy levels(&sink, &AudioIODevice::audioLevelReport);
    QSignalSpy stream(&sink, &AudioIODevice::audioStreamBack);
    const QByteArray block = s16le({16384});

    // Neither on: data are taken and go nowhere.
    QCOMPARE(sink.write(block), qint64(block.size()));
    QCOMPARE(levels.count(), 0);
    QCOMPARE(stream.count(), 0);

    sink.startReport();
    for (int i = 0; i < 4; ++i)
        sink.write(block);
    QCOMPARE(levelsOf(levels), (QList<int>{50, 50})); // every second block

    sink.stopReport();
    sink.startStream();
    sink.write(block);
    sink.write(block);
    QCOMPARE(levels.count(), 2);
    QCOMPARE(stream.count(), 2);
    QCOMPARE(stream.first().at(1).toLongLong(), qint64(block.size()));

    // Restarting the report counts blocks afresh.
    sink.startReport();
    sink.write(block);
    QCOMPARE(levels.count(), 2);
    sink.write(block);
    QCOMPARE(levels.count(), 3);
}

void TestAudioInputs::volumeRange_data()
{
    QTest::addColumn<int>("volume");
    QTest::addColumn<int>("result");
    QTest::addColumn<int>("readBack");
    QTest::newRow("0") << 0 << 0 << 0;
    QTest::newRow("50") << 50 << 0 << 50;
    QTest::newRow("100") << 100 << 0 << 100;
    QTest::newRow("101 refused") << 101 << -1000 << 70;
    QTest::newRow("negative refused") << -1 << -1000 << 70;
    QTest::newRow("most negative refused") << -128 << -1000 << 70;
}

void TestAudioInputs::volumeRange()
{
    QFETCH(int, volume);
    QFETCH(int, result);
    QFETCH(int, readBack);
    QorvAudioSource source(QStringLiteral("Simulated Microphone"), SimulatedAudioInputs::FirstInputId, 0);
    QCOMPARE(source.setVolume(70), 0);
    QCOMPARE(source.setVolume(qint8(volume)), result);
    qint8 value = -1;
    QCOMPARE(source.getVolume(&value), 0);
    QCOMPARE(int(value), readBack);
    QCOMPARE(source.getVolume(nullptr), -1000);
}

void TestAudioInputs::inputChoice_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("uuid");
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("hasInput");

    QTest::newRow("name at index") << "Simulated Headset" << SimulatedAudioInputs::SecondInputId << 1 << true;
    QTest::newRow("index wrong, name decides") << "Simulated Headset" << SimulatedAudioInputs::SecondInputId << 0 << true;
    QTest::newRow("index outside the list") << "Simulated Headset" << QString() << 7 << true;
    QTest::newRow("renamed input, id decides") << "Old Name" << SimulatedAudioInputs::SecondInputId << 0 << true;
    QTest::newRow("name differs in case") << "simulated headset" << QString() << 1 << false;
    QTest::newRow("nothing matches") << "Nowhere" << "no.such.input" << 0 << false;
}

void TestAudioInputs::inputChoice()
{
    QFETCH(QString, name);
    QFETCH(QString, uuid);
    QFETCH(int, index);
    QFETCH(bool, hasInput);

    QorvAudioSource source(name, uuid, index);
    QCOMPARE(source.currentSourceID(), name);
    QCOMPARE(source.currentUuid(), uuid);
    QorvCaptureSource::SourceType type = QorvCaptureSource::Screen;
    QCOMPARE(source.getFrameSourceType(&type), 0);
    QCOMPARE(type, QorvCaptureSource::Audio);
    QCOMPARE(source.getFrameSourceType(nullptr), -1000);
    QorvAudioDeviceSource *device = source.deviceSource();
    QCOMPARE(device->hasInput(), hasInput);
    const int expected = hasInput ? 0 : -1003;
    QCOMPARE(device->startAudioReport(), expected);
    QCOMPARE(device->startAudioStream(), expected);
    QCOMPARE(device->stopAudioStream(), expected);
    QCOMPARE(source.setVolume(10), expected);
    QCOMPARE(AudioDeviceManager::instance()->deviceCount(), hasInput ? 1 : 0);
}

void TestAudioInputs::listsStayParallel()
{
    SimulatedAudioInputs *inputs = SimulatedAudioInputs::instance();
    QorvAudioSourceWatcher watcher;
    QSignalSpy changes(&watcher, &QorvAudioSourceWatcher::availableSourcesChanged);
    inputs->addInput({QStringLiteral("usb.mic"), QStringLiteral("USB Microphone")});
    inputs->addInput({QStringLiteral("nameless"), QString()});
    QCOMPARE(changes.count(), 2);
    QList<QString> names{QStringLiteral("stale")};
    QList<QString> uuids{QStringLiteral("stale"), QStringLiteral("stale")};
    QCOMPARE(QorvAudioSource::getAvailableSources(&names, &uuids), 0);
    QCOMPARE(names, (QList<QString>{"Simulated Microphone", "Simulated Headset", "USB Microphone"}));
    QCOMPARE(uuids, (QList<QString>{SimulatedAudioInputs::FirstInputId, SimulatedAudioInputs::SecondInputId,
                                    "usb.mic"}));

    inputs->removeInput(SimulatedAudioInputs::SecondInputId);
    QCOMPARE(changes.count(), 3);
    QCOMPARE(QorvAudioSource::getAvailableSources(&names, &uuids), 0);
    QVERIFY(!uuids.contains(SimulatedAudioInputs::SecondInputId));
    QCOMPARE(names.size(), uuids.size());

    QList<QString> allNames;
    QCOMPARE(QorvAudioSource::getAvailableSources(&allNames), 0);
    QCOMPARE(allNames.size(), 3);
    QCOMPARE(QorvAudioSource::getAvailableSources(nullptr), -1000);
    QCOMPARE(QorvAudioSource::getAvailableSources(&names, nullptr), -1000);
}

void TestAudioInputs::metersTheTone()
{
    QorvAudioSource source(QStringLiteral("Simulated Microphone"), SimulatedAudioInputs::FirstInputId, 0);
    QorvAudioDeviceSource *device = source.deviceSource();
    QSignalSpy levels(device, &QorvAudioDeviceSource::audioLevelReport);
    QSignalSpy stream(device, &QorvAudioDeviceSource::audioStreamBack);
    QCOMPARE(device->startAudioReport(), 0);
    QTRY_VERIFY_WITH_TIMEOUT(levels.count() >= 3, 3000);
    // The tone peaks at 16384 of 32767; the first block may start before the first peak.
    const QList<int> seen = levelsOf(levels);
    QCOMPARE(seen.last(), 50);
    QCOMPARE(stream.count(), 0);

    QCOMPARE(source.setVolume(50), 0);
    levels.clear();
    QTRY_VERIFY_WITH_TIMEOUT(levels.count() >= 3, 3000);
    QCOMPARE(levelsOf(levels).last(), 25);

    // Report off: the input is suspended and nothing more is metered, while the other input meters
    // on, block after block.
    QCOMPARE(device->stopAudioReport(), 0);
    levels.clear();
    QorvAudioSource other(QStringLiteral("Simulated Headset"), SimulatedAudioInputs::SecondInputId, 1);
    QSignalSpy otherLevels(other.deviceSource(), &QorvAudioDeviceSource::audioLevelReport);
    QCOMPARE(other.deviceSource()->startAudioReport(), 0);
    QTRY_VERIFY_WITH_TIMEOUT(otherLevels.count() >= 5, 10000);
    QCOMPARE(levels.count(), 0);
}

void TestAudioInputs::resetAfterAWholePeriodWithoutData()
{
    // The checks come from this test alone: the sink's own period is an hour.
    AudioIODevice::setDefaultLiveTimeoutMs(60 * 60 * 1000);
    AudioIODevice sink(formatOf(16, AudioFormat::SignedInt));
    AudioIODevice::setDefaultLiveTimeoutMs(ShortCheckMs);
    QVERIFY(sink.open(QIODevice::WriteOnly));
    QSignalSpy resets(&sink, &AudioIODevice::resetDevice);
    const QByteArray block = s16le({16384});
    sink.startReport();
    // Data in every period: no reset.
    for (int period = 0; period < 3; ++period) {
        sink.write(block);
        sink.checkLiveTimeout();
    }
    QCOMPARE(resets.count(), 0);
    // The first period without data asks for the reset, at its end.
    sink.checkLiveTimeout();
    QCOMPARE(resets.count(), 1);
}

void TestAudioInputs::stalledInputIsReset()
{
    QorvAudioSource first(QStringLiteral("Simulated Microphone"), SimulatedAudioInputs::FirstInputId, 0);
    QorvAudioSource second(QStringLiteral("Simulated Microphone"), SimulatedAudioInputs::FirstInputId, 0);
    QorvAudioSource other(QStringLiteral("Simulated Headset"), SimulatedAudioInputs::SecondInputId, 1);
    QorvAudioDeviceSource *device = first.deviceSource();
    QCOMPARE(device->sink()->liveTimeoutMs(), ShortCheckMs);
    QSignalSpy levels(device, &QorvAudioDeviceSource::audioLevelReport);
    QSignalSpy resets(device->sink(), &AudioIODevice::resetDevice);
    QSignalSpy otherResets(other.deviceSource()->sink(), &AudioIODevice::resetDevice);
    QCOMPARE(first.setVolume(40), 0);
    QCOMPARE(device->startAudioReport(), 0);
    QCOMPARE(other.deviceSource()->startAudioReport(), 0);
    QTRY_VERIFY(levels.count() >= 2);
    // The sinks' checks are timers of this thread: a marker due after three check periods fires only
    // once every check due before it has run, however late a busy machine runs them.
    QVERIFY(waitPast(3 * ShortCheckMs));
    QCOMPARE(resets.count(), 0); // data keep arriving: no reset

    SimulatedAudioInputs::instance()->setDelivering(SimulatedAudioInputs::FirstInputId, false);
    QTRY_VERIFY_WITH_TIMEOUT(resets.count() >= 1, 30 * ShortCheckMs);
    QCOMPARE(otherResets.count(), 0);
    QVERIFY(device->hasInput());
    QVERIFY(second.deviceSource()->hasInput());
    qint8 volume = 0;
    QCOMPARE(first.getVolume(&volume), 0);
    QCOMPARE(int(volume), 40); // the restarted input keeps its volume

    // Once the input delivers again, the restarted stream meters it.
    SimulatedAudioInputs::instance()->setDelivering(SimulatedAudioInputs::FirstInputId, true);
    levels.clear();
    QTRY_VERIFY_WITH_TIMEOUT(levels.count() >= 2, 3000);
    resets.clear();
    QVERIFY(waitPast(3 * ShortCheckMs)); // past three more checks
    QCOMPARE(resets.count(), 0);
}

void TestAudioInputs::unpluggedInputLosesItsStream()
{
    QorvAudioSource source(QStringLiteral("Simulated Headset"), SimulatedAudioInputs::SecondInputId, 1);
    QorvAudioDeviceSource *device = source.deviceSource();
    QCOMPARE(device->startAudioReport(), 0);
    SimulatedAudioInputs::instance()->removeInput(SimulatedAudioInputs::SecondInputId);
    // The reset finds no input to start again: the source reports it has none, it does not crash.
    QTRY_VERIFY_WITH_TIMEOUT(!device->hasInput(), 10 * ShortCheckMs);
    QCOMPARE(device->startAudioReport(), -1003);
    QCOMPARE(source.setVolume(10), -1003);

    // Plugged in again, the next reset (sleep and wake here) brings it back.
    SimulatedAudioInputs::instance()->addInput({SimulatedAudioInputs::SecondInputId, QStringLiteral("Simulated Headset")});
    AudioDeviceManager::instance()->handlePowerChange(AudioDeviceManager::Woke);
    QVERIFY(device->hasInput());
}

void TestAudioInputs::sleepAndWakeStopAndStartEveryInput()
{
    QorvAudioSource first(QStringLiteral("Simulated Microphone"), SimulatedAudioInputs::FirstInputId, 0);
    QorvAudioSource second(QStringLiteral("Simulated Headset"), SimulatedAudioInputs::SecondInputId, 1);
    QSignalSpy levels(first.deviceSource(), &QorvAudioDeviceSource::audioLevelReport);
    QCOMPARE(first.deviceSource()->startAudioReport(), 0);
    QTRY_VERIFY(levels.count() >= 1);

    // Sleep and wake come from the camera manager.
    emit DocCamManager::getDocCamManager()->powerStateChanged(AudioDeviceManager::WillSleep);
    QVERIFY(!first.deviceSource()->hasInput());
    QVERIFY(!second.deviceSource()->hasInput());
    levels.clear();
    // A reset loop would run on this thread's timers (a check, the restart, the blocks of the tone):
    // all of them due before a marker three check periods away.
    QVERIFY(waitPast(3 * ShortCheckMs));
    QCOMPARE(levels.count(), 0); // no reset loop while asleep either

    emit DocCamManager::getDocCamManager()->powerStateChanged(7); // not a power state
    QVERIFY(!first.deviceSource()->hasInput());

    emit DocCamManager::getDocCamManager()->powerStateChanged(AudioDeviceManager::Woke);
    QVERIFY(first.deviceSource()->hasInput());
    QVERIFY(second.deviceSource()->hasInput());
    QTRY_VERIFY(levels.count() >= 1); // the report was on before the sleep
}

void TestAudioInputs::capturesTimeStampedBlocks()
{
    platform::AudioSampleCapture capture;
    QVERIFY(!capture.start(QStringLiteral("no.such.input")));
    QVERIFY(!capture.isCapturing());

    QVector<platform::AudioSample> blocks;
    connect(&capture, &platform::AudioSampleCapture::sampleCaptured, this,
            [&blocks](const platform::AudioSample &sample) { blocks.append(sample); });
    QVERIFY(capture.start(SimulatedAudioInputs::FirstInputId));
    QTRY_VERIFY(blocks.size() >= 5);
    capture.stop();
    const int count = blocks.size();
    // Stopped: nothing more comes while a second capture of the same input takes five blocks.
    platform::AudioSampleCapture witness;
    int witnessed = 0;
    connect(&witness, &platform::AudioSampleCapture::sampleCaptured, this, [&witnessed] { ++witnessed; });
    QVERIFY(witness.start(SimulatedAudioInputs::FirstInputId));
    QTRY_VERIFY_WITH_TIMEOUT(witnessed >= 5, 10000);
    witness.stop();
    QCOMPARE(blocks.size(), count);
    for (int i = 1; i < blocks.size(); ++i) {
        QVERIFY(blocks.at(i).isValid());
        QVERIFY(blocks.at(i).presentationTimeUs() > blocks.at(i - 1).presentationTimeUs());
    }
    QVERIFY(qAbs(blocks.last().presentationTimeUs() + blocks.last().durationUs()
                 - platform::MediaClock::monotonicNowUs()) < 2000000);
}

QTEST_GUILESS_MAIN(TestAudioInputs)
#include "tst_audio_inputs.moc"
