#include "system/linux/linuxsystemfacts.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using platform::LinuxSystemFacts;

// Machine facts read from fixture files laid under a private root folder.
class TestSystemFacts : public QObject
{
    Q_OBJECT

private slots:
    void osVersion_data();
    void osVersion();
    void processor_data();
    void processor();
    void memory_data();
    void memory();
    void missingFilesGiveUnknown();
    void readsThisMachine();

private:
    static void writeFixture(const QString &root, const QString &path, const QByteArray &content);
};

void TestSystemFacts::writeFixture(const QString &root, const QString &path, const QByteArray &content)
{
    const QString full = root + path;
    QVERIFY(QDir().mkpath(QFileInfo(full).absolutePath()));
    QFile file(full);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

void TestSystemFacts::osVersion_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("version");

    QTest::newRow("debian, quoted") << "/etc/os-release"
                                    << QByteArray("PRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\nNAME=\"Debian "
                                                  "GNU/Linux\"\nVERSION_ID=\"12\"\nVERSION=\"12 (bookworm)\"\n")
                                    << "12";
    QTest::newRow("unquoted, three fields") << "/etc/os-release" << QByteArray("ID=x\nVERSION_ID=10.13.6\n")
                                            << "10.13.6";
    QTest::newRow("single quotes") << "/etc/os-release" << QByteArray("VERSION_ID='22.04'\n") << "22.04";
    // A similar key must not be taken for the version.
    QTest::newRow("only VERSION") << "/etc/os-release" << QByteArray("VERSION=\"12 (bookworm)\"\nXVERSION_ID=9\n")
                                  << "";
    QTest::newRow("vendor copy") << "/usr/lib/os-release" << QByteArray("VERSION_ID=\"39\"\n") << "39";
}

void TestSystemFacts::osVersion()
{
    QFETCH(QString, path);
    QFETCH(QByteArray, content);
    QFETCH(QString, version);
    QTemporaryDir root;
    writeFixture(root.path(), path, content);
    QCOMPARE(LinuxSystemFacts(root.path()).osVersion(), version);
}

void TestSystemFacts::processor_data()
{
    QTest::addColumn<QByteArray>("cpuinfo");
    QTest::addColumn<QString>("brand");
    QTest::addColumn<int>("count");

    const QByteArray x86Core = "vendor_id\t: GenuineIntel\ncpu family\t: 6\n"
                               "model name\t: Intel(R) Core(TM) i7-8700 CPU @ 3.20GHz\nflags\t\t: fpu vme\n\n";
    QTest::newRow("x86, three processors")
        << QByteArray("processor\t: 0\n" + x86Core + "processor\t: 1\n" + x86Core + "processor\t: 2\n" + x86Core)
        << "Intel(R) Core(TM) i7-8700 CPU @ 3.20GHz" << 3;
    QTest::newRow("arm, brand after the processors")
        << QByteArray("processor\t: 0\nBogoMIPS\t: 108.00\n\nprocessor\t: 1\nBogoMIPS\t: 108.00\n\n"
                      "Hardware\t: BCM2835\nModel\t\t: Raspberry Pi 4 Model B Rev 1.4\n")
        << "Raspberry Pi 4 Model B Rev 1.4" << 2;
    QTest::newRow("no brand") << QByteArray("processor : 0\n") << "" << 1;
}

void TestSystemFacts::processor()
{
    QFETCH(QByteArray, cpuinfo);
    QFETCH(QString, brand);
    QFETCH(int, count);
    QTemporaryDir root;
    writeFixture(root.path(), QStringLiteral("/proc/cpuinfo"), cpuinfo);
    const LinuxSystemFacts facts(root.path());
    QCOMPARE(facts.cpuBrand(), brand);
    QCOMPARE(facts.cpuCount(), count);
}

void TestSystemFacts::memory_data()
{
    QTest::addColumn<QByteArray>("meminfo");
    QTest::addColumn<quint64>("bytes");

    QTest::newRow("16 GiB") << QByteArray("MemTotal:       16777216 kB\nMemFree:         1234 kB\n")
                            << quint64(16) * 1024 * 1024 * 1024;
    QTest::newRow("not first line") << QByteArray("MemFree: 1 kB\nMemTotal: 2048 kB\n") << quint64(2048 * 1024);
    QTest::newRow("garbled") << QByteArray("MemTotal: lots kB\n") << quint64(0);
    QTest::newRow("unknown unit") << QByteArray("MemTotal: 2048 MB\n") << quint64(0);
}

void TestSystemFacts::memory()
{
    QFETCH(QByteArray, meminfo);
    QFETCH(quint64, bytes);
    QTemporaryDir root;
    writeFixture(root.path(), QStringLiteral("/proc/meminfo"), meminfo);
    QCOMPARE(LinuxSystemFacts(root.path()).memoryBytes(), bytes);
}

void TestSystemFacts::missingFilesGiveUnknown()
{
    QTemporaryDir root;
    const LinuxSystemFacts facts(root.path());
    QVERIFY(facts.osVersion().isEmpty());
    QVERIFY(facts.cpuBrand().isEmpty());
    QCOMPARE(facts.cpuCount(), 0);
    QCOMPARE(facts.memoryBytes(), quint64(0));
}

void TestSystemFacts::readsThisMachine()
{
    // /proc files report a size of 0: they must still be read in full.
    const LinuxSystemFacts facts;
    QVERIFY(facts.cpuCount() >= 1);
    QVERIFY(facts.memoryBytes() > quint64(64) * 1024 * 1024);
}

QTEST_GUILESS_MAIN(TestSystemFacts)
#include "tst_analytics_systemfacts.moc"
