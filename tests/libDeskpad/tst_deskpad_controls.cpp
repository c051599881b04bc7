// The panel's record and live controls against a stand-in for the main program on the real socket: the
// commands each sequence of clicks and main-program commands sends, the countdown, the running times and
// the six-hour limit.

#include "deskpadwidget.h"
#include "notificationdialog.h"
#include "panelfixture.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTimer>
#include <QtTest>

class TestDeskpadControls : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void commands_data();
    void commands();
    void countdownSteps();
    void countdownRunsOnItsTimers();
    void runningTimesAndBlinking();
    void sixHourLimit();
    void timeText_data();
    void timeText();
    void automaticRecordingHoldsTheRecordButtons();
    void pauseAndResumeSwapTheButtons();
    void collapseLeavesTheTitleRow();
    void noDragDuringCountdown();

private:
    bool run(const QString &step);
    QTimer *timer(const char *name) const { return m_fixture->child<QTimer>(name); }

    std::unique_ptr<PanelFixture> m_fixture;
};

void TestDeskpadControls::init()
{
    m_fixture.reset(new PanelFixture);
    QVERIFY(m_fixture->start());
}

void TestDeskpadControls::cleanup()
{
    m_fixture.reset();
}

// A step of a sequence: a message from the main program ("cap_..."), a click on a button ("click:name"),
// "countdown" (until no countdown runs any more, cancelled or over) or "tick:n" (n ticks of every
// running time counter).
bool TestDeskpadControls::run(const QString &step)
{
    if (step.startsWith(QLatin1String("cap_")))
        return m_fixture->send(step);
    if (step.startsWith(QLatin1String("click:")))
        return m_fixture->click(step.mid(6).toLatin1().constData());
    if (step == QLatin1String("countdown")) {
        if (!QTest::qWaitFor([this] {
                return !timer("recordCountdownTimer")->isActive() && !timer("liveCountdownTimer")->isActive();
            }, 15000))
            return false;
        return m_fixture->sync();
    }
    if (step.startsWith(QLatin1String("tick:"))) {
        DeskpadWidget *panel = m_fixture->panel();
        for (int i = step.mid(5).toInt(); i > 0; --i) {
            if (timer("recordTimer")->isActive())
                panel->countRecordTime();
            if (timer("liveTimer")->isActive())
                panel->countLiveTime();
        }
        return m_fixture->sync();
    }
    return false;
}

void TestDeskpadControls::commands_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("sent");

    QTest::newRow("record, pause, resume, stop")
        << QStringList{"cap_showRecordWidget", "click:btnRecordBig", "countdown", "tick:3", "click:btnPauseBig",
                       "click:btnRecordBig", "tick:2", "click:btnStopBig"}
        << QStringList{"cap_startRecord", "cap_pauseRecord", "cap_startRecord", "cap_stopRecord/p3",
                       "cap_hideRecordWidget"};
    QTest::newRow("a stop right after the start still reaches the main program")
        << QStringList{"cap_showRecordWidget", "click:btnRecordBig", "countdown", "click:btnStopBig"}
        << QStringList{"cap_startRecord", "cap_stopRecord/p0", "cap_hideRecordWidget"};
    QTest::newRow("the main program's start has no countdown")
        << QStringList{"cap_showRecordWidget", "cap_startRecord"} << QStringList{"cap_startRecord"};
    QTest::newRow("a start while recording is ignored")
        << QStringList{"cap_showRecordWidget", "cap_startRecord", "tick:1", "cap_startRecord"}
        << QStringList{"cap_startRecord"};
    QTest::newRow("a start during the countdown is ignored")
        << QStringList{"cap_showRecordWidget", "click:btnRecordBig", "cap_startRecord", "countdown"}
        << QStringList{"cap_startRecord"};
    QTest::newRow("a stop during the countdown cancels the start")
        << QStringList{"cap_showRecordWidget", "click:btnRecordBig", "cap_stopRecord", "countdown"}
        << QStringList{"cap_hideRecordWidget"};
    QTest::newRow("a stop while idle only takes the page away")
        << QStringList{"cap_showRecordWidget", "cap_stopRecord"} << QStringList{"cap_hideRecordWidget"};
    QTest::newRow("a stop with nothing shown sends nothing") << QStringList{"cap_stopRecord"} << QStringList{};
    QTest::newRow("a pause while idle sends nothing")
        << QStringList{"cap_showRecordWidget", "cap_pauseRecord"} << QStringList{};
    QTest::newRow("a pause during the countdown sends nothing and the countdown goes on")
        << QStringList{"cap_showRecordWidget", "click:btnRecordBig", "cap_pauseRecord", "countdown"}
        << QStringList{"cap_startRecord"};
    QTest::newRow("the main program's pause and resume")
        << QStringList{"cap_showRecordWidget", "cap_startRecord", "tick:1", "cap_pauseRecord", "cap_pauseRecord",
                       "cap_startRecord", "tick:1", "cap_stopRecord"}
        << QStringList{"cap_startRecord", "cap_pauseRecord", "cap_startRecord", "cap_stopRecord/p2",
                       "cap_hideRecordWidget"};
    QTest::newRow("a paused recording resumes without a countdown")
        << QStringList{"cap_showRecordWidget", "cap_startRecord", "cap_pauseRecord", "click:btnRecordBig"}
        << QStringList{"cap_startRecord", "cap_pauseRecord", "cap_startRecord"};
    QTest::newRow("live start and stop")
        << QStringList{"cap_showLiveWidget", "click:btnStartLiveBig", "countdown", "tick:4", "click:btnStopLiveBig"}
        << QStringList{"cap_startLive", "cap_stopLive/p2", "cap_hideLiveWidget"};
    QTest::newRow("the main program's live start and stop")
        << QStringList{"cap_showLiveWidget", "cap_startLive", "cap_startLive", "tick:1", "cap_stopLive"}
        << QStringList{"cap_startLive", "cap_stopLive/p1", "cap_hideLiveWidget"};
    QTest::newRow("a live stop during the countdown cancels the start")
        << QStringList{"cap_showLiveWidget", "click:btnStartLiveBig", "cap_stopLive", "countdown"}
        << QStringList{"cap_hideLiveWidget"};
    QTest::newRow("a live stop while idle only takes the page away")
        << QStringList{"cap_showLiveWidget", "cap_stopLive"} << QStringList{"cap_hideLiveWidget"};
    QTest::newRow("both pages: record and live from the small buttons, then the live page alone")
        << QStringList{"cap_showRecordWidget", "cap_showLiveWidget", "click:btnRecordSmall", "countdown",
                       "click:btnStartLiveSmall", "countdown", "tick:2", "click:btnStopSmall", "click:btnStopLiveBig"}
        << QStringList{"cap_startRecord", "cap_startLive", "cap_stopRecord/p1", "cap_hideRecordWidget",
                       "cap_stopLive/p1", "cap_hideLiveWidget"};
    QTest::newRow("automatic recording starts with the stream")
        << QStringList{"cap_setAutoRecord/p1", "cap_showRecordWidget", "cap_showLiveWidget",
                       "click:btnStartLiveSmall", "countdown"}
        << QStringList{"cap_startLive", "cap_startRecord"};
    QTest::newRow("without automatic recording the stream starts alone")
        << QStringList{"cap_setAutoRecord/p1", "cap_setAutoRecord/p0", "cap_showRecordWidget",
                       "cap_showLiveWidget", "cap_startLive"}
        << QStringList{"cap_startLive"};
    QTest::newRow("automatic recording needs the record page")
        << QStringList{"cap_setAutoRecord/p1", "cap_showLiveWidget", "cap_startLive"}
        << QStringList{"cap_startLive"};
    QTest::newRow("the close button stops both")
        << QStringList{"cap_showRecordWidget", "cap_showLiveWidget", "cap_startRecord", "cap_startLive", "tick:1",
                       "click:btnClose"}
        << QStringList{"cap_startRecord", "cap_startLive", "cap_stopRecord/p1", "cap_hideRecordWidget",
                       "cap_stopLive/p1", "cap_hideLiveWidget"};
    QTest::newRow("time replies")
        << QStringList{"cap_getRecordTime", "cap_showRecordWidget", "cap_startRecord", "tick:4", "cap_getRecordTime",
                       "cap_getLiveTime"}
        << QStringList{"cap_getRecordTime/p0", "cap_startRecord", "cap_getRecordTime/p2", "cap_getLiveTime/p0"};
}

void TestDeskpadControls::commands()
{
    QFETCH(QStringList, steps);
    QFETCH(QStringList, sent);

    for (const QString &step : steps)
        QVERIFY2(run(step), qPrintable(step));
    QCOMPARE(m_fixture->take(), sent);
    // Whatever happened, the panel is not left covering the screen.
    QCOMPARE(m_fixture->panel()->size(), QSize(220, 137));
    QVERIFY(!m_fixture->child<QLabel>("lebalCountdown")->isVisible());
}

void TestDeskpadControls::countdownSteps()
{
    DeskpadWidget *panel = m_fixture->panel();
    panel->setTiming(DeskpadWidget::Timing());
    QVERIFY(m_fixture->send(QStringLiteral("cap_showRecordWidget")));
    panel->move(panel->pos() + QPoint(40, 30));
    const QPoint before = panel->pos();
    QLabel *number = m_fixture->child<QLabel>("lebalCountdown");
    QWidget *controls = m_fixture->child<QWidget>("widgetMain");
    QTimer *countdown = timer("recordCountdownTimer");

    QVERIFY(m_fixture->click("btnRecordBig"));
    const QRect screen = panel->screen()->geometry();
    QCOMPARE(panel->geometry(), screen);
    QCOMPARE(number->size(), screen.size());
    QCOMPARE(controls->pos(), before - screen.topLeft());

    // Each step is driven here, the timer only showing how long the next one lasts.
    struct Step {
        bool visible;
        const char *text;
        int nextMs;
    };
    const Step steps[] = {{true, "3", 1000}, {true, "2", 1000}, {true, "1", 1000}, {false, "1", 100}};
    for (const Step &step : steps) {
        QCOMPARE(number->isVisible(), step.visible);
        QCOMPARE(number->text(), QLatin1String(step.text));
        QVERIFY(countdown->isActive());
        QCOMPARE(countdown->interval(), step.nextMs);
        countdown->stop();
        QVERIFY(m_fixture->sync());
        QCOMPARE(m_fixture->take(), QStringList());
        panel->recordCountdown();
    }
    QVERIFY(m_fixture->sync());
    QCOMPARE(m_fixture->take(), QStringList{"cap_startRecord"});
    QCOMPARE(panel->geometry(), QRect(before, QSize(220, 137)));
    QCOMPARE(controls->pos(), QPoint(0, 0));
    QCOMPARE(number->size(), QSize(0, 0));
    QVERIFY(!number->isVisible());
}

void TestDeskpadControls::countdownRunsOnItsTimers()
{
    DeskpadWidget::Timing timing = PanelFixture::quietTiming();
    timing.countdownStepMs = 150;
    timing.countdownLastStepMs = 50;
    m_fixture->panel()->setTiming(timing);
    QVERIFY(m_fixture->send(QStringLiteral("cap_showLiveWidget")));
    QLabel *number = m_fixture->child<QLabel>("lebalCountdown");

    // What the screen shows after each step, and when, from the click on.
    QStringList shown;
    QList<qint64> at;
    QElapsedTimer clock;
    connect(timer("liveCountdownTimer"), &QTimer::timeout, this, [&] {
        shown.append(number->isVisible() ? number->text() : QStringLiteral("-"));
        at.append(clock.elapsed());
    });
    clock.start();
    QVERIFY(m_fixture->click("btnStartLiveBig"));
    QVERIFY(QTest::qWaitFor([&] { return shown.size() == 4; }, 15000));
    QVERIFY(m_fixture->sync());

    QCOMPARE(shown, (QStringList{"2", "1", "-", "-"}));
    QCOMPARE(m_fixture->take(), QStringList{"cap_startLive"});
    // Timers may fire a little early, never much.
    const qint64 due[] = {150, 300, 450, 500};
    for (int i = 0; i < 4; ++i)
        QVERIFY2(at.at(i) >= due[i] * 9 / 10, qPrintable(QString::number(at.at(i))));
}

void TestDeskpadControls::runningTimesAndBlinking()
{
    DeskpadWidget *panel = m_fixture->panel();
    QVERIFY(m_fixture->send(QStringLiteral("cap_showRecordWidget")));
    QVERIFY(m_fixture->send(QStringLiteral("cap_startRecord")));
    QLabel *time = m_fixture->child<QLabel>("labelRecTimeBig");
    QLabel *icon = m_fixture->child<QLabel>("labelRecBig");

    panel->countRecordTime();
    QCOMPARE(time->text(), QStringLiteral("00:00:01"));
    QVERIFY(icon->isVisible());
    panel->countRecordTime();
    QCOMPARE(time->text(), QStringLiteral("00:00:01"));
    QVERIFY(!icon->isVisible());
    QCOMPARE(m_fixture->child<QLabel>("labelRecTimeSmall")->text(), QStringLiteral("00:00:01"));

    QVERIFY(m_fixture->send(QStringLiteral("cap_showLiveWidget")));
    QVERIFY(m_fixture->send(QStringLiteral("cap_startLive")));
    QVERIFY(m_fixture->send(QStringLiteral("cap_updateLiveStatus/p1500/p30")));
    for (int i = 0; i < 5; ++i)
        panel->countLiveTime();
    QCOMPARE(m_fixture->child<QLabel>("labelLiveTimeSmall")->text(), QStringLiteral("00:00:03"));
    QCOMPARE(m_fixture->child<QLabel>("labelSpeedSmall")->text(), QStringLiteral("1500 kb/s"));
    QCOMPARE(m_fixture->child<QLabel>("labelSpeedBig")->text(), QStringLiteral("1500 kb/s"));

    QVERIFY(m_fixture->click("btnStopLiveSmall"));
    QCOMPARE(m_fixture->child<QLabel>("labelLiveTimeBig")->text(), QStringLiteral("00:00:00"));
    QCOMPARE(m_fixture->child<QLabel>("labelSpeedBig")->text(), QStringLiteral("0 kb/s"));
}

void TestDeskpadControls::sixHourLimit()
{
    DeskpadWidget *panel = m_fixture->panel();
    QVERIFY(m_fixture->send(QStringLiteral("cap_showRecordWidget")));
    QVERIFY(m_fixture->send(QStringLiteral("cap_startRecord")));
    QCOMPARE(m_fixture->take(), QStringList{"cap_startRecord"});

    // The start counts 500 ms; 43,198 ticks of 500 ms more stand one tick short of six hours.
    for (int i = 0; i < 43198; ++i)
        panel->countRecordTime();
    QVERIFY(m_fixture->sync());
    QCOMPARE(m_fixture->take(), QStringList());
    QCOMPARE(m_fixture->child<QLabel>("labelRecTimeBig")->text(), QStringLiteral("05:59:59"));

    panel->countRecordTime();
    QVERIFY(m_fixture->sync());
    QCOMPARE(m_fixture->take(), (QStringList{"cap_stopRecord/p21600", "cap_hideRecordWidget"}));
    QCOMPARE(m_fixture->child<QLabel>("labelRecTimeBig")->text(), QStringLiteral("00:00:00"));
    auto *notice = panel->findChild<NotificationDialog *>();
    QVERIFY(notice && notice->isVisible());
    QCOMPARE(notice->findChild<QLabel *>(QStringLiteral("labelTitle"))->text(), QStringLiteral("Deskpad"));
    QVERIFY(notice->findChild<QLabel *>(QStringLiteral("labelMessage"))->text().contains(
        QLatin1String("reached the maximum time (6 hours).")));
}

void TestDeskpadControls::timeText_data()
{
    QTest::addColumn<qint64>("ms");
    QTest::addColumn<QString>("text");
    QTest::newRow("zero") << qint64(0) << "00:00:00";
    QTest::newRow("just under a second") << qint64(999) << "00:00:00";
    QTest::newRow("just under an hour") << qint64(3599500) << "00:59:59";
    QTest::newRow("six hours") << qint64(21600000) << "06:00:00";
    QTest::newRow("over 99 hours") << qint64(100) * 3600000 + 61000 << "100:01:01";
}

void TestDeskpadControls::timeText()
{
    QFETCH(qint64, ms);
    QFETCH(QString, text);
    QCOMPARE(DeskpadWidget::msecToString(ms), text);
}

void TestDeskpadControls::automaticRecordingHoldsTheRecordButtons()
{
    const char *recordButtons[] = {"btnRecordSmall", "btnRecordBig", "btnPauseSmall",
                                   "btnPauseBig", "btnStopSmall", "btnStopBig"};
    auto enabled = [&](bool expected) {
        for (const char *name : recordButtons) {
            if (m_fixture->child<QWidget>(name)->isEnabled() != expected)
                return false;
        }
        return true;
    };
    QVERIFY(m_fixture->send(QStringLiteral("cap_setAutoRecord/p1")));
    QVERIFY(m_fixture->send(QStringLiteral("cap_showRecordWidget")));
    QVERIFY(enabled(true));
    QVERIFY(m_fixture->send(QStringLiteral("cap_showLiveWidget")));
    QVERIFY(enabled(false));
    QVERIFY(m_fixture->send(QStringLiteral("cap_startLive")));
    QVERIFY(enabled(true));
    QVERIFY(m_fixture->child<QWidget>("btnPauseSmall")->isVisible());
    QCOMPARE(m_fixture->take(), (QStringList{"cap_startLive", "cap_startRecord"}));
}

void TestDeskpadControls::pauseAndResumeSwapTheButtons()
{
    // Whichever page holds them, the small and the big forms change together.
    auto shown = [this](std::initializer_list<const char *> names, bool expected) {
        for (const char *name : names) {
            if (m_fixture->child<QWidget>(name)->isHidden() == expected)
                return false;
        }
        return true;
    };
    const auto record = {"btnRecordSmall", "btnRecordBig"};
    const auto pause = {"btnPauseSmall", "btnPauseBig"};
    const auto icons = {"labelRecSmall", "labelRecBig"};
    QVERIFY(m_fixture->send(QStringLiteral("cap_showRecordWidget")));
    QVERIFY(m_fixture->send(QStringLiteral("cap_startRecord")));
    QVERIFY(shown(record, false) && shown(pause, true));
    // A tick on a half second has the icons off.
    m_fixture->panel()->countRecordTime();
    m_fixture->panel()->countRecordTime();
    QVERIFY(shown(icons, false));

    QVERIFY(m_fixture->click("btnPauseBig"));
    QVERIFY(shown(record, true) && shown(pause, false) && shown(icons, true));
    QVERIFY(m_fixture->click("btnRecordBig"));
    QVERIFY(shown(record, false) && shown(pause, true));
    QCOMPARE(m_fixture->take(), (QStringList{"cap_startRecord", "cap_pauseRecord", "cap_startRecord"}));
}

void TestDeskpadControls::collapseLeavesTheTitleRow()
{
    QVERIFY(m_fixture->send(QStringLiteral("cap_showRecordWidget")));
    QVERIFY(m_fixture->click("btnMini"));
    QVERIFY(!m_fixture->child<QWidget>("frameBottom")->isVisible());
    QVERIFY(!m_fixture->child<QWidget>("btnMini")->isVisible());
    QCOMPARE(m_fixture->panel()->size(), QSize(220, 137));
    QVERIFY(m_fixture->click("btnNonMini"));
    QVERIFY(m_fixture->child<QWidget>("frameBottom")->isVisible());
    QVERIFY(m_fixture->child<QWidget>("btnMini")->isVisible());
}

void TestDeskpadControls::noDragDuringCountdown()
{
    DeskpadWidget *panel = m_fixture->panel();
    QVERIFY(m_fixture->send(QStringLiteral("cap_showRecordWidget")));
    const QPoint start = panel->pos();
    // Pressing on the panel itself (its title row's free space) and moving drags it.
    QTest::mousePress(panel, Qt::LeftButton, Qt::NoModifier, QPoint(150, 40));
    QMouseEvent move(QEvent::MouseMove, QPointF(170, 55), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(panel, &move);
    QTest::mouseRelease(panel, Qt::LeftButton, Qt::NoModifier, QPoint(170, 55));
    QCOMPARE(panel->pos(), start + QPoint(20, 15));

    DeskpadWidget::Timing slow = PanelFixture::quietTiming();
    slow.countdownStepMs = 60 * 1000;
    panel->setTiming(slow);
    QVERIFY(m_fixture->click("btnRecordBig"));
    const QPoint covering = panel->pos();
    QTest::mousePress(panel, Qt::LeftButton, Qt::NoModifier, QPoint(500, 300));
    QMouseEvent during(QEvent::MouseMove, QPointF(560, 340), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(panel, &during);
    QTest::mouseRelease(panel, Qt::LeftButton, Qt::NoModifier, QPoint(560, 340));
    QCOMPARE(panel->pos(), covering);
}

QTEST_MAIN(TestDeskpadControls)
#include "tst_deskpad_controls.moc"
