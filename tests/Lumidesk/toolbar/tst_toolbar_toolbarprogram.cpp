#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QX11Info>
#include <QtTest>

#include <xcb/xcb.h>

#include <memory>

namespace {

const int WaitMs = 20000;

// A top-level window of another program on this display, as a window manager sees it.
struct ForeignWindow
{
    xcb_window_t id = 0;
    QString name;
    QRect geometry;
};

xcb_atom_t atom(const char *name)
{
    xcb_connection_t *c = QX11Info::connection();
    std::unique_ptr<xcb_intern_atom_reply_t, decltype(&free)> reply(
            xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(strlen(name)), name), nullptr), &free);
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

QByteArray property(xcb_window_t window, xcb_atom_t name, xcb_atom_t type)
{
    xcb_connection_t *c = QX11Info::connection();
    std::unique_ptr<xcb_get_property_reply_t, decltype(&free)> reply(
            xcb_get_property_reply(c, xcb_get_property(c, 0, window, name, type, 0, 1024), nullptr), &free);
    if (!reply)
        return QByteArray();
    return QByteArray(static_cast<const char *>(xcb_get_property_value(reply.get())),
                      xcb_get_property_value_length(reply.get()));
}

// The mapped top-level windows of the process pid.
QList<ForeignWindow> windowsOf(qint64 pid)
{
    xcb_connection_t *c = QX11Info::connection();
    QList<ForeignWindow> found;
    std::unique_ptr<xcb_query_tree_reply_t, decltype(&free)> tree(
            xcb_query_tree_reply(c, xcb_query_tree(c, QX11Info::appRootWindow()), nullptr), &free);
    if (!tree)
        return found;
    const xcb_window_t *children = xcb_query_tree_children(tree.get());
    const xcb_atom_t pidAtom = atom("_NET_WM_PID");
    for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i) {
        const QByteArray owner = property(children[i], pidAtom, XCB_ATOM_CARDINAL);
        if (owner.size() != 4 || *reinterpret_cast<const quint32 *>(owner.constData()) != quint32(pid))
            continue;
        std::unique_ptr<xcb_get_window_attributes_reply_t, decltype(&free)> attributes(
                xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, children[i]), nullptr), &free);
        std::unique_ptr<xcb_get_geometry_reply_t, decltype(&free)> geometry(
                xcb_get_geometry_reply(c, xcb_get_geometry(c, children[i]), nullptr), &free);
        if (!attributes || !geometry || attributes->map_state != XCB_MAP_STATE_VIEWABLE)
            continue;
        ForeignWindow window;
        window.id = children[i];
        window.name = QString::fromUtf8(property(children[i], atom("_NET_WM_NAME"), atom("UTF8_STRING")));
        window.geometry = QRect(geometry->x, geometry->y, geometry->width, geometry->height);
        found.append(window);
    }
    return found;
}

ForeignWindow waitForWindow(qint64 pid, const QString &name)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < WaitMs) {
        for (const ForeignWindow &window : windowsOf(pid)) {
            if (window.name == name)
                return window;
        }
        QTest::qWait(50);
    }
    return ForeignWindow();
}

// What a window manager does when the user closes a window: asks the program to close it.
void closeWindow(xcb_window_t window)
{
    xcb_client_message_event_t event = {};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = atom("WM_PROTOCOLS");
    event.data.data32[0] = atom("WM_DELETE_WINDOW");
    event.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(QX11Info::connection(), 0, window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char *>(&event));
    xcb_flush(QX11Info::connection());
}

QString settingsFile()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/Lumidesk/Qorv/Tivlo/settings.ini";
}

QByteArray log()
{
    const QString folder = QStandardPaths::standardLocations(QStandardPaths::DocumentsLocation).first() + "/Qorv/Log/Tivlo";
    QByteArray all;
    for (const QString &name : QDir(folder).entryList({"Lumidesk-*.log"}, QDir::Files, QDir::Name)) {
        QFile file(folder + "/" + name);
        if (file.open(QIODevice::ReadOnly))
            all += file.readAll();
    }
    return all;
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The TCP ports the process pid listens on, from the kernel's tables of its sockets.
QList<int> listeningPorts(qint64 pid)
{
    QSet<QByteArray> sockets;
    const QString fds = QStringLiteral("/proc/%1/fd").arg(pid);
    for (const QFileInfo &fd : QDir(fds).entryInfoList(QDir::System | QDir::NoDotAndDotDot)) {
        const QString target = fd.symLinkTarget();
        if (target.contains("socket:["))
            sockets.insert(target.section('[', 1).section(']', 0, 0).toLatin1());
    }
    QList<int> ports;
    for (const char *table : {"tcp", "tcp6"}) {
        const QList<QByteArray> lines = fileBytes(QStringLiteral("/proc/%1/net/%2").arg(pid).arg(table)).split('\n');
        for (const QByteArray &line : lines.mid(1)) {
            const QList<QByteArray> fields = line.simplified().split(' ');
            // local address, state 0A (listening), the socket's inode
            if (fields.size() > 9 && fields.at(3) == "0A" && sockets.contains(fields.at(9)))
                ports.append(fields.at(1).split(':').last().toInt(nullptr, 16));
        }
    }
    return ports;
}

// Every mapped top-level window on the display named name, whoever made it.
int mappedWindowsNamed(const QString &name)
{
    xcb_connection_t *c = QX11Info::connection();
    std::unique_ptr<xcb_query_tree_reply_t, decltype(&free)> tree(
            xcb_query_tree_reply(c, xcb_query_tree(c, QX11Info::appRootWindow()), nullptr), &free);
    if (!tree)
        return -1;
    int count = 0;
    const xcb_window_t *children = xcb_query_tree_children(tree.get());
    for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i) {
        std::unique_ptr<xcb_get_window_attributes_reply_t, decltype(&free)> attributes(
                xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, children[i]), nullptr), &free);
        if (attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE
            && QString::fromUtf8(property(children[i], atom("_NET_WM_NAME"), atom("UTF8_STRING"))) == name)
            ++count;
    }
    return count;
}

} // namespace

// The Lumidesk program itself, as installed: run from a folder laid out like the installed one, with
// a stand-in DrawletApp beside it (or none), on the test's own display, closed as a user closes it.
class TestToolbarProgram : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void startsDrawletAndClosesCleanly();
    void runsWithoutDrawlet();
    void secondStartLeavesTheFirstAlone();

private:
    // The program's folder: the program, its libraries and catalogues, and DrawletApp when asked.
    QString layOut(bool withDrawlet);
    void runAndClose(const QString &folder);

    QTemporaryDir m_dir;
    QString m_marker;
};

void TestToolbarProgram::initTestCase()
{
    QVERIFY(QX11Info::isPlatformX11());
    m_marker = m_dir.filePath("drawlet-started");
}

QString TestToolbarProgram::layOut(bool withDrawlet)
{
    const QString built = QFileInfo(qEnvironmentVariable("LUMIDESK_PROGRAM")).path();
    const QString folder = m_dir.filePath(withDrawlet ? "with" : "without");
    QDir().mkpath(folder);
    QFile::copy(built + "/Lumidesk", folder + "/Lumidesk");
    QFile::link(built + "/lib", folder + "/lib");
    QFile::link(built + "/Languages", folder + "/Languages");
    if (withDrawlet) {
        QDir().mkpath(folder + "/DrawletApp/bin");
        QFile fake(folder + "/DrawletApp/bin/DrawletApp");
        fake.open(QIODevice::WriteOnly);
        fake.write("#!/bin/sh\necho \"$$ $#\" >> \"" + m_marker.toUtf8() + "\"\n");
        fake.close();
        fake.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    return folder;
}

void TestToolbarProgram::runAndClose(const QString &folder)
{
    {
        QSettings settings(settingsFile(), QSettings::IniFormat);
        settings.setValue("Guid/Enabled", 0);
        settings.setValue("POSITION/X", 1700);
        settings.setValue("POSITION/Y", 300);
    }
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("LUMIDESK_SIMULATE", "1");
    program.setProcessEnvironment(environment);
    program.start(folder + "/Lumidesk", QStringList());
    QVERIFY2(program.waitForStarted(), qPrintable(program.errorString()));

    // The toolbar at its saved place, docked at the right edge, with the layout chooser over it.
    const ForeignWindow bar = waitForWindow(program.processId(), "Lumidesk");
    QVERIFY2(bar.id, program.readAllStandardError().constData());
    // Docking follows the first show by a moment.
    const auto geometryOf = [&program](xcb_window_t id) {
        for (const ForeignWindow &window : windowsOf(program.processId())) {
            if (window.id == id)
                return window.geometry;
        }
        return QRect();
    };
    QTRY_COMPARE(geometryOf(bar.id), QRect(1865, 300, 55, 488));
    const ForeignWindow chooser = waitForWindow(program.processId(), "Lumidesk - Camera Layout");
    QVERIFY(chooser.id);
    QCOMPARE(chooser.geometry.size(), QSize(800, 229));

    closeWindow(chooser.id);
    QTRY_VERIFY(windowsOf(program.processId()).size() == 1);
    closeWindow(bar.id);
    QVERIFY2(program.waitForFinished(WaitMs), "the program did not end");
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);

    const QSettings settings(settingsFile(), QSettings::IniFormat);
    QCOMPARE(settings.value("POSITION/X").toInt(), 1865);
    QCOMPARE(settings.value("POSITION/Y").toInt(), 300);
    QVERIFY(log().contains("Remote-control server listening on 127.0.0.1:"));
    QVERIFY(log().contains("Toolbar closing."));
}

void TestToolbarProgram::startsDrawletAndClosesCleanly()
{
    const QString folder = layOut(true);
    runAndClose(folder);
    QVERIFY(QFileInfo::exists(m_marker));
    QFile started(m_marker);
    QVERIFY(started.open(QIODevice::ReadOnly));
    QVERIFY(started.readAll().trimmed().endsWith(" 0")); // started with no arguments
    QVERIFY(log().contains("DrawletApp started"));
}

void TestToolbarProgram::runsWithoutDrawlet()
{
    QFile::remove(m_marker);
    const QString folder = layOut(false);
    runAndClose(folder);
    QVERIFY(!QFileInfo::exists(m_marker));
    QVERIFY(log().contains("DrawletApp not found at " + QDir::cleanPath(folder).toUtf8() + "/DrawletApp/bin/DrawletApp"));
}

void TestToolbarProgram::secondStartLeavesTheFirstAlone()
{
    QFile::remove(m_marker);
    const QString folder = layOut(true);
    {
        QSettings settings(settingsFile(), QSettings::IniFormat);
        settings.setValue("Guid/Enabled", 0);
    }
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("LUMIDESK_SIMULATE", "1");
    QProcess first;
    first.setProcessEnvironment(environment);
    first.start(folder + "/Lumidesk", QStringList());
    QVERIFY2(first.waitForStarted(), qPrintable(first.errorString()));
    const ForeignWindow bar = waitForWindow(first.processId(), "Lumidesk");
    QVERIFY2(bar.id, first.readAllStandardError().constData());
    QTRY_VERIFY(QFileInfo::exists(m_marker));
    const QList<int> ports = listeningPorts(first.processId());
    QCOMPARE(ports.size(), 1);
    const QByteArray settings = fileBytes(settingsFile());

    QProcess second;
    second.setProcessEnvironment(environment);
    second.start(folder + "/Lumidesk", QStringList());
    QVERIFY2(second.waitForFinished(WaitMs), "the second start did not end");
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 0);
    QCOMPARE(second.readAllStandardError(), QByteArray("Lumidesk is already running.\n"));

    // One toolbar on the display, one phone port, one DrawletApp started, the settings as they were.
    QCOMPARE(mappedWindowsNamed("Lumidesk"), 1);
    QCOMPARE(waitForWindow(first.processId(), "Lumidesk").id, bar.id);
    QCOMPARE(listeningPorts(first.processId()), ports);
    QCOMPARE(fileBytes(m_marker).count('\n'), 1);
    QCOMPARE(fileBytes(settingsFile()), settings);
    QCOMPARE(first.state(), QProcess::Running);

    // The layout chooser is modal: it goes first, then the toolbar.
    const ForeignWindow chooser = waitForWindow(first.processId(), "Lumidesk - Camera Layout");
    QVERIFY(chooser.id);
    closeWindow(chooser.id);
    QTRY_VERIFY(windowsOf(first.processId()).size() == 1);
    closeWindow(bar.id);
    QVERIFY2(first.waitForFinished(WaitMs), "the program did not end");
    QCOMPARE(first.exitCode(), 0);
}

QTEST_MAIN(TestToolbarProgram)
#include "tst_toolbar_toolbarprogram.moc"
