// The panel's audio row against a stand-in for the main program on the real socket: the microphone list
// and the choice it sends, the input remembered in the main program's settings file, the volume and the
// level meter.

#include "deskpadwidget.h"
#include "panelfixture.h"
#include "renderarea.h"

#include "custcombobox.h"
#include "desktop/desktoppaths.h"

#include <QAbstractItemView>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QSlider>
#include <QToolButton>
#include <QtTest>

#include <atomic>
#include <chrono>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

class TestDeskpadAudio : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void rows_data();
    void rows();
    void firstChoice_data();
    void firstChoice();
    void settingsPipeIsNotRead();
    void choosingRows();
    void pressedRowIsRemembered();
    void volume_data();
    void volume();
    void sliderSendsOnRelease();
    void levelMeter();
    void inputGoneWhileRecording();
    void inputGoneDuringCountdown();
    void listsAreBounded();
    void namesOnlyListKeepsTheIds();

private:
    static void remember(const QString &row);
    CustComboBox *list() const { return m_fixture->child<CustComboBox>("cbAudio"); }
    QStringList rowTexts() const;
    bool volumeEnabled() const;

    std::unique_ptr<PanelFixture> m_fixture;
};

void TestDeskpadAudio::init()
{
    QFile::remove(platform::DesktopPaths::mainSettingsFile());
    m_fixture.reset(new PanelFixture);
    QVERIFY(m_fixture->start());
}

void TestDeskpadAudio::cleanup()
{
    m_fixture.reset();
}

// The main program writes the row it was told to remember into its own settings file.
void TestDeskpadAudio::remember(const QString &row)
{
    QDir().mkpath(platform::DesktopPaths::mainSettingsFolder());
    QSettings settings(platform::DesktopPaths::mainSettingsFile(), QSettings::IniFormat);
    settings.setValue(QStringLiteral("Audio/AudioDesktop"), row);
}

QStringList TestDeskpadAudio::rowTexts() const
{
    QStringList texts;
    for (int i = 0; i < list()->count(); ++i)
        texts.append(list()->itemText(i));
    return texts;
}

bool TestDeskpadAudio::volumeEnabled() const
{
    return m_fixture->child<QWidget>("btnIncVolume")->isEnabled() && m_fixture->child<QWidget>("btnDecVolume")->isEnabled()
           && m_fixture->child<QWidget>("sliderVolume")->isEnabled();
}

void TestDeskpadAudio::rows_data()
{
    QTest::addColumn<QString>("message");
    QTest::addColumn<QStringList>("rows");

    QTest::newRow("equal names are numbered")
        << "cap_MacUpdateAudioList/p3/pUSB Mic/pa/pUSB Mic/pb/pBuilt-in/pc"
        << QStringList{"Mute", "USB Mic", "USB Mic (2)", "Built-in"};
    QTest::newRow("numbering counts per name, case-sensitive")
        << "cap_MacUpdateAudioList/p5/pMic/pa/pmic/pb/pMic/pc/pMic/pd/pmic/pe"
        << QStringList{"Mute", "Mic", "mic", "Mic (2)", "Mic (3)", "mic (2)"};
    QTest::newRow("long names are shortened, 25 characters stay whole")
        << "cap_MacUpdateAudioList/p2/pabcdefghijklmnopqrstuvwxyz0123/pa/pabcdefghijklmnopqrstuvwxy/pb"
        << QStringList{"Mute", "abcdefghijklmnopqrstuvwxy...", "abcdefghijklmnopqrstuvwxy"};
    QTest::newRow("no inputs leaves Mute") << "cap_MacUpdateAudioList/p0" << QStringList{"Mute"};
}

void TestDeskpadAudio::rows()
{
    QFETCH(QString, message);
    QFETCH(QStringList, rows);
    QVERIFY(m_fixture->send(message));
    QCOMPARE(rowTexts(), rows);
}

void TestDeskpadAudio::firstChoice_data()
{
    QTest::addColumn<QString>("remembered");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("row");
    QTest::addColumn<QStringList>("sent");
    QTest::addColumn<bool>("volume");

    const QString two = QStringLiteral("cap_MacUpdateAudioList/p2/pUSB Mic/pid-a/pUSB Mic/pid-b");
    QTest::newRow("nothing remembered: the first input")
        << QString() << two << 1 << QStringList{"cap_MacChangeAudioSource/pUSB Mic/pid-a/p1"} << true;
    QTest::newRow("the remembered row")
        << "USB Mic (2)" << two << 2 << QStringList{"cap_MacChangeAudioSource/pUSB Mic/pid-b/p2"} << true;
    QTest::newRow("a remembered row no longer shown: the first input")
        << "Headset" << two << 1 << QStringList{"cap_MacChangeAudioSource/pUSB Mic/pid-a/p1"} << true;
    QTest::newRow("remembered Mute sends nothing") << "Mute" << two << 0 << QStringList() << false;
    QTest::newRow("no inputs: Mute, nothing sent")
        << QString() << "cap_MacUpdateAudioList/p0" << 0 << QStringList() << false;
}

void TestDeskpadAudio::firstChoice()
{
    QFETCH(QString, remembered);
    QFETCH(QString, message);
    QFETCH(int, row);
    QFETCH(QStringList, sent);
    QFETCH(bool, volume);

    if (!remembered.isEmpty())
        remember(remembered);
    QVERIFY(m_fixture->send(message));
    QCOMPARE(list()->currentIndex(), row);
    QCOMPARE(m_fixture->take(), sent);
    QCOMPARE(volumeEnabled(), volume);
    if (!volume)
        QCOMPARE(m_fixture->child<QSlider>("sliderVolume")->value(), 0);

    // The same list again keeps the choice and sends nothing.
    QVERIFY(m_fixture->send(message));
    QCOMPARE(list()->currentIndex(), row);
    QCOMPARE(m_fixture->take(), QStringList());
}

void TestDeskpadAudio::settingsPipeIsNotRead()
{
    QDir().mkpath(platform::DesktopPaths::mainSettingsFolder());
    const QByteArray path = QFile::encodeName(platform::DesktopPaths::mainSettingsFile());
    QCOMPARE(::mkfifo(path.constData(), 0600), 0);
    // A panel that opened the pipe for reading would wait for a writer for good. This writer frees
    // such a reader and says so: without a reader waiting, its open fails at once.
    std::atomic<bool> stop{false};
    std::atomic<bool> freed{false};
    std::thread writer([&] {
        while (!stop) {
            const int fd = ::open(path.constData(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0) {
                freed = true;
                ::close(fd);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    });

    const bool sent = m_fixture->send(QStringLiteral("cap_MacUpdateAudioList/p2/pUSB Mic/pid-a/pUSB Mic/pid-b"));
    const int row = list()->currentIndex();
    stop = true;
    writer.join();
    struct stat after;
    const bool stillPipe = ::stat(path.constData(), &after) == 0 && S_ISFIFO(after.st_mode);
    QFile::remove(platform::DesktopPaths::mainSettingsFile());

    QVERIFY(sent);
    QVERIFY2(!freed, "the panel opened the settings pipe");
    QVERIFY(stillPipe);
    // Nothing remembered: the first input.
    QCOMPARE(row, 1);
    QCOMPARE(m_fixture->take(), QStringList{"cap_MacChangeAudioSource/pUSB Mic/pid-a/p1"});
}

void TestDeskpadAudio::choosingRows()
{
    QVERIFY(m_fixture->send(QStringLiteral("cap_MacUpdateAudioList/p2/pMic 1/pid-1/pMic 2/pid-2")));
    QCOMPARE(m_fixture->take(), QStringList{"cap_MacChangeAudioSource/pMic 1/pid-1/p1"});

    list()->setCurrentIndex(2);
    QVERIFY(m_fixture->sync());
    QCOMPARE(m_fixture->take(), QStringList{"cap_MacChangeAudioSource/pMic 2/pid-2/p2"});

    list()->setCurrentIndex(0);
    QVERIFY(m_fixture->sync());
    QCOMPARE(m_fixture->take(), QStringList{"cap_MacChangeAudioSource/p/p/p0"});
    QVERIFY(!volumeEnabled());
    QCOMPARE(m_fixture->child<QSlider>("sliderVolume")->value(), 0);
    QVERIFY(m_fixture->child<QSlider>("sliderVolume")->styleSheet().contains(QLatin1String("icon_p_gray.png")));

    // Mute again with nothing chosen sends nothing; choosing an input enables the volume again.
    m_fixture->panel()->changeAudioSource(0);
    list()->setCurrentIndex(1);
    QVERIFY(m_fixture->sync());
    QCOMPARE(m_fixture->take(), QStringList{"cap_MacChangeAudioSource/pMic 1/pid-1/p1"});
    QVERIFY(volumeEnabled());
    QVERIFY(m_fixture->child<QSlider>("sliderVolume")->styleSheet().contains(QLatin1String("icon_p_blue.png")));

    // The input already chosen sends nothing.
    m_fixture->panel()->changeAudioSource(1);
    QVERIFY(m_fixture->sync());
    QCOMPARE(m_fixture->take(), QStringList());
}

void TestDeskpadAudio::pressedRowIsRemembered()
{
    QVERIFY(m_fixture->send(QStringLiteral("cap_MacUpdateAudioList/p2/pUSB Mic/pa/pUSB Mic/pb")));
    m_fixture->take();
    m_fixture->panel()->showAudioList();
    QVERIFY(list()->view()->isVisible());
    emit list()->view()->pressed(list()->model()->index(2, 0));
    QVERIFY(m_fixture->sync());
    QCOMPARE(m_fixture->take(), QStringList{"cap_setAudioSource/pUSB Mic (2)"});
}

void TestDeskpadAudio::volume_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("to");
    QTest::newRow("50 up") << 50 << "btnIncVolume" << 60;
    QTest::newRow("90 up") << 90 << "btnIncVolume" << 100;
    QTest::newRow("95 up") << 95 << "btnIncVolume" << 100;
    QTest::newRow("100 up") << 100 << "btnIncVolume" << 100;
    QTest::newRow("50 down") << 50 << "btnDecVolume" << 40;
    QTest::newRow("10 down") << 10 << "btnDecVolume" << 0;
    QTest::newRow("9 down") << 9 << "btnDecVolume" << 0;
    QTest::newRow("5 down") << 5 << "btnDecVolume" << 0;
}

void TestDeskpadAudio::volume()
{
    QFETCH(int, from);
    QFETCH(QString, button);
    QFETCH(int, to);

    QVERIFY(m_fixture->send(QStringLiteral("cap_showRecordWidget")));
    // The main program's volume only sets the slider.
    QVERIFY(m_fixture->send(QStringLiteral("cap_updateVolume/p%1").arg(from)));
    QCOMPARE(m_fixture->take(), QStringList());
    QVERIFY(m_fixture->click(button.toLatin1().constData()));
    QCOMPARE(m_fixture->child<QSlider>("sliderVolume")->value(), to);
    QCOMPARE(m_fixture->take(), QStringList{QStringLiteral("cap_changeVolume/p%1").arg(to)});
}

void TestDeskpadAudio::sliderSendsOnRelease()
{
    QSlider *slider = m_fixture->child<QSlider>("sliderVolume");
    slider->setValue(73);
    QVERIFY(m_fixture->sync());
    QCOMPARE(m_fixture->take(), QStringList());
    emit slider->sliderReleased();
    QVERIFY(m_fixture->sync());
    QCOMPARE(m_fixture->take(), QStringList{"cap_changeVolume/p73"});
}

void TestDeskpadAudio::levelMeter()
{
    QVERIFY(m_fixture->send(QStringLiteral("cap_showRecordWidget")));
    QVERIFY(m_fixture->send(QStringLiteral("cap_updateLevelReport/p50")));
    RenderArea *meter = m_fixture->child<RenderArea>("canvasReport");
    QCOMPARE(meter->level(), 0.5);

    // Track 85 pixels from x 10; half of it is green, the rest black.
    const QImage image = meter->grab().toImage();
    const QColor green(6, 183, 2);
    QCOMPARE(image.pixelColor(10, 9), green);
    QCOMPARE(image.pixelColor(51, 11), green);
    QCOMPARE(image.pixelColor(52, 9), QColor(Qt::black));
    QCOMPARE(image.pixelColor(94, 10), QColor(Qt::black));
    QVERIFY(image.pixelColor(95, 10) != QColor(Qt::black));
    QVERIFY(image.pixelColor(30, 7) != green);

    QVERIFY(m_fixture->send(QStringLiteral("cap_updateLevelReport/p0")));
    QCOMPARE(meter->grab().toImage().pixelColor(10, 9), QColor(Qt::black));
}

void TestDeskpadAudio::inputGoneWhileRecording()
{
    // Not in the first list, so that list chooses its first input.
    remember(QStringLiteral("Line in"));
    QVERIFY(m_fixture->send(QStringLiteral("cap_MacUpdateAudioList/p2/pMic/pid-1/pHeadset/pid-2")));
    QVERIFY(m_fixture->send(QStringLiteral("cap_showRecordWidget")));
    QVERIFY(m_fixture->send(QStringLiteral("cap_showLiveWidget")));
    QVERIFY(m_fixture->send(QStringLiteral("cap_startRecord")));
    QVERIFY(m_fixture->send(QStringLiteral("cap_startLive")));
    QVERIFY(!m_fixture->child<QWidget>("btnAudio")->isEnabled());
    for (int i = 0; i < 2; ++i) {
        m_fixture->panel()->countRecordTime();
        m_fixture->panel()->countLiveTime();
    }
    m_fixture->take();

    // A list that still holds the input in use changes nothing.
    QVERIFY(m_fixture->send(QStringLiteral("cap_MacUpdateAudioList/p1/pMic/pid-1")));
    QCOMPARE(m_fixture->take(), QStringList());
    QCOMPARE(list()->currentIndex(), 1);

    // The input in use is gone: the remembered one takes its place, not merely the first.
    QVERIFY(m_fixture->send(QStringLiteral("cap_MacUpdateAudioList/p2/pHeadset/pid-2/pLine in/pid-3")));
    QCOMPARE(m_fixture->take(),
             (QStringList{"cap_stopRecord/p1", "cap_hideRecordWidget", "cap_stopLive/p1", "cap_hideLiveWidget",
                          "cap_MacChangeAudioSource/pLine in/pid-3/p2"}));
    QVERIFY(m_fixture->child<QWidget>("btnAudio")->isEnabled());
    QVERIFY(!m_fixture->panel()->isVisible());
}

void TestDeskpadAudio::inputGoneDuringCountdown()
{
    QVERIFY(m_fixture->send(QStringLiteral("cap_MacUpdateAudioList/p1/pMic/pid-1")));
    QVERIFY(m_fixture->send(QStringLiteral("cap_showRecordWidget")));
    DeskpadWidget::Timing slow = PanelFixture::quietTiming();
    slow.countdownStepMs = 60 * 1000;
    m_fixture->panel()->setTiming(slow);
    const QPoint before = m_fixture->panel()->pos();
    QVERIFY(m_fixture->click("btnRecordBig"));
    m_fixture->take();

    QVERIFY(m_fixture->send(QStringLiteral("cap_MacUpdateAudioList/p0")));
    QCOMPARE(m_fixture->take(), QStringList{"cap_MacChangeAudioSource/p/p/p0"});
    // The countdown is gone and the panel back where it was, its record page still shown.
    QVERIFY(!m_fixture->child<QTimer>("recordCountdownTimer")->isActive());
    QCOMPARE(m_fixture->panel()->geometry(), QRect(before, QSize(220, 137)));
    QVERIFY(m_fixture->child<QWidget>("btnRecordBig")->isVisible());
}

void TestDeskpadAudio::listsAreBounded()
{
    // Far more inputs than any computer has, each with an absurdly long name and id.
    QList<QString> names;
    QList<QString> ids;
    for (int i = 0; i < 300; ++i) {
        names.append(QString(1000, QLatin1Char('n')) + QString::number(i));
        ids.append(QString(1000, QLatin1Char('i')) + QString::number(i));
    }
    m_fixture->panel()->updateAudioList(names, ids);
    QCOMPARE(list()->count(), 1 + 256);
    const QString name(DeskpadWidget::MaxAudioTextLength, QLatin1Char('n'));
    const QString id(DeskpadWidget::MaxAudioTextLength, QLatin1Char('i'));
    QVERIFY(m_fixture->sync());
    QCOMPARE(m_fixture->take(), QStringList{QStringLiteral("cap_MacChangeAudioSource/p%1/p%2/p1").arg(name, id)});
}

void TestDeskpadAudio::namesOnlyListKeepsTheIds()
{
    QVERIFY(m_fixture->send(QStringLiteral("cap_MacUpdateAudioList/p1/pMic/pid-1")));
    m_fixture->take();
    // The names-only form carries no ids: the old ones stay, and a row without one sends an empty id.
    QVERIFY(m_fixture->send(QStringLiteral("cap_updateAudioList/p3/pMic/pHeadset/pLine in")));
    QCOMPARE(rowTexts(), (QStringList{"Mute", "Mic", "Headset", "Line in"}));
    QCOMPARE(list()->currentIndex(), 1);
    QCOMPARE(m_fixture->take(), QStringList());
    list()->setCurrentIndex(3);
    QVERIFY(m_fixture->sync());
    QCOMPARE(m_fixture->take(), QStringList{"cap_MacChangeAudioSource/pLine in/p/p3"});
}

QTEST_MAIN(TestDeskpadAudio)
#include "tst_deskpad_audio.moc"
