#include "analytics/bigdata.h"
#include "analytics/googleanalytic.h"

#include "core/platformbackend.h"
#include "scriptedhttpserver.h"
#include "system/simulated/simulatedsystemfacts.h"
#include "system/systemfacts.h"

#include <QFile>
#include <QGuiApplication>
#include <QLocale>
#include <QScreen>
#include <QSettings>
#include <QSignalSpy>
#include <QtTest>

namespace {

constexpr qint64 StartMsecs = 1600000000000;

struct Step
{
    int command;
    QVariantList data;
    int secondsBefore;
};
using Steps = QList<Step>;

Step step(int command, QVariantList data = {}, int secondsBefore = 0)
{
    while (data.size() < 6)
        data.append(QVariant(-1));
    return {command, data, secondsBefore};
}

// The change flags the camera settings dialog points at while it reports a page.
unsigned char basicFlags[6] = {1, 0, 0, 1, 0, 0};
unsigned char advancedFlags[8] = {0, 1, 0, 0, 0, 0, 0, 1};
unsigned char audioFlags[2] = {0, 2};

QVariant pointerTo(unsigned char *flags)
{
    return QVariant::fromValue(static_cast<void *>(flags));
}

// A hit in short: "P page | title" for a page view, "E category | action | label" for an event,
// each text decoded back from the body; a null text shows as <null>.
QString summary(const QByteArray &body)
{
    QHash<QByteArray, QString> values;
    for (const QByteArray &pair : body.split('&')) {
        const int equals = pair.indexOf('=');
        const QByteArray key = equals < 0 ? pair : pair.left(equals);
        values.insert(key, equals < 0 ? QStringLiteral("<null>")
                                      : QString::fromUtf8(QByteArray::fromPercentEncoding(pair.mid(equals + 1))));
    }
    if (values.value("t") == QLatin1String("pageview"))
        return QStringLiteral("P %1 | %2").arg(values.value("dp"), values.value("dt"));
    return QStringLiteral("E %1 | %2 | %3").arg(values.value("ec"), values.value("ea"), values.value("el"));
}

} // namespace

Q_DECLARE_METATYPE(Steps)

// Reports a command the way the program's windows do: connected for one emission only.
class CommandSender : public QObject
{
    Q_OBJECT

public:
    void report(BigData *collector, const Step &s)
    {
        connect(this, SIGNAL(sendCommand(int,QVariant,QVariant,QVariant,QVariant,QVariant,QVariant)), collector,
                SLOT(receiveCommand(int,QVariant,QVariant,QVariant,QVariant,QVariant,QVariant)));
        emit sendCommand(s.command, s.data.at(0), s.data.at(1), s.data.at(2), s.data.at(3), s.data.at(4),
                         s.data.at(5));
        disconnect(this, SIGNAL(sendCommand(int,QVariant,QVariant,QVariant,QVariant,QVariant,QVariant)), collector,
                   SLOT(receiveCommand(int,QVariant,QVariant,QVariant,QVariant,QVariant,QVariant)));
    }

signals:
    void sendCommand(int command, QVariant data1, QVariant data2, QVariant data3, QVariant data4, QVariant data5,
                     QVariant data6);
};

class TestBigData : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void commandsBecomeHits_data();
    void commandsBecomeHits();
    void eventsCarryTheCurrentPage();
    void startPagePostedToCollect();
    void clientIdStoredOnceAndReused();
    void clientIdMadeForFileWithoutIt();
    void oneCollectorPerProcess();

private:
    QStringList run(const Steps &steps);

    BigData *m_collector = nullptr;
    qint64 m_now = StartMsecs;
};

void TestBigData::initTestCase()
{
    platform::PlatformBackend::select(platform::PlatformBackend::Simulated);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
}

void TestBigData::init()
{
    m_now = StartMsecs;
    m_collector = BigData::RequireBigData();
    m_collector->setClock([this] { return m_now; });
}

void TestBigData::cleanup()
{
    BigData::ReleaseBigData();
    m_collector = nullptr;
}

QStringList TestBigData::run(const Steps &steps)
{
    QSignalSpy built(m_collector->hitSender(), &GoogleAnalytic::hitBuilt);
    CommandSender sender;
    for (const Step &s : steps) {
        m_now += qint64(s.secondsBefore) * 1000;
        sender.report(m_collector, s);
    }
    QStringList hits;
    for (const QList<QVariant> &hit : qAsConst(built))
        hits.append(summary(hit.first().toByteArray()));
    return hits;
}

void TestBigData::commandsBecomeHits_data()
{
    QTest::addColumn<Steps>("steps");
    QTest::addColumn<QStringList>("hits");

    const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
    QTest::newRow("Program_start")
        << Steps{step(BigData::Program_start)}
        << QStringList{QStringLiteral("P Program_start?Country=United States&Language=en_US&OS=Linux 12.0.0"
                                      "&CPUType=Simulated Processor @ 2.00GHz&Cores=4&RAM=8192MB"
                                      "&ScreenResolution=%1x%2 | Program_start")
                           .arg(screen.width())
                           .arg(screen.height())};
    QTest::newRow("Page_MouseMode") << Steps{step(BigData::Page_MouseMode)}
                                    << QStringList{"P Page_MouseMode | Page_MouseMode"};
    QTest::newRow("Page_WhiteboardMode") << Steps{step(BigData::Page_WhiteboardMode)}
                                         << QStringList{"P Page_WhiteboardMode | Page_WhiteboardMode"};

    QTest::newRow("ignored ids")
        << Steps{step(0x10000004), step(0x11000000), step(0x1100001e), step(BigData::DesktopOnly),
                 step(BigData::Zoom), step(0), step(-1)}
        << QStringList();

    QTest::newRow("plain events")
        << Steps{step(BigData::Program_exit), step(BigData::Event_DesktopCapture),
                 step(BigData::Event_connectMobile), step(BigData::Event_insertPicture),
                 step(BigData::Event_clickBack)}
        << QStringList{"E Program_exit | Program_exit | <null>",
                       "E Event_DesktopCapture | Event_DesktopCapture | <null>",
                       "E Event_connectMobile | Event_connectMobile | <null>",
                       "E Event_insertPicture | Event_insertPicture | <null>",
                       "E Event_clickBack | Event_clickBack | <null>"};

    QTest::newRow("events with texts")
        << Steps{step(BigData::Event_Language, {"de_DE"}),
                 step(BigData::Event_updateSWVersion, {"1.0.2", "1.1.0"}),
                 step(BigData::Event_updateFWVersion, {"ZQ40", "1.0", "2.0"}),
                 step(BigData::Event_setLayout, {1, "Cam A", "1280X720"}),
                 step(BigData::Event_DocCamCapture, {2, "Cam B"}),
                 step(BigData::Event_VideoOutputMode, {1, "Cam A", "4K&Resolution=3840x2160"}),
                 step(BigData::Event_clickLearnMore, {1, "Cam A"})}
        << QStringList{"E Event_Language | de_DE | <null>",
                       "E Event_updateSWVersion | 1.0.2 | 1.1.0",
                       "E Event_updateFWVersion | ZQ40 | Original=1.0&Updated=2.0",
                       "E Event_setLayout | Cam A | 1280X720",
                       "E Event_DocCamCapture | Cam B | <null>",
                       "E Event_VideoOutputMode | Cam A | 4K&Resolution=3840x2160",
                       "E Event_clickLearnMore | Cam A | <null>"};

    QTest::newRow("vocabulary names")
        << Steps{step(BigData::Event_startMode, {int(BigData::Desktop2Camera)}),
                 step(BigData::Event_startMode, {0x12000009}),
                 step(BigData::Event_DrawletCapture, {int(BigData::AreaScreen)}),
                 step(BigData::Event_moveCamera, {int(BigData::Pan_Tilt), int(BigData::positiveX), 3, "Cam A"}),
                 step(BigData::Event_moveCamera, {int(BigData::Zoom), int(BigData::Out), 1, "Cam B"})}
        << QStringList{"E Event_startMode | Desktop2Camera | <null>",
                       "E Event_startMode | <null> | <null>",
                       "E Event_DrawletCapture | AreaScreen | <null>",
                       "E Event_moveCamera | Cam A | Pan_Tilt&positiveX=3",
                       "E Event_moveCamera | Cam B | Zoom&Out=1"};

    QTest::newRow("absent values drop the command")
        << Steps{step(BigData::Event_Language), step(BigData::Event_updateSWVersion, {"1.0"}),
                 step(BigData::Event_updateFWVersion, {"ZQ40", "1.0"}), step(BigData::Event_startMode),
                 step(BigData::Event_setLayout, {1, "Cam A"}), step(BigData::Event_DocCamCapture, {1}),
                 step(BigData::Event_moveCamera, {int(BigData::Zoom), int(BigData::In), 1}),
                 step(BigData::Event_BasicImageSetting, {1, "Cam A"}),
                 step(BigData::Event_startDocCam, {1, "Cam A", "1920X1080", "960X540", "FW1"}),
                 step(BigData::Event_closeDocCam, {1}), step(BigData::Event_DrawletAnnotation),
                 step(BigData::Event_clickBack)}
        << QStringList{"E Event_clickBack | Event_clickBack | <null>"};

    QTest::newRow("settings flags")
        << Steps{step(BigData::Event_BasicImageSetting, {1, "Cam A", pointerTo(basicFlags)}),
                 step(BigData::Event_AdvancedImageSetting, {1, "Cam A", pointerTo(advancedFlags)}),
                 step(BigData::Event_AudioSetting, {2, "Cam B", pointerTo(audioFlags)}),
                 step(BigData::Event_AudioSetting, {2, "Cam B", 5}),
                 step(BigData::Event_AudioSetting, {2, "Cam B", QVariant::fromValue(static_cast<void *>(nullptr))})}
        << QStringList{"E Event_BasicImageSetting | Cam A | Brightness=True&Contrast=False&Saturation=False"
                       "&Sharpness=True&WhiteBalence=False&Default=False",
                       "E Event_AdvancedImageSetting | Cam A | BacklightCompensation=False&NoiseReduction=True"
                       "&PowerFrequency=False&Mirror=False&Ceiling=False&Left=False&Right=False&Default=True",
                       QString::fromUtf8("E Event_AudioSetting | Cam B | Enable both\u2026=False"
                                         "&Enable ZQ40\u2026=True")};

    const QVariantList camA = {1, "Cam A", "1920X1080", "960X540", "FW1", "SW2"};
    const QVariantList camB = {2, "Cam B", "1280X720", "640X360", "FW3", "SW2"};
    const QString camALabel = "docCamTime=%1Sec&Resolution=1920X1080&LayoutSize=960X540&FWVersion=FW1&SWVersion=SW2";
    const QString camBLabel = "docCamTime=%1Sec&Resolution=1280X720&LayoutSize=640X360&FWVersion=FW3&SWVersion=SW2";
    QTest::newRow("one camera, 65 s, closed once")
        << Steps{step(BigData::Event_startDocCam, camA), step(BigData::Event_closeDocCam, {1, "Cam A"}, 65),
                 step(BigData::Event_closeDocCam, {1, "Cam A"}, 1)}
        << QStringList{"E Event_closeDocCam | Cam A | " + camALabel.arg(65) + "&docCamNum=1"};
    QTest::newRow("two cameras, first closed")
        << Steps{step(BigData::Event_startDocCam, camA), step(BigData::Event_startDocCam, camB, 10),
                 step(BigData::Event_closeDocCam, {1, "Cam A"}, 90)}
        << QStringList{"E Event_closeDocCam | Cam A | " + camALabel.arg(100)
                       + "&docCamNum=2&TwoDocCamName=Cam B&TwoDocCamTime=90Sec"};
    QTest::newRow("two cameras, second closed")
        << Steps{step(BigData::Event_startDocCam, camA), step(BigData::Event_startDocCam, camB, 10),
                 step(BigData::Event_closeDocCam, {2, "Cam B"}, 20)}
        << QStringList{"E Event_closeDocCam | Cam B | " + camBLabel.arg(20)
                       + "&docCamNum=2&TwoDocCamName=Cam A&TwoDocCamTime=20Sec"};
    QTest::newRow("third camera dropped, wrong name not closed")
        << Steps{step(BigData::Event_startDocCam, camA), step(BigData::Event_startDocCam, camB),
                 step(BigData::Event_startDocCam, {1, "Cam C", "a", "b", "c", "d"}),
                 step(BigData::Event_closeDocCam, {1, "Cam C"}), step(BigData::Event_closeDocCam, {2, "Cam A"}),
                 step(BigData::Program_exit, {}, 30)}
        << QStringList{"E Event_closeDocCam | Cam A | " + camALabel.arg(30)
                           + "&docCamNum=2&TwoDocCamName=Cam B&TwoDocCamTime=30Sec",
                       "E Program_exit | Program_exit | <null>"};
    QTest::newRow("camera open for 30 days")
        << Steps{step(BigData::Event_startDocCam, camA), step(BigData::Event_closeDocCam, {1, "Cam A"}, 2592000)}
        << QStringList{"E Event_closeDocCam | Cam A | " + camALabel.arg(2592000) + "&docCamNum=1"};
    QTest::newRow("exit reports camera and annotation")
        << Steps{step(BigData::Event_startDocCam, camA),
                 step(BigData::Event_DrawletAnnotation, {int(BigData::Text)}, 3),
                 step(BigData::Program_exit, {}, 7)}
        << QStringList{"E Event_closeDocCam | Cam A | " + camALabel.arg(10) + "&docCamNum=1",
                       "E Event_DrawletAnnotation | Text | 7", "E Program_exit | Program_exit | <null>"};

    QTest::newRow("desktop recording 42 s, ended once")
        << Steps{step(BigData::Event_startDesktopRecoding), step(BigData::Event_endDesktopRecoding, {42}),
                 step(BigData::Event_endDesktopRecoding, {42})}
        << QStringList{"E Recoding&Streaming | RecordingNum=1&Streaming=F&RecordingTime=42Sec | DocCamNum=0&DesktopNum=1"};
    QTest::newRow("desktop recording end without seconds")
        << Steps{step(BigData::Event_startDesktopRecoding), step(BigData::Event_endDesktopRecoding),
                 step(BigData::Event_endDesktopRecoding, {5})}
        << QStringList{"E Recoding&Streaming | RecordingNum=1&Streaming=F&RecordingTime=5Sec | DocCamNum=0&DesktopNum=1"};
    QTest::newRow("desktop stream 30 s, then ended again")
        << Steps{step(BigData::Event_startDesktopStreaming, {"youtube", "1080P", true}),
                 step(BigData::Event_endDesktopStreaming, {30}), step(BigData::Event_endDesktopStreaming, {5})}
        << QStringList{"E Recoding&Streaming | RecordingNum=0&Streaming=T&RecordingTime=30Sec | DocCamNum=0"
                       "&DesktopNum=0&StreamingName=Desktop&SelectService=youtube&Resolution=1080P"
                       "&isAutomaticRecord=True",
                       "E Recoding&Streaming | RecordingNum=0&Streaming=F&RecordingTime=5Sec | DocCamNum=0&DesktopNum=0"};
    QTest::newRow("camera recordings beside a desktop recording and a camera stream")
        << Steps{step(BigData::Event_startDocCamRecoding, {1, "Cam A"}), step(BigData::Event_startDesktopRecoding),
                 step(BigData::Event_startDocCamRecoding, {2, "Cam B"}),
                 step(BigData::Event_startDocCamStreaming, {2, "Cam B", "ustream", "720P", false}),
                 step(BigData::Event_endDocCamRecoding, {1, "Cam B", 99}),
                 step(BigData::Event_endDocCamRecoding, {1, "Cam A", 20}),
                 step(BigData::Event_endDocCamStreaming, {2, "Cam B", 50})}
        << QStringList{"E Recoding&Streaming | RecordingNum=3&Streaming=T&RecordingTime=20Sec | DocCamNum=2&Cam A"
                       "&Cam B&DesktopNum=1&StreamingName=Cam B&SelectService=ustream&Resolution=720P"
                       "&isAutomaticRecord=False",
                       "E Recoding&Streaming | RecordingNum=2&Streaming=T&RecordingTime=50Sec | DocCamNum=1&Cam B"
                       "&DesktopNum=1&StreamingName=Cam B&SelectService=ustream&Resolution=720P"
                       "&isAutomaticRecord=False"};

    QTest::newRow("annotation periods")
        << Steps{step(BigData::Event_DrawletAnnotation, {int(BigData::FreeHand)}),
                 step(BigData::Event_DrawletAnnotation, {int(BigData::Line)}, 5),
                 step(BigData::Page_MouseMode, {}, 2), step(BigData::Event_DrawletAnnotation, {int(BigData::Shape)}),
                 step(BigData::Event_clickBack, {}, 4), step(BigData::Event_clickBack)}
        << QStringList{"E Event_DrawletAnnotation | FreeHand | 5", "E Event_DrawletAnnotation | Line | 2",
                       "P Page_MouseMode | Page_MouseMode", "E Event_DrawletAnnotation | Shape | 4",
                       "E Event_clickBack | Event_clickBack | <null>", "E Event_clickBack | Event_clickBack | <null>"};
}

void TestBigData::commandsBecomeHits()
{
    QFETCH(Steps, steps);
    QFETCH(QStringList, hits);
    QCOMPARE(run(steps), hits);
}

void TestBigData::eventsCarryTheCurrentPage()
{
    QSignalSpy built(m_collector->hitSender(), &GoogleAnalytic::hitBuilt);
    CommandSender sender;
    sender.report(m_collector, step(BigData::Event_DesktopCapture));
    sender.report(m_collector, step(BigData::Event_DrawletAnnotation, {int(BigData::Select)}));
    sender.report(m_collector, step(BigData::Page_WhiteboardMode));
    sender.report(m_collector, step(BigData::Event_DesktopCapture));
    sender.report(m_collector, step(BigData::Program_start));
    sender.report(m_collector, step(BigData::Event_DesktopCapture));
    QCOMPARE(built.count(), 6);
    QVERIFY(built.at(0).first().toByteArray().contains("&dp&"));
    // The annotation that a page change closes is still reported on the page it happened on.
    QVERIFY(built.at(1).first().toByteArray().contains("&ec=Event_DrawletAnnotation&"));
    QVERIFY(built.at(1).first().toByteArray().contains("&dp&"));
    QVERIFY(built.at(3).first().toByteArray().contains("&dp=Page_WhiteboardMode&"));
    QVERIFY(built.at(5).first().toByteArray().contains("&dp=Program_start&"));
    QCOMPARE(m_collector->currentPage(), int(BigData::Program_start));
}

void TestBigData::startPagePostedToCollect()
{
    ScriptedHttpServer server;
    QVERIFY(server.listen());
    GoogleAnalytic *hits = m_collector->hitSender();
    hits->setEndpoint(server.url(QStringLiteral("/collect")));
    hits->setGoogleAnalytic(QString(), QStringLiteral("UA-12345678-1"), QStringLiteral("desk.example"), QString(),
                            QString(), QString(), QString());
    auto *facts = static_cast<platform::SimulatedSystemFacts *>(platform::SystemFacts::instance());
    facts->setOsVersion(QStringLiteral("11.2"));
    facts->setCpuBrand(QStringLiteral("Test CPU"));
    facts->setCpuCount(16);
    facts->setMemoryBytes(quint64(16) * 1024 * 1024 * 1024);
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));

    CommandSender sender;
    sender.report(m_collector, step(BigData::Program_start));
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    facts->setOsVersion(QStringLiteral("12"));

    QVERIFY(server.waitForRequests(1));
    const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
    const QByteArray expected = "v=1&tid=UA-12345678-1&cid=" + hits->clientId().toUtf8().toPercentEncoding()
                                + "&ua=Opera/9.80 (X11; Linux 11_2_0) Presto/2.12.388 Version/12.14&sc=start"
                                  "&t=pageview&dh=desk.example&dp=Program_start?Country%3DGermany%26Language%3Dde_DE"
                                  "%26OS%3DLinux 11.2.0%26CPUType%3DTest CPU%26Cores%3D16%26RAM%3D16384MB"
                                  "%26ScreenResolution%3D"
                                + QByteArray::number(screen.width()) + 'x' + QByteArray::number(screen.height())
                                + "&dt=Program_start&ul=de_DE";
    QCOMPARE(server.requests().first().path, QByteArray("/collect"));
    QCOMPARE(server.requests().first().body, expected);
}

void TestBigData::clientIdStoredOnceAndReused()
{
    cleanup();
    const QString file = QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("UserInfo"), QString())
                             .fileName();
    QFile::remove(file);

    init();
    const QString id = m_collector->hitSender()->clientId();
    QVERIFY(QRegularExpression(QStringLiteral("^\\{[0-9a-f-]{36}\\}$")).match(id).hasMatch());
    QSettings stored(file, QSettings::IniFormat);
    QCOMPARE(stored.allKeys(), QStringList{QStringLiteral("userID")});
    QCOMPARE(stored.value(QStringLiteral("userID")).toString(), id);

    cleanup();
    init();
    QCOMPARE(m_collector->hitSender()->clientId(), id);
    QCOMPARE(m_collector->getUserID(), id);
}

void TestBigData::clientIdMadeForFileWithoutIt()
{
    cleanup();
    const QString file = QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("UserInfo"), QString())
                             .fileName();
    QFile::remove(file);
    {
        QSettings other(file, QSettings::IniFormat);
        other.setValue(QStringLiteral("other"), 1);
    }

    init();
    const QString id = m_collector->hitSender()->clientId();
    QSettings stored(file, QSettings::IniFormat);
    QCOMPARE(stored.value(QStringLiteral("userID")).toString(), id);
    QCOMPARE(stored.value(QStringLiteral("other")).toInt(), 1);
    cleanup();
    init();
    QCOMPARE(m_collector->hitSender()->clientId(), id);
}

void TestBigData::oneCollectorPerProcess()
{
    QCOMPARE(BigData::RequireBigData(), m_collector);
    QPointer<BigData> first(m_collector);
    BigData::ReleaseBigData();
    QVERIFY(first.isNull());
    BigData::ReleaseBigData(); // nothing left to release
    m_collector = BigData::RequireBigData();
    QVERIFY(m_collector);
    m_collector->setClock([this] { return m_now; });
}

QTEST_MAIN(TestBigData)
#include "tst_analytics_bigdata.moc"
