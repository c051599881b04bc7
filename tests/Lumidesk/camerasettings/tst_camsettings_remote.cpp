#include "camsettingsfixture.h"
#include "core/platformbackend.h"

#include <QLoggingCategory>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QSlider>
#include <QToolButton>
#include <QtTest>

namespace {

QByteArray ints(std::initializer_list<qint32> values)
{
    QByteArray bytes;
    for (qint32 value : values) {
        char word[4];
        qToLittleEndian<qint32>(value, word);
        bytes.append(word, 4);
    }
    return bytes;
}

// The eight fixed words between the ranges and the state bits of the current-values reply.
QByteArray fixedWords()
{
    return QByteArray::fromHex("0000" "0000" "0003" "0004" "9600" "9600" "2c01" "2c01");
}

QByteArray valuesReply(std::initializer_list<qint32> values, quint8 bits)
{
    return ints(values) + fixedWords() + QByteArray(1, char(bits));
}

enum Camera { First, Second, ZR90, OtherMaker };

QSharedPointer<SimulatedCamera> cameraOf(int kind)
{
    auto *cameras = SimulatedCameras::instance();
    switch (kind) {
    case Second: return cameras->cameraAt(SimulatedCameras::SecondLocationId);
    case ZR90: return cameras->plugStandard(0x0810, 0x01300000, QStringLiteral("ZR90"));
    case OtherMaker: return cameras->plugStandard(0x2001, 0x01300000, QStringLiteral("Other"));
    default: return firstCamera();
    }
}

bool anyWrite(SimulatedCamera &camera)
{
    for (const auto &logged : camera.uvc().requestLog()) {
        if (!logged.request.isDeviceToHost())
            return true;
    }
    return false;
}

const uint ValueIds[] = {0x80000201, 0x80000202, 0x80000203, 0x80000206, 0x80000207,
                         0x80000208, 0x8000020a, 0x8000020b, 0x80000240};

} // namespace

class TestCameraSettingsRemote : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void valueCommands_data();
    void valueCommands();
    void shortPayloads_data();
    void shortPayloads();
    void whiteBalance();
    void rowsCarryCameraValues();
    void defaults();
    void currentValues_data();
    void currentValues();
    void capabilities_data();
    void capabilities();
    void withoutCameraOrUnknown();
    void randomPayloads();
};

void TestCameraSettingsRemote::initTestCase()
{
    platform::PlatformBackend::select(platform::PlatformBackend::Simulated);
}

void TestCameraSettingsRemote::init()
{
    SimulatedCameras::instance()->reset();
}

void TestCameraSettingsRemote::valueCommands_data()
{
    QTest::addColumn<int>("camera");
    QTest::addColumn<uint>("id");
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<quint8>("unit");
    QTest::addColumn<quint8>("selector");
    QTest::addColumn<qint64>("written"); // -1000: the camera keeps its value
    QTest::addColumn<QString>("control");
    QTest::addColumn<int>("shown");     // slider value or list row afterwards

    const qint64 kept = -1000;
    QTest::newRow("brightness") << int(First) << 0x80000201u << ints({-20}) << Processing << quint8(0x02)
                                << qint64(-20) << "brightnessSlider" << -20;
    QTest::newRow("brightness, extra bytes ignored") << int(First) << 0x80000201u << ints({12, 99})
                                                     << Processing << quint8(0x02) << qint64(12)
                                                     << "brightnessSlider" << 12;
    QTest::newRow("brightness above the range") << int(First) << 0x80000201u << ints({65}) << Processing
                                                << quint8(0x02) << kept << "brightnessSlider" << 0;
    QTest::newRow("contrast") << int(First) << 0x80000240u << ints({70}) << Processing << quint8(0x03)
                              << qint64(70) << "contrastSlider" << 70;
    QTest::newRow("contrast below the range") << int(First) << 0x80000240u << ints({-1}) << Processing
                                              << quint8(0x03) << kept << "contrastSlider" << 50;
    QTest::newRow("saturation") << int(First) << 0x80000202u << ints({10}) << Processing << quint8(0x07)
                                << qint64(10) << "saturationSlider" << 10;
    QTest::newRow("sharpness") << int(First) << 0x80000203u << ints({7}) << Processing << quint8(0x08)
                               << qint64(7) << "sharpnessSlider" << 7;
    QTest::newRow("sharpness above the range") << int(First) << 0x80000203u << ints({8}) << Processing
                                               << quint8(0x08) << kept << "sharpnessSlider" << 3;
    QTest::newRow("power line 60 Hz") << int(First) << 0x80000208u << ints({2}) << Processing << quint8(0x05)
                                      << qint64(2) << "cbPowerFrquency" << 2;
    QTest::newRow("power line unknown value") << int(First) << 0x80000208u << ints({3}) << Processing
                                              << quint8(0x05) << kept << "cbPowerFrquency" << 1;
    QTest::newRow("power line 60 Hz, other maker") << int(OtherMaker) << 0x80000208u << ints({2}) << Processing
                                                   << quint8(0x05) << qint64(2) << "cbPowerFrquency" << 1;
    QTest::newRow("power line off, other maker") << int(OtherMaker) << 0x80000208u << ints({0}) << Processing
                                                 << quint8(0x05) << kept << "cbPowerFrquency" << 0;
    QTest::newRow("backlight off") << int(First) << 0x8000020au << ints({0}) << Processing << quint8(0x01)
                                   << qint64(0) << "cbBacklight" << 0;
    QTest::newRow("backlight beyond the list") << int(First) << 0x8000020au << ints({2}) << Processing
                                               << quint8(0x01) << kept << "cbBacklight" << 1;
    QTest::newRow("backlight, other maker") << int(OtherMaker) << 0x8000020au << ints({0}) << Processing
                                            << quint8(0x01) << kept << "cbBacklight" << 0;
    QTest::newRow("noise reduction") << int(First) << 0x8000020bu << ints({1}) << ExtensionA << quint8(0x0e)
                                     << qint64(1) << "cbNoise" << 1;
    QTest::newRow("noise reduction beyond the range") << int(First) << 0x8000020bu << ints({2}) << ExtensionA
                                                      << quint8(0x0e) << kept << "cbNoise" << 0;
}

void TestCameraSettingsRemote::valueCommands()
{
    QFETCH(int, camera);
    QFETCH(uint, id);
    QFETCH(QByteArray, payload);
    QFETCH(quint8, unit);
    QFETCH(quint8, selector);
    QFETCH(qint64, written);
    QFETCH(QString, control);
    QFETCH(int, shown);

    Fixture f(cameraOf(camera));
    f.bind();
    const qint64 before = currentOf(*f.sim, unit, selector);
    f.sim->uvc().clearRequestLog();
    QByteArray reply = payload;
    QCOMPARE(f.dialog.FromClientCmd(id, reply), 0);

    QCOMPARE(reply, payload); // a set is answered with its request
    QCOMPARE(currentOf(*f.sim, unit, selector), written == -1000 ? before : written);
    if (written == -1000)
        QVERIFY(!anyWrite(*f.sim));
    QVERIFY2(f.echoes.isEmpty(), "a remote change is not echoed as a local one");
    QObject *widget = f.dialog.findChild<QObject *>(control);
    QVERIFY(widget);
    if (auto *slider = qobject_cast<QSlider *>(widget))
        QCOMPARE(slider->value(), shown);
    else
        QCOMPARE(qobject_cast<QComboBox *>(widget)->currentIndex(), shown);

    // The command is over: the controls echo local changes again.
    f.widget<QSlider>("brightnessSlider")->setValue(f.widget<QSlider>("brightnessSlider")->value() + 1);
    QCOMPARE(f.echoes.size(), 1);
}

void TestCameraSettingsRemote::shortPayloads_data()
{
    QTest::addColumn<uint>("id");
    QTest::addColumn<QByteArray>("payload");
    for (uint id : ValueIds) {
        for (int size : {0, 3}) {
            // Bytes that would read as a valid value, were the missing ones taken from past the end.
            const QByteArray payload = QByteArray::fromHex("010000").left(size);
            QTest::addRow("0x%08x, %d bytes", id, size) << id << payload;
        }
    }
}

void TestCameraSettingsRemote::shortPayloads()
{
    QFETCH(uint, id);
    QFETCH(QByteArray, payload);
    // The second camera: every value command has its control there, white balance too.
    Fixture f(cameraOf(Second));
    f.bind();
    f.sim->uvc().clearRequestLog();
    QByteArray reply = payload;
    QCOMPARE(f.dialog.FromClientCmd(id, reply), 0);
    QCOMPARE(reply, payload); // the phone gets its request back, as for any command not carried out
    QVERIFY(!anyWrite(*f.sim));
    QVERIFY(f.echoes.isEmpty());
}

void TestCameraSettingsRemote::whiteBalance()
{
    Fixture f(cameraOf(Second));
    f.bind();
    auto *slider = f.widget<QSlider>("whiteBalanceSlider");
    const auto command = [&f](uint id, qint32 value) {
        QByteArray payload = ints({value});
        f.dialog.FromClientCmd(id, payload);
        QCOMPARE(payload, ints({value}));
    };

    command(0x80000207, 0); // off, whatever it was
    QCOMPARE(currentOf(*f.sim, Processing, 0x0b), qint64(0));
    QVERIFY(slider->isEnabled());
    command(0x80000206, 3000);
    QCOMPARE(currentOf(*f.sim, Processing, 0x0a), qint64(3000));
    QCOMPARE(slider->value(), 3000);
    command(0x80000206, 9000); // beyond the camera's 6500
    QCOMPARE(currentOf(*f.sim, Processing, 0x0a), qint64(3000));
    QCOMPARE(slider->value(), 3000);
    command(0x80000207, 5); // any value but 0 is on
    QCOMPARE(currentOf(*f.sim, Processing, 0x0b), qint64(1));
    QVERIFY(!slider->isEnabled());
    command(0x80000207, 5); // and stays on
    QCOMPARE(currentOf(*f.sim, Processing, 0x0b), qint64(1));
    QVERIFY(f.echoes.isEmpty());

    // A camera without white balance takes neither command.
    Fixture first(cameraOf(First));
    first.bind();
    QVERIFY(!first.widget<QToolButton>("btnAuto")->isEnabled());
    first.sim->uvc().clearRequestLog();
    for (uint id : {0x80000206u, 0x80000207u}) {
        QByteArray payload = ints({4000});
        first.dialog.FromClientCmd(id, payload);
    }
    QVERIFY(!anyWrite(*first.sim));
}

void TestCameraSettingsRemote::rowsCarryCameraValues()
{
    // Noise reduction 1..3 and power line 1..2: the phone names camera values, the rows carry them.
    QSharedPointer<SimulatedCamera> sim = firstCamera();
    setRange(*sim, ExtensionA, 0x0e, 1, 3, 1);
    setRange(*sim, Processing, 0x05, 1, 2, 1);
    Fixture f(sim);
    f.bind();
    QByteArray payload = ints({3});
    f.dialog.FromClientCmd(0x8000020b, payload);
    QCOMPARE(currentOf(*sim, ExtensionA, 0x0e), qint64(3));
    QCOMPARE(f.widget<QComboBox>("cbNoise")->currentText(), QStringLiteral("3"));
    payload = ints({0}); // no row carries 0
    f.dialog.FromClientCmd(0x8000020b, payload);
    QCOMPARE(currentOf(*sim, ExtensionA, 0x0e), qint64(3));
    payload = ints({2});
    f.dialog.FromClientCmd(0x80000208, payload);
    QCOMPARE(currentOf(*sim, Processing, 0x05), qint64(2));
    QCOMPARE(f.widget<QComboBox>("cbPowerFrquency")->currentText(), QStringLiteral("60hz"));

    // The advanced defaults answer in the same terms.
    SimulatedUvcControl noise = sim->uvc().control(ExtensionA, 0x0e);
    noise.defaultValue = SimulatedUvcControl::bytes(2, noise.length);
    sim->uvc().addControl(noise);
    payload.clear();
    f.dialog.FromClientCmd(0x80000245, payload);
    QCOMPARE(valuesOf(payload).at(1), 2);
    QCOMPARE(f.widget<QComboBox>("cbNoise")->currentText(), QStringLiteral("2"));
}

void TestCameraSettingsRemote::defaults()
{
    Fixture f(cameraOf(Second));
    f.bind();
    f.widget<QSlider>("brightnessSlider")->setValue(30);
    f.widget<QSlider>("sharpnessSlider")->setValue(6);
    f.echoes.clear();
    QByteArray payload = ints({1});
    f.dialog.FromClientCmd(0x80000244, payload);
    // Automatic white balance is on: the present temperature is reported and the slider left alone.
    QCOMPARE(valuesOf(payload), QList<int>({0, 50, 60, 3, 1, 4600}));
    QCOMPARE(currentOf(*f.sim, Processing, 0x02), qint64(0));
    QCOMPARE(currentOf(*f.sim, Processing, 0x08), qint64(3));
    QCOMPARE(f.widget<QSlider>("brightnessSlider")->value(), 0);
    QCOMPARE(currentOf(*f.sim, Processing, 0x0b), qint64(1)); // not switched

    // Backlight 2 at the camera, noise reduction unsupported, power line 60 Hz.
    f.sim->uvc().removeControl(ExtensionA, 0x0e);
    Fixture g(f.sim);
    g.bind();
    g.widget<QComboBox>("cbPowerFrquency")->setCurrentIndex(2);
    g.echoes.clear();
    payload.clear();
    g.dialog.FromClientCmd(0x80000245, payload);
    QCOMPARE(valuesOf(payload), QList<int>({1, 0, 1}));
    QCOMPARE(currentOf(*g.sim, Processing, 0x05), qint64(1));
    QCOMPARE(g.widget<QComboBox>("cbPowerFrquency")->currentIndex(), 1);
    QVERIFY(g.echoes.isEmpty());

    // ZR90: brightness and contrast are not reset and read 0.
    Fixture zr90(cameraOf(ZR90));
    zr90.bind();
    zr90.widget<QSlider>("brightnessSlider")->setValue(30);
    payload.clear();
    zr90.dialog.FromClientCmd(0x80000244, payload);
    QCOMPARE(valuesOf(payload).mid(0, 4), QList<int>({0, 0, 60, 3}));
    QCOMPARE(currentOf(*zr90.sim, Processing, 0x02), qint64(30));
}

void TestCameraSettingsRemote::currentValues_data()
{
    QTest::addColumn<int>("camera");
    QTest::addColumn<int>("variant");
    QTest::addColumn<QByteArray>("expected");
    // brightness, contrast, saturation, sharpness, temperature, five ranges; bits: auto 0x01, sensor mode
    // << 1, backlight on 0x08, noise reduction << 4, power line << 6.
    // The first camera answers a temperature but no temperature range.
    const std::initializer_list<qint32> noWhiteBalance{0, 50, 60, 3, 4600, -64, 64, 0, 100, 0, 100, 0, 7, 0, 0};
    QTest::newRow("first camera") << int(First) << 0 << valuesReply(noWhiteBalance, 0x48);
    QTest::newRow("second camera, automatic white balance")
        << int(Second) << 0
        << valuesReply({0, 50, 60, 3, 4600, -64, 64, 0, 100, 0, 100, 0, 7, 2800, 6500}, 0x49);
    QTest::newRow("sensor mode 2, noise 1, power line 2")
        << int(First) << 1 << valuesReply(noWhiteBalance, 0x04 | 0x08 | 0x10 | 0x80);
    QTest::newRow("a value too large for its bits keeps to them")
        << int(First) << 2 << valuesReply(noWhiteBalance, 0x08 | 0x10);
    QTest::newRow("backlight off, no sensor mode")
        << int(First) << 3 << valuesReply(noWhiteBalance, 0x40);
}

void TestCameraSettingsRemote::currentValues()
{
    QFETCH(int, camera);
    QFETCH(int, variant);
    QFETCH(QByteArray, expected);
    QSharedPointer<SimulatedCamera> sim = cameraOf(camera);
    Fixture f(sim);
    f.bind();
    switch (variant) {
    case 1:
        sim->uvc().setCurrent(ExtensionB, 0x0e, SimulatedUvcControl::bytes(2, 1));
        sim->uvc().setCurrent(ExtensionA, 0x0e, SimulatedUvcControl::bytes(1, 1));
        sim->uvc().setCurrent(Processing, 0x05, SimulatedUvcControl::bytes(2, 1));
        break;
    case 2:
        setRange(*sim, ExtensionA, 0x0e, 0, 7, 5); // noise 5 would spill into the power-line bits
        sim->uvc().setCurrent(Processing, 0x05, SimulatedUvcControl::bytes(0, 1));
        break;
    case 3:
        sim->uvc().setCurrent(Processing, 0x01, SimulatedUvcControl::bytes(0, 2));
        sim->uvc().removeControl(ExtensionB, 0x0e);
        break;
    default:
        break;
    }
    QByteArray payload = ints({7});
    f.dialog.FromClientCmd(0x8000040e, payload);
    QCOMPARE(payload.size(), 77);
    QCOMPARE(payload.toHex(' '), expected.toHex(' '));
}

void TestCameraSettingsRemote::capabilities_data()
{
    QTest::addColumn<int>("camera");
    QTest::addColumn<QByteArray>("expected");
    // Byte 0 brightness, contrast, saturation, sharpness; byte 1 temperature, automatic, backlight, noise;
    // byte 2 power line, mirror, ceiling, region; byte 3 always 5.
    QTest::newRow("first camera") << int(First) << QByteArray::fromHex("55505505");
    QTest::newRow("second camera") << int(Second) << QByteArray::fromHex("55555505");
    QTest::newRow("ZR90") << int(ZR90) << QByteArray::fromHex("50555505");
    QTest::newRow("other maker") << int(OtherMaker) << QByteArray::fromHex("55055405");
}

void TestCameraSettingsRemote::capabilities()
{
    QFETCH(int, camera);
    QFETCH(QByteArray, expected);
    Fixture f(cameraOf(camera));
    f.bind();
    QByteArray payload;
    f.dialog.FromClientCmd(0x8000040f, payload);
    QCOMPARE(payload.toHex(), expected.toHex());

    payload = "x";
    f.dialog.FromClientCmd(0x80000421, payload);
    QCOMPARE(payload, ints({-64, 64}));
}

void TestCameraSettingsRemote::withoutCameraOrUnknown()
{
    Fixture f(firstCamera());
    const QByteArray request = ints({1, 2});
    // Unbound: reads and sets leave the payload as it came and reach no camera.
    for (uint id : {0x80000201u, 0x80000244u, 0x80000245u, 0x8000040eu, 0x8000040fu, 0x80000421u}) {
        QByteArray payload = request;
        QCOMPARE(f.dialog.FromClientCmd(id, payload), 0);
        QCOMPARE(payload, request);
    }
    // Bound: ids this dialog does not handle are echoed unchanged.
    f.bind();
    f.sim->uvc().clearRequestLog();
    for (uint id : {0x80000204u, 0x80000205u, 0x80000209u, 0x8000020cu, 0x80000212u, 0u}) {
        QByteArray payload = request;
        f.dialog.FromClientCmd(id, payload);
        QCOMPARE(payload, request);
    }
    QVERIFY(!anyWrite(*f.sim));
    QVERIFY(f.echoes.isEmpty());
}

void TestCameraSettingsRemote::randomPayloads()
{
    // Every id with payloads of every short and odd length: sets answer with their request, reads with
    // their fixed size, and nothing reads past a payload's end (the sanitizer pass watches).
    const QMap<uint, int> replySizes{{0x80000244, 24}, {0x80000245, 12}, {0x8000040e, 77}, {0x8000040f, 4},
                                     {0x80000421, 8}};
    Fixture f(cameraOf(Second));
    f.bind();
    QRandomGenerator random(26);
    QList<uint> ids(std::begin(ValueIds), std::end(ValueIds));
    ids << replySizes.keys() << 0x80000204 << 0x8000020c << 0xffffffff;
    // Hundreds of refusals are expected here; their log lines are not the subject.
    QLoggingCategory::setFilterRules(QStringLiteral("lumidesk.camerasettings.remote.warning=false\n"
                                                    "qorv.capture.warning=false"));
    const auto restoreLog = qScopeGuard([] { QLoggingCategory::setFilterRules(QString()); });
    for (int round = 0; round < 400; ++round) {
        const uint id = ids.at(random.bounded(ids.size()));
        QByteArray payload(random.bounded(10), Qt::Uninitialized);
        for (char &byte : payload)
            byte = char(random.bounded(256));
        QByteArray reply = payload;
        QCOMPARE(f.dialog.FromClientCmd(id, reply), 0);
        if (replySizes.contains(id))
            QCOMPARE(reply.size(), replySizes.value(id));
        else
            QCOMPARE(reply, payload);
    }
    // Still serving a well-formed command afterwards.
    QByteArray payload = ints({5});
    f.dialog.FromClientCmd(0x80000203, payload);
    QCOMPARE(currentOf(*f.sim, Processing, 0x08), qint64(5));
}

QTEST_MAIN(TestCameraSettingsRemote)
#include "tst_camsettings_remote.moc"
