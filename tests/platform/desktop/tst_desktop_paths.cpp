#include "desktop/desktoppaths.h"
#include "desktop/diskspace.h"

#include <QCoreApplication>
#include <QStandardPaths>
#include <QStorageInfo>
#include <QtTest>

class TestDesktopPaths : public QObject
{
    Q_OBJECT

private slots:
    void mainSettingsFromAnyProgram_data();
    void mainSettingsFromAnyProgram();
    void freeSpace_data();
    void freeSpace();
};

void TestDesktopPaths::mainSettingsFromAnyProgram_data()
{
    QTest::addColumn<QString>("applicationName");
    QTest::newRow("the main program") << "Lumidesk";
    QTest::newRow("the annotation program") << "Drawlet";
}

void TestDesktopPaths::mainSettingsFromAnyProgram()
{
    QFETCH(QString, applicationName);
    QCoreApplication::setApplicationName(applicationName);
    const QString data = qEnvironmentVariable("XDG_DATA_HOME");
    QVERIFY(!data.isEmpty());
    QCOMPARE(platform::DesktopPaths::mainSettingsFile(), data + "/Lumidesk/Qorv/Tivlo/settings.ini");
    QCOMPARE(platform::DesktopPaths::dataFolder(), data + "/" + applicationName);
    if (applicationName == "Lumidesk")
        QCOMPARE(platform::DesktopPaths::mainSettingsFolder(),
                 QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + "/Qorv/Tivlo");
}

void TestDesktopPaths::freeSpace_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("readable");

    QTest::newRow("documents") << platform::DesktopPaths::documentsFolder() << true;
    QTest::newRow("missing folder") << "/no/such/folder/here" << false;
    QTest::newRow("empty") << QString() << false;
}

void TestDesktopPaths::freeSpace()
{
    QFETCH(QString, path);
    QFETCH(bool, readable);
    const qint64 bytes = platform::DiskSpace::availableBytes(path);
    if (!readable) {
        QCOMPARE(bytes, qint64(-1));
        return;
    }
    QVERIFY(bytes > 0);
    QVERIFY(qAbs(bytes - QStorageInfo(path).bytesAvailable()) < 64 * 1024 * 1024);
}

QTEST_GUILESS_MAIN(TestDesktopPaths)
#include "tst_desktop_paths.moc"
