#include "analytics/bigdata.h"
#include "analytics/googleanalytic.h"
#include "common/settingspath.h"
#include "dialogs/swupdatedialog.h"
#include "dialogs/updateinstaller.h"
#include "dialogs/upgradedialog.h"
#include "formchild.h"
#include "notificationdialog.h"
#include "scriptedhttpserver.h"
#include "vantoupdater.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QNetworkProxy>
#include <QProcess>
#include <QProgressBar>
#include <QSettings>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QToolButton>
#include <QTranslator>
#include <QUrlQuery>
#include <QtTest>

#include <memory>

using Reply = ScriptedHttpServer::Reply;
using TextMap = QMap<QString, QString>;

namespace {

const QByteArray ConfigPath = "/Tivlo/check4Update/update.cfg";
const QByteArray PackagePath = "/packages/LinuxUpdater.zip";
const QDate Today(2026, 3, 15);

QByteArray sha256(const QByteArray &data)
{
    return QCryptographicHash::hash(data, QCryptographicHash::Sha256).toHex();
}

using Entries = QList<QPair<QString, QByteArray>>;

// Real zip archives with the given entries, written by Python's zipfile (one run for all, Python
// starts slowly).
QMap<QString, QByteArray> zipsOf(const QMap<QString, Entries> &archives, const QString &folder)
{
    QByteArray manifest;
    int source = 0;
    for (auto archive = archives.cbegin(); archive != archives.cend(); ++archive) {
        for (const auto &entry : archive.value()) {
            const QString path = folder + QStringLiteral("/entry%1").arg(source++);
            QFile file(path);
            if (!file.open(QIODevice::WriteOnly))
                return {};
            file.write(entry.second);
            manifest += (folder + QLatin1Char('/') + archive.key() + QLatin1Char('\t') + entry.first
                         + QLatin1Char('\t') + path + QLatin1Char('\n'))
                            .toUtf8();
        }
    }
    QProcess python;
    python.start(QStringLiteral("python3"),
                 {QStringLiteral("-c"), QStringLiteral("import sys, zipfile\n"
                                                       "for line in sys.stdin.read().splitlines():\n"
                                                       "    archive, name, source = line.split('\\t')\n"
                                                       "    with zipfile.ZipFile(archive, 'a', zipfile.ZIP_DEFLATED) as z:\n"
                                                       "        z.writestr(name, open(source, 'rb').read())\n")});
    python.write(manifest);
    python.closeWriteChannel();
    if (!python.waitForFinished(60000) || python.exitCode() != 0)
        return {};
    QMap<QString, QByteArray> zips;
    for (const QString &name : archives.keys()) {
        QFile zip(folder + QLatin1Char('/') + name);
        if (zip.open(QIODevice::ReadOnly))
            zips.insert(name, zip.readAll());
    }
    return zips;
}

Reply statusReply(int status)
{
    Reply reply;
    reply.status = status;
    reply.body = "no";
    return reply;
}

QVariant stored(const QString &key)
{
    return QSettings(_GUID_SETTING_INI, QSettings::IniFormat).value(key);
}

void store(const QString &key, const QVariant &value)
{
    QSettings(_GUID_SETTING_INI, QSettings::IniFormat).setValue(key, value);
}

// The download-complete reports among the usage hits, as "installed version | offered Windows version".
QStringList downloadReports(const QSignalSpy &hits)
{
    QStringList reports;
    for (const QList<QVariant> &hit : hits) {
        const QUrlQuery pairs(QString::fromUtf8(hit.first().toByteArray()));
        if (pairs.queryItemValue(QStringLiteral("ec")) == QLatin1String("Event_updateSWVersion"))
            reports << pairs.queryItemValue(QStringLiteral("ea")) + QStringLiteral(" | ")
                           + pairs.queryItemValue(QStringLiteral("el"));
    }
    return reports;
}

// Every connection of the program goes to it in place of the network while it lives, and is closed at
// once: what it counts is what would have left the computer.
class NetworkTrap
{
public:
    NetworkTrap()
        : m_before(QNetworkProxy::applicationProxy())
    {
        QObject::connect(&m_server, &QTcpServer::newConnection, [this] {
            while (QTcpSocket *socket = m_server.nextPendingConnection()) {
                ++m_connections;
                socket->abort();
                socket->deleteLater();
            }
        });
        if (m_server.listen(QHostAddress::LocalHost))
            QNetworkProxy::setApplicationProxy(
                QNetworkProxy(QNetworkProxy::HttpProxy, QStringLiteral("127.0.0.1"), m_server.serverPort()));
    }
    ~NetworkTrap() { QNetworkProxy::setApplicationProxy(m_before); }

    bool isListening() const { return m_server.isListening(); }
    int connections() const { return m_connections; }

private:
    QNetworkProxy m_before;
    QTcpServer m_server;
    int m_connections = 0;
};

// Every text through it comes out marked, so a text the page did not take from the catalogue shows.
class MarkingTranslator : public QTranslator
{
public:
    bool isEmpty() const override { return false; }
    QString translate(const char *, const char *sourceText, const char *, int) const override
    {
        return QStringLiteral("de:") + QString::fromUtf8(sourceText);
    }
};

} // namespace

class TestUpdateDialogs : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void installOnlyAVerifiedDownload_data();
    void installOnlyAVerifiedDownload();
    void failurePageSaysWhyTheDownloadBroke_data();
    void failurePageSaysWhyTheDownloadBroke();
    void weeklyReminder_data();
    void weeklyReminder();
    void closingStoresTheReminder_data();
    void closingStoresTheReminder();
    void updateCheckShowsTheOffer_data();
    void updateCheckShowsTheOffer();
    void aLanguageChangeSetsEveryText_data();
    void aLanguageChangeSetsEveryText();
    void packageMustFitOnTheDownloadVolume_data();
    void packageMustFitOnTheDownloadVolume();
    void tickingTheBoxRemembersTheOfferedVersion_data();
    void tickingTheBoxRemembersTheOfferedVersion();
    void progressCountsLargeAndUnknownSizes();
    void installerGivesUpOnAHungScript();
    void reUpdateDownloadsAgain_data();
    void reUpdateDownloadsAgain();
    void forms();

private:
    void serve(const QByteArray &version, const Reply &package, const QByteArray &checksum);
    void servePackage(const QString &name, int status = 200, bool rightChecksum = true);
    // Starts the download on either dialog and returns once it has ended.
    void download(QWidget *dialog);
    void checkFailurePage(QWidget *dialog, const QString &reason);
    static QString currentPage(QWidget *dialog);

    std::unique_ptr<ScriptedHttpServer> m_server;
    QTemporaryDir m_folder;
    QString m_marker;
    QMap<QString, QByteArray> m_packages;
};

void TestUpdateDialogs::initTestCase()
{
    QApplication::setApplicationName(QStringLiteral("Lumidesk"));
    QVERIFY(m_folder.isValid());
    // The install scripts learn where to leave their mark from the environment the program hands on.
    const QByteArray readme = "new program";
    const QByteArray installs = "printf '%s|%s' \"$PWD\" \"$LUMIDESK_APP_DIR\" > \"$LUMIDESK_TEST_MARKER\"\n";
    m_packages = zipsOf({{QStringLiteral("installs.zip"), {{"bin/readme.txt", readme}, {"install.sh", installs}}},
                         {QStringLiteral("fails.zip"), {{"bin/readme.txt", readme}, {"install.sh", "exit 3\n"}}},
                         {QStringLiteral("noscript.zip"), {{"bin/readme.txt", readme}}},
                         {QStringLiteral("hangs.zip"), {{"install.sh", "sleep 60\n"}}},
                         {QStringLiteral("waits.zip"),
                          {{"install.sh", "while [ ! -e \"$LUMIDESK_TEST_MARKER\" ]; do sleep 0.05; done\n"}}}},
                        m_folder.path());
    QCOMPARE(m_packages.size(), 5);
}

void TestUpdateDialogs::init()
{
    QFile::remove(_GUID_SETTING_INI);
    m_server = std::make_unique<ScriptedHttpServer>();
    QVERIFY(m_server->listen());
    VantoUpdater::setUpdateServerBase(m_server->url());
    m_marker = m_folder.filePath(QStringLiteral("installed-%1").arg(QString::fromLatin1(QTest::currentDataTag())));
    QFile::remove(m_marker);
    qputenv("LUMIDESK_TEST_MARKER", m_marker.toUtf8());
}

void TestUpdateDialogs::cleanup()
{
    m_server.reset();
}

void TestUpdateDialogs::serve(const QByteArray &version, const Reply &package, const QByteArray &checksum)
{
    Reply config;
    config.body = "LinuxVersion=\"" + version + "\"\nWindowsVersion=\"2.0.0.1\"\nLinuxInstallerPath=\""
        + m_server->url(QString::fromLatin1(PackagePath)).toEncoded() + "\"\nLinuxInstallerSha256=\"" + checksum
        + "\"\n";
    m_server->route(ConfigPath, config);
    m_server->route(PackagePath, package);
}

void TestUpdateDialogs::servePackage(const QString &name, int status, bool rightChecksum)
{
    Reply package;
    package.body = m_packages.value(name);
    package.status = status;
    serve("1.0.1003.7", package, rightChecksum ? sha256(package.body) : sha256("something else"));
}

void TestUpdateDialogs::download(QWidget *dialog)
{
    if (auto *page = qobject_cast<UpgradeDialog *>(dialog)) {
        page->Init();
        QTest::mouseClick(child<QToolButton>(page, "btnCheckSw"), Qt::LeftButton);
    } else {
        QVERIFY(static_cast<SwUpdateDialog *>(dialog)->CheckSWVersion());
        dialog->show();
    }
    QTest::mouseClick(child<QToolButton>(dialog, "btnYes"), Qt::LeftButton);
}

void TestUpdateDialogs::installOnlyAVerifiedDownload_data()
{
    QTest::addColumn<QString>("dialog");
    QTest::addColumn<QString>("afterDownload");
    QTest::addColumn<QString>("package");
    QTest::addColumn<int>("packageStatus");
    QTest::addColumn<bool>("rightChecksum");
    QTest::addColumn<bool>("installed");
    // What the failure page says under "Fail to update!".
    QTest::addColumn<QString>("reason");

    const QString notInstalled = QStringLiteral("The package could not be installed.");
    for (const char *dialog : {"start-up dialog", "update page"}) {
        const QString name = QString::fromLatin1(dialog);
        auto row = [&](const char *what) -> QTestData & {
            return QTest::newRow(qPrintable(name + QStringLiteral(": ") + QLatin1String(what)));
        };
        row("installs and closes") << name << "" << "installs.zip" << 200 << true << true << "";
        row("failing script") << name << "" << "fails.zip" << 200 << true << false << notInstalled;
        row("no install.sh in the package") << name << "" << "noscript.zip" << 200 << true << false << notInstalled;
        row("package not found (404)") << name << "" << "installs.zip" << 404 << true << false
                                       << "The update server did not provide the package.";
        row("wrong checksum") << name << "" << "installs.zip" << 200 << false << false
                              << "The downloaded package is damaged: its checksum does not match.";
        row("cancel after the download") << name << "cancel" << "installs.zip" << 200 << true << false << "";
        row("close after the download") << name << "close" << "installs.zip" << 200 << true << false << "";
    }
}

void TestUpdateDialogs::installOnlyAVerifiedDownload()
{
    QFETCH(QString, dialog);
    QFETCH(QString, afterDownload);
    QFETCH(QString, package);
    QFETCH(int, packageStatus);
    QFETCH(bool, rightChecksum);
    QFETCH(bool, installed);
    QFETCH(QString, reason);
    servePackage(package, packageStatus, rightChecksum);

    std::unique_ptr<QDialog> widget;
    UpdateInstaller *installer = nullptr;
    if (dialog == QLatin1String("update page")) {
        auto *page = new UpgradeDialog;
        page->setInstallDelay(50);
        installer = page->installer();
        widget.reset(page);
    } else {
        auto *startup = new SwUpdateDialog;
        startup->setInstallDelay(50);
        installer = startup->installer();
        widget.reset(startup);
    }
    QSignalSpy closeSystem(widget.get(), SIGNAL(closeSystem()));
    QSignalSpy closeSettings(widget.get(), SIGNAL(closeSettings()));
    QSignalSpy installEnded(installer, &UpdateInstaller::finished);
    QSignalSpy hits(BigData::RequireBigData()->hitSender(), &GoogleAnalytic::hitBuilt);
    download(widget.get());
    QCOMPARE(m_server->requestCount(), 2);
    // A download is reported once it is verified, with the installed and the offered Windows version.
    const bool verified = packageStatus == 200 && rightChecksum;
    QCOMPARE(downloadReports(hits), verified ? QStringList{"1.0.1003.6 | 2.0.0.1"} : QStringList());
    auto installPending = [&] {
        if (auto *page = qobject_cast<UpgradeDialog *>(widget.get()))
            return page->isInstallPending();
        return static_cast<SwUpdateDialog *>(widget.get())->isInstallPending();
    };
    QCOMPARE(installPending(), verified);

    if (afterDownload == QLatin1String("cancel")) {
        QTest::mouseClick(child<QToolButton>(widget.get(), "btnCancel"), Qt::LeftButton);
    } else if (afterDownload == QLatin1String("close")) {
        if (auto *page = qobject_cast<UpgradeDialog *>(widget.get())) {
            // As the general settings dialog does when the page asks to close.
            connect(page, &UpgradeDialog::closeSettings, page, &UpgradeDialog::cancelUpgrade);
            QTest::mouseClick(child<QToolButton>(page, "btnClose3"), Qt::LeftButton);
        } else {
            QTest::keyClick(widget.get(), Qt::Key_Escape);
        }
    }

    if (installed) {
        QTRY_COMPARE_WITH_TIMEOUT(closeSystem.count(), 1, 20000);
        QCOMPARE(closeSettings.count(), 1);
        QFile marker(m_marker);
        QVERIFY(marker.open(QIODevice::ReadOnly));
        const QList<QByteArray> facts = marker.readAll().split('|');
        // The script ran in the unpacked package, and learnt where the program lives.
        QVERIFY(facts.value(0).endsWith("/package"));
        QVERIFY(QFile::exists(QString::fromUtf8(facts.value(0)) + QStringLiteral("/bin/readme.txt")));
        QCOMPARE(facts.value(1), QCoreApplication::applicationDirPath().toUtf8());
        return;
    }
    if (verified && afterDownload.isEmpty()) {
        QVERIFY(installEnded.wait(20000));
        QCOMPARE(installEnded.first().first().toBool(), false);
    }
    // Nothing is left to start an install later: the only way to one is the pending wait.
    QVERIFY(!installPending());
    QVERIFY(!installer->isRunning());
    QCOMPARE(closeSystem.count(), 0);
    QVERIFY(!QFile::exists(m_marker));
    if (afterDownload.isEmpty()) {
        checkFailurePage(widget.get(), reason);
        return;
    }
    // The download page can be left and the update tried again.
    QVERIFY(child<QToolButton>(widget.get(), "btnCancel")->isEnabled());
}

// The page heads with "Fail to update!" and says why under it; on both dialogs "re-update" under them
// leads back to the offer.
void TestUpdateDialogs::checkFailurePage(QWidget *dialog, const QString &reason)
{
    QCOMPARE(currentPage(dialog), QStringLiteral("DownloadPage"));
    QCOMPARE(child<QLabel>(dialog, "label_12")->text(), QStringLiteral("Fail to update!"));
    auto *why = child<QLabel>(dialog, "lbFailReason");
    QCOMPARE(why->text(), reason);
    QVERIFY(why->isVisibleTo(dialog));
    QVERIFY(why->geometry().top() >= child<QLabel>(dialog, "label_12")->geometry().bottom());
    QVERIFY(child<QProgressBar>(dialog, "progressBar")->isHidden());
    auto *button = child<QToolButton>(dialog, "btnCancel");
    QVERIFY(button->isVisibleTo(dialog) && button->isEnabled());
    QCOMPARE(button->text(), QStringLiteral("re-update"));
    QVERIFY(!button->geometry().intersects(why->geometry()));
    if (!qobject_cast<UpgradeDialog *>(dialog))
        QVERIFY(child<QToolButton>(dialog, "btnClose")->isEnabled());
}

QString TestUpdateDialogs::currentPage(QWidget *dialog)
{
    return child<QStackedWidget>(dialog, "stackedWidget")->currentWidget()->objectName();
}

void TestUpdateDialogs::failurePageSaysWhyTheDownloadBroke_data()
{
    QTest::addColumn<QString>("dialog");
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("reason");

    for (const char *dialog : {"start-up dialog", "update page"}) {
        const QString name = QString::fromLatin1(dialog);
        QTest::newRow(qPrintable(name + QStringLiteral(": connection lost")))
            << name << "cut" << "The connection to the update server was lost.";
        QTest::newRow(qPrintable(name + QStringLiteral(": too slow")))
            << name << "drip" << "The download was too slow.";
    }
}

void TestUpdateDialogs::failurePageSaysWhyTheDownloadBroke()
{
    QFETCH(QString, dialog);
    QFETCH(QString, how);
    QFETCH(QString, reason);
    Reply package;
    package.body = m_packages.value(QStringLiteral("installs.zip"));
    if (how == QLatin1String("cut")) {
        package.bodyBytesToSend = package.body.size() / 2;
    } else {
        // 1 GiB announced, a byte every 50 ms.
        package.announcedLength = qint64(1) << 30;
        package.pieceBytes = 1;
        package.pieceDelayMsecs = 50;
    }
    serve("1.0.1003.7", package, sha256(package.body));

    std::unique_ptr<QDialog> widget;
    VantoUpdater *updater = nullptr;
    if (dialog == QLatin1String("update page")) {
        auto *page = new UpgradeDialog;
        page->show();
        updater = page->updater();
        widget.reset(page);
    } else {
        auto *startup = new SwUpdateDialog;
        updater = startup->updater();
        widget.reset(startup);
    }
    // The package's limits with short times: its rate over 0.6 s after 0.3 s.
    DownloadLimits limits = DownloadLimits::package();
    limits.graceMsecs = 300;
    limits.rateWindowMsecs = 600;
    updater->setPackageLimits(limits);
    QTimer::singleShot(20000, updater, &VantoUpdater::abortDownload);
    download(widget.get());

    checkFailurePage(widget.get(), reason);
    if (dialog == QLatin1String("start-up dialog")) {
        // Its title bar's close button leaves the failure too.
        QTest::mouseClick(child<QToolButton>(widget.get(), "btnClose"), Qt::LeftButton);
        QVERIFY(!widget->isVisible());
    }
}

void TestUpdateDialogs::weeklyReminder_data()
{
    QTest::addColumn<bool>("weekly");
    QTest::addColumn<QString>("skipped");
    QTest::addColumn<QString>("skippedOn");
    QTest::addColumn<QByteArray>("offered");
    QTest::addColumn<bool>("shown");

    auto daysAgo = [](int days) { return Today.addDays(-days).toString(QStringLiteral("yyyy/MM/dd")); };
    QTest::newRow("not weekly") << false << "1.0.1003.7" << daysAgo(1) << QByteArray("1.0.1003.7") << true;
    QTest::newRow("put off 6 days ago") << true << "1.0.1003.7" << daysAgo(6) << QByteArray("1.0.1003.7") << false;
    QTest::newRow("put off 7 days ago") << true << "1.0.1003.7" << daysAgo(7) << QByteArray("1.0.1003.7") << false;
    QTest::newRow("put off 8 days ago") << true << "1.0.1003.7" << daysAgo(8) << QByteArray("1.0.1003.7") << true;
    QTest::newRow("no date") << true << "1.0.1003.7" << "" << QByteArray("1.0.1003.7") << true;
    QTest::newRow("a date in another form") << true << "1.0.1003.7" << "14.03.2026" << QByteArray("1.0.1003.7") << true;
    // Numbers, not text: "1.0.1003.10" sorts before "1.0.1003.9" as text but is the newer version.
    QTest::newRow("newer by number, older as text") << true << "1.0.1003.9" << daysAgo(1) << QByteArray("1.0.1003.10")
                                                    << true;
    QTest::newRow("older by number, newer as text") << true << "1.0.1003.10" << daysAgo(1) << QByteArray("1.0.1003.9")
                                                    << false;
    QTest::newRow("nothing newer than the program") << false << "" << "" << QByteArray("1.0.1003.6") << false;
}

void TestUpdateDialogs::weeklyReminder()
{
    QFETCH(bool, weekly);
    QFETCH(QString, skipped);
    QFETCH(QString, skippedOn);
    QFETCH(QByteArray, offered);
    QFETCH(bool, shown);
    store(QStringLiteral("Update/byWeekCheck"), weekly);
    store(QStringLiteral("Update/Version"), skipped);
    store(QStringLiteral("Update/Time"), skippedOn);
    serve(offered, Reply(), QByteArray(64, 'a'));

    SwUpdateDialog dialog;
    dialog.setCurrentDate(Today);
    QCOMPARE(dialog.CheckSWVersion(), shown);
    dialog.show();
    QCOMPARE(child<QCheckBox>(&dialog, "checkBox")->isChecked(), weekly);
    if (shown) {
        QCOMPARE(child<QLabel>(&dialog, "lbNewVersion")->text(), QString::fromLatin1(offered));
        QCOMPARE(child<QLabel>(&dialog, "lbCurrentVersion")->text(), QStringLiteral("1.0.1003.6"));
    }

    // A configuration that cannot be fetched shows nothing.
    m_server->route(ConfigPath, statusReply(404));
    QVERIFY(!dialog.CheckSWVersion());
}

void TestUpdateDialogs::closingStoresTheReminder_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("ticked");
    QTest::newRow("No, ticked") << "no" << true;
    QTest::newRow("No, not ticked") << "no" << false;
    QTest::newRow("close button, ticked") << "close" << true;
    QTest::newRow("Escape, ticked") << "escape" << true;
    QTest::newRow("Escape, not ticked") << "escape" << false;
}

void TestUpdateDialogs::closingStoresTheReminder()
{
    QFETCH(QString, how);
    QFETCH(bool, ticked);
    store(QStringLiteral("Update/Version"), QStringLiteral("1.0.1000.1"));
    store(QStringLiteral("Update/Time"), QStringLiteral("2020/01/01"));
    serve("1.0.1003.8", Reply(), QByteArray(64, 'a'));
    SwUpdateDialog dialog;
    dialog.setCurrentDate(Today);
    QSignalSpy closed(&dialog, &SwUpdateDialog::closeSWUpdate);
    QVERIFY(dialog.CheckSWVersion());
    dialog.show();
    child<QCheckBox>(&dialog, "checkBox")->setChecked(ticked);

    if (how == QLatin1String("no"))
        QTest::mouseClick(child<QToolButton>(&dialog, "btnNo"), Qt::LeftButton);
    else if (how == QLatin1String("close"))
        QTest::mouseClick(child<QToolButton>(&dialog, "btnClose"), Qt::LeftButton);
    else
        QTest::keyClick(&dialog, Qt::Key_Escape);

    QCOMPARE(closed.count(), 1);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(stored(QStringLiteral("Update/byWeekCheck")).toBool(), ticked);
    QCOMPARE(stored(QStringLiteral("Update/Version")).toString(),
             ticked ? QStringLiteral("1.0.1003.8") : QStringLiteral("1.0.1000.1"));
    QCOMPARE(stored(QStringLiteral("Update/Time")).toString(),
             ticked ? QStringLiteral("2026/03/15") : QStringLiteral("2020/01/01"));
}

void TestUpdateDialogs::updateCheckShowsTheOffer_data()
{
    QTest::addColumn<QString>("server");
    QTest::addColumn<int>("configStatus");
    QTest::addColumn<QByteArray>("offered");
    QTest::addColumn<bool>("offer");
    QTest::addColumn<QString>("answer");
    const QString upToDate = QStringLiteral("Your software is up to date.");
    const QString notMade = QStringLiteral("The update check could not be made.");
    QTest::newRow("newer version") << "local" << 200 << QByteArray("1.0.1003.10") << true << "";
    QTest::newRow("up to date") << "local" << 200 << QByteArray("1.0.1003.6") << false << upToDate;
    // A check that failed is never shown as up to date.
    QTest::newRow("configuration not fetched") << "local" << 500 << QByteArray("1.0.1003.10") << false << notMade;
    QTest::newRow("no answer at all") << "http://127.0.0.1:9/" << 200 << QByteArray() << false << notMade;
    // Nor is a build without a server; it never reaches the network either.
    QTest::newRow("no server in the build") << "" << 200 << QByteArray() << false << notMade;
    QTest::newRow("a reserved name") << "http://update.qorv.example/" << 200 << QByteArray() << false << notMade;
    QTest::newRow("a reserved example site") << "https://updates.example.com/" << 200 << QByteArray() << false
                                             << notMade;
}

void TestUpdateDialogs::updateCheckShowsTheOffer()
{
    QFETCH(QString, server);
    QFETCH(int, configStatus);
    QFETCH(QByteArray, offered);
    QFETCH(bool, offer);
    QFETCH(QString, answer);
    const QString notMade = QStringLiteral("The update check could not be made.");
    serve(offered, Reply(), QByteArray(64, 'a'));
    if (configStatus != 200)
        m_server->route(ConfigPath, statusReply(configStatus));
    std::unique_ptr<NetworkTrap> trap;
    if (server != QLatin1String("local")) {
        VantoUpdater::setUpdateServerBase(QUrl(server));
        if (!QUrl(server).host().startsWith(QLatin1String("127.")))
            trap = std::make_unique<NetworkTrap>();
        QVERIFY(!trap || trap->isListening());
    }
    UpgradeDialog page;
    page.Init();
    QCOMPARE(child<QLabel>(&page, "SW_Version")->text(), QStringLiteral("1.0.1003.6"));
    page.show();
    QTest::mouseClick(child<QToolButton>(&page, "btnCheckSw"), Qt::LeftButton);
    if (trap)
        QCOMPARE(trap->connections(), 0);

    QCOMPARE(child<QStackedWidget>(&page, "stackedWidget")->currentIndex(), 1);
    QCOMPARE(child<QLabel>(&page, "label_7")->text(), QStringLiteral("Software Update"));
    for (const char *name : {"lbTiltle", "lbVersion", "btnYes", "btnNo", "label_9"})
        QCOMPARE(child<QWidget>(&page, name)->isVisible(), offer);
    QCOMPARE(child<QWidget>(&page, "label_5")->isVisible(), !offer);
    QCOMPARE(child<QWidget>(&page, "btnBack")->isVisible(), !offer);
    // A check that could not be made offers no version to be put off.
    for (const char *name : {"checkBox", "label_2"})
        QCOMPARE(child<QWidget>(&page, name)->isVisible(), answer != notMade);
    QCOMPARE(child<QLabel>(&page, "lbNewVersion")->text(), offer ? QString::fromLatin1(offered) : QString());
    QCOMPARE(child<QLabel>(&page, "lbCurrentVersion")->text(), offer ? QStringLiteral("1.0.1003.6") : QString());
    if (!offer)
        QCOMPARE(child<QLabel>(&page, "label_5")->text(), answer);

    QTest::mouseClick(child<QToolButton>(&page, offer ? "btnNo" : "btnBack"), Qt::LeftButton);
    QCOMPARE(child<QStackedWidget>(&page, "stackedWidget")->currentIndex(), 0);
}

void TestUpdateDialogs::aLanguageChangeSetsEveryText_data()
{
    QTest::addColumn<QString>("state");
    // Texts of the catalogue, by object, in the language the page was given.
    QTest::addColumn<TextMap>("texts");
    // Texts that are no texts of the catalogue, which the change leaves as they were.
    QTest::addColumn<TextMap>("values");

    const TextMap versions{{"SW_Version", "1.0.1003.6"}};
    QTest::newRow("offer") << "offer"
                           << TextMap{{"label_7", "Software Update"},
                                      {"lbTiltle", "New software version is available"},
                                      {"lbVersion", "Current software version:"},
                                      {"label_9", "Want to update now?"},
                                      {"label_2", "Do not remind me this version in this week."},
                                      {"btnYes", "Yes"},
                                      {"btnNo", "No"},
                                      {"label", "Sofware version number:"},
                                      {"btnCheckSw", "Update Check"}}
                           << TextMap{{"SW_Version", "1.0.1003.6"},
                                      {"lbNewVersion", "1.0.1003.7"},
                                      {"lbCurrentVersion", "1.0.1003.6"}};
    QTest::newRow("up to date") << "up to date"
                                << TextMap{{"label_7", "Software Update"},
                                           {"label_5", "Your software is up to date."},
                                           {"btnBack", "Back"}}
                                << versions;
    QTest::newRow("check not made") << "check not made"
                                    << TextMap{{"label_5", "The update check could not be made."}} << versions;
    QTest::newRow("firmware up to date") << "firmware up to date"
                                         << TextMap{{"label_7", "Firmware Upgrade"},
                                                    {"lbTiltle", "New firmware version is available"},
                                                    {"label_5", "Your firmware is up to date."}}
                                         << versions;
    QTest::newRow("download failed") << "download failed"
                                     << TextMap{{"label_8", "Software Update"},
                                                {"label_12", "Fail to update!"},
                                                {"lbFailReason", "The update server did not provide the package."},
                                                {"btnCancel", "re-update"}}
                                     << versions;
    QTest::newRow("disk full") << "disk full"
                               << TextMap{{"label_12", "Fail to update!"},
                                          {"lbFailReason", "Not enough free disk space for the package."},
                                          {"btnCancel", "re-update"},
                                          {"labelTitle", "Update failed"}}
                               << versions;
    QTest::newRow("installing") << "installing" << TextMap{{"label_12", "Installing... please wait"}} << versions;
}

// After a language change every text the page shows comes from the catalogue again, as the page's
// state has it, never the form's design texts; version numbers stay.
void TestUpdateDialogs::aLanguageChangeSetsEveryText()
{
    QFETCH(QString, state);
    QFETCH(TextMap, texts);
    QFETCH(TextMap, values);
    if (state == QLatin1String("check not made"))
        m_server->route(ConfigPath, statusReply(500));
    else if (state.endsWith(QLatin1String("up to date")))
        serve("1.0.1003.6", Reply(), QByteArray(64, 'a'));
    else
        servePackage(state == QLatin1String("installing") ? QStringLiteral("waits.zip") : QStringLiteral("installs.zip"),
                     state == QLatin1String("download failed") ? 404 : 200);

    UpgradeDialog page;
    page.setInstallDelay(state == QLatin1String("installing") ? 0 : 60000);
    if (state == QLatin1String("disk full"))
        page.setFreeSpaceProbe([](const QString &) { return qint64(-1); });
    page.show();
    if (state == QLatin1String("firmware up to date")) {
        page.Init();
        page.firmWareUpgradeCheck();
    } else if (state == QLatin1String("offer") || state.contains(QLatin1String("up to date"))
               || state == QLatin1String("check not made")) {
        page.Init();
        QTest::mouseClick(child<QToolButton>(&page, "btnCheckSw"), Qt::LeftButton);
    } else {
        download(&page);
    }
    if (state == QLatin1String("installing"))
        QTRY_VERIFY_WITH_TIMEOUT(page.installer()->isRunning(), 20000);

    MarkingTranslator translator;
    QVERIFY(QCoreApplication::installTranslator(&translator));
    page.updateString();
    QCoreApplication::removeTranslator(&translator);

    auto textOf = [](QObject *object) {
        if (auto *label = qobject_cast<QLabel *>(object))
            return label->text();
        if (auto *button = qobject_cast<QAbstractButton *>(object))
            return button->text();
        return QString();
    };
    auto shown = [&](const QString &name) {
        QObject *object = child<QStackedWidget>(&page, "stackedWidget")->findChild<QObject *>(name);
        return textOf(object ? object : child<QObject>(page.notification(), qPrintable(name)));
    };
    for (auto text = texts.cbegin(); text != texts.cend(); ++text)
        QCOMPARE(shown(text.key()), QStringLiteral("de:") + text.value());
    for (auto value = values.cbegin(); value != values.cend(); ++value)
        QCOMPARE(shown(value.key()), value.value());
    // No text of any page is left in the form's design language; only version numbers are no texts.
    const QStringList numbers{"SW_Version", "lbNewVersion", "lbCurrentVersion", "lbVersion_2"};
    QStringList untranslated;
    for (QWidget *widget : page.findChildren<QWidget *>()) {
        const QString text = textOf(widget);
        if (widget->window() == &page && !text.isEmpty() && text != QLatin1String("...")
            && !text.startsWith(QLatin1String("de:")) && !numbers.contains(widget->objectName()))
            untranslated << widget->objectName() + QStringLiteral(": ") + text;
    }
    QVERIFY2(untranslated.isEmpty(), qPrintable(untranslated.join(QStringLiteral(", "))));
    if (state == QLatin1String("disk full"))
        QVERIFY(shown(QStringLiteral("labelMessage"))
                    .contains(QStringLiteral("de:Destination disk drive is full. Please free up sufficient space on "
                                             "the disk drive.")));

    if (state == QLatin1String("installing")) {
        QFile go(m_marker);
        QVERIFY(go.open(QIODevice::WriteOnly));
        go.close();
        QTRY_VERIFY_WITH_TIMEOUT(!page.installer()->isRunning(), 20000);
    }
}

void TestUpdateDialogs::packageMustFitOnTheDownloadVolume_data()
{
    QTest::addColumn<qint64>("spareKiB");
    QTest::addColumn<bool>("fits");
    QTest::newRow("exactly the package") << qint64(0) << true;
    QTest::newRow("one KiB short") << qint64(-1) << false;
}

void TestUpdateDialogs::packageMustFitOnTheDownloadVolume()
{
    QFETCH(qint64, spareKiB);
    QFETCH(bool, fits);
    Reply package;
    package.body = QByteArray(300 * 1024 + 100, 'z');
    serve("1.0.1003.7", package, sha256(package.body));
    const qint64 packageKiB = package.body.size() / 1024;

    UpgradeDialog page;
    page.setInstallDelay(60000);
    QStringList measured;
    page.setFreeSpaceProbe([&](const QString &path) {
        measured.append(path);
        return packageKiB + spareKiB;
    });
    page.show();
    download(&page);

    QVERIFY(!measured.isEmpty());
    QCOMPARE(measured.first(), page.updater()->downloadFolder());
    QCOMPARE(page.isInstallPending(), fits);
    QCOMPARE(page.notification()->isVisible(), !fits);
    if (fits)
        return;
    checkFailurePage(&page, QStringLiteral("Not enough free disk space for the package."));
    QCOMPARE(child<QLabel>(page.notification(), "labelTitle")->text(), QStringLiteral("Update failed"));
    QVERIFY(child<QLabel>(page.notification(), "labelMessage")->text().contains(
        QStringLiteral("Destination disk drive is full. Please free up sufficient space on the disk drive.")));
    page.notification()->close();

    // "re-update" leads back to the offer; Yes starts again with the texts reset.
    QTest::mouseClick(child<QToolButton>(&page, "btnCancel"), Qt::LeftButton);
    QCOMPARE(child<QStackedWidget>(&page, "stackedWidget")->currentIndex(), 1);
    page.setFreeSpaceProbe([](const QString &) { return qint64(1) << 40; });
    QTest::mouseClick(child<QToolButton>(&page, "btnYes"), Qt::LeftButton);
    QCOMPARE(child<QToolButton>(&page, "btnCancel")->text(), QStringLiteral("Cancel"));
    QVERIFY(child<QProgressBar>(&page, "progressBar")->isVisible());
    QVERIFY(child<QLabel>(&page, "lbFailReason")->isHidden());
    QVERIFY(page.isInstallPending());
}

void TestUpdateDialogs::tickingTheBoxRemembersTheOfferedVersion_data()
{
    QTest::addColumn<QByteArray>("offered");
    QTest::addColumn<QString>("remembered");
    QTest::newRow("newer version offered") << QByteArray("1.0.1004.0") << "1.0.1004.0";
    QTest::newRow("nothing newer") << QByteArray("1.0.1003.6") << "kept";
}

void TestUpdateDialogs::tickingTheBoxRemembersTheOfferedVersion()
{
    QFETCH(QByteArray, offered);
    QFETCH(QString, remembered);
    store(QStringLiteral("Update/Version"), QStringLiteral("kept"));
    serve(offered, Reply(), QByteArray(64, 'a'));
    UpgradeDialog page;
    page.setCurrentDate(Today);
    page.Init();
    auto *box = child<QCheckBox>(&page, "checkBox");
    box->setChecked(true);
    QCOMPARE(m_server->requestCount(), 1);
    QCOMPARE(stored(QStringLiteral("Update/byWeekCheck")).toBool(), true);
    QCOMPARE(stored(QStringLiteral("Update/Time")).toString(), QStringLiteral("2026/03/15"));
    QCOMPARE(stored(QStringLiteral("Update/Version")).toString(), remembered);

    box->setChecked(false);
    QCOMPARE(m_server->requestCount(), 1);
    QCOMPARE(stored(QStringLiteral("Update/byWeekCheck")).toBool(), false);
    QCOMPARE(stored(QStringLiteral("Update/Version")).toString(), remembered);
}

// Sizes beyond what an int holds, and a server that names no size, still give a sensible bar.
void TestUpdateDialogs::progressCountsLargeAndUnknownSizes()
{
    Reply slow;
    slow.body = QByteArray(20000, 's');
    slow.pieceBytes = 1000;
    slow.pieceDelayMsecs = 40;
    serve("1.0.1003.7", slow, sha256(slow.body));
    SwUpdateDialog dialog;
    dialog.setInstallDelay(60000);
    QPair<int, int> large;
    QPair<int, int> unknown;
    QVERIFY(dialog.CheckSWVersion());
    dialog.show();
    auto *bar = child<QProgressBar>(&dialog, "progressBar");
    // Told while the package comes: on its first report, when the rest of it is still to come.
    bool told = false;
    connect(dialog.updater(), &VantoUpdater::dataReadProgress, &dialog, [&] {
        if (told)
            return;
        told = true;
        emit dialog.updater()->dataReadProgress(qint64(3) << 30, qint64(4) << 30);
        large = {bar->value(), bar->maximum()};
        emit dialog.updater()->dataReadProgress(1000, -1);
        unknown = {bar->minimum(), bar->maximum()};
    });
    QTest::mouseClick(child<QToolButton>(&dialog, "btnYes"), Qt::LeftButton);
    QVERIFY(told);
    QCOMPARE(large, qMakePair(750, 1000));
    QCOMPARE(unknown, qMakePair(0, 0));
    QCOMPARE(bar->value(), bar->maximum());
    QVERIFY(dialog.isInstallPending());
}

// An install that never ends would keep the settings dialog from ever closing.
void TestUpdateDialogs::installerGivesUpOnAHungScript()
{
    const QString folder = m_folder.filePath(QStringLiteral("hung"));
    for (const QString &where : {folder, m_folder.filePath(QStringLiteral("other"))}) {
        QVERIFY(QDir().mkpath(where));
        QFile archive(where + QStringLiteral("/LinuxUpdater.zip"));
        QVERIFY(archive.open(QIODevice::WriteOnly));
        archive.write(m_packages.value(QStringLiteral("hangs.zip")));
    }

    // Only the script's own limit can end it in time: unpacking may take longer than the whole wait.
    UpdateInstaller installer;
    installer.setTimeLimits(120000, 300);
    QSignalSpy finished(&installer, &UpdateInstaller::finished);
    QVERIFY(!installer.start(folder, QStringLiteral("../other/LinuxUpdater.zip")));
    QVERIFY(!installer.start(folder, QStringLiteral("missing.zip")));
    QVERIFY(installer.start(folder, QStringLiteral("LinuxUpdater.zip")));
    QVERIFY(installer.isRunning());
    QVERIFY(!installer.start(folder, QStringLiteral("LinuxUpdater.zip")));
    // The script sleeps a minute; only its limit ends it within the wait.
    QVERIFY(finished.wait(40000));
    QCOMPARE(finished.first().first().toBool(), false);
    QVERIFY(!installer.isRunning());
}

void TestUpdateDialogs::reUpdateDownloadsAgain_data()
{
    QTest::addColumn<QString>("dialog");
    QTest::newRow("start-up dialog") << "start-up dialog";
    QTest::newRow("update page") << "update page";
}

// The first download is refused; "re-update" leads back to the offer, and Yes there fetches the
// package again, which the server now serves, and installs it.
void TestUpdateDialogs::reUpdateDownloadsAgain()
{
    QFETCH(QString, dialog);
    servePackage(QStringLiteral("installs.zip"), 404);

    std::unique_ptr<QDialog> widget;
    if (dialog == QLatin1String("update page")) {
        auto *page = new UpgradeDialog;
        page->setInstallDelay(50);
        widget.reset(page);
    } else {
        auto *startup = new SwUpdateDialog;
        startup->setInstallDelay(50);
        widget.reset(startup);
    }
    QSignalSpy closeSystem(widget.get(), SIGNAL(closeSystem()));
    download(widget.get());
    checkFailurePage(widget.get(), QStringLiteral("The update server did not provide the package."));
    const int requests = m_server->requestCount();

    servePackage(QStringLiteral("installs.zip"));
    QTest::mouseClick(child<QToolButton>(widget.get(), "btnCancel"), Qt::LeftButton);
    QCOMPARE(currentPage(widget.get()), QStringLiteral("UpdateInfoPage"));
    auto *yes = child<QToolButton>(widget.get(), "btnYes");
    QVERIFY(yes->isVisibleTo(widget.get()) && yes->isEnabled());
    QTest::mouseClick(yes, Qt::LeftButton);

    // One more request, for the package alone, and the download page as it was before the failure.
    QCOMPARE(m_server->requestCount(), requests + 1);
    QCOMPARE(m_server->requests().last().path, PackagePath);
    QCOMPARE(currentPage(widget.get()), QStringLiteral("DownloadPage"));
    QCOMPARE(child<QToolButton>(widget.get(), "btnCancel")->text(), QStringLiteral("Cancel"));
    QVERIFY(child<QLabel>(widget.get(), "lbFailReason")->isHidden());
    QVERIFY(!child<QProgressBar>(widget.get(), "progressBar")->isHidden());
    QTRY_COMPARE_WITH_TIMEOUT(closeSystem.count(), 1, 20000);
    QVERIFY(QFile::exists(m_marker));
}

void TestUpdateDialogs::forms()
{
    // The start-up dialog, made at every start, builds its form only when it is shown.
    SwUpdateDialog startup;
    QVERIFY(!startup.findChild<QStackedWidget *>());
    startup.show();
    QCOMPARE(startup.size(), QSize(400, 293));
    QVERIFY(startup.windowFlags().testFlag(Qt::FramelessWindowHint));
    QVERIFY(startup.isModal());
    QCOMPARE(child<QLabel>(&startup, "selectLb")->text(), QStringLiteral("Software Update"));
    QCOMPARE(child<QLabel>(&startup, "label_2")->text(), QStringLiteral("Do not remind me this version in this week."));
    QCOMPARE(child<QStackedWidget>(&startup, "stackedWidget")->currentIndex(), 0);
    QVERIFY(!child<QProgressBar>(&startup, "progressBar")->isTextVisible());
    // One close button, in the title bar, for both pages.
    QVERIFY(!startup.findChild<QToolButton *>(QStringLiteral("btnClose3")));
    QCOMPARE(child<QToolButton>(&startup, "btnClose")->parentWidget(), &startup);

    UpgradeDialog page;
    QCOMPARE(page.size(), QSize(400, 365));
    QCOMPARE(child<QLabel>(&page, "label")->text(), QStringLiteral("Sofware version number:"));
    QCOMPARE(child<QToolButton>(&page, "btnCheckSw")->text(), QStringLiteral("Update Check"));
    QVERIFY(child<QToolButton>(&page, "btnBack")->isHidden());
    QCOMPARE(child<QStackedWidget>(&page, "stackedWidget")->count(), 3);
    QCOMPARE(QPixmap(QStringLiteral(":/liveStream/resources/liveStream/close.png")).size(), QSize(22, 22));
    for (const char *state : {"normal", "hover", "pressed", "disabled"})
        QCOMPARE(QPixmap(QStringLiteral(":/otherSetting/resources/setting/btn_choose_%1.png").arg(QLatin1String(state)))
                     .size(),
                 QSize(75, 25));
}

QTEST_MAIN(TestUpdateDialogs)
#include "tst_dialogs_update.moc"
