// The whole road as a user has it: the built Lumidesk, run from the build tree laid out as installed,
// with the simulated devices, starts the real DrawletApp from its own folder; DrawletApp loads the real
// record and live panel plug-in, which connects back over the local link. Everything is driven by
// clicks through the X display and watched there, in the movie folder and in the program's log.
#include "writerprobe.h"
#include "xdotool.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>
#include <QtTest>

#include <csignal>
#include <sys/types.h>

namespace {

const int WaitMs = 20000;
const QRect Screen(0, 0, 1920, 1080);

// Where a user finds things, by the folders a user knows.
QString documents(const QString &path)
{
    return QDir::homePath() + QStringLiteral("/Documents/") + path;
}

struct Window
{
    QString id;
    QString name;
    QRect geometry;
};

// The mapped top-level windows of a process, as the X server has them (a window moved off the screen
// is still mapped).
QList<Window> windowsOf(qint64 pid)
{
    QString ids;
    xdotool({"search", "--onlyvisible", "--pid", QString::number(pid)}, &ids);
    QList<Window> windows;
    for (const QString &id : ids.split('\n', Qt::SkipEmptyParts)) {
        QString geometry;
        QString name;
        if (!xdotool({"getwindowgeometry", "--shell", id}, &geometry) || !xdotool({"getwindowname", id}, &name))
            continue;
        QMap<QString, int> values;
        for (const QString &line : geometry.split('\n', Qt::SkipEmptyParts))
            values.insert(line.section('=', 0, 0), line.section('=', 1).toInt());
        windows.append({id, name.trimmed(), QRect(values["X"], values["Y"], values["WIDTH"], values["HEIGHT"])});
    }
    return windows;
}

// The window of pid with this size (and title, when one is given), or an invalid one.
Window windowOf(qint64 pid, const QSize &size, const QString &name = QString())
{
    for (const Window &window : windowsOf(pid)) {
        if ((name.isEmpty() || window.name == name) && window.geometry.size() == size)
            return window;
    }
    return Window();
}

QString describe(const QList<Window> &windows)
{
    QStringList parts;
    for (const Window &window : windows) {
        const QRect &g = window.geometry;
        parts << QStringLiteral("\"%1\" %2x%3+%4+%5").arg(window.name).arg(g.width()).arg(g.height()).arg(g.x()).arg(g.y());
    }
    return parts.isEmpty() ? QStringLiteral("no windows") : parts.join(QStringLiteral(", "));
}

bool click(const QPoint &point)
{
    return xdotool({"mousemove", "--sync", QString::number(point.x()), QString::number(point.y()), "click", "1"});
}

// Whether the process still runs: a program that ended but was not yet reaped by whoever adopted it
// (a detached program's parent is not the test) does not count.
bool running(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (pid <= 0 || !stat.open(QIODevice::ReadOnly))
        return false;
    const QByteArray line = stat.readAll();
    const int afterName = line.lastIndexOf(')');
    return afterName > 0 && line.mid(afterName + 2, 1) != "Z";
}

} // namespace

// One road, walked in order: each step starts where the one before it left the programs.
class TestWholeRoad : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void lumideskStartsDrawletAndThePanelConnects();
    void penHandsTheScreenOverAndBack();
    void recordsTheDesktopFromThePanel();
    void closingLumideskEndsDrawlet();

private:
    // The program's log so far, all its files.
    static QString lumideskLog();
    static QString drawletLog();
    Window toolbar() const { return windowOf(m_lumidesk.processId(), QSize(488, 55), QStringLiteral("Lumidesk")); }
    QString diagnosis() const;

    QString m_folder;
    QProcess m_lumidesk;
    qint64 m_drawletPid = 0;
    QRect m_toolbar;
    // A step that fails leaves the programs where no later step can start from; those fail at once.
    bool m_onTheRoad = false;
};

void TestWholeRoad::initTestCase()
{
    QVERIFY2(xdotool({"version"}), "xdotool is needed to act as the user");
    m_folder = QFileInfo(qEnvironmentVariable("LUMIDESK_PROGRAM")).absolutePath();
    for (const char *part : {"Lumidesk", "DrawletApp/bin/DrawletApp", "DrawletApp/plugins/libDeskpad.so"})
        QVERIFY2(QFileInfo::exists(m_folder + "/" + part), part);

    // A user who has seen the first-run guide before.
    QSettings settings(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
                           + QStringLiteral("/Lumidesk/Qorv/Tivlo/settings.ini"),
                       QSettings::IniFormat);
    settings.setValue(QStringLiteral("Guid/Enabled"), 0);
}

void TestWholeRoad::cleanupTestCase()
{
    if (m_lumidesk.state() != QProcess::NotRunning) {
        m_lumidesk.kill();
        m_lumidesk.waitForFinished();
    }
    // DrawletApp was started detached: a road that failed early leaves it to us.
    if (running(m_drawletPid))
        ::kill(pid_t(m_drawletPid), SIGKILL);
}

QString TestWholeRoad::lumideskLog()
{
    QString all;
    const QDir folder(documents(QStringLiteral("Qorv/Log/Tivlo")));
    for (const QString &name : folder.entryList({"Lumidesk-*.log"}, QDir::Files, QDir::Name)) {
        QFile file(folder.filePath(name));
        if (file.open(QIODevice::ReadOnly))
            all += QString::fromUtf8(file.readAll());
    }
    return all;
}

QString TestWholeRoad::drawletLog()
{
    QFile file(documents(QStringLiteral("DrawletLogFile.log")));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

QString TestWholeRoad::diagnosis() const
{
    return QStringLiteral("Lumidesk: %1; DrawletApp: %2\n--- Lumidesk log tail:\n%3\n--- DrawletApp log tail:\n%4")
        .arg(describe(windowsOf(m_lumidesk.processId())), describe(windowsOf(m_drawletPid)),
             lumideskLog().right(3000), drawletLog().right(3000));
}

void TestWholeRoad::lumideskStartsDrawletAndThePanelConnects()
{
    m_onTheRoad = false;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LUMIDESK_SIMULATE"), QStringLiteral("1"));
    m_lumidesk.setProcessEnvironment(environment);
    m_lumidesk.setProcessChannelMode(QProcess::ForwardedChannels);
    m_lumidesk.start(m_folder + QStringLiteral("/Lumidesk"), QStringList());
    QVERIFY2(m_lumidesk.waitForStarted(), qPrintable(m_lumidesk.errorString()));

    // The toolbar at the bottom centre, and the layout chooser over it, which the user closes.
    QTRY_VERIFY2_WITH_TIMEOUT(toolbar().geometry == QRect(716, 1025, 488, 55), qPrintable(diagnosis()), WaitMs);
    m_toolbar = toolbar().geometry;
    Window chooser;
    QTRY_VERIFY_WITH_TIMEOUT((chooser = windowOf(m_lumidesk.processId(), QSize(800, 229))).geometry.isValid(),
                             WaitMs);
    QVERIFY(click(chooser.geometry.topLeft() + QPoint(770 + 11, 11)));
    QTRY_VERIFY2_WITH_TIMEOUT(windowsOf(m_lumidesk.processId()).size() == 1, qPrintable(diagnosis()), WaitMs);

    // DrawletApp from the program's own folder, its panel linked to the program.
    const QRegularExpression started(QStringLiteral("DrawletApp started \\((\\d+)\\)"));
    QTRY_VERIFY2_WITH_TIMEOUT(started.match(lumideskLog()).hasMatch(), qPrintable(lumideskLog()), WaitMs);
    m_drawletPid = started.match(lumideskLog()).captured(1).toLongLong();
    QCOMPARE(QFileInfo(QStringLiteral("/proc/%1/exe").arg(m_drawletPid)).canonicalFilePath(),
             QFileInfo(m_folder + QStringLiteral("/DrawletApp/bin/DrawletApp")).canonicalFilePath());
    QTRY_VERIFY2_WITH_TIMEOUT(lumideskLog().contains(QStringLiteral("Socket connetcted")), qPrintable(diagnosis()),
                              WaitMs);
    // Nothing of DrawletApp shows until the screen is handed to it.
    QVERIFY2(windowsOf(m_drawletPid).isEmpty(), qPrintable(diagnosis()));
    m_onTheRoad = true;
}

void TestWholeRoad::penHandsTheScreenOverAndBack()
{
    QVERIFY2(m_onTheRoad, "an earlier step of the road failed");
    m_onTheRoad = false;
    const Window bar = toolbar();
    QVERIFY(click(bar.geometry.topLeft() + QPoint(392 + 22, 8 + 22)));

    // Lumidesk's toolbar leaves the screen; DrawletApp's overlay and annotation toolbar take it.
    QTRY_VERIFY2_WITH_TIMEOUT(!toolbar().geometry.intersects(Screen), qPrintable(diagnosis()), WaitMs);
    Window overlay;
    Window annotation;
    const auto drawletShows = [&] {
        overlay = annotation = Window();
        for (const Window &window : windowsOf(m_drawletPid)) {
            if (window.geometry.width() == Screen.width())
                overlay = window;
            else if (window.geometry.width() == 776)
                annotation = window;
        }
        return overlay.geometry.isValid() && annotation.geometry.isValid();
    };
    QTRY_VERIFY2_WITH_TIMEOUT(drawletShows(), qPrintable(diagnosis()), WaitMs);
    QVERIFY2(Screen.contains(annotation.geometry), qPrintable(diagnosis()));
    // Where Lumidesk's toolbar stood: at the bottom of the screen, from its left end.
    QCOMPARE(annotation.geometry.x(), bar.geometry.x());
    QCOMPARE(annotation.geometry.bottom(), Screen.bottom());

    // The annotation toolbar's close button, at its right end, gives the screen back: DrawletApp hides,
    // and Lumidesk's toolbar returns where the annotation toolbar stood, docked as before. The buttons
    // lie along the edge the toolbar is docked to.
    QVERIFY(click(QPoint(annotation.geometry.x() + 737 + 17, annotation.geometry.bottom() - 18)));
    QTRY_VERIFY2_WITH_TIMEOUT(windowsOf(m_drawletPid).isEmpty(), qPrintable(diagnosis()), WaitMs);
    QTRY_VERIFY2_WITH_TIMEOUT(Screen.contains(toolbar().geometry), qPrintable(diagnosis()), WaitMs);
    const QRect back = toolbar().geometry;
    QCOMPARE(back.bottom(), Screen.bottom());
    QVERIFY2(qAbs(back.x() - annotation.geometry.x()) <= 1 || back.right() == Screen.right(),
             qPrintable(diagnosis()));
    m_toolbar = back;
    m_onTheRoad = true;
}

void TestWholeRoad::recordsTheDesktopFromThePanel()
{
    QVERIFY2(m_onTheRoad, "an earlier step of the road failed");
    m_onTheRoad = false;
    QVERIFY(click(m_toolbar.topLeft() + QPoint(168 + 22, 8 + 22)));

    // The panel's record page, at the top left of the screen.
    const QSize panelSize(220, 137);
    Window panel;
    QTRY_VERIFY2_WITH_TIMEOUT((panel = windowOf(m_drawletPid, panelSize)).geometry.isValid(),
                              qPrintable(diagnosis()), WaitMs);
    QCOMPARE(panel.geometry.topLeft(), Screen.topLeft());

    // Record: the panel covers the screen for the count of 3, 2, 1, then the recording starts.
    const QDateTime pressed = QDateTime::currentDateTime();
    QVERIFY(click(panel.geometry.topLeft() + QPoint(15 + 40, 50 + 24)));
    QTRY_VERIFY2_WITH_TIMEOUT(windowOf(m_drawletPid, Screen.size()).geometry.isValid(),
                              qPrintable(diagnosis()), 5000);
    QElapsedTimer countdown;
    countdown.start();
    QTRY_VERIFY2_WITH_TIMEOUT(windowOf(m_drawletPid, panelSize).geometry.isValid(), qPrintable(diagnosis()),
                              10000);
    QVERIFY2(countdown.elapsed() > 2000, qPrintable(QString::number(countdown.elapsed())));
    QElapsedTimer recording;
    recording.start();
    const QDateTime counted = QDateTime::currentDateTime();

    // Recorded for four seconds, into the one movie the recording has begun.
    const QString videos = documents(QStringLiteral("Qorv/Tivlo/Video"));
    QTRY_VERIFY2_WITH_TIMEOUT(recording.elapsed() >= 4000
                                  && QDir(videos).entryList({"*.mov"}, QDir::Files).size() == 1,
                              qPrintable(diagnosis()), WaitMs);

    // Stop: the panel goes, and the movie is finished.
    QVERIFY(click(panel.geometry.topLeft() + QPoint(125 + 40, 50 + 24)));
    const qint64 recorded = recording.elapsed();
    QTRY_VERIFY2_WITH_TIMEOUT(windowsOf(m_drawletPid).isEmpty(), qPrintable(diagnosis()), WaitMs);

    const QStringList movies = QDir(videos).entryList({"Video*.mov"}, QDir::Files);
    QCOMPARE(movies.size(), 1);
    // Named by the second the recording started, after the count.
    QStringList names;
    for (QDateTime at = pressed; at <= counted.addSecs(1); at = at.addSecs(1))
        names << QStringLiteral("Video") + at.toString(QStringLiteral("MM-dd-yy_hhmmss")) + QStringLiteral(".mov");
    QVERIFY2(names.contains(movies.first()), qPrintable(movies.first() + " not in " + names.join(' ')));

    // The movie is complete once a player accepts it; the writer may still be finishing it.
    const QString movie = videos + "/" + movies.first();
    WriterProbe probe = WriterProbe::run(movie);
    QElapsedTimer writing;
    writing.start();
    while (!probe.ok && writing.elapsed() < WaitMs) {
        QTest::qWait(500);
        probe = WriterProbe::run(movie);
    }
    QVERIFY2(probe.ok, qPrintable(movie + ": " + probe.error));
    const WriterProbedStream video = probe.stream(QStringLiteral("video"));
    QCOMPARE(video.codecName, QStringLiteral("h264"));
    QCOMPARE(QSize(video.width, video.height), Screen.size());
    QVERIFY2(qAbs(video.duration() - recorded / 1000.0) < 1.0,
             qPrintable(QStringLiteral("%1 s in the movie, %2 ms recorded").arg(video.duration()).arg(recorded)));
    m_onTheRoad = true;
}

void TestWholeRoad::closingLumideskEndsDrawlet()
{
    QVERIFY2(m_onTheRoad, "an earlier step of the road failed");
    m_onTheRoad = false;
    QVERIFY(click(m_toolbar.topLeft() + QPoint(453 + 17, 20 + 17)));
    QVERIFY2(m_lumidesk.waitForFinished(WaitMs), qPrintable(diagnosis()));
    QCOMPARE(m_lumidesk.exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_lumidesk.exitCode(), 0);

    QTRY_VERIFY2_WITH_TIMEOUT(!running(m_drawletPid),
                              qPrintable(QStringLiteral("DrawletApp (%1) still runs after Lumidesk ended; its log:\n%2")
                                             .arg(m_drawletPid).arg(drawletLog().right(3000))),
                              WaitMs);
}

QTEST_MAIN(TestWholeRoad)
#include "tst_whole_road.moc"
