#include "core/platformbackend.h"
#include "desktop/installlayout.h"
#include "power/linux/linuxpowermonitor.h"
#include "power/linux/powermodule.h"
#include "power/powermonitor.h"

#include "processprobes.h"

#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using platform::LinuxPowerMonitor;
using platform::PowerMonitor;

namespace {

// What a connection to a bus needs; none of it may be in the process before the event loop runs.
const QList<const char *> DBusLibraries{"libQt5DBus.so", "libdbus-1.so", "liblumidesk-power.so"};

} // namespace

class TestLinuxPowerModule : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    // First: the process has loaded no D-Bus until it does.
    void instanceListensOnceTheEventLoopRuns();
    void withoutModuleOrBusReportsNothing_data();
    void withoutModuleOrBusReportsNothing();

private:
    // Whether logind's side has printed `word` by now.
    bool logindSaid(const QByteArray &word);

    QTemporaryDir m_folder;
    QProcess m_daemon;
    QProcess m_logind;
    QByteArray m_logindSaid;
    QString m_address;
};

void TestLinuxPowerModule::initTestCase()
{
    // A bus of our own stands in for the system bus.
    m_daemon.start(QStringLiteral("dbus-daemon"),
                   {"--session", "--nofork", "--print-address", "--address=unix:path=" + m_folder.filePath("bus")});
    QVERIFY2(m_daemon.waitForStarted(), "dbus-daemon did not start");
    QTRY_VERIFY(m_daemon.canReadLine());
    m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
    QVERIFY(!m_address.isEmpty());

    m_logind.start(QStringLiteral(LUMIDESK_FAKE_LOGIND), {m_address});
    QVERIFY2(m_logind.waitForStarted(), "the fake logind did not start");
    QTRY_VERIFY(logindSaid("ready"));
}

void TestLinuxPowerModule::cleanupTestCase()
{
    m_logind.closeWriteChannel();
    m_logind.waitForFinished();
    m_daemon.terminate();
    m_daemon.waitForFinished();
}

bool TestLinuxPowerModule::logindSaid(const QByteArray &word)
{
    m_logindSaid += m_logind.readAllStandardOutput();
    return m_logindSaid.split('\n').contains(word);
}

void TestLinuxPowerModule::instanceListensOnceTheEventLoopRuns()
{
    platform::PlatformBackend::select(platform::PlatformBackend::Linux);
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", m_address.toUtf8());
    PowerMonitor *monitor = PowerMonitor::instance();
    QVERIFY(monitor);
    QCOMPARE(firstMapped(DBusLibraries), QByteArray());
    QSignalSpy sleeping(monitor, &PowerMonitor::aboutToSleep);
    QSignalSpy woke(monitor, &PowerMonitor::woke);

    // Listening: it asks for its delay lock once it has subscribed to the signal.
    QTRY_VERIFY(logindSaid("inhibit"));
    QCOMPARE(firstMapped(DBusLibraries), QByteArray("libQt5DBus.so"));

    m_logind.write("sleep\n");
    QTRY_COMPARE(sleeping.count(), 1);
    QCOMPARE(woke.count(), 0);
    m_logind.write("wake\n");
    QTRY_COMPARE(woke.count(), 1);
    QCOMPARE(sleeping.count(), 1);
}

void TestLinuxPowerModule::withoutModuleOrBusReportsNothing_data()
{
    QTest::addColumn<QString>("module");
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("reason");
    const QString missing = QStringLiteral("/nonexistent/liblumidesk-power.so");
    QTest::newRow("missing") << missing << QString()
                             << QRegularExpression::escape("the power module " + missing + " cannot be loaded: ")
                                    + ".*";
    // A library of ours, loaded already, that is not the module.
    const QString other = platform::InstallLayout::module(QStringLiteral("platform"));
    QTest::newRow("not the module") << other << QString()
                                    << QRegularExpression::escape("the power module " + other
                                                                  + " has no entry lumideskCreatePowerMonitor");
    QTest::newRow("no bus") << platform::PowerModule::installedModule()
                            << QStringLiteral("unix:path=") + m_folder.filePath("none")
                            << QStringLiteral("The system bus cannot be listened on");
}

void TestLinuxPowerModule::withoutModuleOrBusReportsNothing()
{
    QFETCH(QString, module);
    QFETCH(QString, address);
    QFETCH(QString, reason);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^" + reason + ": sleep and wake are not reported\\.$"));
    LinuxPowerMonitor monitor(module, address);
    // Posted after the monitor's own attempt, so it has run once this has.
    bool tried = false;
    QTimer::singleShot(0, &monitor, [&tried] { tried = true; });
    QTRY_VERIFY(tried);
}

QTEST_GUILESS_MAIN(TestLinuxPowerModule)
#include "tst_linux_power_module.moc"
