#include "analytics/deviceinfo.h"

#include "system/linux/linuxsystemfacts.h"
#include "system/simulated/simulatedsystemfacts.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLocale>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>

using platform::LinuxSystemFacts;
using platform::SimulatedSystemFacts;

class TestDeviceInfo : public QObject
{
    Q_OBJECT

private slots:
    void osVersion_data();
    void osVersion();
    void countsAndMemory_data();
    void countsAndMemory();
    void factsFromFixtureFiles();
    void localeAndScreen();
};

void TestDeviceInfo::osVersion_data()
{
    QTest::addColumn<QString>("version");
    QTest::addColumn<QString>("os");
    QTest::addColumn<QString>("agent");

    QTest::newRow("three fields") << "10.13.6" << "Linux 10.13.6" << "X11; Linux 10_13_6";
    QTest::newRow("two fields") << "11.2" << "Linux 11.2.0" << "X11; Linux 11_2_0";
    QTest::newRow("one field") << "12" << "Linux 12.0.0" << "X11; Linux 12_0_0";
    QTest::newRow("leading zero") << "22.04" << "Linux 22.4.0" << "X11; Linux 22_4_0";
    QTest::newRow("suffix after the number") << "3.18rc1.2" << "Linux 3.18.2" << "X11; Linux 3_18_2";
    QTest::newRow("not a number") << "rolling" << "Linux 0.0.0" << "X11; Linux 0_0_0";
    QTest::newRow("unknown") << "" << "Linux 0.0.0" << "X11; Linux 0_0_0";
}

void TestDeviceInfo::osVersion()
{
    QFETCH(QString, version);
    QFETCH(QString, os);
    QFETCH(QString, agent);
    SimulatedSystemFacts facts;
    facts.setOsVersion(version);
    const DeviceInfo info(&facts);
    QCOMPARE(info.getOS(), os);
    QCOMPARE(info.getUserAgent(), agent);
    QCOMPARE(info.getMacOS(0), 0);
    QCOMPARE(info.getMacOS(4), 0);
}

void TestDeviceInfo::countsAndMemory_data()
{
    QTest::addColumn<int>("cpus");
    QTest::addColumn<quint64>("bytes");
    QTest::addColumn<QString>("cores");
    QTest::addColumn<QString>("ram");

    QTest::newRow("16 GiB") << 8 << quint64(16) * 1024 * 1024 * 1024 << "8" << "16384MB";
    QTest::newRow("whole MiB truncated") << 2 << quint64(3 * 1024 * 1024 - 1) << "2" << "2MB";
    QTest::newRow("unknown") << 0 << quint64(0) << "1" << "0MB";
}

void TestDeviceInfo::countsAndMemory()
{
    QFETCH(int, cpus);
    QFETCH(quint64, bytes);
    QFETCH(QString, cores);
    QFETCH(QString, ram);
    SimulatedSystemFacts facts;
    facts.setCpuCount(cpus);
    facts.setMemoryBytes(bytes);
    const DeviceInfo info(&facts);
    QCOMPARE(info.getCores(), cores);
    QCOMPARE(info.getRAM(), ram);
}

void TestDeviceInfo::factsFromFixtureFiles()
{
    QTemporaryDir root;
    QVERIFY(QDir(root.path()).mkpath(QStringLiteral("etc")));
    QVERIFY(QDir(root.path()).mkpath(QStringLiteral("proc")));
    const QList<QPair<QString, QByteArray>> files = {
        {QStringLiteral("/etc/os-release"), "NAME=\"Debian GNU/Linux\"\nVERSION_ID=\"12\"\n"},
        {QStringLiteral("/proc/cpuinfo"),
         "processor\t: 0\nmodel name\t: AMD Ryzen 7 5800X 8-Core Processor\n\n"
         "processor\t: 1\nmodel name\t: AMD Ryzen 7 5800X 8-Core Processor\n"},
        {QStringLiteral("/proc/meminfo"), "MemTotal:       16777216 kB\nMemFree:        100 kB\n"},
    };
    for (const auto &file : files) {
        QFile out(root.path() + file.first);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(file.second);
    }
    LinuxSystemFacts facts(root.path());
    const DeviceInfo info(&facts);
    QCOMPARE(info.getOS(), QStringLiteral("Linux 12.0.0"));
    QCOMPARE(info.getCPUType(), QStringLiteral("AMD Ryzen 7 5800X 8-Core Processor"));
    QCOMPARE(info.getCores(), QStringLiteral("2"));
    QCOMPARE(info.getRAM(), QStringLiteral("16384MB"));
}

void TestDeviceInfo::localeAndScreen()
{
    SimulatedSystemFacts facts;
    const DeviceInfo info(&facts);
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Austria));
    QCOMPARE(info.getLanguage(), QStringLiteral("de_AT"));
    QCOMPARE(info.getCountry(), QStringLiteral("Austria"));
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QCOMPARE(info.getLanguage(), QStringLiteral("en_US"));

    // The test display is 1920 by 1080.
    QCOMPARE(info.getScreenResolution(), QStringLiteral("1920x1080"));
}

QTEST_MAIN(TestDeviceInfo)
#include "tst_analytics_deviceinfo.moc"
