#include "power/linux/logindpowermonitor.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusUnixFileDescriptor>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QtTest>

using platform::LogindPowerMonitor;

namespace {

const QString Path = QStringLiteral("/org/freedesktop/login1");
const QString Interface = QStringLiteral("org.freedesktop.login1.Manager");

QDBusMessage prepareForSleep(bool goingToSleep)
{
    QDBusMessage signal = QDBusMessage::createSignal(Path, Interface, QStringLiteral("PrepareForSleep"));
    signal << goingToSleep;
    return signal;
}

} // namespace

// logind's side of the conversation: the Inhibit call, answered with a descriptor.
class FakeLogind : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Manager")

public:
    int inhibitCalls = 0;
    QStringList lastInhibit;

public slots:
    QDBusUnixFileDescriptor Inhibit(const QString &what, const QString &who, const QString &why, const QString &mode)
    {
        ++inhibitCalls;
        lastInhibit = QStringList{what, who, why, mode};
        m_lockFile.open();
        return QDBusUnixFileDescriptor(m_lockFile.handle());
    }

private:
    QTemporaryFile m_lockFile;
};

class TestLinuxLogindPower : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void sleepAndWake();
    void ignoresSignalsFromOthers();
    void withoutBusReportsNothing();

private:
    QTemporaryDir m_folder;
    QProcess m_daemon;
    QString m_address;
};

void TestLinuxLogindPower::initTestCase()
{
    // A bus of our own stands in for the system bus.
    m_daemon.start(QStringLiteral("dbus-daemon"),
                   {"--session", "--nofork", "--print-address",
                    "--address=unix:path=" + m_folder.filePath("bus")});
    QVERIFY2(m_daemon.waitForStarted(), "dbus-daemon did not start");
    QTRY_VERIFY(m_daemon.canReadLine());
    m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
    QVERIFY(!m_address.isEmpty());
}

void TestLinuxLogindPower::cleanupTestCase()
{
    m_daemon.terminate();
    m_daemon.waitForFinished();
}

void TestLinuxLogindPower::sleepAndWake()
{
    QDBusConnection logindBus = QDBusConnection::connectToBus(m_address, QStringLiteral("logind"));
    QVERIFY(logindBus.isConnected());
    FakeLogind logind;
    QVERIFY(logindBus.registerService(QStringLiteral("org.freedesktop.login1")));
    QVERIFY(logindBus.registerObject(Path, &logind, QDBusConnection::ExportAllSlots));

    LogindPowerMonitor monitor(QDBusConnection::connectToBus(m_address, QStringLiteral("monitor")));
    QVERIFY(monitor.isListening());
    QSignalSpy sleeping(&monitor, &LogindPowerMonitor::aboutToSleep);
    QSignalSpy woke(&monitor, &LogindPowerMonitor::woke);

    // Awake, it holds a delay lock so that logind waits for the about-to-sleep handlers.
    QTRY_VERIFY(monitor.holdsSleepDelay());
    QCOMPARE(logind.lastInhibit.value(0), QStringLiteral("sleep"));
    QCOMPARE(logind.lastInhibit.value(3), QStringLiteral("delay"));

    QVERIFY(logindBus.send(prepareForSleep(true)));
    QTRY_COMPARE(sleeping.count(), 1);
    QCOMPARE(woke.count(), 0);
    QTRY_VERIFY(!monitor.holdsSleepDelay());

    QVERIFY(logindBus.send(prepareForSleep(false)));
    QTRY_COMPARE(woke.count(), 1);
    QCOMPARE(sleeping.count(), 1);
    QTRY_VERIFY(monitor.holdsSleepDelay());
    QCOMPARE(logind.inhibitCalls, 2);

    logindBus.unregisterObject(Path);
    logindBus.unregisterService(QStringLiteral("org.freedesktop.login1"));
    QDBusConnection::disconnectFromBus(QStringLiteral("logind"));
}

void TestLinuxLogindPower::ignoresSignalsFromOthers()
{
    QDBusConnection logindBus = QDBusConnection::connectToBus(m_address, QStringLiteral("logind2"));
    QVERIFY(logindBus.registerService(QStringLiteral("org.freedesktop.login1")));
    QDBusConnection stranger = QDBusConnection::connectToBus(m_address, QStringLiteral("stranger"));
    QVERIFY(stranger.isConnected());

    LogindPowerMonitor monitor(QDBusConnection::connectToBus(m_address, QStringLiteral("monitor2")));
    QSignalSpy sleeping(&monitor, &LogindPowerMonitor::aboutToSleep);
    QSignalSpy woke(&monitor, &LogindPowerMonitor::woke);

    // Any program on the bus may send a signal by that name; only logind's own counts.
    // The bus answers the stranger's call only after it has routed the stranger's signal, so the
    // monitor is handed that signal before logind's: once logind's has arrived, so has the other.
    QVERIFY(stranger.send(prepareForSleep(true)));
    QVERIFY(stranger.interface()->isServiceRegistered(QStringLiteral("org.freedesktop.login1")));
    QVERIFY(logindBus.send(prepareForSleep(false)));
    QTRY_COMPARE(woke.count(), 1);
    QCOMPARE(sleeping.count(), 0);

    logindBus.unregisterService(QStringLiteral("org.freedesktop.login1"));
}

void TestLinuxLogindPower::withoutBusReportsNothing()
{
    LogindPowerMonitor monitor(
        QDBusConnection::connectToBus(QStringLiteral("unix:path=") + m_folder.filePath("none"), QStringLiteral("none")));
    QVERIFY(!monitor.isListening());
    QVERIFY(!monitor.holdsSleepDelay());
}

QTEST_GUILESS_MAIN(TestLinuxLogindPower)
#include "tst_linux_logind_power.moc"
