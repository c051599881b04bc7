#include "common/settingspath.h"
#include "camerawindow/cameramainwidget.h"
#include "toolbar/lumidesk.h"
#include "toolbar/lumideskstartup.h"

#include "autoserialfilelogger.h"
#include "processprobes.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QSettings>
#include <QtTest>

// What the running program shows the desktop and where its messages go, from start to end.
class TestDesktopStart : public QObject
{
    Q_OBJECT

private slots:
    void featureLibrariesWaitForTheirFeature();
    void initTestCase();
    void windowsCarryTheProgramIcon();
    void desktopMatchesTheWindowsToTheEntry();
    void qtMessagesGoToTheLogWhileRunning();
};

void TestDesktopStart::initTestCase()
{
    QApplication::setApplicationName(QStringLiteral("Lumidesk"));
    QSettings settings(_GUID_SETTING_INI, QSettings::IniFormat);
    settings.setValue(QStringLiteral("Guid/Enabled"), 0);
}

void TestDesktopStart::windowsCarryTheProgramIcon()
{
    LumideskStartup startup;
    const QList<QSize> sizes = QApplication::windowIcon().availableSizes();
    for (const QSize size : {QSize(16, 16), QSize(32, 32), QSize(48, 48), QSize(128, 128)})
        QVERIFY2(sizes.contains(size), qPrintable(QString::number(size.width())));
    // Every picture goes to the X server with every window; launchers take the theme's larger icons.
    QVERIFY(!sizes.contains(QSize(256, 256)));
    // Every window takes the program's icon, read once: the forms name no icon file of their own.
    QCOMPARE(startup.toolbar()->windowIcon().cacheKey(), QApplication::windowIcon().cacheKey());
    QVERIFY(startup.toolbar()->firstCameraWindow());
    QCOMPARE(startup.toolbar()->firstCameraWindow()->windowIcon().cacheKey(), QApplication::windowIcon().cacheKey());
}

void TestDesktopStart::desktopMatchesTheWindowsToTheEntry()
{
    LumideskStartup startup;
    const QString entry = qEnvironmentVariable("LUMIDESK_SOURCE_DIR") + "/resources/desktop/"
                          + QGuiApplication::desktopFileName() + ".desktop";
    QVERIFY2(QFileInfo::exists(entry), qPrintable(entry));
    QFile file(entry);
    QVERIFY(file.open(QIODevice::ReadOnly));
    // The window class the X11 desktop matches, from the application name.
    QVERIFY(file.readAll().contains("\nStartupWMClass=" + QApplication::applicationName().toUtf8() + "\n"));
}

void TestDesktopStart::qtMessagesGoToTheLogWhileRunning()
{
    QString logFile;
    {
        LumideskStartup startup;
        logFile = startup.logger()->currentFileName();
        qWarning("a warning while running");
        qDebug("a trace below the default level");
    }
    qWarning("a warning after the end");

    QFile log(logFile);
    QVERIFY(log.open(QIODevice::ReadOnly));
    const QByteArray text = log.readAll();
    QVERIFY(text.contains("<4> Tesmera/Lumidesk: a warning while running\n"));
    QVERIFY(!text.contains("a trace below the default level"));
    QVERIFY(!text.contains("a warning after the end"));
}

// The libraries only recording, streaming, downloads and keystone need are opened by their feature:
// none of them is in the process once the toolbar is up, with its camera window made. Those of the
// microphones' list (Qt Multimedia, PulseAudio) and of the sleep and wake signals (D-Bus) come only
// after the toolbar was shown, from the event loop.
void TestDesktopStart::featureLibrariesWaitForTheirFeature()
{
    const QList<const char *> features{"libavcodec.so", "libavformat.so", "libavutil.so", "libswscale.so",
                                       "libswresample.so", "libcurl.so", "libopencv_", "liblumidesk-keystone.so"};
    QList<const char *> beforeShown = features;
    beforeShown << "libQt5Multimedia.so" << "libpulse.so" << "liblumidesk-audio.so" << "libQt5DBus.so"
                << "libdbus-1.so" << "liblumidesk-power.so";

    LumideskStartup startup;
    QVERIFY(startup.toolbar()->firstCameraWindow());
    QVERIFY(startup.toolbar()->isVisible());
    QCOMPARE(firstMapped(beforeShown), QByteArray());

    // Whatever start-up posts (the chooser, the sound watcher) has run too.
    for (int i = 0; i < 10; ++i)
        QCoreApplication::processEvents();
    QCOMPARE(firstMapped(features), QByteArray());
}

QTEST_MAIN(TestDesktopStart)
#include "tst_toolbar_desktopstart.moc"
