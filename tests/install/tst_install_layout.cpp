#include "desktop/installlayout.h"
#include "dialogs/helplink.h"
#include "xstackorder.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

namespace {

const int ToolTimeoutMs = 240000;
const char DesktopEntry[] = "share/applications/com.qorv.Lumidesk.desktop";
const char Metainfo[] = "share/metainfo/com.qorv.Lumidesk.metainfo.xml";

struct Outcome
{
    int exitCode = -1;
    QString output; // standard output and error together
};

// Nothing but a file's own run path may lead the loader to our libraries.
QProcessEnvironment cleanEnvironment()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("LD_LIBRARY_PATH"));
    environment.remove(QStringLiteral("LUMIDESK_TEST_HOOK"));
    return environment;
}

Outcome runTool(const QString &program, const QStringList &arguments,
                const QProcessEnvironment &environment = cleanEnvironment())
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    Outcome outcome;
    if (!process.waitForFinished(ToolTimeoutMs)) {
        process.kill();
        process.waitForFinished();
    } else if (process.exitStatus() == QProcess::NormalExit) {
        outcome.exitCode = process.exitCode();
    }
    outcome.output = QString::fromLocal8Bit(process.readAll());
    return outcome;
}

QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                                  QDir::Name);
}

bool isElf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.read(4) == QByteArray("\x7f" "ELF");
}

QString readText(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

QString logText()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)
                           + QLatin1String("/Qorv/Log/Tivlo");
    QString text;
    for (const QString &name : QDir(folder).entryList({QStringLiteral("Lumidesk-*.log")}, QDir::Files, QDir::Name))
        text += readText(folder + QLatin1Char('/') + name);
    return text;
}

int changedPixels(const QImage &before, const QImage &after)
{
    if (before.size() != after.size())
        return -1;
    const QImage a = before.convertToFormat(QImage::Format_RGB32);
    const QImage b = after.convertToFormat(QImage::Format_RGB32);
    int changed = 0;
    for (int y = 0; y < a.height(); ++y) {
        const QRgb *lineA = reinterpret_cast<const QRgb *>(a.constScanLine(y));
        const QRgb *lineB = reinterpret_cast<const QRgb *>(b.constScanLine(y));
        for (int x = 0; x < a.width(); ++x)
            changed += lineA[x] != lineB[x];
    }
    return changed;
}

} // namespace

class TestInstallLayout : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void onlyStandardPlacesAtTheTop();
    void filesWhereTheLayoutPutsThem_data();
    void filesWhereTheLayoutPutsThem();
    void commandLinksToTheProgram();
    void librariesCarryTheProjectName();
    void noFileRefersToTheBuildTree_data();
    void noFileRefersToTheBuildTree();
    void everyFileFindsOurLibrariesInstalled_data();
    void everyFileFindsOurLibrariesInstalled();
    void desktopFilesValidate_data();
    void desktopFilesValidate();
    void metainfoDescribesThisRelease();
    void desktopEntryNamesInstalledFiles();

    void installedProgramStarts_data();
    void installedProgramStarts();

private:
    void addElfRows();
    QString installed(const QString &relative) const { return m_prefix + QLatin1Char('/') + relative; }

    QTemporaryDir m_destdir;
    QString m_prefix;
    QString m_app;
    QStringList m_elfFiles;
};

void TestInstallLayout::initTestCase()
{
    QVERIFY(m_destdir.isValid());
    const QString build = qEnvironmentVariable("LUMIDESK_BINARY_DIR");
    QVERIFY(!build.isEmpty());

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DESTDIR"), m_destdir.path());
    const Outcome install = runTool(QStringLiteral(LUMIDESK_CMAKE_COMMAND),
                                    {QStringLiteral("--install"), build, QStringLiteral("--prefix"),
                                     QStringLiteral("/usr")},
                                    environment);
    QVERIFY2(install.exitCode == 0, qPrintable(install.output.right(4000)));

    m_prefix = m_destdir.path() + QLatin1String("/usr");
    m_app = m_prefix + QLatin1String("/lib/lumidesk");
    QDirIterator files(m_destdir.path(), QDir::Files | QDir::Hidden | QDir::NoSymLinks,
                       QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString path = files.next();
        if (isElf(path))
            m_elfFiles << path;
    }
    m_elfFiles.sort();
}

void TestInstallLayout::onlyStandardPlacesAtTheTop()
{
    QCOMPARE(entries(m_destdir.path()), QStringList{QStringLiteral("usr")});
    QCOMPARE(entries(m_prefix), (QStringList{"bin", "lib", "share"}));
    QCOMPARE(entries(installed("bin")), QStringList{"lumidesk"});
    QCOMPARE(entries(installed("lib")), (QStringList{"lumidesk", "udev"}));
    QCOMPARE(entries(installed("share")), (QStringList{"applications", "doc", "icons", "metainfo"}));
    QCOMPARE(entries(installed("share/doc")), QStringList{"lumidesk"});
    QCOMPARE(entries(installed("share/icons")), QStringList{"hicolor"});
    // The private folder holds the programs' files and nothing of the build's (benchmarks, tests).
    QCOMPARE(entries(m_app), (QStringList{"DrawletApp", "Languages", "Lumidesk", "lib"}));
}

void TestInstallLayout::filesWhereTheLayoutPutsThem_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("executable");
    QTest::addColumn<QSize>("imageSize");

    const QString app = QStringLiteral("lib/lumidesk");
    QTest::newRow("program") << app + "/Lumidesk" << true << QSize();
    // The widgets and dialogs that the main program and the panel plug-in both link.
    QTest::newRow("shared widgets") << app + "/lib/liblumidesk-widgets.so" << false << QSize();
    QTest::newRow("catalogue") << app + "/Languages/en_US/Lumidesk_en_US.qm" << false << QSize();
    QTest::newRow("language name") << app + "/Languages/en_US/Lumi_en_US.txt" << false << QSize();
    // Loaded by the camera window when keystone mode first starts, from our libraries' folder.
    QTest::newRow("keystone module") << app + "/lib/liblumidesk-keystone.so" << false << QSize();
    // Loaded by the Linux audio backend when it first lists the inputs.
    QTest::newRow("audio capture module") << app + "/lib/liblumidesk-audio.so" << false << QSize();
    // Loaded by the Linux power backend from the event loop once the program is up.
    QTest::newRow("power module") << app + "/lib/liblumidesk-power.so" << false << QSize();
    // Where the programs look, as the code computes it from the main program's folder.
    const QString drawlet = platform::InstallLayout::drawletProgram(app);
    if (LUMIDESK_HAS_DRAWLET)
        QTest::newRow("annotation program") << drawlet << true << QSize();
    QTest::newRow("panel plug-in") << platform::InstallLayout::deskpadPlugin(QFileInfo(drawlet).path()) << false
                                   << QSize();
    // What the help links open when the build names no help site.
    QTest::newRow("README") << HelpLink::installedReadme(app) << false << QSize();
    QTest::newRow("desktop entry") << QString(DesktopEntry) << false << QSize();
    QTest::newRow("metainfo") << QString(Metainfo) << false << QSize();
    QTest::newRow("udev rule") << "lib/udev/rules.d/70-lumidesk-cameras.rules" << false << QSize();
    QTest::newRow("scalable icon") << "share/icons/hicolor/scalable/apps/lumidesk.svg" << false << QSize();
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
        QTest::addRow("icon %d", size) << QString::fromLatin1("share/icons/hicolor/%1x%1/apps/lumidesk.png").arg(size)
                                       << false << QSize(size, size);
}

void TestInstallLayout::filesWhereTheLayoutPutsThem()
{
    QFETCH(QString, path);
    QFETCH(bool, executable);
    QFETCH(QSize, imageSize);

    const QFileInfo file(installed(path));
    QVERIFY2(file.isFile(), qPrintable(path));
    QVERIFY(file.size() > 0);
    QCOMPARE(file.isExecutable(), executable);
    if (file.fileName() == QLatin1String("README.md"))
        QCOMPARE(readText(file.filePath()), readText(qEnvironmentVariable("LUMIDESK_SOURCE_DIR") + "/README.md"));
    if (imageSize.isValid())
        QCOMPARE(QImage(file.filePath()).size(), imageSize);
}

void TestInstallLayout::commandLinksToTheProgram()
{
    const QFileInfo command(installed("bin/lumidesk"));
    QVERIFY(command.isSymLink());
    // Resolved inside the staging folder: the link is relative, so it holds wherever the tree lies.
    QCOMPARE(command.canonicalFilePath(), QFileInfo(m_app + "/Lumidesk").canonicalFilePath());
}

void TestInstallLayout::librariesCarryTheProjectName()
{
    const QStringList libraries = entries(m_app + "/lib");
    QVERIFY(libraries.size() >= 5);
    const QRegularExpression projectName(QStringLiteral("^liblumidesk-[a-z0-9]+\\.so$"));
    for (const QString &library : libraries)
        QVERIFY2(projectName.match(library).hasMatch(), qPrintable(library));
}

void TestInstallLayout::addElfRows()
{
    QTest::addColumn<QString>("file");
    QVERIFY(m_elfFiles.size() >= 7);
    for (const QString &file : qAsConst(m_elfFiles))
        QTest::newRow(qPrintable(file.mid(m_prefix.size() + 1))) << file;
}

void TestInstallLayout::noFileRefersToTheBuildTree_data()
{
    addElfRows();
}

void TestInstallLayout::noFileRefersToTheBuildTree()
{
    QFETCH(QString, file);
    const Outcome dynamic = runTool(QStringLiteral("readelf"), {QStringLiteral("-d"), file});
    QCOMPARE(dynamic.exitCode, 0);

    const QRegularExpression runPath(QStringLiteral("\\((?:RPATH|RUNPATH)\\).*\\[(.*)\\]"));
    auto match = runPath.globalMatch(dynamic.output);
    QVERIFY2(match.hasNext(), "no run path: our libraries would not be found");
    while (match.hasNext()) {
        const QStringList folders = match.next().captured(1).split(QLatin1Char(':'));
        for (const QString &folder : folders)
            QVERIFY2(folder.startsWith(QLatin1String("$ORIGIN")), qPrintable(folder));
    }
    for (const char *tree : {"LUMIDESK_BINARY_DIR", "LUMIDESK_SOURCE_DIR"}) {
        const QString folder = qEnvironmentVariable(tree);
        QVERIFY(!folder.isEmpty());
        QVERIFY2(!dynamic.output.contains(folder), qPrintable(dynamic.output));
    }
}

void TestInstallLayout::everyFileFindsOurLibrariesInstalled_data()
{
    addElfRows();
}

void TestInstallLayout::everyFileFindsOurLibrariesInstalled()
{
    QFETCH(QString, file);
    const Outcome loader = runTool(QStringLiteral("ldd"), {file});
    QVERIFY2(loader.exitCode == 0, qPrintable(loader.output));
    QVERIFY2(!loader.output.contains(QLatin1String("not found")), qPrintable(loader.output));

    const QString libraries = QFileInfo(m_app + "/lib").canonicalFilePath() + QLatin1Char('/');
    const QRegularExpression ours(QStringLiteral("liblumidesk-\\S+ => (\\S+)"));
    auto match = ours.globalMatch(loader.output);
    while (match.hasNext()) {
        const QString resolved = QFileInfo(match.next().captured(1)).canonicalFilePath();
        QVERIFY2(resolved.startsWith(libraries), qPrintable(resolved));
    }
}

void TestInstallLayout::desktopFilesValidate_data()
{
    QTest::addColumn<QString>("validator");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("file");
    // Notes of the validator that are answered: the tag and why.
    QTest::addColumn<QStringList>("tolerated");

    QTest::newRow("desktop entry") << "desktop-file-validate" << QStringList() << QString(DesktopEntry)
                                   << QStringList();
    // The id names the desktop entry and the installed files that software centres already know.
    QTest::newRow("metainfo") << "appstreamcli" << QStringList{"validate", "--no-net", "--pedantic"}
                              << QString(Metainfo) << QStringList{"cid-contains-uppercase-letter"};
}

void TestInstallLayout::desktopFilesValidate()
{
    QFETCH(QString, validator);
    QFETCH(QStringList, arguments);
    QFETCH(QString, file);
    QFETCH(QStringList, tolerated);

    const Outcome validation = runTool(validator, arguments << installed(file));
    QVERIFY2(validation.exitCode == 0, qPrintable(validation.output));
    // Hints and warnings count too.
    const QRegularExpression complaint(QStringLiteral("(^|\\n)(\\S*: (hint|warning|error)|[WE]: )"));
    QVERIFY2(!complaint.match(validation.output).hasMatch(), qPrintable(validation.output));
    // And so do appstreamcli's information and pedantic notes ("P: <id>:<line>: <tag> ...").
    const QRegularExpression note(QStringLiteral("(?:^|\\n)[IP]: \\S+ (\\S+)"));
    for (auto match = note.globalMatch(validation.output); match.hasNext();) {
        const QString tag = match.next().captured(1);
        QVERIFY2(tolerated.contains(tag), qPrintable(validation.output));
    }
}

void TestInstallLayout::metainfoDescribesThisRelease()
{
    QFile file(installed(Metainfo));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&file);
    QStringList releases;
    QString features;
    bool inDescription = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == QLatin1String("release"))
            releases << xml.attributes().value(QLatin1String("version")).toString();
        else if (xml.isStartElement() && xml.name() == QLatin1String("description") && releases.isEmpty())
            inDescription = true;
        else if (xml.isEndElement() && xml.name() == QLatin1String("description"))
            inDescription = false;
        else if (inDescription && xml.isCharacters())
            features += xml.text().toString().simplified() + QLatin1Char(' ');
    }
    QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
    // The newest release comes first, and it is the one installed.
    QVERIFY(!releases.isEmpty());
    QCOMPARE(releases.first(), QStringLiteral(LUMIDESK_VERSION));
    // What a user finds in the program, not what it lacks.
    for (const char *feature : {"camera windows", "Recording", "Live streaming", "Camera settings", "annotation overlay"})
        QVERIFY2(features.contains(QLatin1String(feature)), qPrintable(features));
    QVERIFY2(!features.contains(QLatin1String("not part of it")), qPrintable(features));
}

void TestInstallLayout::desktopEntryNamesInstalledFiles()
{
    const QString entry = readText(installed(DesktopEntry));
    const QString command = QRegularExpression(QStringLiteral("\\nExec=(\\S+)")).match(entry).captured(1);
    const QString icon = QRegularExpression(QStringLiteral("\\nIcon=(\\S+)")).match(entry).captured(1);
    QVERIFY(QFileInfo(installed("bin/" + command)).isExecutable());
    QVERIFY(QFileInfo::exists(installed("share/icons/hicolor/48x48/apps/" + icon + ".png")));

    const QString metainfo = readText(installed(Metainfo));
    QVERIFY(metainfo.contains("<launchable type=\"desktop-id\">" + QFileInfo(DesktopEntry).fileName()
                              + "</launchable>"));
}

void TestInstallLayout::installedProgramStarts_data()
{
    QTest::addColumn<bool>("managed");
    QTest::newRow("bare X server") << false;
    // A window manager sends its own messages and takes the program's requests about its windows.
    QTest::newRow("openbox") << true;
}

void TestInstallLayout::installedProgramStarts()
{
    QFETCH(bool, managed);
    WindowManagerRun manager;
    if (managed)
        QVERIFY(manager.start());
    QCOMPARE(WindowManagerRun::managing(), managed);
    // Each row is a first start, with a log of its own.
    QFile::remove(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
                  + QStringLiteral("/Lumidesk/Qorv/Tivlo/settings.ini"));
    QDir(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) + QLatin1String("/Qorv/Log/Tivlo"))
            .removeRecursively();

    QScreen *screen = QGuiApplication::primaryScreen();
    QVERIFY(screen);
    const QImage before = screen->grabWindow(0).toImage();

    QTemporaryDir elsewhere;
    QProcessEnvironment environment = cleanEnvironment();
    environment.insert(QStringLiteral("LUMIDESK_SIMULATE"), QStringLiteral("1"));
    QProcess lumidesk;
    lumidesk.setProcessEnvironment(environment);
    lumidesk.setWorkingDirectory(elsewhere.path());
    // Through the command link, as the desktop entry starts it.
    lumidesk.start(installed("bin/lumidesk"), QStringList());
    QVERIFY(lumidesk.waitForStarted());

    QTRY_VERIFY_WITH_TIMEOUT(logText().contains(QLatin1String("Showing the first-run guide.")), 30000);
    const QString log = logText();
    // Its catalogue, found from the program's own folder.
    const QString languages = QFileInfo(m_app).canonicalFilePath() + QLatin1String("/Languages");
    QVERIFY2(log.contains(QString::fromLatin1("Language en_US loaded from %1.").arg(languages)), qPrintable(log));
    // The guide is on the screen.
    QTRY_VERIFY_WITH_TIMEOUT(changedPixels(before, screen->grabWindow(0).toImage()) > 100000, 15000);

    // Our libraries come from the installed folder, not from the build.
    const QString maps = readText(QString::fromLatin1("/proc/%1/maps").arg(lumidesk.processId()));
    const QString libraries = QFileInfo(m_app + "/lib").canonicalFilePath() + QLatin1Char('/');
    int mapped = 0;
    for (const QString &line : maps.split(QLatin1Char('\n'))) {
        if (!line.contains(QLatin1String("liblumidesk-")))
            continue;
        ++mapped;
        QVERIFY2(line.contains(libraries), qPrintable(line));
    }
    QVERIFY(mapped > 0);

    QCOMPARE(lumidesk.state(), QProcess::Running);
    lumidesk.terminate();
    QVERIFY(lumidesk.waitForFinished(10000));
    // Quiet: the libraries' chatter and Qt's debug messages go to the log at most.
    const QByteArray errors = lumidesk.readAllStandardError();
    QVERIFY2(errors.isEmpty(), errors.constData());
}

QTEST_MAIN(TestInstallLayout)
#include "tst_install_layout.moc"
