#include "common/logfolder.h"
#include "common/settingspath.h"
#include "dialogs/navigationdialog.h"
#include "toolbar/lumidesk.h"
#include "toolbar/lumideskstartup.h"

#include "autoserialfilelogger.h"
#include "journix.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QWindow>
#include <QtTest>

namespace {

void writeSettings(const QVariantMap &values)
{
    QFile::remove(_GUID_SETTING_INI);
    QSettings settings(_GUID_SETTING_INI, QSettings::IniFormat);
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        settings.setValue(it.key(), it.value());
}

QVariant storedValue(const QString &key)
{
    return QSettings(_GUID_SETTING_INI, QSettings::IniFormat).value(key);
}

} // namespace

class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void settingsFileOfTheProgram();
    void firstStartShowsTheGuide();
    void guideClosedShowsTheToolbar_data();
    void guideClosedShowsTheToolbar();
    void laterStartShowsTheToolbarWhereItWas();
    void closingStoresThePosition();
};

void TestStartup::initTestCase()
{
    QApplication::setApplicationName(QStringLiteral("Lumidesk"));
}

void TestStartup::settingsFileOfTheProgram()
{
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QCOMPARE(INIPATH, data + "/Qorv/Tivlo");
    QCOMPARE(_GUID_SETTING_INI, data + "/Qorv/Tivlo/settings.ini");
}

void TestStartup::firstStartShowsTheGuide()
{
    QFile::remove(_GUID_SETTING_INI);
    QDir(LogFolder::path()).removeRecursively();

    LumideskStartup startup;
    QVERIFY(startup.guide()->isVisible());
    QVERIFY(!startup.toolbar()->isVisible());
    QVERIFY(startup.guide()->form()->checkBox->isChecked());
    QCOMPARE(startup.guide()->parentWidget(), startup.toolbar());
    QCOMPARE(startup.toolbar()->windowFlags() & (Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
             Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    QCOMPARE(startup.toolbar()->size(), QSize(488, 55));

    QCOMPARE(startup.logLevel(), 4);
    QCOMPARE(Journix::getSysJournix()->logLevel(), 4);
    QVERIFY(Journix::getSysJournix()->isLogging());
    const QString logFile = startup.logger()->currentFileName();
    QVERIFY(logFile.startsWith(LogFolder::path() + "Lumidesk-"));
    QFile log(logFile);
    QVERIFY(log.open(QIODevice::ReadOnly));
    QVERIFY(log.readAll().contains("Tesmera/Lumidesk: Lumidesk starts, log level 4."));
}

void TestStartup::guideClosedShowsTheToolbar_data()
{
    QTest::addColumn<bool>("byEscape");
    QTest::addColumn<bool>("keepGuide");

    QTest::newRow("OK, keep") << false << true;
    QTest::newRow("OK, no more") << false << false;
    QTest::newRow("Escape, no more") << true << false;
}

void TestStartup::guideClosedShowsTheToolbar()
{
    QFETCH(bool, byEscape);
    QFETCH(bool, keepGuide);
    writeSettings({{"Guid/Enabled", 5}});

    LumideskStartup startup;
    NavigationDialog *guide = startup.guide();
    QVERIFY(guide->isVisible());
    guide->form()->checkBox->setChecked(keepGuide);
    if (byEscape)
        QTest::keyClick(guide, Qt::Key_Escape);
    else
        guide->closeDialog();

    QVERIFY(!guide->isVisible());
    QVERIFY(startup.toolbar()->isVisible());
    QVERIFY(startup.toolbar()->windowHandle()->flags().testFlag(Qt::NoDropShadowWindowHint));
    // Bottom centre of the 1920 x 1080 screen.
    QCOMPARE(startup.toolbar()->geometry(), QRect(716, 1025, 488, 55));
    QCOMPARE(storedValue("Guid/Enabled").toInt(), keepGuide ? 1 : 0);
}

void TestStartup::laterStartShowsTheToolbarWhereItWas()
{
    writeSettings({{"Guid/Enabled", 0}, {"Journix/LogLevel", 7}, {"POSITION/X", 30}, {"POSITION/Y", 400}});

    LumideskStartup startup;
    QVERIFY(!startup.guide()->isVisible());
    QVERIFY(startup.toolbar()->isVisible());
    QVERIFY(startup.toolbar()->windowHandle()->flags().testFlag(Qt::NoDropShadowWindowHint));
    QCOMPARE(startup.logLevel(), 7);
    QCOMPARE(Journix::getSysJournix()->logLevel(), 7);
    // (30, 400) lies in the left fifth: the toolbar stands at the left edge.
    QCOMPARE(startup.toolbar()->dockEdge(), 2);
    QCOMPARE(startup.toolbar()->geometry(), QRect(0, 400, 55, 488));
}

void TestStartup::closingStoresThePosition()
{
    writeSettings({{"Guid/Enabled", 0}});
    {
        LumideskStartup startup;
        // First start without a saved place: bottom centre, docked at the bottom.
        QCOMPARE(startup.toolbar()->geometry(), QRect(716, 1025, 488, 55));
        QCOMPARE(startup.toolbar()->dockEdge(), 1);
        startup.toolbar()->move(900, 0);
        QVERIFY(startup.toolbar()->close());
        QVERIFY(!startup.toolbar()->isVisible());
    }
    QCOMPARE(storedValue("POSITION/X").toInt(), 900);
    QCOMPARE(storedValue("POSITION/Y").toInt(), 0);
    QVERIFY(!Journix::getSysJournix()->isLogging());

    LumideskStartup again;
    QCOMPARE(again.toolbar()->dockEdge(), 0);
    QCOMPARE(again.toolbar()->geometry(), QRect(900, 0, 488, 55));
}

QTEST_MAIN(TestStartup)
#include "tst_core_startup.moc"
