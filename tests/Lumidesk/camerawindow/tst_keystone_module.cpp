// The keystone module: loaded on first use and not before, a clear reason when it cannot be loaded or
// cannot write, and the program and its libraries free of OpenCV, which only the module links.
#include "camerawindow/keystonemodule.h"
#include "desktop/installlayout.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const char Codecs[] = "libopencv_imgcodecs";
const char OpenCv[] = "libopencv_";
const char Module[] = "liblumidesk-keystone";

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

QImage bluePicture()
{
    QImage picture(40, 24, QImage::Format_ARGB32);
    picture.fill(QColor(10, 40, 200));
    return picture;
}

// The whole picture as the page.
const KeyStoneCorner WholePicture[4] = {{0, 0}, {39, 0}, {39, 23}, {0, 23}};

} // namespace

class TestKeyStoneModule : public QObject
{
    Q_OBJECT

private slots:
    void loadedOnFirstUse();
    void moduleThatCannotBeLoaded_data();
    void moduleThatCannotBeLoaded();
    void writeFailureSaysWhy();
    void openCvOnlyInTheModule_data();
    void openCvOnlyInTheModule();
};

void TestKeyStoneModule::loadedOnFirstUse()
{
    KeyStoneModule module;
    QVERIFY(!mapped(Module));
    QVERIFY(!mapped(OpenCv));
    QVERIFY(!module.isLoaded());
    const std::unique_ptr<KeyStoneSearch> search = module.createSearch();
    QVERIFY2(search, qPrintable(module.errorString()));
    QVERIFY(module.isLoaded());
    QVERIFY(mapped(Module));
    QVERIFY(mapped(Codecs));
    QVERIFY(module.errorString().isEmpty());
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("page.png"));
    QVERIFY2(module.writePage(path, bluePicture(), WholePicture), qPrintable(module.errorString()));
    QCOMPARE(QImage(path).size(), QSize(39, 23));
}

void TestKeyStoneModule::moduleThatCannotBeLoaded_data()
{
    QTest::addColumn<QString>("module");
    QTest::addColumn<QString>("reason");
    QTest::newRow("missing") << "/nonexistent/liblumidesk-keystone.so" << "cannot be loaded";
    // One of our libraries, loadable, but not the module.
    QTest::newRow("no entry") << platform::InstallLayout::module(QStringLiteral("journix")) << "has no entry";
}

void TestKeyStoneModule::moduleThatCannotBeLoaded()
{
    QFETCH(QString, module);
    QFETCH(QString, reason);
    KeyStoneModule keystone(module);
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("page.png"));
    // Each use tries again and says so again.
    for (int attempt = 0; attempt < 2; ++attempt) {
        QVERIFY(!keystone.createSearch());
        QVERIFY(!keystone.writePage(path, bluePicture(), WholePicture));
        QVERIFY(!keystone.isLoaded());
        QVERIFY2(keystone.errorString().contains(module), qPrintable(keystone.errorString()));
        QVERIFY2(keystone.errorString().contains(reason), qPrintable(keystone.errorString()));
    }
    QVERIFY(!QFile::exists(path));
}

void TestKeyStoneModule::writeFailureSaysWhy()
{
    KeyStoneModule module;
    QTemporaryDir folder;
    for (const QString &name : {QStringLiteral("page.unknown"), QStringLiteral("missing/page.png")}) {
        QVERIFY(!module.writePage(folder.filePath(name), bluePicture(), WholePicture));
        QVERIFY(module.isLoaded());
        QVERIFY2(!module.errorString().isEmpty(), qPrintable(name));
    }
    // An empty picture, or corners that enclose nothing, reach no codec.
    const KeyStoneCorner point[4] = {{5, 5}, {5, 5}, {5, 5}, {5, 5}};
    QVERIFY(!module.writePage(folder.filePath(QStringLiteral("empty.png")), QImage(), WholePicture));
    QVERIFY(!module.writePage(folder.filePath(QStringLiteral("point.png")), bluePicture(), point));
    QVERIFY2(module.errorString().contains(QLatin1String("no page")), qPrintable(module.errorString()));
    QCOMPARE(QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
}

void TestKeyStoneModule::openCvOnlyInTheModule_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("needsOpenCv");
    QTest::newRow("program") << QStringLiteral(LUMIDESK_PROGRAM) << false;
    const QDir libraries(platform::InstallLayout::libraryFolder());
    const QStringList names = libraries.entryList({QStringLiteral("liblumidesk-*.so")}, QDir::Files, QDir::Name);
    QVERIFY(names.size() >= 5);
    for (const QString &name : names)
        QTest::newRow(qPrintable(name)) << libraries.filePath(name) << (name == "liblumidesk-keystone.so");
}

void TestKeyStoneModule::openCvOnlyInTheModule()
{
    QFETCH(QString, file);
    QFETCH(bool, needsOpenCv);
    // Everything the loader brings in with the file, not only what it names itself.
    const QString listing = loaderListing(file);
    QVERIFY2(!listing.isEmpty(), qPrintable(file));
    QVERIFY2(!listing.contains(QLatin1String("not found")), qPrintable(listing));
    QCOMPARE(listing.contains(QLatin1String(OpenCv)), needsOpenCv);
    QCOMPARE(listing.contains(QLatin1String(Codecs)), needsOpenCv);
}

QTEST_GUILESS_MAIN(TestKeyStoneModule)
#include "tst_keystone_module.moc"
