#include "toolbarfixture.h"

#include "phoneclient.h"
#include "writerprobe.h"

#include "../camerawindow/camwindowfixture.h"

#include "camera/generalcamera.h"
#include "camerasettings/camerasettingdialog.h"
#include "camerawindow/cameramainwidget.h"
#include "capture/qorvcapturesession.h"
#include "desktop/stackingwatch.h"
#include "capture/qorvframesourceimpl.h"
#include "manager/doccammanager.h"
#include "qorvrtmpintf.h"
#include "screen/shooter/x11/x11windowstack.h"
#include "simulated/simulatedcamera.h"
#include "simulated/simulatedcameras.h"
#include "telegate.h"
#include "toolbar/pipwidget.h"

#include <QRandomGenerator>
#include <QTcpServer>

using namespace toolbar;
using platform::SimulatedCamera;
using platform::SimulatedCameras;

namespace {

using Messages = QList<PhoneClient::Message>;

constexpr quint32 Record = 0x80000004;
constexpr quint32 RecordTime = 0x80000005;
constexpr quint32 Live = 0x80000006;
constexpr quint32 LiveTime = 0x80000007;
constexpr quint32 Picture = 0x80000200;
constexpr quint32 Snapshot = 0x80000250;
constexpr quint32 Zoom = 0x80000211;
constexpr quint32 SettingBrightness = 0x80000201;
constexpr quint32 CaptureModeQuery = 0x80000451;
constexpr quint32 View = 0x80000243;
constexpr quint32 Greeting = 0x80000443;

QByteArray ints(std::initializer_list<qint32> values)
{
    return PhoneClient::int32s(values);
}

PhoneClient::Message message(quint32 id, const QByteArray &payload)
{
    PhoneClient::Message m;
    m.id = id;
    m.payload = payload;
    return m;
}

QSharedPointer<SimulatedCamera> camera(int position, const QString &name)
{
    return camwindow::makeCamera(position, 0x0815, name);
}

using camwindow::plugOnly;

// The panel messages a phone command can cause, without the audio lists and level reports.
QStringList commandsTo(const ScriptedPanel &panel)
{
    QStringList commands;
    for (const QString &text : panel.received()) {
        if (text.startsWith(QLatin1String("cap_show")) || text.startsWith(QLatin1String("cap_start"))
            || text.startsWith(QLatin1String("cap_stop")) || text.startsWith(QLatin1String("cap_pause"))
            || text.startsWith(QLatin1String("cap_get")))
            commands.append(text);
    }
    return commands;
}

QByteArray entry(const QByteArray &utf8)
{
    return char(uchar(utf8.size())) + utf8;
}

// One step of a phone's session: a command and every message the phone gets for it, or something
// that happens meanwhile.
struct Step
{
    enum Kind {
        Command,
        SecondsPass,
        OtherStreamPending,
        OtherStreamDone,
        // Another connection to the toolbar's local link, of the same user: one that says nothing,
        // one that greets as the panel does and then answers nothing; and its going.
        StrayConnects,
        StrayGreets,
        StrayGoes,
        // The deadlines of the echoes awaited so far pass, and the phone hears what follows.
        EchoDeadlinesPass,
        // The stray that greeted speaks again, as a panel coming back greets.
        StraySpeaks,
        // The phone goes and a new one connects.
        PhoneAgain,
    };
    Kind kind = Command;
    PhoneClient::Message command;
    Messages replies;
    int seconds = 0;
};
using Steps = QList<Step>;

Step phone(quint32 id, const QByteArray &payload, const Messages &replies)
{
    Step step;
    step.command = message(id, payload);
    step.replies = replies;
    return step;
}

Step secondsPass(int seconds)
{
    Step step;
    step.kind = Step::SecondsPass;
    step.seconds = seconds;
    return step;
}

Step otherStream(bool pending)
{
    Step step;
    step.kind = pending ? Step::OtherStreamPending : Step::OtherStreamDone;
    return step;
}

Step happens(Step::Kind kind)
{
    Step step;
    step.kind = kind;
    return step;
}

Step echoDeadlinesPass(const Messages &replies)
{
    Step step;
    step.kind = Step::EchoDeadlinesPass;
    step.replies = replies;
    return step;
}

// The toolbar's ends of its local link that are open.
int openLinkEnds(Lumidesk &bar)
{
    const QList<QLocalSocket *> ends = bar.localServer()->findChildren<QLocalSocket *>();
    return int(std::count_if(ends.cbegin(), ends.cend(),
                             [](const QLocalSocket *end) { return end->state() == QLocalSocket::ConnectedState; }));
}

// Where the toolbar's panel stands in a phone's session.
enum PanelKind { NoPanel, EchoingPanel };

// The seconds the scripted panel counts, whatever it is asked.
constexpr int PanelSeconds = 7;

constexpr qint64 TenMiB = 10 * 1024 * 1024;

// The frames of the two windows in the window system's stack, bottom to top (-1: not found).
QPair<int, int> stackPlaces(const QWidget *lower, const QWidget *upper)
{
    const QVector<QRect> frames = platform::X11WindowStack::frames({});
    return {int(frames.lastIndexOf(lower->frameGeometry())), int(frames.lastIndexOf(upper->frameGeometry()))};
}

} // namespace

Q_DECLARE_METATYPE(PhoneClient::Message)
Q_DECLARE_METATYPE(Steps)

// The phone's commands over a real TCP connection to the toolbar's remote-control server: which part
// of the program each reaches, the toolbar's own commands and what the phone hears back, with a
// panel and without, the greeting, what the camera windows' messages reach the phone, and payloads
// that are short or random; and what the toolbar passes between its camera windows (notices,
// reboots, which window stays in front).
class TestCoreRemote : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void toolbarCommands_data();
    void toolbarCommands();
    void withoutPanelTimesAreAnsweredAtOnce();
    void phoneStartBesideADeafPanelRecords();
    void phoneReports_data();
    void phoneReports();
    void secondViewReachesTheSecondWindow();
    void firstViewWithoutCameras();
    void greeting_data();
    void greeting();
    void windowMessagesFollowTheView_data();
    void windowMessagesFollowTheView();
    void shortPayloadsToWindows_data();
    void shortPayloadsToWindows();
    void randomCommandsLeaveTheServerServing();
    void noticeFlagSharedWithTheCameraWindows();
    void rebootReachesBothWindows();
    void smallerWindowStaysInFront();
    void cleanup();

private:
    std::unique_ptr<Lumidesk> toolbarWithLayout(int mode);
    void connectPhone(Lumidesk &bar);
    void setView(qint32 view);

    PhoneClient *m_phone = nullptr;
    std::unique_ptr<PhoneClient> m_phoneOwner;
    // A stream address that takes the connection and never answers: a stream to it stays started.
    QTcpServer m_silentRtmp;
    qint64 m_nowMs = 0;
    // A stream of another window of the program.
    QorvRtmpIntf *m_otherStream = nullptr;
};

void TestCoreRemote::initTestCase()
{
    useSimulatedDevices();
    QVERIFY(DocCamManager::getDocCamManager());
    QVERIFY(m_silentRtmp.listen(QHostAddress::LocalHost));
    m_otherStream = acquireQorvRtmpImpl();
}

void TestCoreRemote::cleanup()
{
    QorvFrameSourceImpl::setDiskSpaceReader({});
    m_otherStream->setStreamPending(false);
    QDir(tivlo(QString())).removeRecursively();
}

void TestCoreRemote::init()
{
    writeSettings({});
    plugOnly({camera(0, QStringLiteral("Doc one")), camera(1, QStringLiteral("Doc two"))});
    m_phoneOwner = std::make_unique<PhoneClient>();
    m_phone = m_phoneOwner.get();
}

std::unique_ptr<Lumidesk> TestCoreRemote::toolbarWithLayout(int mode)
{
    auto bar = makeToolbar();
    if (mode != 0) {
        emit bar->layoutChooser()->doShowCameraMode(mode);
        if (!QTest::qWaitFor([&] { return bar->layoutMode() == mode; }, 5000))
            qWarning("layout %d not reached", mode);
    }
    connectPhone(*bar);
    return bar;
}

void TestCoreRemote::connectPhone(Lumidesk &bar)
{
    QVERIFY(m_phone->connectTo(bar.remoteServer()->serverPort()));
    QTRY_COMPARE(bar.remoteServer()->clientCount(), 1);
}

void TestCoreRemote::setView(qint32 view)
{
    QVERIFY(m_phone->sync(view));
    m_phone->clear();
}

void TestCoreRemote::toolbarCommands_data()
{
    QTest::addColumn<Messages>("commands");
    QTest::addColumn<QStringList>("panel");
    QTest::addColumn<Messages>("replies");
    QTest::addColumn<int>("recordState");

    const QString show = QStringLiteral("cap_showRecordWidget");
    const QString start = QStringLiteral("cap_startRecord");
    const QString showLive = QStringLiteral("cap_showLiveWidget");
    // The record state follows the echo, which this panel never sends: nothing records meanwhile.
    QTest::newRow("start") << Messages{message(Record, ints({1}))} << QStringList{show, start} << Messages{} << 0;
    QTest::newRow("start again before the echo asks again")
            << Messages{message(Record, ints({1})), message(Record, ints({1}))} << QStringList{show, start, start}
            << Messages{} << 0;
    QTest::newRow("pause") << Messages{message(Record, ints({1})), message(Record, ints({2}))}
                           << QStringList{show, start, QStringLiteral("cap_pauseRecord")} << Messages{} << 0;
    QTest::newRow("resume") << Messages{message(Record, ints({3}))} << QStringList{show, start} << Messages{} << 0;
    QTest::newRow("stop") << Messages{message(Record, ints({1})), message(Record, ints({0}))}
                          << QStringList{show, start, QStringLiteral("cap_stopRecord")} << Messages{} << 0;
    QTest::newRow("unknown action") << Messages{message(Record, ints({4})), message(Record, ints({-1}))}
                                    << QStringList{} << Messages{} << 0;
    // Short payloads that would read as a start if a command read past their end.
    QTest::newRow("short record") << Messages{message(Record, ints({1}).left(3)), message(Record, QByteArray())}
                                  << QStringList{} << Messages{} << 0;
    QTest::newRow("record time while idle: eight zero bytes")
            << Messages{message(RecordTime, QByteArray())} << QStringList{}
            << Messages{message(RecordTime, ints({0, 0}))} << 0;
    QTest::newRow("record time while idle: appended to the request")
            << Messages{message(RecordTime, "ab")} << QStringList{}
            << Messages{message(RecordTime, QByteArray("ab") + ints({0, 0}))} << 0;
    QTest::newRow("record time before the echo: idle, answered at once")
            << Messages{message(Record, ints({1})), message(RecordTime, QByteArray())} << QStringList{show, start}
            << Messages{message(RecordTime, ints({0, 0}))} << 0;
    QTest::newRow("live start") << Messages{message(Live, ints({7}))}
                                << QStringList{showLive, QStringLiteral("cap_startLive")} << Messages{} << 0;
    QTest::newRow("live stop") << Messages{message(Live, ints({0}))}
                               << QStringList{showLive, QStringLiteral("cap_stopLive")} << Messages{} << 0;
    QTest::newRow("short live") << Messages{message(Live, ints({1}).left(3)), message(Live, QByteArray())}
                                << QStringList{} << Messages{} << 0;
    QTest::newRow("live time asks the panel")
            << Messages{message(LiveTime, QByteArray())} << QStringList{QStringLiteral("cap_getLiveTime")}
            << Messages{} << 0;
    QTest::newRow("picture answers the request")
            << Messages{message(Picture, "xyz")} << QStringList{} << Messages{message(Picture, "xyz")} << 0;
    QTest::newRow("snapshot answers the request")
            << Messages{message(Snapshot, QByteArray())} << QStringList{} << Messages{message(Snapshot, QByteArray())}
            << 0;
    QTest::newRow("dropped and unknown ids")
            << Messages{message(0x80000204, ints({1})), message(0x80000241, QByteArray()),
                        message(0x80000999, ints({1})), message(0x80000201, ints({1}))}
            << QStringList{} << Messages{} << 0;
    QTest::newRow("views out of range and short are ignored")
            << Messages{message(View, ints({4})), message(View, ints({-1})), message(View, "\2")} << QStringList{}
            << Messages{} << 0;
    QTest::newRow("short greeting") << Messages{message(Greeting, "\x65")} << QStringList{} << Messages{} << 0;
}

void TestCoreRemote::toolbarCommands()
{
    QFETCH(Messages, commands);
    QFETCH(QStringList, panel);
    QFETCH(Messages, replies);
    QFETCH(int, recordState);

    auto bar = toolbarWithLayout(0);
    // A panel that takes the commands but does not carry them out, and whose deadlines never pass:
    // what the router alone does.
    Lumidesk::Timing timing = testTiming();
    timing.deferPanelEchoDeadline = [](std::function<void()>) {};
    bar->setTiming(timing);
    ScriptedPanel scripted;
    scripted.echo = false;
    QVERIFY(scripted.connectToToolbar());
    QTRY_VERIFY(bar->localServer()->isPanelConnected());
    QVERIFY(scripted.settle(*bar));
    scripted.clear();

    for (const PhoneClient::Message &command : commands)
        m_phone->send(command.id, command.payload);
    QVERIFY(m_phone->sync(0));
    QCOMPARE(m_phone->messagesBeforeSync(), replies);
    QTRY_COMPARE(commandsTo(scripted), panel);
    QVERIFY(scripted.settle(*bar));
    QCOMPARE(commandsTo(scripted), panel);
    QCOMPARE(bar->recordState(), recordState);
    QCOMPARE(bar->remoteView(), 0);
}

// With no panel to count the seconds, the toolbar carries the commands out itself and answers the time
// questions at once, instead of leaving the phone waiting for an answer that never comes.
void TestCoreRemote::withoutPanelTimesAreAnsweredAtOnce()
{
    auto bar = toolbarWithLayout(0);
    QVERIFY(!bar->localServer()->isPanelConnected());
    m_phone->send(Record, ints({1}));
    QByteArray answer;
    QVERIFY(m_phone->request(RecordTime, QByteArray(), &answer));
    QCOMPARE(answer, ints({1, 0}));
    QVERIFY(bar->isRecording());
    QVERIFY(m_phone->request(LiveTime, QByteArray(), &answer));
    QCOMPARE(answer, ints({2, 0}));
    m_phone->send(Record, ints({0}));
    QVERIFY(m_phone->sync(0));
    QTRY_VERIFY(!bar->isRecording());
}

// A connection that greets as the panel does and then says nothing holds the panel's place only until
// the deadline of the first echo: the phone's start then records, as with no panel, and the phone hears
// it; the connection is the panel again once it speaks.
void TestCoreRemote::phoneStartBesideADeafPanelRecords()
{
    auto bar = toolbarWithLayout(0);
    Lumidesk::Timing timing = testTiming();
    timing.panelEchoDeadlineMs = Lumidesk::Timing().panelEchoDeadlineMs;
    bar->setTiming(timing);
    QSignalSpy ended(bar->desktopSession(), &QorvCaptureSession::recordingDidEnd);
    LinkRawSocket deaf;
    QVERIFY(deaf.connectTo(platform::LocalSocketPath::fullPath(QLatin1String(LocalServer::ServerName))));
    deaf.writeFrame(QLatin1String(LocalServer::PanelGreeting));
    QTRY_VERIFY(!deaf.messages().filter(QRegularExpression("^cap_changeLanguage/p")).isEmpty());

    m_phone->send(Record, ints({1}));
    QTRY_VERIFY_WITH_TIMEOUT(m_phone->messages().contains(message(Record, ints({1, 0}))), 20000);
    QVERIFY(bar->isRecording());
    QVERIFY(!bar->localServer()->isPanelConnected());
    QCOMPARE(deaf.messages().filter(QRegularExpression("^cap_(show|start|stop|pause|get)")),
             (QStringList{"cap_showRecordWidget", "cap_startRecord"}));
    // The toolbar's own count answers: a second recorded, with its pictures, before the stop.
    const auto recordedSeconds = [this] {
        QByteArray answer;
        return m_phone->request(RecordTime, QByteArray(), &answer) && answer.left(4) == ints({1})
               && answer.mid(4) != ints({0});
    };
    QTRY_VERIFY_WITH_TIMEOUT(recordedSeconds(), 20000);
    const int from = m_phone->messages().size();
    m_phone->send(Record, ints({0}));
    QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 1, 20000);
    QVERIFY(m_phone->sync(0));
    QCOMPARE(m_phone->messages().mid(from, 2), (Messages{message(Record, ints({0, 0})), message(Record, ints({0, 0}))}));
    const QString movie = ended.first().at(0).toString();
    const WriterProbe probe = WriterProbe::run(movie);
    QVERIFY2(probe.ok, qPrintable(movie + ": " + probe.error));
    QCOMPARE(probe.stream(QStringLiteral("video")).codecName, QStringLiteral("h264"));

    // Speaking again, it is the panel again and is brought up to date.
    const int heard = deaf.messages().size();
    deaf.writeFrame(QLatin1String(LocalServer::PanelGreeting));
    QTRY_VERIFY(bar->localServer()->isPanelConnected());
    QTRY_VERIFY(!deaf.messages().mid(heard).filter(QRegularExpression("^cap_changeLanguage/p")).isEmpty());
}

void TestCoreRemote::phoneReports_data()
{
    QTest::addColumn<int>("panel");
    QTest::addColumn<bool>("diskFull");
    QTest::addColumn<Steps>("steps");
    QTest::addColumn<int>("recordState");

    const auto record = [](std::initializer_list<qint32> values) { return message(Record, ints(values)); };
    const auto recordTime = [](qint32 state, qint32 seconds) { return message(RecordTime, ints({state, seconds})); };
    const auto liveTime = [](qint32 status, qint32 seconds) { return message(LiveTime, ints({status, seconds})); };

    // Without a panel the toolbar carries each command out, reports it as the panel's echo would
    // have, and counts the seconds itself: pauses are not counted, a stop counts from 0 again.
    QTest::newRow("no panel: record, pause, resume, stop")
            << int(NoPanel) << false
            << Steps{phone(Record, ints({1}), {record({1, 0})}),
                     secondsPass(3),
                     phone(RecordTime, QByteArray(), {recordTime(1, 3)}),
                     phone(Record, ints({2}), {record({2, 3})}),
                     secondsPass(5),
                     phone(RecordTime, QByteArray(), {recordTime(2, 3)}),
                     phone(Record, ints({3}), {record({3, 0}), record({3, 3})}),
                     secondsPass(2),
                     phone(RecordTime, QByteArray(), {recordTime(3, 5)}),
                     phone(Record, ints({0}), {record({0, 0}), record({0, 0})}),
                     phone(RecordTime, QByteArray(), {recordTime(0, 0)})}
            << 0;
    // The start fails: a moment later the stop tells the phone nothing records, and the state says so.
    QTest::newRow("no panel: start on a full disk")
            << int(NoPanel) << true
            << Steps{phone(Record, ints({1}), {record({0, 0})}),
                     phone(RecordTime, QByteArray(), {recordTime(0, 0)})}
            << 0;
    QTest::newRow("no panel: pause while idle changes nothing")
            << int(NoPanel) << false
            << Steps{phone(Record, ints({2}), {}), phone(RecordTime, QByteArray(), {recordTime(0, 0)})} << 0;
    QTest::newRow("no panel: live stop while not live") << int(NoPanel) << false
                                                        << Steps{phone(Live, ints({0}), {})} << 0;
    // Status 1: the publisher carries this desktop's stream.
    QTest::newRow("no panel: live start, time, stop")
            << int(NoPanel) << false
            << Steps{phone(Live, ints({1}), {message(Live, ints({1}))}),
                     secondsPass(4),
                     phone(LiveTime, QByteArray(), {liveTime(1, 4)}),
                     phone(Live, ints({5}), {message(Live, ints({5}))}),
                     phone(Live, ints({0}), {message(Live, ints({0, 0}))}),
                     phone(LiveTime, QByteArray(), {liveTime(0, 0)})}
            << 0;
    // Status 3: ready to stream, but the desktop records.
    QTest::newRow("no panel: live time while recording")
            << int(NoPanel) << false
            << Steps{phone(Record, ints({1}), {record({1, 0})}),
                     phone(LiveTime, QByteArray(), {liveTime(3, 0)}),
                     phone(Record, ints({0}), {record({0, 0}), record({0, 0})})}
            << 0;
    // Status 4: another window's stream is about to start.
    QTest::newRow("no panel: live time while another stream starts")
            << int(NoPanel) << false
            << Steps{otherStream(true), phone(LiveTime, QByteArray(), {liveTime(4, 0)}), otherStream(false),
                     phone(LiveTime, QByteArray(), {liveTime(0, 0)})}
            << 0;

    // With a panel the reports follow its echo; its time answers carry the seconds it counted.
    QTest::newRow("panel: record, pause, resume, stop")
            << int(EchoingPanel) << false
            << Steps{phone(Record, ints({1}), {record({1, 0})}),
                     phone(RecordTime, QByteArray(), {recordTime(1, PanelSeconds)}),
                     phone(Record, ints({1}), {record({1})}),
                     phone(Record, ints({2}), {record({2, PanelSeconds})}),
                     phone(Record, ints({3}), {record({3, 0}), record({3, PanelSeconds})}),
                     phone(Record, ints({0}), {record({0, 0}), record({0, PanelSeconds})}),
                     phone(RecordTime, QByteArray(), {recordTime(0, 0)})}
            << 0;
    QTest::newRow("panel: start on a full disk")
            << int(EchoingPanel) << true
            << Steps{phone(Record, ints({1}), {record({0, PanelSeconds})}),
                     phone(RecordTime, QByteArray(), {recordTime(0, 0)})}
            << 0;
    QTest::newRow("panel: live start, time, stop")
            << int(EchoingPanel) << false
            << Steps{phone(Live, ints({1}), {message(Live, ints({1}))}),
                     phone(LiveTime, QByteArray(), {liveTime(1, PanelSeconds)}),
                     phone(Live, ints({0}), {message(Live, ints({0, 0}))})}
            << 0;
    QTest::newRow("panel: live time while recording")
            << int(EchoingPanel) << false
            << Steps{phone(Record, ints({1}), {record({1, 0})}),
                     phone(LiveTime, QByteArray(), {liveTime(3, PanelSeconds)}),
                     phone(Record, ints({0}), {record({0, 0}), record({0, PanelSeconds})})}
            << 0;
    QTest::newRow("panel: live time while another stream starts")
            << int(EchoingPanel) << false
            << Steps{otherStream(true), phone(LiveTime, QByteArray(), {liveTime(4, PanelSeconds)})} << 0;

    // A connection that never spoke takes nothing from the panel: the phone's start is recorded and
    // told, before the stray goes and after, to this phone and to the next.
    QTest::newRow("panel and a silent stray: record, the stray goes, a new phone")
            << int(EchoingPanel) << false
            << Steps{happens(Step::StrayConnects),
                     phone(Record, ints({1}), {record({1, 0})}),
                     phone(RecordTime, QByteArray(), {recordTime(1, PanelSeconds)}),
                     happens(Step::StrayGoes),
                     phone(RecordTime, QByteArray(), {recordTime(1, PanelSeconds)}),
                     happens(Step::PhoneAgain),
                     phone(RecordTime, QByteArray(), {recordTime(1, PanelSeconds)}),
                     phone(Record, ints({1}), {record({1})}),
                     phone(Record, ints({0}), {record({0, 0}), record({0, PanelSeconds})})}
            << 0;
    // The newest greeting is served, even one that never answers: until the echo's deadline, then the
    // panel takes the command and is served again, until the stray speaks again.
    QTest::newRow("panel and a stray that greets and is deaf")
            << int(EchoingPanel) << false
            << Steps{happens(Step::StrayGreets),
                     phone(Record, ints({1}), {}),
                     echoDeadlinesPass({record({1, 0})}),
                     phone(RecordTime, QByteArray(), {recordTime(1, PanelSeconds)}),
                     happens(Step::StraySpeaks),
                     phone(Record, ints({0}), {}),
                     echoDeadlinesPass({record({0, 0}), record({0, PanelSeconds})}),
                     phone(RecordTime, QByteArray(), {recordTime(0, 0)}),
                     happens(Step::StrayGoes),
                     happens(Step::PhoneAgain),
                     phone(Record, ints({1}), {record({1, 0})}),
                     phone(Record, ints({0}), {record({0, 0}), record({0, PanelSeconds})})}
            << 0;
    // With no panel beside it the toolbar carries out what the stray let pass, as with no panel at all;
    // the time question the stray leaves unanswered is answered by the toolbar's own count.
    QTest::newRow("no panel, a stray that greets and is deaf")
            << int(NoPanel) << false
            << Steps{happens(Step::StrayGreets),
                     phone(Record, ints({1}), {}),
                     echoDeadlinesPass({record({1, 0})}),
                     secondsPass(3),
                     phone(RecordTime, QByteArray(), {recordTime(1, 3)}),
                     happens(Step::StraySpeaks),
                     phone(Record, ints({2}), {}),
                     echoDeadlinesPass({record({2, 3})}),
                     happens(Step::StraySpeaks),
                     phone(RecordTime, QByteArray(), {}),
                     echoDeadlinesPass({recordTime(2, 3)}),
                     phone(Record, ints({0}), {record({0, 0}), record({0, 0})}),
                     phone(Live, ints({1}), {message(Live, ints({1}))}),
                     happens(Step::StraySpeaks),
                     phone(Live, ints({0}), {}),
                     echoDeadlinesPass({message(Live, ints({0, 0}))})}
            << 0;
    // A silent connection is no panel: the toolbar carries the commands out itself.
    QTest::newRow("no panel, a silent stray: record, the stray goes")
            << int(NoPanel) << false
            << Steps{happens(Step::StrayConnects),
                     phone(Record, ints({1}), {record({1, 0})}),
                     secondsPass(3),
                     phone(RecordTime, QByteArray(), {recordTime(1, 3)}),
                     happens(Step::StrayGoes),
                     phone(RecordTime, QByteArray(), {recordTime(1, 3)}),
                     phone(Record, ints({0}), {record({0, 0}), record({0, 0})})}
            << 0;
}

// What the phone hears back, byte for byte, command by command: nothing more, nothing less.
void TestCoreRemote::phoneReports()
{
    QFETCH(int, panel);
    QFETCH(bool, diskFull);
    QFETCH(Steps, steps);
    QFETCH(int, recordState);

    if (diskFull)
        QorvFrameSourceImpl::setDiskSpaceReader([](const QString &) { return TenMiB; });
    writeSettings({{"Live/Service", 3},
                   {"Live/OthersUrl", QStringLiteral("rtmp://127.0.0.1:%1/live").arg(m_silentRtmp.serverPort())},
                   {"Live/OthersKey", "desk"}});
    auto bar = toolbarWithLayout(0);
    Lumidesk::Timing timing;
    timing.stopNoticeDelayMs = 200;
    timing.clock = [this] { return m_nowMs; };
    // The echoes' deadlines pass only where a step says so: a panel slow under load is never taken
    // for a deaf one.
    auto deadlines = std::make_shared<QList<std::function<void()>>>();
    timing.deferPanelEchoDeadline = [deadlines](std::function<void()> expire) { deadlines->append(std::move(expire)); };
    bar->setTiming(timing);
    ScriptedPanel scripted;
    scripted.seconds = PanelSeconds;
    if (panel == EchoingPanel) {
        QVERIFY(scripted.connectToToolbar());
        QTRY_VERIFY(bar->localServer()->isPanelConnected());
    }

    // The phone's messages, the view echoes of the syncs left out.
    const auto reports = [this](int from) {
        Messages found;
        const Messages all = m_phone->messages();
        for (int i = from; i < all.size(); ++i) {
            if (all.at(i).id != View)
                found.append(all.at(i));
        }
        return found;
    };
    std::unique_ptr<LinkRawSocket> stray;
    bool strayGreeted = false;
    // What the stray had been sent when it stopped being the panel: nothing more reaches it until it
    // speaks again, neither microphones nor commands.
    int strayHeard = -1;
    const auto strayHeardNothingMore = [&] {
        if (strayHeard >= 0)
            QCOMPARE(stray->messages().size(), strayHeard);
        strayHeard = -1;
    };
    for (const Step &step : steps) {
        switch (step.kind) {
        case Step::SecondsPass:
            m_nowMs += step.seconds * 1000;
            continue;
        case Step::OtherStreamPending:
        case Step::OtherStreamDone:
            m_otherStream->setStreamPending(step.kind == Step::OtherStreamPending);
            continue;
        case Step::StrayConnects:
        case Step::StrayGreets:
            stray = std::make_unique<LinkRawSocket>();
            strayGreeted = step.kind == Step::StrayGreets;
            QVERIFY(stray->connectTo(platform::LocalSocketPath::fullPath(QLatin1String(LocalServer::ServerName))));
            QTRY_COMPARE(openLinkEnds(*bar), panel == EchoingPanel ? 2 : 1);
            if (strayGreeted) {
                stray->writeFrame(QLatin1String(LocalServer::PanelGreeting));
                // Served from now on: it is brought up to date as the panel is.
                QTRY_VERIFY(!stray->messages().filter(QRegularExpression("^cap_changeLanguage/p")).isEmpty());
            }
            continue;
        case Step::StraySpeaks: {
            strayHeardNothingMore();
            const int updates = stray->messages().filter(QRegularExpression("^cap_changeLanguage/p")).size();
            stray->writeFrame(QLatin1String(LocalServer::PanelGreeting));
            QTRY_VERIFY(stray->messages().filter(QRegularExpression("^cap_changeLanguage/p")).size() > updates);
            QVERIFY(bar->localServer()->isPanelConnected());
            continue;
        }
        case Step::StrayGoes:
            strayHeardNothingMore();
            // Never spoken to, not even of the microphones.
            if (!strayGreeted)
                QCOMPARE(stray->messages(), QStringList());
            stray->socket()->disconnectFromServer();
            QTRY_COMPARE(openLinkEnds(*bar), panel == EchoingPanel ? 1 : 0);
            continue;
        case Step::PhoneAgain:
            m_phone->disconnectFromProgram();
            QTRY_COMPARE(bar->remoteServer()->clientCount(), 0);
            m_phoneOwner = std::make_unique<PhoneClient>();
            m_phone = m_phoneOwner.get();
            connectPhone(*bar);
            if (QTest::currentTestFailed())
                return;
            continue;
        case Step::Command:
        case Step::EchoDeadlinesPass:
            break;
        }
        const int from = m_phone->messages().size();
        if (step.kind == Step::EchoDeadlinesPass) {
            const QList<std::function<void()>> passing = std::move(*deadlines);
            deadlines->clear();
            for (const std::function<void()> &expire : passing)
                expire();
        } else {
            m_phone->send(step.command.id, step.command.payload);
        }
        QVERIFY2(QTest::qWaitFor([&] { return reports(from).size() >= step.replies.size(); }, 10000),
                 qPrintable(QStringLiteral("0x%1").arg(step.command.id, 0, 16)));
        // Whatever came on top came before the phone's next question was answered.
        QVERIFY(m_phone->sync(0));
        const Messages got = reports(from);
        if (got != step.replies) {
            for (const PhoneClient::Message &each : got)
                qWarning("The phone got 0x%x: %s", each.id, each.payload.toHex(' ').constData());
        }
        QCOMPARE(got, step.replies);
        if (step.kind == Step::EchoDeadlinesPass && stray) {
            if (panel == EchoingPanel)
                QVERIFY(scripted.settle(*bar));
            strayHeard = stray->messages().size();
        }
    }
    QCOMPARE(bar->recordState(), recordState);
    QVERIFY(!bar->isRecording());
    QVERIFY(!bar->isLive());
}

void TestCoreRemote::secondViewReachesTheSecondWindow()
{
    auto bar = toolbarWithLayout(2);
    CameraMainWidget *first = bar->firstCameraWindow();
    CameraMainWidget *second = bar->secondCameraWindow();
    QVERIFY(first && second);
    QVERIFY(second->comboBoxSource->currentIndex() != 0);
    QSignalSpy secondSent(second, &CameraMainWidget::SendToClient);

    setView(2);
    QByteArray answer;
    QVERIFY(m_phone->request(Zoom, ints({5}), &answer));
    QCOMPARE(answer, ints({5}));
    QCOMPARE(second->zoomSlider->value(), 5);
    QCOMPARE(first->zoomSlider->value(), 0);
    QCOMPARE(countOf(secondSent, int(Zoom)), 0);

    // A record command of the toolbar's group goes to the window and is answered with its state.
    QVERIFY(m_phone->request(Record, ints({2}), &answer));
    QCOMPARE(answer, ints({2}));
    QCOMPARE(second->getRecordState(), 0);

    // A camera-setting command is answered with what the window's settings leave in the payload.
    QVERIFY(m_phone->request(SettingBrightness, ints({40}), &answer));
    QCOMPARE(answer.size(), 4);

    // A quiet command gets no answer from the router; the picture comes from the window itself.
    float mirrored = -1;
    QCOMPARE(second->getSourceCamera()->getMirror(&mirrored), GeneralCamera::Success);
    m_phone->clear();
    m_phone->send(0x8000020c);
    m_phone->send(Picture);
    QVERIFY(m_phone->sync(2));
    // Only the settings' own report of the change: the router adds no answer.
    QCOMPARE(m_phone->messagesBeforeSync(), Messages{message(0x8000020c, QByteArray())});
    float mirroredNow = -1;
    QCOMPARE(second->getSourceCamera()->getMirror(&mirroredNow), GeneralCamera::Success);
    QVERIFY(mirroredNow != mirrored);
    QTRY_COMPARE(m_phone->payloadsOf(Picture).size(), 1);
    QVERIFY(m_phone->payloadsOf(Picture).first().startsWith("\xFF\xD8"));
}

void TestCoreRemote::firstViewWithoutCameras()
{
    plugOnly({});
    auto bar = toolbarWithLayout(2);
    QVERIFY(bar->firstCameraWindow() && bar->secondCameraWindow());
    QCOMPARE(bar->firstCameraWindow()->comboBoxSource->currentIndex(), 0);
    QCOMPARE(bar->secondCameraWindow()->comboBoxSource->currentIndex(), 0);

    setView(1);
    m_phone->send(Record, ints({1}));
    m_phone->send(SettingBrightness, ints({10}));
    m_phone->send(Zoom, ints({3}));
    m_phone->send(0x8000020c);
    QVERIFY(m_phone->sync(1));
    QCOMPARE(m_phone->messagesBeforeSync(), Messages{message(Record, ints({1}))});

    // View 3 shows both windows: nothing is answered for either.
    setView(3);
    m_phone->send(Record, ints({1}));
    m_phone->send(CaptureModeQuery);
    QVERIFY(m_phone->sync(3));
    QCOMPARE(m_phone->messagesBeforeSync(), Messages{});
}

void TestCoreRemote::greeting_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<bool>("firstChosen");
    QTest::addColumn<bool>("secondChosen");
    QTest::addColumn<qint32>("appVersion");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<bool>("notice");

    const QStringList plain{QStringLiteral("Doc one"), QStringLiteral("Doc two")};
    const QByteArray tail102 = QByteArray(1, char(0xFF)) + ints({102});
    QTest::newRow("desktop only, old app") << 0 << plain << true << true << 101 << QByteArray() << true;
    QTest::newRow("one camera") << 1 << plain << true << false << 105
                                << QByteArray(1, 1) + entry("Doc one") + tail102 << false;
    QTest::newRow("one camera, none chosen") << 1 << plain << false << false << 105 << QByteArray() << false;
    QTest::newRow("one camera, app 100")
            << 1 << plain << true << false << 100 << QByteArray(1, 1) + entry("Doc one") + char(0xFF) + ints({100})
            << true;
    QTest::newRow("two cameras, second chosen") << 2 << plain << false << true << 105
                                                << QByteArray(1, 1) + entry("Doc two") + tail102 << false;
    QTest::newRow("picture in picture, none chosen")
            << 3 << plain << false << false << 105 << QByteArray(1, 0) + tail102 << false;
    // Lengths count the UTF-8 bytes sent, not UTF-16 units.
    const QString tokyo = QStringLiteral("Kamera \u6771\u4eac \u00e9");
    QTest::newRow("non-ASCII names") << 3 << QStringList{tokyo, QStringLiteral("Doc")} << true << true << 105
                                     << QByteArray(1, 2) + entry(tokyo.toUtf8()) + entry("Doc") + tail102 << false;
    // 200 two-byte characters: cut at 254 bytes, before the character that would be split.
    const QString longName = QString(200, QChar(0x00e9));
    QTest::newRow("long name cut on a character")
            << 1 << QStringList{longName, QStringLiteral("Doc")} << true << false << 105
            << QByteArray(1, 1) + entry(longName.left(127).toUtf8()) + tail102 << false;
}

void TestCoreRemote::greeting()
{
    QFETCH(int, mode);
    QFETCH(QStringList, names);
    QFETCH(bool, firstChosen);
    QFETCH(bool, secondChosen);
    QFETCH(qint32, appVersion);
    QFETCH(QByteArray, reply);
    QFETCH(bool, notice);

    plugOnly({camera(0, names.at(0)), camera(1, names.at(1))});
    auto bar = toolbarWithLayout(mode);
    for (auto [window, chosen] : {std::make_pair(bar->firstCameraWindow(), firstChosen),
                                  std::make_pair(bar->secondCameraWindow(), secondChosen)}) {
        if (window && !chosen)
            window->comboBoxSource->setCurrentIndex(0);
    }
    QSignalSpy analytics(bar.get(), &Lumidesk::sendCommand);
    setView(2);

    QByteArray answer;
    QVERIFY(m_phone->request(Greeting, ints({appVersion}), &answer));
    QCOMPARE(answer.toHex(' '), reply.toHex(' '));
    QCOMPARE(bar->remoteView(), 0);
    QCOMPARE(!shownNotice(*bar).isEmpty(), notice);
    if (notice)
        QVERIFY(shownNotice(*bar).contains(QLatin1String("newer version of Lumidesk mobile app")));
    QCOMPARE(countOf(analytics, 0x11000007), 1);
    const QList<QVariant> event = firstOf(analytics, 0x11000007);
    for (int i = 1; i < event.size(); ++i)
        QCOMPARE(event.at(i).toInt(), -1);
}

void TestCoreRemote::windowMessagesFollowTheView_data()
{
    QTest::addColumn<int>("view");
    QTest::addColumn<bool>("firstChosen");
    QTest::addColumn<int>("sender");
    QTest::addColumn<quint32>("id");
    QTest::addColumn<bool>("sent");

    QTest::newRow("first window, view 1") << 1 << true << 1 << quint32(Zoom) << true;
    QTest::newRow("first window, view 3") << 3 << true << 1 << quint32(Zoom) << true;
    QTest::newRow("first window, view 0") << 0 << true << 1 << quint32(Zoom) << false;
    QTest::newRow("first window, view 2") << 2 << true << 1 << quint32(Zoom) << false;
    QTest::newRow("first window closing, view 0") << 0 << true << 1 << quint32(0x80000003) << true;
    QTest::newRow("second window, view 2") << 2 << true << 2 << quint32(Zoom) << true;
    QTest::newRow("second window, view 0") << 0 << true << 2 << quint32(Zoom) << false;
    QTest::newRow("second window, view 1, first has a camera") << 1 << true << 2 << quint32(Zoom) << false;
    QTest::newRow("second window, view 1, first without camera") << 1 << false << 2 << quint32(Zoom) << true;
    QTest::newRow("second window closing, view 0") << 0 << true << 2 << quint32(0x80000003) << true;
}

void TestCoreRemote::windowMessagesFollowTheView()
{
    QFETCH(int, view);
    QFETCH(bool, firstChosen);
    QFETCH(int, sender);
    QFETCH(quint32, id);
    QFETCH(bool, sent);

    auto bar = toolbarWithLayout(2);
    if (!firstChosen)
        bar->firstCameraWindow()->comboBoxSource->setCurrentIndex(0);
    setView(view);
    CameraMainWidget *window = sender == 1 ? bar->firstCameraWindow() : bar->secondCameraWindow();
    emit window->SendToClient(id, "mark");
    QVERIFY(m_phone->sync(view));
    QCOMPARE(m_phone->messagesBeforeSync().contains(message(id, "mark")), sent);
}

void TestCoreRemote::shortPayloadsToWindows_data()
{
    QTest::addColumn<quint32>("id");
    QTest::addColumn<QByteArray>("payload");

    // Each a prefix of a request that would change something.
    for (const quint32 id : {Record, Live, Zoom, quint32(0x80000251)}) {
        for (int size = 0; size < 4; ++size)
            QTest::addRow("0x%x, %d bytes", id, size) << id << ints({1}).left(size);
    }
    const QByteArray window = QByteArray::fromHex("0000000010001000");
    QTest::newRow("window, 7 bytes") << quint32(0x80000242) << window.left(7);
    QTest::newRow("window, none") << quint32(0x80000242) << QByteArray();
}

// In a camera window's view, a payload too short for its command is answered unchanged and changes
// nothing.
void TestCoreRemote::shortPayloadsToWindows()
{
    QFETCH(quint32, id);
    QFETCH(QByteArray, payload);

    auto bar = toolbarWithLayout(1);
    CameraMainWidget *window = bar->firstCameraWindow();
    QVERIFY(window->comboBoxSource->currentIndex() != 0);
    setView(1);
    QSignalSpy analytics(window, &CameraMainWidget::sendCommand);
    uvcx_roi_control_t before, after;
    QCOMPARE(window->getSourceCamera()->getROI(&before), GeneralCamera::Success);
    QByteArray answer;
    QVERIFY(m_phone->request(id, payload, &answer));
    QCOMPARE(answer, payload);
    QCOMPARE(window->getSourceCamera()->getROI(&after), GeneralCamera::Success);
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(&after), 8),
             QByteArray(reinterpret_cast<const char *>(&before), 8));
    QCOMPARE(window->getRecordState(), 0);
    QVERIFY(!window->isLive());
    QCOMPARE(countOf(analytics, CameraMainWidget::LiveStartEvent), 0);
    QCOMPARE(window->zoomSlider->value(), 0);
    QCOMPARE(window->getCaptureMode(), 0);
}

// Random payloads under every id, with the views changing among them: afterwards a phone that
// connects anew is served as before. Runs in seconds; CI runs it again under ASan and UBSan.
void TestCoreRemote::randomCommandsLeaveTheServerServing()
{
    const QList<quint32> ids{0x80000003, 0x80000004, 0x80000005, 0x80000006, 0x80000007, 0x80000200, 0x80000201,
                             0x80000202, 0x80000203, 0x80000204, 0x80000205, 0x80000206, 0x80000207, 0x80000208,
                             0x80000209, 0x8000020a, 0x8000020b, 0x8000020c, 0x8000020d, 0x8000020e, 0x8000020f,
                             0x80000210, 0x80000211, 0x80000212, 0x80000213, 0x80000240, 0x80000241, 0x80000242,
                             0x80000244, 0x80000245, 0x80000250, 0x80000251, 0x8000040e, 0x8000040f, 0x80000411,
                             0x80000421, 0x80000428, 0x80000441, 0x80000442, 0x80000443, 0x80000451, 0x80000452,
                             0x80000453, 0x80000454, 0x80000777};
    auto bar = toolbarWithLayout(2);
    QRandomGenerator random(20261210);
    for (int round = 0; round < 600; ++round) {
        if (round % 25 == 0)
            m_phone->send(View, ints({qint32(random.bounded(4))}));
        const quint32 id = ids.at(int(random.bounded(ids.size())));
        QByteArray payload(int(random.bounded(13)), Qt::Uninitialized);
        for (char &byte : payload)
            byte = char(random.bounded(256));
        // Half the time a small first value, so the commands' own paths run, not only their refusals.
        if (payload.size() >= 4 && random.bounded(2) == 0)
            payload.replace(0, 4, ints({qint32(random.bounded(-1, 5))}));
        m_phone->send(id, payload);
        if (round % 50 == 49)
            QVERIFY(m_phone->sync(0));
    }

    m_phone->disconnectFromProgram();
    PhoneClient fresh;
    QVERIFY(fresh.connectTo(bar->remoteServer()->serverPort()));
    QByteArray answer;
    QVERIFY(fresh.request(View, ints({0}), &answer));
    QCOMPARE(answer, ints({0}));
    QVERIFY(fresh.request(Picture, "ok", &answer));
    QCOMPARE(answer, QByteArray("ok"));
    QVERIFY(fresh.request(View, ints({1}), &answer));
    QVERIFY(fresh.request(CaptureModeQuery, QByteArray(), &answer));
    QCOMPARE(answer.size(), 4);
}

// The toolbar and its camera windows show one notice at a time between them: each tells the others
// when its notice opens and closes.
void TestCoreRemote::noticeFlagSharedWithTheCameraWindows()
{
    auto bar = toolbarWithLayout(2);
    CameraMainWidget *first = bar->firstCameraWindow();
    CameraMainWidget *second = bar->secondCameraWindow();
    QVERIFY(first && second);

    bar->showNotificationDialog(QStringLiteral("Tivlo"), QStringLiteral("toolbar notice"), 0);
    QVERIFY(shownNotice(*bar).contains(QLatin1String("toolbar notice")));
    for (CameraMainWidget *window : {first, second}) {
        window->showNotificationDialog(QStringLiteral("Tivlo"), QStringLiteral("window notice"), 0);
        QVERIFY(shownNotice(*window).isEmpty());
    }

    bar->notification()->closeDialog();
    QVERIFY(!bar->isDialogShown());
    second->showNotificationDialog(QStringLiteral("Tivlo"), QStringLiteral("window notice"), 0);
    QVERIFY(shownNotice(*second).contains(QLatin1String("window notice")));
    QVERIFY(bar->isDialogShown());
    bar->showNotificationDialog(QStringLiteral("Tivlo"), QStringLiteral("toolbar notice"), 0);
    QVERIFY(shownNotice(*bar).isEmpty());
}

// A reboot begun in either window's camera settings holds both windows back from taking a camera
// that appears meanwhile (it is the rebooting one coming back).
void TestCoreRemote::rebootReachesBothWindows()
{
    plugOnly({});
    auto bar = toolbarWithLayout(2);
    CameraMainWidget *first = bar->firstCameraWindow();
    CameraMainWidget *second = bar->secondCameraWindow();
    QVERIFY(first && second);
    QCOMPARE(first->comboBoxSource->currentIndex(), 0);
    QCOMPARE(second->comboBoxSource->currentIndex(), 0);

    emit second->settingDialog->startReboot(true);
    SimulatedCameras::instance()->plug(camera(2, QStringLiteral("Doc back")));
    // A window lists a new camera and decides whether to take it in one go: once both list it,
    // neither took it.
    QTRY_COMPARE(first->comboBoxSource->count(), 2);
    QTRY_COMPARE(second->comboBoxSource->count(), 2);
    QCOMPARE(first->comboBoxSource->currentIndex(), 0);
    QCOMPARE(second->comboBoxSource->currentIndex(), 0);

    emit first->settingDialog->startReboot(false);
    SimulatedCameras::instance()->plug(camera(3, QStringLiteral("Doc new")));
    QTRY_VERIFY(first->comboBoxSource->currentIndex() != 0 || second->comboBoxSource->currentIndex() != 0);
}

// In picture in picture the small window is kept in front of the large one, whichever reports the
// change.
void TestCoreRemote::smallerWindowStaysInFront()
{
    auto bar = toolbarWithLayout(3);
    CameraMainWidget *large = bar->firstCameraWindow();
    CameraMainWidget *small = bar->secondCameraWindow();
    QVERIFY(large && small);
    QVERIFY(large->width() * large->height() > small->width() * small->height());
    QTRY_VERIFY(stackPlaces(large, small).first >= 0 && stackPlaces(large, small).second >= 0);
    // The toolbar's answer to a reported change alone: its watch on the screen's stack would put the
    // order back first.
    QVERIFY(disconnect(platform::StackingWatch::instance(), nullptr, bar.get(), nullptr));

    for (CameraMainWidget *reporter : {large, small}) {
        // Lowered while the toolbar does not listen (a lowering is itself a change it would undo), so
        // the window system shows it lowered before the change is reported.
        for (CameraMainWidget *window : {large, small})
            QVERIFY(disconnect(window, &CameraMainWidget::zorderChange, bar.get(), nullptr));
        small->lower();
        QTRY_VERIFY(stackPlaces(large, small).second < stackPlaces(large, small).first);
        for (CameraMainWidget *window : {large, small})
            QVERIFY(connect(window, SIGNAL(zorderChange()), bar.get(), SLOT(handleZorderChange())));
        emit reporter->zorderChange();
        QTRY_VERIFY(stackPlaces(large, small).second > stackPlaces(large, small).first);
    }
}

QTEST_MAIN(TestCoreRemote)
#include "tst_toolbar_remote.moc"
