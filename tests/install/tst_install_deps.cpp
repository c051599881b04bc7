#include <QProcess>
#include <QtTest>

namespace {

struct Listing
{
    int exitCode = -1;
    QStringList packages;
};

// What scripts/install-deps would install on a machine that has nothing yet.
Listing list(const QStringList &arguments)
{
    QProcess script;
    script.start(qEnvironmentVariable("LUMIDESK_SOURCE_DIR") + QLatin1String("/scripts/install-deps"),
                 arguments);
    Listing listing;
    if (!script.waitForFinished(30000) || script.exitStatus() != QProcess::NormalExit)
        return listing;
    listing.exitCode = script.exitCode();
    listing.packages = QString::fromLocal8Bit(script.readAllStandardOutput()).split(QLatin1Char('\n'),
                                                                                     Qt::SkipEmptyParts);
    return listing;
}

} // namespace

class TestInstallDeps : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void programsNeed_data();
    void programsNeed();
    void onlyTheTestsNeed_data();
    void onlyTheTestsNeed();
    void testsAddToWhatTheProgramsNeed();
    void unknownArgumentInstallsNothing();

private:
    Listing m_programs;
    Listing m_tests;
};

void TestInstallDeps::initTestCase()
{
    m_programs = list({QStringLiteral("--print")});
    m_tests = list({QStringLiteral("--print"), QStringLiteral("--tests")});
    QCOMPARE(m_programs.exitCode, 0);
    QCOMPARE(m_tests.exitCode, 0);
}

void TestInstallDeps::programsNeed_data()
{
    QTest::addColumn<QString>("package");
    for (const char *package : {"cmake", "qtbase5-dev", "qttools5-dev-tools", "libqt5multimedia5-plugins",
                                "libavcodec-dev", "libhidapi-dev", "libudev-dev", "libpulse-dev", "unzip"})
        QTest::newRow(package) << QString::fromLatin1(package);
}

void TestInstallDeps::programsNeed()
{
    QFETCH(QString, package);
    QVERIFY(m_programs.packages.contains(package));
}

void TestInstallDeps::onlyTheTestsNeed_data()
{
    QTest::addColumn<QString>("package");
    // Displays, servers, checkers and sample data the programs never use.
    for (const char *package : {"xvfb", "xauth", "x11-apps", "imagemagick", "ffmpeg", "nginx", "libnginx-mod-rtmp",
                                "zbar-tools", "libimage-exiftool-perl", "exiv2", "libexiv2-dev", "pulseaudio",
                                "pulseaudio-utils", "fonts-liberation", "python3", "clang",
                                "golang-github-rwcarlsen-goexif-dev", "desktop-file-utils", "appstream"})
        QTest::newRow(package) << QString::fromLatin1(package);
}

void TestInstallDeps::onlyTheTestsNeed()
{
    QFETCH(QString, package);
    QVERIFY2(!m_programs.packages.contains(package), "scripts/run would install it");
    QVERIFY2(m_tests.packages.contains(package), "scripts/test would not install it");
}

void TestInstallDeps::testsAddToWhatTheProgramsNeed()
{
    QCOMPARE(m_tests.packages.mid(0, m_programs.packages.size()), m_programs.packages);
    QVERIFY(m_tests.packages.size() > m_programs.packages.size());
    const QSet<QString> unique(m_tests.packages.cbegin(), m_tests.packages.cend());
    QCOMPARE(unique.size(), m_tests.packages.size());
}

void TestInstallDeps::unknownArgumentInstallsNothing()
{
    const Listing listing = list({QStringLiteral("--print"), QStringLiteral("--test")});
    QCOMPARE(listing.exitCode, 2);
    QVERIFY(listing.packages.isEmpty());
}

QTEST_GUILESS_MAIN(TestInstallDeps)
#include "tst_install_deps.moc"
