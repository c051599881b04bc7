// The keystone snapshot's image writer module: loaded on the first write and not before, a clear
// reason when it cannot be loaded or cannot write, and the program and its libraries free of the image
// codecs that only the module links.
#include "camerawindow/keystoneimagewriter.h"
#include "desktop/installlayout.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const char Codecs[] = "libopencv_imgcodecs";

bool mapped(const char *library)
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    return maps.open(QIODevice::ReadOnly) && maps.readAll().contains(library);
}

QString loaderListing(const QString &file)
{
    QProcess ldd;
    ldd.setProcessChannelMode(QProcess::MergedChannels);
    ldd.start(QStringLiteral("ldd"), {file});
    if (!ldd.waitForFinished(60000) || ldd.exitCode() != 0)
        return QString();
    return QString::fromLocal8Bit(ldd.readAll());
}

cv::Mat bluePicture()
{
    return cv::Mat(24, 40, CV_8UC4, cv::Scalar(200, 40, 10, 255));
}

} // namespace

class TestKeyStoneImageWriter : public QObject
{
    Q_OBJECT

private slots:
    void loadedOnTheFirstWrite();
    void moduleThatCannotBeLoaded_data();
    void moduleThatCannotBeLoaded();
    void writeFailureSaysWhy();
    void codecsOnlyInTheModule_data();
    void codecsOnlyInTheModule();
};

void TestKeyStoneImageWriter::loadedOnTheFirstWrite()
{
    KeyStoneImageWriter writer;
    QVERIFY(!mapped("liblumidesk-imagewriter"));
    QVERIFY(!mapped(Codecs));
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("page.png"));
    QVERIFY2(writer.write(path, bluePicture()), qPrintable(writer.errorString()));
    QVERIFY(writer.isLoaded());
    QVERIFY(mapped("liblumidesk-imagewriter"));
    QVERIFY(mapped(Codecs));
    QVERIFY(writer.errorString().isEmpty());
    QVERIFY(QFile(path).size() > 0);
}

void TestKeyStoneImageWriter::moduleThatCannotBeLoaded_data()
{
    QTest::addColumn<QString>("module");
    QTest::addColumn<QString>("reason");
    QTest::newRow("missing") << "/nonexistent/liblumidesk-imagewriter.so" << "cannot be loaded";
    // One of our libraries, loadable, but not the writer.
    QTest::newRow("no entry") << platform::InstallLayout::module(QStringLiteral("journix")) << "has no entry";
}

void TestKeyStoneImageWriter::moduleThatCannotBeLoaded()
{
    QFETCH(QString, module);
    QFETCH(QString, reason);
    KeyStoneImageWriter writer(module);
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("page.png"));
    // Each write tries again and says so again.
    for (int attempt = 0; attempt < 2; ++attempt) {
        QVERIFY(!writer.write(path, bluePicture()));
        QVERIFY(!writer.isLoaded());
        QVERIFY2(writer.errorString().contains(module), qPrintable(writer.errorString()));
        QVERIFY2(writer.errorString().contains(reason), qPrintable(writer.errorString()));
    }
    QVERIFY(!QFile::exists(path));
}

void TestKeyStoneImageWriter::writeFailureSaysWhy()
{
    KeyStoneImageWriter writer;
    QTemporaryDir folder;
    for (const QString &name : {QStringLiteral("page.unknown"), QStringLiteral("missing/page.png")}) {
        QVERIFY(!writer.write(folder.filePath(name), bluePicture()));
        QVERIFY(writer.isLoaded());
        QVERIFY2(!writer.errorString().isEmpty(), qPrintable(name));
    }
    // An empty picture reaches no codec.
    QVERIFY(!writer.write(folder.filePath(QStringLiteral("empty.png")), cv::Mat()));
    QVERIFY(!QFile::exists(folder.filePath(QStringLiteral("empty.png"))));
    QCOMPARE(QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
}

void TestKeyStoneImageWriter::codecsOnlyInTheModule_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("needsCodecs");
    QTest::newRow("program") << QStringLiteral(LUMIDESK_PROGRAM) << false;
    const QDir libraries(platform::InstallLayout::libraryFolder());
    const QStringList names = libraries.entryList({QStringLiteral("liblumidesk-*.so")}, QDir::Files, QDir::Name);
    QVERIFY(names.size() >= 5);
    for (const QString &name : names)
        QTest::newRow(qPrintable(name)) << libraries.filePath(name) << (name == "liblumidesk-imagewriter.so");
}

void TestKeyStoneImageWriter::codecsOnlyInTheModule()
{
    QFETCH(QString, file);
    QFETCH(bool, needsCodecs);
    // Everything the loader brings in with the file, not only what it names itself.
    const QString listing = loaderListing(file);
    QVERIFY2(!listing.isEmpty(), qPrintable(file));
    QVERIFY2(!listing.contains(QLatin1String("not found")), qPrintable(listing));
    QCOMPARE(listing.contains(QLatin1String(Codecs)), needsCodecs);
}

QTEST_GUILESS_MAIN(TestKeyStoneImageWriter)
#include "tst_keystone_imagewriter.moc"
