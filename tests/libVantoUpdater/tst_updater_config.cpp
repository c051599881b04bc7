#include "config/updateconfig.h"
#include "config/versionnumber.h"
#include "download/downloadname.h"
#include "updaterfunctions.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

class UpdaterConfigTest : public QObject
{
    Q_OBJECT

private slots:
    void keyLine_data();
    void keyLine();
    void firstMatchingLineWins();
    void unreadableFileHasNoValue();
    void versionOrder_data();
    void versionOrder();
    void downloadName_data();
    void downloadName();
    void deleteDirEmptiesNestedFolders();
    void deleteDirLeavesLinkTargets();
    void testMarkerMustBeAFile();

private:
    static void writeFile(const QString &path, const QByteArray &content);
};

void UpdaterConfigTest::writeFile(const QString &path, const QByteArray &content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

void UpdaterConfigTest::keyLine_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("found");

    QTest::newRow("quoted") << "LinuxVersion=\"1.0.1003.7\"" << "1.0.1003.7" << true;
    QTest::newRow("blanks around =") << "  LinuxVersion \t=  \"1.0.1003.7\"  " << "1.0.1003.7" << true;
    QTest::newRow("longer key") << "LinuxVersionOld=\"9.9.9.9\"" << QString() << false;
    QTest::newRow("shorter key") << "LinuxVers=\"9.9.9.9\"" << QString() << false;
    QTest::newRow("other case") << "linuxversion=\"9.9.9.9\"" << QString() << false;
    QTest::newRow("no equals") << "LinuxVersion \"9.9.9.9\"" << QString() << false;
    QTest::newRow("unquoted") << "LinuxVersion = 1.2.3.4" << "1.2.3.4" << true;
    QTest::newRow("three quotes") << "LinuxVersion=\"1.2\"3\"" << "" << true;
    QTest::newRow("one quote") << "LinuxVersion=\"1.2.3.4" << "" << true;
    QTest::newRow("empty quotes") << "LinuxVersion=\"\"" << "" << true;
    QTest::newRow("equals in value") << "LinuxVersion=\"a=b\"" << "a=b" << true;
}

void UpdaterConfigTest::keyLine()
{
    QFETCH(QString, line);
    QFETCH(QString, value);
    QFETCH(bool, found);
    const QString result = UpdateConfig::valueOfLine(line, QStringLiteral("LinuxVersion"));
    QCOMPARE(!result.isNull(), found);
    QCOMPARE(result, value);
}

void UpdaterConfigTest::firstMatchingLineWins()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("update.cfg"));
    writeFile(path, "LinuxVersionOld=\"9.9.9.9\"\r\n"
                    "# comment = \"x\"\n"
                    "LinuxVersion=\"1.0.1003.7\"\n"
                    "LinuxVersion=\"2.0.0.0\"\n"
                    "FWInstallerPath = \"https://h/f/UpdaterFW.dat\"\n"
                    "Name=\"D\xc3\xa9j\xc3\xa0\"\n");
    QCOMPARE(UpdateConfig::value(path, QStringLiteral("LinuxVersion")), QStringLiteral("1.0.1003.7"));
    QCOMPARE(UpdateConfig::value(path, QStringLiteral("FWInstallerPath")), QStringLiteral("https://h/f/UpdaterFW.dat"));
    QCOMPARE(UpdateConfig::value(path, QStringLiteral("Name")), QString::fromUtf8("D\xc3\xa9j\xc3\xa0"));
    QVERIFY(UpdateConfig::value(path, QStringLiteral("LinuxTestVersion")).isNull());
    QVERIFY(UpdateConfig::value(path, QString()).isNull());
}

void UpdaterConfigTest::unreadableFileHasNoValue()
{
    QVERIFY(UpdateConfig::value(QStringLiteral("/nonexistent/update.cfg"), QStringLiteral("LinuxVersion")).isNull());
}

void UpdaterConfigTest::versionOrder_data()
{
    QTest::addColumn<QString>("local");
    QTest::addColumn<QString>("remote");
    QTest::addColumn<bool>("older");

    QTest::newRow("newer last field") << "1.0.1003.6" << "1.0.1003.7" << true;
    QTest::newRow("same") << "1.0.1003.6" << "1.0.1003.6" << false;
    QTest::newRow("numeric not text") << "1.0.1003.6" << "1.0.999.9" << false;
    QTest::newRow("numeric newer") << "1.0.999.9" << "1.0.1003.0" << true;
    QTest::newRow("missing fourth is 0") << "1.0.1003.6" << "1.0.1003" << false;
    QTest::newRow("missing local field") << "1.0.1003" << "1.0.1003.1" << true;
    QTest::newRow("first field decides") << "2.0.0.0" << "1.9.9999.9999" << false;
    QTest::newRow("EOF is 0.0.0.0") << "1.0.1003.6" << "EOF" << false;
    QTest::newRow("empty local") << "" << "0.0.0.1" << true;
    QTest::newRow("both empty") << "" << "" << false;
    QTest::newRow("non-numeric field is 0") << "1.0.1003.6" << "1.0.1003x.9" << false;
    QTest::newRow("fifth field ignored") << "1.0.1003.6" << "1.0.1003.6.9" << false;
    QTest::newRow("big numbers") << "1.0.4294967295.0" << "1.0.4294967296.0" << true;
}

void UpdaterConfigTest::versionOrder()
{
    QFETCH(QString, local);
    QFETCH(QString, remote);
    QFETCH(bool, older);
    QCOMPARE(VersionNumber::isOlder(local, remote), older);
}

void UpdaterConfigTest::downloadName_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("name");

    QTest::newRow("plain") << "https://h/p/LinuxUpdater.zip" << "LinuxUpdater.zip";
    QTest::newRow("query ignored") << "https://h/p/UpdaterFW.dat?x=1" << "UpdaterFW.dat";
    QTest::newRow("escaped blank") << "https://h/p/my%20file.zip" << "my file.zip";
    QTest::newRow("trailing slash") << "https://h/p/" << QString();
    QTest::newRow("no path") << "https://h" << QString();
    QTest::newRow("escaped slash up") << "https://h/p/..%2F..%2Fevil.sh" << QString();
    QTest::newRow("escaped slash") << "https://h/p/a%2Fb" << QString();
    QTest::newRow("escaped backslash") << "https://h/p/..%5Cevil" << QString();
    QTest::newRow("dot dot") << "https://h/p/.." << QString();
    QTest::newRow("escaped dot dot") << "https://h/p/%2E%2E" << QString();
    QTest::newRow("escaped nul") << "https://h/p/a%00b" << QString();
    QTest::newRow("newline") << "https://h/p/a%0Ab" << QString();
}

void UpdaterConfigTest::downloadName()
{
    QFETCH(QString, url);
    QFETCH(QString, name);
    QCOMPARE(DownloadName::fromUrl(QUrl(url)), name);
}

void UpdaterConfigTest::deleteDirEmptiesNestedFolders()
{
    QTemporaryDir dir;
    const QString root = dir.filePath(QStringLiteral("tree"));
    writeFile(root + QStringLiteral("/a.txt"), "a");
    writeFile(root + QStringLiteral("/.hidden"), "h");
    writeFile(root + QStringLiteral("/sub/.deeper/b.txt"), "b");

    QVERIFY(deleteDir(root, 1));
    QVERIFY(QFileInfo(root).isDir());
    QVERIFY(QDir(root).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).isEmpty());

    QVERIFY(deleteDir(root, 0));
    QVERIFY(!QFileInfo::exists(root));
    // A folder that was never there is simply made.
    QVERIFY(deleteDir(root + QStringLiteral("/new/inner"), 1));
    QVERIFY(QFileInfo(root + QStringLiteral("/new/inner")).isDir());
}

void UpdaterConfigTest::deleteDirLeavesLinkTargets()
{
    QTemporaryDir dir;
    const QString outside = dir.filePath(QStringLiteral("outside"));
    writeFile(outside + QStringLiteral("/keep.txt"), "keep");
    const QString root = dir.filePath(QStringLiteral("tree"));
    QDir().mkpath(root);
    QVERIFY(QFile::link(outside, root + QStringLiteral("/dirlink")));
    QVERIFY(QFile::link(outside + QStringLiteral("/keep.txt"), root + QStringLiteral("/filelink")));

    QVERIFY(deleteDir(root, 0));
    QVERIFY(!QFileInfo::exists(root));
    QVERIFY(QFile::exists(outside + QStringLiteral("/keep.txt")));
}

void UpdaterConfigTest::testMarkerMustBeAFile()
{
    const QString marker = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)
        + QStringLiteral("/Qorv/Tivlo/testUpdate.ini");
    QVERIFY(!isTestFileExists());
    QDir().mkpath(marker);
    QVERIFY(!isTestFileExists());
    QVERIFY(QDir().rmdir(marker));
    writeFile(marker, "");
    QVERIFY(isTestFileExists());
    QVERIFY(QFile::remove(marker));
}

QTEST_GUILESS_MAIN(UpdaterConfigTest)
#include "tst_updater_config.moc"
