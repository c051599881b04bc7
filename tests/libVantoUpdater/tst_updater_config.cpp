#include "config/updateconfig.h"
#include "config/versionnumber.h"
#include "download/downloadname.h"
#include "updaterfunctions.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// A file that is made up as it is read: a head, then count bytes of filler without a line break,
// then a tail; it counts what the reader took.
class MadeUpFile : public QIODevice
{
public:
    MadeUpFile(const QByteArray &head, qint64 fillerBytes, const QByteArray &tail)
        : m_head(head), m_filler(fillerBytes), m_tail(tail)
    {
        open(QIODevice::ReadOnly);
    }
    qint64 taken() const { return m_at; }
    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override { return length() - m_at + QIODevice::bytesAvailable(); }

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        qint64 given = 0;
        while (given < maxSize && m_at < length()) {
            data[given++] = byteAt(m_at++);
        }
        return given;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    qint64 length() const { return m_head.size() + m_filler + m_tail.size(); }
    char byteAt(qint64 at) const
    {
        if (at < m_head.size())
            return m_head.at(int(at));
        if (at < m_head.size() + m_filler)
            return 'x';
        return m_tail.at(int(at - m_head.size() - m_filler));
    }

    QByteArray m_head;
    qint64 m_filler;
    QByteArray m_tail;
    qint64 m_at = 0;
};

} // namespace

class UpdaterConfigTest : public QObject
{
    Q_OBJECT

private slots:
    void keyLine_data();
    void keyLine();
    void firstMatchingLineWins();
    void unreadableFileHasNoValue();
    void boundedReading_data();
    void boundedReading();
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

void UpdaterConfigTest::boundedReading_data()
{
    QTest::addColumn<QByteArray>("head");
    QTest::addColumn<qint64>("fillerBytes");
    QTest::addColumn<QByteArray>("tail");
    QTest::addColumn<QString>("value");

    const qint64 endless = qint64(64) << 20;
    const QByteArray key = "LinuxVersion=\"9.9.9.9\"\n";
    QTest::newRow("key behind a 64 MiB line") << QByteArray() << endless << "\n" + key << QString();
    QTest::newRow("key before a 64 MiB line") << key << endless << QByteArray() << QStringLiteral("9.9.9.9");
    // The overlong line would match: it is passed over, and the next one answers.
    const QByteArray overlong = "LinuxVersion=\"" + QByteArray(UpdateConfig::MaxLineBytes, '1') + "\"\n";
    QTest::newRow("overlong key line") << overlong << qint64(0) << key << QStringLiteral("9.9.9.9");
    const QByteArray longest = "LinuxVersion=\"" + QByteArray(UpdateConfig::MaxLineBytes - 15, '2') + "\"\n";
    QCOMPARE(longest.size(), UpdateConfig::MaxLineBytes + 1);
    QTest::newRow("longest line") << longest << qint64(0) << key << QString(UpdateConfig::MaxLineBytes - 15, '2');
    QTest::newRow("no line break at all") << QByteArray() << endless << QByteArray() << QString();
}

void UpdaterConfigTest::boundedReading()
{
    QFETCH(QByteArray, head);
    QFETCH(qint64, fillerBytes);
    QFETCH(QByteArray, tail);
    QFETCH(QString, value);
    MadeUpFile file(head, fillerBytes, tail);

    QCOMPARE(UpdateConfig::value(&file, QStringLiteral("LinuxVersion")), value);
    // Never further into the file than a configuration may be long (and one read-ahead of the device).
    QVERIFY2(file.taken() <= UpdateConfig::MaxBytes + 64 * 1024, qPrintable(QString::number(file.taken())));
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
