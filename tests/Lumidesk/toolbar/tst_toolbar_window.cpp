// Mouse events go the way the window system's do: into the window, to the widget under the mouse or
// the one holding it.
#define QTEST_QPA_MOUSE_HANDLING

#include "toolbarfixture.h"

#include "analytics/bigdata.h"
#include "camerawindow/cameramainwidget.h"
#include "camerawindow/seethroughmask.h"
#include "audio/qorvaudiosourcewatcher.h"
#include "capture/qorvcapturesession.h"
#include "dialogs/othersettingdialog.h"
#include "dialogs/swupdatedialog.h"
#include "journix.h"
#include "syslogger.h"
#include "scriptedhttpserver.h"
#include "telegate.h"
#include "toolbar/pipwidget.h"
#include "ui_pipwidget.h"
#include "vantoqrcode.h"
#include "vantoupdater.h"

#include <QScreen>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>
#include <QtEndian>

#include <functional>

using namespace toolbar;

using Places = QList<QPair<QString, QPoint>>;
Q_DECLARE_METATYPE(Places)

namespace {

QString drawletFake()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/DrawletApp/bin/DrawletApp");
}

// What a button of the bar shows: its place inside its parent.
QPoint placeOf(Lumidesk &bar, const QString &name)
{
    const QWidget *widget = bar.findChild<QWidget *>(name);
    return widget ? widget->pos() : QPoint(-999, -999);
}

// One step's effect as the toolbar shows it.
struct Effect
{
    const char *name;
    std::function<bool(const Lumidesk &)> holds;
};

// Probes the toolbar being built (in its constructor it is already a Lumidesk) at every event the
// program delivers meanwhile and every line it logs on the GUI thread, and keeps each state that differs
// from the one before.
class ConstructionWatch : public QObject, private SysLogger
{
public:
    using Probe = std::function<QList<bool>(const Lumidesk &)>;

    explicit ConstructionWatch(Probe probe)
        : m_probe(std::move(probe))
    {
        qApp->installEventFilter(this);
        Journix *journix = Journix::getSysJournix();
        m_level = journix->logLevel();
        journix->setLogger(this);
        journix->setLogLevel(Journix::Debug);
        journix->startLog();
    }
    ~ConstructionWatch() override { stop(); }

    // Ends the watch with the state the constructor left.
    void stop(const Lumidesk &built)
    {
        stop();
        take(built);
    }

    QList<QList<bool>> states() const { return m_states; }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        Q_UNUSED(event)
        if (!m_bar)
            m_bar = qobject_cast<Lumidesk *>(watched);
        if (m_bar)
            take(*m_bar);
        return false;
    }

private:
    void stop()
    {
        qApp->removeEventFilter(this);
        Journix *journix = Journix::getSysJournix();
        journix->stopLog();
        journix->setLogger(nullptr);
        journix->setLogLevel(m_level);
    }

    bool open() override { return true; }
    void close() override {}
    void write(const QByteArray &line) override
    {
        Q_UNUSED(line)
        if (m_bar && QThread::currentThread() == qApp->thread())
            take(*m_bar);
    }

    void take(const Lumidesk &bar)
    {
        const QList<bool> state = m_probe(bar);
        if (m_states.isEmpty() || m_states.last() != state)
            m_states.append(state);
    }

    Probe m_probe;
    const Lumidesk *m_bar = nullptr;
    QList<QList<bool>> m_states;
    int m_level = 0;
};

} // namespace

// The toolbar window on a 1920 x 1080 screen with the simulated devices: how it is built, how it lies
// on each screen edge, its narrow form, dragging, the pen hand-over, the language, its dialogs and
// closing.
class TestToolbar : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void constructionInOrder();
    void soundServerWaitsForTheEventLoop();
    void firstStartAtBottomCentre();
    void dockedOnEachEdge_data();
    void dockedOnEachEdge();
    void narrowOnEachEdge_data();
    void narrowOnEachEdge();
    void dockingKeepsTheNarrowForm();
    void shapeFollowsTheBarWithoutCompositor();
    void dragDocksWhereReleased();
    void penHandsOverToThePanel();
    void penWithoutPanelKeepsTheToolbar();
    void languageReachesEveryWindowAndThePanel();
    void settingsDialogOneAtATime();
    void startsDrawletBesideIt();
    void updateOfferedInsteadOfTheChooser();
    void closesOnceInOrder();
};

void TestToolbar::initTestCase()
{
    useSimulatedDevices();
    QCOMPARE(QGuiApplication::primaryScreen()->geometry(), QRect(0, 0, 1920, 1080));
}

void TestToolbar::init()
{
    writeSettings({});
}

void TestToolbar::cleanup()
{
    SeeThroughMask::setCompositingOverride(-1);
    QFile::remove(drawletFake());
}

void TestToolbar::constructionInOrder()
{
    // Another program holds the remote-control port: the server takes a free one, and the pairing
    // code must carry that one.
    // Other tests running beside this one take and free the same port; wait until this one holds it.
    QTcpServer holder;
    QTRY_VERIFY_WITH_TIMEOUT(holder.isListening() || holder.listen(QHostAddress::LocalHost, Telegate::defaultPort()),
                             60000);
    // The test catalogue: the language step has something to apply.
    writeSettings({{QStringLiteral("Language/CurrentLang"), QStringLiteral("de_DE")}});

    // Each step's effect, in the constructor's order, as the half-built toolbar shows it.
    const QList<Effect> effects = {
            {"form",
             [](const Lumidesk &b) { return b.QMainWindow::centralWidget() && b.maximumSize() == QSize(488, 55); }},
            {"layout chooser", [](const Lumidesk &b) { return b.layoutChooser() != nullptr; }},
            {"live publisher", [](const Lumidesk &b) { return b.publisher() != nullptr; }},
            {"desktop live settings", [](const Lumidesk &b) { return b.liveSettingDialog() != nullptr; }},
            {"language folder",
             [](const Lumidesk &b) { return b.languageFolder().endsWith(QLatin1String("/Languages")); }},
            {"general settings", [](const Lumidesk &b) { return b.settingDialog() != nullptr; }},
            {"desktop session running",
             [](const Lumidesk &b) { return b.desktopSession() && b.desktopSession()->isRunning(); }},
            {"notification dialog", [](const Lumidesk &b) { return b.notification() != nullptr; }},
            {"local server listening",
             [](const Lumidesk &b) { return b.localServer() && b.localServer()->isListening(); }},
            {"language applied", [](const Lumidesk &b) { return b.currentLanguage() == QLatin1String("de_DE"); }},
            {"translucent", [](const Lumidesk &b) { return b.testAttribute(Qt::WA_TranslucentBackground); }},
            {"remote server listening",
             [](const Lumidesk &b) { return b.remoteServer() && b.remoteServer()->isListening(); }},
            {"update check", [](const Lumidesk &b) { return b.updateDialog() != nullptr; }},
            {"audio poll",
             [](const Lumidesk &b) {
                 for (const QTimer *timer : b.findChildren<QTimer *>(QString(), Qt::FindDirectChildrenOnly)) {
                     if (timer->isActive() && timer->interval() == Lumidesk::Timing().audioPollMs)
                         return true;
                 }
                 return false;
             }},
            {"first camera window", [](const Lumidesk &b) { return b.firstCameraWindow() != nullptr; }},
    };
    ConstructionWatch watch([&effects](const Lumidesk &bar) {
        QList<bool> state;
        for (const auto &effect : effects)
            state.append(effect.holds(bar));
        return state;
    });
    auto bar = std::make_unique<Lumidesk>();
    watch.stop(*bar);

    // Each effect appears no earlier than the one before it and stays; all but the last show while the
    // toolbar is being built (the last state is the one the constructor left).
    const QList<QList<bool>> states = watch.states();
    int previousFirst = 0;
    for (int i = 0; i < effects.size(); ++i) {
        const QString name = QString::fromLatin1(effects.at(i).name);
        int first = -1;
        for (int k = 0; k < states.size(); ++k) {
            if (states.at(k).at(i) && first < 0)
                first = k;
            QVERIFY2(first < 0 || states.at(k).at(i), qPrintable(name + " went away"));
        }
        QVERIFY2(first >= 0, qPrintable(name + " never done"));
        QVERIFY2(first < states.size() - 1 || i == effects.size() - 1, qPrintable(name + " not seen while building"));
        if (first < previousFirst)
            QFAIL(qPrintable(name + " came before " + effects.at(i - 1).name));
        previousFirst = first;
    }

    // Shown as the program shows it.
    bar->setWindowFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    bar->show();
    bar->loadLastPoint();
    // The chooser's form waits for the chooser's own first show, after the toolbar's.
    QVERIFY(!bar->layoutChooser()->hasForm());

    // What the steps left behind.
    QCOMPARE(bar->windowTitle(), QStringLiteral("Lumidesk"));
    QVERIFY(bar->testAttribute(Qt::WA_TranslucentBackground));
    QVERIFY(bar->desktopSession()->isRunning());
    QCOMPARE(bar->desktopSession()->frameSources(), QList<QorvFrameSource *>{bar->screenSource()});
    QVERIFY(bar->localServer()->isListening());
    QVERIFY(bar->remoteServer()->isListening());
    QCOMPARE(bar->remoteServer()->serverAddress(), QHostAddress(QHostAddress::LocalHost));
    QVERIFY(bar->remoteServer()->serverPort() != Telegate::defaultPort());
    QCOMPARE(VantoQRCode::pairingPort(), bar->remoteServer()->serverPort());
    QVERIFY(bar->firstCameraWindow());
    QCOMPARE(bar->firstCameraWindow()->getCameraOrder(), 1);
    QVERIFY(!bar->firstCameraWindow()->isVisible());
    QVERIFY(!bar->secondCameraWindow());
    QCOMPARE(BigData::RequireBigData()->currentPage(), int(BigData::Program_start));
    // No update server is configured: no check, and the layout chooser opens with the toolbar.
    QVERIFY(!bar->updateDialog()->isVisible());
    QTRY_VERIFY(bar->layoutChooser()->isVisible());
    QVERIFY(bar->layoutChooser()->isModal());
    QCOMPARE(bar->layoutChooser()->parentWidget(), bar.get());
    // Built then, in the language applied before, with all four layouts on offer.
    QCOMPARE(bar->layoutChooser()->form()->label->text(), QStringLiteral("Nur Desktop"));
    QVERIFY(bar->layoutChooser()->form()->noCameraWidget->isVisible());
    QCOMPARE(bar->layoutChooser()->geometry(), QRect(560, 425, 800, 229));
}

void TestToolbar::soundServerWaitsForTheEventLoop()
{
    // The sound inputs' watcher asks the sound server for its list and waits for the answer: it is
    // made once the event loop turns, after the toolbar is shown, never by the constructor.
    auto bar = makeToolbar();
    QVERIFY(!bar->findChild<QorvAudioSourceWatcher *>());
    QTRY_VERIFY(bar->findChild<QorvAudioSourceWatcher *>());
    QCOMPARE(bar->findChildren<QorvAudioSourceWatcher *>().size(), 1);
}

void TestToolbar::firstStartAtBottomCentre()
{
    auto bar = makeToolbar();
    QCOMPARE(bar->geometry(), QRect(716, 1025, 488, 55));
    QCOMPARE(bar->dockEdge(), 1);
    QVERIFY(bar->horizontalWidget->isVisible());
    QVERIFY(!bar->verticleWidget->isVisible());
}

void TestToolbar::dockedOnEachEdge_data()
{
    QTest::addColumn<QPoint>("saved");
    QTest::addColumn<int>("edge");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("barImage");
    QTest::addColumn<QString>("narrowImage");
    QTest::addColumn<Places>("places");

    QTest::newRow("bottom") << QPoint(716, 1025) << 1 << QRect(716, 1025, 488, 55) << "bg_t_b_downbar" << "btn_narrow_t"
                            << Places{{"narrowBtn", {0, 20}},   {"moveBtn", {35, 14}},     {"selectLayoutBtn", {0, 8}},
                                      {"recordBtn", {112, 8}},  {"drawletBtn", {336, 8}},  {"closeBtn", {453, 20}}};
    QTest::newRow("top") << QPoint(900, 0) << 0 << QRect(900, 0, 488, 55) << "bg_t_b_topbar" << "btn_narrow_t"
                         << Places{{"narrowBtn", {0, 0}},     {"moveBtn", {35, 3}},      {"captureBtn", {56, 3}},
                                   {"settingsBtn", {280, 3}}, {"closeBtn", {453, 0}}};
    QTest::newRow("top, pushed past the right edge")
            << QPoint(1500, 20) << 0 << QRect(1431, 0, 488, 55) << "bg_t_b_topbar" << "btn_narrow_t"
            << Places{{"closeBtn", {453, 0}}};
    QTest::newRow("left") << QPoint(30, 400) << 2 << QRect(0, 400, 55, 488) << "bg_t_b_leftbar" << "btn_narrow3_t"
                          << Places{{"narrowBtnVer", {0, 0}},      {"moveBtnVer", {0, 35}},
                                    {"selectLayoutBtnVer", {3, 0}}, {"streamingBtnVer", {3, 168}},
                                    {"closeBtnVer", {0, 453}}};
    QTest::newRow("right") << QPoint(1700, 300) << 3 << QRect(1865, 300, 55, 488) << "bg_t_b_rightbar"
                           << "btn_narrow3_t"
                           << Places{{"narrowBtnVer", {20, 0}},     {"moveBtnVer", {8, 35}},
                                     {"previewBtnVer", {8, 224}},   {"drawletBtnVer", {8, 336}},
                                     {"closeBtnVer", {20, 453}}};
    // Pushed up from below, the bar ends one pixel inside the right edge.
    QTest::newRow("right, low: bottom on the screen's")
            << QPoint(1800, 900) << 3 << QRect(1864, 592, 55, 488) << "bg_t_b_rightbar" << "btn_narrow3_t" << Places{};
}

void TestToolbar::dockedOnEachEdge()
{
    QFETCH(QPoint, saved);
    QFETCH(int, edge);
    QFETCH(QRect, geometry);
    QFETCH(QString, barImage);
    QFETCH(QString, narrowImage);
    QFETCH(Places, places);
    writeSettings({{"POSITION/X", saved.x()}, {"POSITION/Y", saved.y()}});

    auto bar = makeToolbar();
    QCOMPARE(bar->dockEdge(), edge);
    QCOMPARE(bar->geometry(), geometry);
    const bool vertical = edge >= 2;
    QWidget *shown = vertical ? bar->verticleWidget : bar->horizontalWidget;
    QWidget *hidden = vertical ? bar->horizontalWidget : bar->verticleWidget;
    QVERIFY(shown->isVisible());
    QVERIFY(!hidden->isVisible());
    QVERIFY2(shown->styleSheet().contains("/" + barImage + ".png"), qPrintable(shown->styleSheet()));
    const QToolButton *narrow = vertical ? bar->narrowBtnVer : bar->narrowBtn;
    QVERIFY2(narrow->styleSheet().contains("/" + narrowImage + "_hover.png"), qPrintable(narrow->styleSheet()));
    for (const auto &place : places)
        QCOMPARE(placeOf(*bar, place.first), place.second);
}

void TestToolbar::narrowOnEachEdge_data()
{
    QTest::addColumn<QPoint>("saved");
    QTest::addColumn<QSize>("narrowBar");
    QTest::addColumn<QString>("narrowBarImage");
    QTest::addColumn<QString>("narrowButtonImage");
    QTest::addColumn<QString>("close");
    QTest::addColumn<QPoint>("narrowClose");
    QTest::addColumn<QPoint>("enlargedClose");
    QTest::addColumn<QString>("enlargedBarImage");

    QTest::newRow("bottom") << QPoint(716, 1025) << QSize(70, 55) << "bg_t_s_topbar_down" << "btn_narrow2_t"
                            << "closeBtn" << QPoint(35, 20) << QPoint(452, 20) << "bg_t_b_downbar";
    QTest::newRow("top") << QPoint(900, 0) << QSize(70, 55) << "bg_t_s_topbar" << "btn_narrow2_t" << "closeBtn"
                         << QPoint(35, 0) << QPoint(452, 0) << "bg_t_b_topbar";
    QTest::newRow("left") << QPoint(30, 400) << QSize(55, 70) << "bg_t_s_topbar_left" << "btn_narrow4_t"
                          << "closeBtnVer" << QPoint(3, 35) << QPoint(3, 452) << "bg_t_b_leftbar";
    QTest::newRow("right") << QPoint(1700, 300) << QSize(55, 70) << "bg_t_s_topbar_right" << "btn_narrow4_t"
                           << "closeBtnVer" << QPoint(23, 35) << QPoint(23, 452) << "bg_t_b_rightbar";
}

void TestToolbar::narrowOnEachEdge()
{
    QFETCH(QPoint, saved);
    QFETCH(QSize, narrowBar);
    QFETCH(QString, narrowBarImage);
    QFETCH(QString, narrowButtonImage);
    QFETCH(QString, close);
    QFETCH(QPoint, narrowClose);
    QFETCH(QPoint, enlargedClose);
    QFETCH(QString, enlargedBarImage);
    writeSettings({{"POSITION/X", saved.x()}, {"POSITION/Y", saved.y()}});

    auto bar = makeToolbar();
    const QRect docked = bar->geometry();
    const bool vertical = bar->dockEdge() >= 2;
    QWidget *barWidget = vertical ? bar->verticleWidget : bar->horizontalWidget;
    QToolButton *narrowButton = vertical ? bar->narrowBtnVer : bar->narrowBtn;
    QWidget *group = vertical ? bar->functionGroupVer : bar->functionGroup;

    narrowButton->click();
    QVERIFY(bar->isNarrow());
    QCOMPARE(barWidget->size(), narrowBar);
    QVERIFY(barWidget->styleSheet().contains("/" + narrowBarImage + ".png"));
    QVERIFY(narrowButton->styleSheet().contains("/" + narrowButtonImage + "_normal.png"));
    QCOMPARE(placeOf(*bar, close), narrowClose);
    QVERIFY(barWidget->rect().contains(QRect(narrowClose, QSize(35, 35)).center()));
    QVERIFY(!group->isVisible());
    QCOMPARE(narrowButton->toolTip(), QStringLiteral("enlarge"));
    QCOMPARE(bar->geometry(), docked); // the window keeps its size and place

    narrowButton->click();
    QVERIFY(!bar->isNarrow());
    QCOMPARE(barWidget->size(), vertical ? QSize(55, 488) : QSize(488, 55));
    QVERIFY(barWidget->styleSheet().contains("/" + enlargedBarImage + ".png"));
    QCOMPARE(placeOf(*bar, close), enlargedClose);
    QVERIFY(group->isVisible());
    QCOMPARE(narrowButton->toolTip(), QStringLiteral("narrow"));
    QCOMPARE(bar->geometry(), docked);
}

void TestToolbar::dockingKeepsTheNarrowForm()
{
    auto bar = makeToolbar();
    bar->narrowBtn->click();
    // Back from DrawletApp at the top: the narrow bar keeps its narrow image and its close button.
    QMetaObject::invokeMethod(bar.get(), "showLumidesk", Q_ARG(int, 900), Q_ARG(int, 0));
    QCOMPARE(bar->dockEdge(), 0);
    QVERIFY(bar->isNarrow());
    QCOMPARE(bar->horizontalWidget->size(), QSize(70, 55));
    QVERIFY(bar->horizontalWidget->styleSheet().contains("/bg_t_s_topbar.png"));
    QCOMPARE(bar->closeBtn->pos(), QPoint(35, 0));
    QVERIFY(bar->closeBtn->isVisibleTo(bar.get()));
}

void TestToolbar::shapeFollowsTheBarWithoutCompositor()
{
    QVERIFY(!SeeThroughMask::compositing()); // Xvfb runs no compositing manager
    auto bar = makeToolbar();
    // Bottom: the plate with round top corners, square against the screen's edge.
    QVERIFY(bar->mask().contains(QPoint(240, 30)));
    QVERIFY(bar->mask().contains(QPoint(240, 0)));
    QVERIFY(!bar->mask().contains(QPoint(0, 0)));
    QVERIFY(!bar->mask().contains(QPoint(487, 0)));
    QVERIFY(bar->mask().contains(QPoint(0, 54)));

    // Narrow: only the short plate; the rest of the window is not there.
    bar->narrowBtn->click();
    QVERIFY(bar->mask().contains(QPoint(20, 40)));
    QVERIFY(!bar->mask().contains(QPoint(300, 40)));
    bar->narrowBtn->click();

    QMetaObject::invokeMethod(bar.get(), "showLumidesk", Q_ARG(int, 30), Q_ARG(int, 400));
    QVERIFY(bar->mask().contains(QPoint(20, 240)));
    QVERIFY(bar->mask().contains(QPoint(0, 0)));
    QVERIFY(!bar->mask().contains(QPoint(54, 0)));

    // With a compositor the window stays translucent and takes no shape.
    SeeThroughMask::setCompositingOverride(1);
    QMetaObject::invokeMethod(bar.get(), "showLumidesk", Q_ARG(int, 716), Q_ARG(int, 1025));
    QVERIFY(bar->mask().isEmpty());
}

void TestToolbar::dragDocksWhereReleased()
{
    auto bar = makeToolbar();
    QCOMPARE(bar->pos(), QPoint(716, 1025));
    // The layout chooser that opens with the bar is modal: it is closed first, as a user would.
    QTRY_VERIFY(bar->layoutChooser()->isVisible());
    bar->layoutChooser()->reject();
    CustomMoveButton *handle = bar->moveBtn;
    // Grabbed 5, 10 into the move handle and dragged 100 right and 300 up: the bar follows the mouse.
    const QPoint grab(5, 10);
    QTest::mousePress(handle, Qt::LeftButton, {}, grab);
    QTest::mouseMove(handle, grab + QPoint(100, -300));
    QCOMPARE(bar->pos(), QPoint(816, 725));

    // On to the left fifth of the screen and released there: docked at the left edge where it was let go.
    const QPoint target(100, 500);
    QTest::mouseMove(handle, handle->mapFromGlobal(target));
    const QPoint grabbedAt = target - handle->mapTo(bar.get(), grab);
    QCOMPARE(bar->pos(), grabbedAt);
    QTest::mouseRelease(handle, Qt::LeftButton, {}, handle->mapFromGlobal(target));
    QCOMPARE(bar->dockEdge(), 2);
    QCOMPARE(bar->geometry(), QRect(0, grabbedAt.y(), 55, 488));

    // The right button drags nothing.
    CustomMoveButton *vertical = bar->moveBtnVer;
    QTest::mousePress(vertical, Qt::RightButton, {}, QPoint(10, 10));
    QTest::mouseMove(vertical, QPoint(40, 300));
    QTest::mouseRelease(vertical, Qt::RightButton, {}, QPoint(40, 300));
    QCOMPARE(bar->geometry(), QRect(0, grabbedAt.y(), 55, 488));
    QCOMPARE(bar->dockEdge(), 2);
}

void TestToolbar::penHandsOverToThePanel()
{
    auto bar = makeToolbar();
    ScriptedPanel panel;
    QVERIFY(panel.connectToToolbar());
    QTRY_VERIFY(bar->localServer()->isPanelConnected());

    bar->drawletBtn->click();
    QTRY_VERIFY(panel.received().contains("cap_hideLumidesk/p716/p1025"));
    QCOMPARE(bar->pos(), QPoint(-2000, -2000));
    QVERIFY(!bar->isVisible());

    panel.send("cap_showLumidesk/p1700/p300");
    QTRY_COMPARE(bar->geometry(), QRect(1865, 300, 55, 488));
    QCOMPARE(bar->dockEdge(), 3);
    QVERIFY(bar->isVisible());
}

void TestToolbar::penWithoutPanelKeepsTheToolbar()
{
    auto bar = makeToolbar();
    bar->drawletBtn->click();
    QCOMPARE(bar->geometry(), QRect(716, 1025, 488, 55));
    QVERIFY(bar->isVisible());
}

void TestToolbar::languageReachesEveryWindowAndThePanel()
{
    auto bar = makeToolbar();
    ScriptedPanel panel;
    QVERIFY(panel.connectToToolbar());
    QTRY_VERIFY(panel.has("cap_changeLanguage"));
    panel.clear();
    QCOMPARE(bar->recordBtn->toolTip(), QStringLiteral("record desktop"));

    emit bar->settingDialog()->langChanged(QStringLiteral("de_DE"));
    QCOMPARE(bar->currentLanguage(), QStringLiteral("de_DE"));
    QCOMPARE(bar->recordBtn->toolTip(), QStringLiteral("Desktop aufnehmen"));
    QCOMPARE(bar->layoutChooser()->form()->label->text(), QStringLiteral("Nur Desktop"));
    QCOMPARE(bar->firstCameraWindow()->comboBoxSource->itemText(0), QStringLiteral("Kamera"));
    // The notice builds its form on its first show, in the language then in force.
    QVERIFY(!bar->notification()->hasForm());
    bar->notification()->show();
    const auto okButtons = bar->notification()->findChildren<QToolButton *>("btnOk");
    QVERIFY(!okButtons.isEmpty());
    QCOMPARE(okButtons.first()->text(), QStringLiteral("Gut"));
    bar->notification()->hide();
    QTRY_COMPARE(panel.received(), QStringList{"cap_changeLanguage/pde_DE"});

    // A language without a catalogue changes nothing and tells nobody.
    emit bar->settingDialog()->langChanged(QStringLiteral("fr_FR"));
    QCOMPARE(bar->currentLanguage(), QStringLiteral("de_DE"));
    QCOMPARE(bar->recordBtn->toolTip(), QStringLiteral("Desktop aufnehmen"));
    QVERIFY(panel.settle(*bar));
    QCOMPARE(panel.received(), (QStringList{"cap_changeLanguage/pde_DE", "test_marker/p1"}));
}

void TestToolbar::settingsDialogOneAtATime()
{
    auto bar = makeToolbar();
    OtherSettingDialog *first = bar->settingDialog();
    bar->settingsBtn->click();
    OtherSettingDialog *opened = bar->settingDialog();
    QVERIFY(opened && opened != first);
    QVERIFY(opened->isVisible());
    bar->settingsBtnVer->click();
    QCOMPARE(bar->settingDialog(), opened);
    QCOMPARE(bar->findChildren<OtherSettingDialog *>().size(), 2);

    QPointer<OtherSettingDialog> closing(opened);
    emit opened->closeOtherSetting();
    QVERIFY(!bar->settingDialog());
    QTRY_VERIFY(closing.isNull()); // deleted once back in the event loop
    bar->settingsBtn->click();
    QVERIFY(bar->settingDialog());
    QCOMPARE(bar->findChildren<OtherSettingDialog *>().size(), 2);
}

void TestToolbar::startsDrawletBesideIt()
{
    QTemporaryDir marks;
    const QString marker = marks.filePath("drawlet-started");
    QVERIFY(QDir().mkpath(QFileInfo(drawletFake()).path()));
    QFile fake(drawletFake());
    QVERIFY(fake.open(QIODevice::WriteOnly));
    fake.write("#!/bin/sh\necho \"started $#\" > \"$FAKE_DRAWLET_MARKER\"\n");
    fake.close();
    fake.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("FAKE_DRAWLET_MARKER", marker.toUtf8());

    auto bar = makeToolbar();
    // The start-up starts DrawletApp once the first frame is on the screen, not the constructor.
    QVERIFY(bar->drawletProgram().isEmpty());
    bar->startDrawlet();
    QCOMPARE(bar->drawletProgram(), drawletFake());
    QTRY_VERIFY(QFileInfo::exists(marker));
    QFile started(marker);
    QVERIFY(started.open(QIODevice::ReadOnly));
    QCOMPARE(started.readAll().trimmed(), QByteArray("started 0"));
    qunsetenv("FAKE_DRAWLET_MARKER");
}

void TestToolbar::updateOfferedInsteadOfTheChooser()
{
    ScriptedHttpServer server;
    QVERIFY(server.listen());
    ScriptedHttpServer::Reply config;
    config.body = "LinuxVersion=\"99.0.0.0\"\nEOF\n";
    server.route("/Tivlo/check4Update/update.cfg", config);
    const QUrl reserved = VantoUpdater::updateServerBase();
    VantoUpdater::setUpdateServerBase(server.url());

    auto bar = makeToolbar();
    // The check asks once the event loop runs, after the toolbar is up.
    QTRY_VERIFY(bar->updateDialog()->isVisible());
    VantoUpdater::setUpdateServerBase(reserved);
    QCOMPARE(server.requestCount(), 1);
    QVERIFY(bar->updateDialog()->isModal());
    // The chooser that opens with the toolbar is queued by the toolbar's show: once a call queued now
    // has run, it would be up.
    QVERIFY(runQueued(*bar));
    QVERIFY(!bar->layoutChooser()->isVisible());

    // Closing the offer opens the chooser.
    bar->updateDialog()->closeDialog();
    QTRY_VERIFY(bar->layoutChooser()->isVisible());
}

void TestToolbar::closesOnceInOrder()
{
    auto bar = makeToolbar();
    ScriptedPanel panel;
    QVERIFY(panel.connectToToolbar());
    QTcpSocket phone;
    phone.connectToHost(QHostAddress::LocalHost, bar->remoteServer()->serverPort());
    QVERIFY(phone.waitForConnected(3000));
    QTRY_COMPARE(bar->remoteServer()->clientCount(), 1);
    bar->move(900, 0);
    QSignalSpy analytics(bar.get(), &Lumidesk::sendCommand);

    bar->closeBtn->click();
    QVERIFY(bar->isClosed());
    QVERIFY(!bar->isVisible());
    bar->close();
    bar->closeBtnVer->click();
    QCOMPARE(analytics.size(), 2);
    QCOMPARE(analytics.at(0).at(0).toInt(), Lumidesk::LanguageEvent);
    QCOMPARE(analytics.at(0).at(1), QVariant(bar->currentLanguage()));
    QCOMPARE(analytics.at(1).at(0).toInt(), Lumidesk::ProgramExitEvent);
    QVERIFY(!bar->desktopSession()->isRunning());
    QVERIFY(bar->desktopSession()->frameSources().isEmpty());

    const QSettings settings(_GUID_SETTING_INI, QSettings::IniFormat);
    QCOMPARE(settings.value("POSITION/X").toInt(), 900);
    QCOMPARE(settings.value("POSITION/Y").toInt(), 0);
    // The phone hears that the program closes: id 0x80000003, nothing in it.
    QTRY_COMPARE(phone.bytesAvailable(), qint64(8));
    const QByteArray frame = phone.readAll();
    QCOMPARE(qFromLittleEndian<quint32>(frame.constData()), 0x80000003u);
    QCOMPARE(qFromLittleEndian<quint32>(frame.constData() + 4), 0u);
    // Nothing recorded or streamed: the panel is asked to stop nothing.
    QVERIFY(panel.settle(*bar));
    QVERIFY(!panel.has("cap_stopRecord"));
    QVERIFY(!panel.has("cap_stopLive"));

    // The collector goes with the program: a new one starts afresh.
    bar.reset();
    QCOMPARE(BigData::RequireBigData()->currentPage(), 0);
}

QTEST_MAIN(TestToolbar)
#include "tst_toolbar_window.moc"
