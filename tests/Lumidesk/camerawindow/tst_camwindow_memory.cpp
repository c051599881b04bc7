#include "camerawindow/resolutionmemory.h"
#include "common/settingspath.h"

#include <QFile>
#include <QSettings>
#include <QtTest>

namespace {

using Formats = QList<VideoFormat>;

VideoFormat format(int index, int codec, int width, int height, QList<unsigned int> rates, int current)
{
    VideoFormat f;
    f.index = index;
    f.codecType = codec;
    f.width = width;
    f.height = height;
    f.frameSize = width * height * 4;
    f.frameRates = rates;
    f.frameRate = current;
    return f;
}

ResolutionMemory::Mode mode(int width, int height, int fps, const QString &name)
{
    ResolutionMemory::Mode m;
    m.width = width;
    m.height = height;
    m.fps = fps;
    m.format = name;
    return m;
}

constexpr int Mjpg = 6;
constexpr int Yuy2 = 5;

} // namespace

Q_DECLARE_METATYPE(ResolutionMemory::Mode)

class TestCamWindowMemory : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void formatNames_data();
    void formatNames();
    void minValue_data();
    void minValue();
    void choose_data();
    void choose();
    void defaultsBySensorMode_data();
    void defaultsBySensorMode();
    void keysPerOrderAndKind();
    void shownValues_data();
    void shownValues();
};

void TestCamWindowMemory::init()
{
    QFile::remove(_GUID_SETTING_INI);
}

void TestCamWindowMemory::formatNames_data()
{
    QTest::addColumn<int>("codec");
    QTest::addColumn<QString>("name");
    const char *names[] = {"RGB32", "RGB888", "YUV444", "YUV422", "YUV420", "YUY2", "MJPG", "H264", "UYVY"};
    for (int codec = 0; codec < 9; ++codec)
        QTest::addRow("%d", codec) << codec << QString::fromLatin1(names[codec]);
    QTest::newRow("9") << 9 << QStringLiteral("OTHER");
    QTest::newRow("negative") << -1 << QStringLiteral("OTHER");
}

void TestCamWindowMemory::formatNames()
{
    QFETCH(int, codec);
    QFETCH(QString, name);
    QCOMPARE(ResolutionMemory::videoFormateToString(codec), name);
}

void TestCamWindowMemory::minValue_data()
{
    QTest::addColumn<QList<int>>("values");
    QTest::addColumn<int>("expected");
    QTest::newRow("empty") << QList<int>{} << -1;
    QTest::newRow("360 720 1080") << QList<int>{360, 720, 1080} << 720;
    QTest::newRow("1080 720 360") << QList<int>{1080, 720, 360} << 720;
    QTest::newRow("240 360: the last") << QList<int>{240, 360} << 360;
    QTest::newRow("360 240: the last") << QList<int>{360, 240} << 240;
    QTest::newRow("480 exactly") << QList<int>{720, 480, 1080} << 480;
    QTest::newRow("one") << QList<int>{600} << 600;
}

void TestCamWindowMemory::minValue()
{
    QFETCH(QList<int>, values);
    QFETCH(int, expected);
    QCOMPARE(ResolutionMemory::getMinValue(values), expected);
}

void TestCamWindowMemory::choose_data()
{
    QTest::addColumn<Formats>("formats");
    QTest::addColumn<ResolutionMemory::Mode>("remembered");
    QTest::addColumn<bool>("maker");
    QTest::addColumn<float>("sensorMode");
    QTest::addColumn<int>("formatIndex");
    QTest::addColumn<int>("fps");

    const QList<unsigned int> rates{5, 15, 30};
    // Format indexes deliberately differ from list positions: the camera's own index is applied.
    const Formats maker{format(10, Mjpg, 640, 480, rates, 30), format(11, Mjpg, 848, 480, rates, 30),
                        format(12, Mjpg, 1280, 720, rates, 15), format(13, Yuy2, 848, 480, rates, 5),
                        format(14, Mjpg, 848, 480, {60}, 60)};

    QTest::newRow("maker: remembered mode and rate")
        << maker << mode(1280, 720, 5, "MJPG") << true << 0.0f << 12 << 5;
    QTest::newRow("maker: rate not listed falls back to the format's current rate")
        << maker << mode(1280, 720, 25, "MJPG") << true << 0.0f << 12 << 15;
    QTest::newRow("maker: first of equal matches wins")
        << maker << mode(848, 480, 30, "MJPG") << true << 0.0f << 11 << 30;
    QTest::newRow("maker: remembered format at the preferred size")
        << maker << mode(1920, 1080, 5, "YUY2") << true << 0.0f << 13 << 5;
    QTest::newRow("maker: last MJPG 848x480 when nothing matches")
        << maker << mode(4000, 3000, 60, "H264") << true << 0.0f << 14 << 60;
    QTest::newRow("maker: first entry without any 848x480 MJPG")
        << Formats{format(3, Yuy2, 1280, 720, rates, 30), format(4, Mjpg, 640, 480, rates, 15)}
        << mode(1920, 1080, 30, "MJPG") << true << 0.0f << 3 << 30;
    QTest::newRow("maker: sensor mode 2 prefers 640 wide")
        << maker << mode(1920, 1080, 15, "MJPG") << true << 2.0f << 10 << 15;
    QTest::newRow("maker: no formats") << Formats{} << mode(848, 480, 30, "MJPG") << true << 0.0f << -1 << 0;

    const Formats heights{format(0, Yuy2, 848, 480, rates, 30), format(1, Mjpg, 640, 360, rates, 30),
                          format(2, Mjpg, 1280, 720, rates, 15), format(3, Mjpg, 1920, 1080, rates, 5)};
    QTest::newRow("other: remembered mode at its current rate")
        << heights << mode(1920, 1080, 30, "MJPG") << false << 0.0f << 3 << 5;
    QTest::newRow("other: 848x480 MJPG next")
        << Formats{format(0, Mjpg, 1280, 720, rates, 30), format(1, Mjpg, 848, 480, rates, 15)}
        << mode(1, 1, 30, "MJPG") << false << 0.0f << 1 << 15;
    QTest::newRow("other: 360 720 1080 choose 720")
        << heights << mode(1, 1, 30, "MJPG") << false << 0.0f << 2 << 15;
    QTest::newRow("other: 240 360 choose 360")
        << Formats{format(0, Mjpg, 320, 240, rates, 30), format(1, Mjpg, 640, 360, rates, 15)}
        << mode(1, 1, 30, "MJPG") << false << 0.0f << 1 << 15;
    QTest::newRow("other: no MJPG at all")
        << Formats{format(0, Yuy2, 1280, 720, rates, 30)} << mode(1, 1, 30, "MJPG") << false << 0.0f << -1 << 0;
}

void TestCamWindowMemory::choose()
{
    QFETCH(Formats, formats);
    QFETCH(ResolutionMemory::Mode, remembered);
    QFETCH(bool, maker);
    QFETCH(float, sensorMode);
    QFETCH(int, formatIndex);
    QFETCH(int, fps);

    const ResolutionMemory::Choice choice = ResolutionMemory::choose(formats, remembered, maker, sensorMode);
    QCOMPARE(choice.formatIndex, formatIndex);
    if (choice.isValid())
        QCOMPARE(choice.fps, fps);
}

void TestCamWindowMemory::defaultsBySensorMode_data()
{
    QTest::addColumn<float>("sensorMode");
    QTest::addColumn<int>("fps");
    QTest::addColumn<int>("preferredWidth");
    QTest::newRow("0") << 0.0f << 30 << 848;
    QTest::newRow("1") << 1.0f << 60 << 848;
    QTest::newRow("2") << 2.0f << 15 << 640;
    QTest::newRow("3") << 3.0f << 30 << 848;
}

void TestCamWindowMemory::defaultsBySensorMode()
{
    QFETCH(float, sensorMode);
    QFETCH(int, fps);
    QFETCH(int, preferredWidth);

    // An empty settings file asks for MJPG 848 x 480 at the sensor mode's rate.
    const ResolutionMemory::Mode first = ResolutionMemory::load(true, 1, sensorMode);
    QCOMPARE(first.width, 848);
    QCOMPARE(first.height, 480);
    QCOMPARE(first.format, QStringLiteral("MJPG"));
    QCOMPARE(first.fps, fps);
    QCOMPARE(ResolutionMemory::preferredWidth(sensorMode), preferredWidth);
    // Other cameras and windows without an order always run at 30.
    QCOMPARE(ResolutionMemory::load(false, 1, sensorMode).fps, 30);
    QCOMPARE(ResolutionMemory::load(true, 0, sensorMode).fps, 30);
}

void TestCamWindowMemory::keysPerOrderAndKind()
{
    ResolutionMemory::save(true, 2, mode(1920, 1080, 15, "YUY2"));
    ResolutionMemory::save(false, 1, mode(1280, 720, 60, "MJPG"));
    ResolutionMemory::save(true, 0, mode(640, 480, 5, "H264"));

    QSettings settings(_GUID_SETTING_INI, QSettings::IniFormat);
    QStringList keys = settings.allKeys();
    keys.sort();
    QCOMPARE(keys, (QStringList{"Format/FormatSecond", "Format/QorvFormatFirst", "Framrate/FpsSecond",
                                "Resolution/QorvFirstHeight", "Resolution/QorvFirstWidth",
                                "Resolution/SecondHeight", "Resolution/SecondWidth"}));
    QCOMPARE(settings.value("Resolution/SecondWidth").toInt(), 1920);
    QCOMPARE(settings.value("Framrate/FpsSecond").toInt(), 15);
    QCOMPARE(settings.value("Format/QorvFormatFirst").toString(), QStringLiteral("MJPG"));

    const ResolutionMemory::Mode second = ResolutionMemory::load(true, 2, 0.0f);
    QCOMPARE(second.width, 1920);
    QCOMPARE(second.height, 1080);
    QCOMPARE(second.fps, 15);
    QCOMPARE(second.format, QStringLiteral("YUY2"));
    // The first window's maker keys were never written: still the defaults.
    QCOMPARE(ResolutionMemory::load(true, 1, 0.0f).width, 848);
    QCOMPARE(ResolutionMemory::load(false, 1, 0.0f).width, 1280);
}

void TestCamWindowMemory::shownValues_data()
{
    QTest::addColumn<QString>("fps");
    QTest::addColumn<QString>("resolution");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("rate");
    QTest::newRow("as shown") << "30fps" << "1920 x 1080" << 1920 << 1080 << 30;
    QTest::newRow("not numbers") << "fast" << "big" << 0 << 0 << 0;
    QTest::newRow("empty") << "" << "" << 0 << 0 << 0;
}

void TestCamWindowMemory::shownValues()
{
    QFETCH(QString, fps);
    QFETCH(QString, resolution);
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(int, rate);
    const ResolutionMemory::Mode shown = ResolutionMemory::parseShownValues("MJPG", fps, resolution);
    QCOMPARE(shown.width, width);
    QCOMPARE(shown.height, height);
    QCOMPARE(shown.fps, rate);
    QCOMPARE(shown.format, QStringLiteral("MJPG"));
}

QTEST_GUILESS_MAIN(TestCamWindowMemory)
#include "tst_camwindow_memory.moc"
