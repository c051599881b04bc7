#include "ipc/localsocketpath.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QtTest>

#include <sys/stat.h>

using platform::LocalSocketPath;

class TestLinkSocketPath : public QObject
{
    Q_OBJECT

private slots:
    void pathIsInThePrivateRuntimeFolder();
    void listensOnAFreeName();
    void runningServerKeepsItsName();
    void socketOfAKilledServerIsReplaced();
    void leftoverFileIsReplaced_data();
    void leftoverFileIsReplaced();
    void aFolderInThePlaceIsNamedAndKept_data();
    void aFolderInThePlaceIsNamedAndKept();

private:
    static QString helperPath();
    bool startHelper(QProcess *helper, const QString &name);
    static bool answers(const QString &path);
};

QString TestLinkSocketPath::helperPath()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/tst_link_listenhelper");
}

bool TestLinkSocketPath::startHelper(QProcess *helper, const QString &name)
{
    helper->start(helperPath(), {name});
    if (!helper->waitForStarted(5000))
        return false;
    while (!helper->canReadLine()) {
        if (!helper->waitForReadyRead(5000))
            return false;
    }
    return helper->readLine().trimmed() == "ready";
}

// True when the server at path accepts a connection and it is the helper that answers.
bool TestLinkSocketPath::answers(const QString &path)
{
    QLocalSocket socket;
    socket.connectToServer(path);
    if (!socket.waitForConnected(2000))
        return false;
    while (socket.bytesAvailable() < 4) {
        if (!socket.waitForReadyRead(2000))
            return false;
    }
    return socket.readAll() == "pong";
}

void TestLinkSocketPath::pathIsInThePrivateRuntimeFolder()
{
    const QString runtime = QString::fromLocal8Bit(qgetenv("XDG_RUNTIME_DIR"));
    QVERIFY(!runtime.isEmpty());
    QCOMPARE(LocalSocketPath::fullPath(QStringLiteral("LumideskServer")),
             runtime + QStringLiteral("/LumideskServer"));
    QCOMPARE(LocalSocketPath::fullPath(QStringLiteral("Drawlet")), runtime + QStringLiteral("/Drawlet"));
}

void TestLinkSocketPath::listensOnAFreeName()
{
    QLocalServer server;
    QString error;
    QVERIFY2(LocalSocketPath::listen(&server, QStringLiteral("FreeName"), &error), qPrintable(error));
    QCOMPARE(server.fullServerName(), LocalSocketPath::fullPath(QStringLiteral("FreeName")));
    // Only the owner may open the socket.
    const QFileInfo info(server.fullServerName());
    QCOMPARE(info.permissions() & (QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther),
             QFile::Permissions());
    QVERIFY(LocalSocketPath::isServing(server.fullServerName()));
}

void TestLinkSocketPath::runningServerKeepsItsName()
{
    QProcess helper;
    QVERIFY(startHelper(&helper, QStringLiteral("Busy")));
    const QString path = LocalSocketPath::fullPath(QStringLiteral("Busy"));

    QLocalServer second;
    QString error;
    QVERIFY(!LocalSocketPath::listen(&second, QStringLiteral("Busy"), &error));
    QVERIFY2(error.startsWith(QStringLiteral("another program already serves ")), qPrintable(error));
    QVERIFY(!second.isListening());
    QVERIFY(!LocalSocketPath::removeStale(path));
    QVERIFY(answers(path));

    helper.kill();
    helper.waitForFinished();
}

void TestLinkSocketPath::socketOfAKilledServerIsReplaced()
{
    QProcess helper;
    QVERIFY(startHelper(&helper, QStringLiteral("Crashed")));
    helper.kill();
    QVERIFY(helper.waitForFinished());
    const QString path = LocalSocketPath::fullPath(QStringLiteral("Crashed"));
    QVERIFY(QFileInfo::exists(path));
    QVERIFY(!LocalSocketPath::isServing(path));

    QProcess next;
    QVERIFY(startHelper(&next, QStringLiteral("Crashed")));
    QVERIFY(answers(path));
    next.kill();
    next.waitForFinished();
}

void TestLinkSocketPath::leftoverFileIsReplaced_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("regular file") << QStringLiteral("file");
    QTest::newRow("named pipe") << QStringLiteral("pipe");
    QTest::newRow("link to nothing") << QStringLiteral("link");
}

void TestLinkSocketPath::leftoverFileIsReplaced()
{
    QFETCH(QString, kind);
    const QString path = LocalSocketPath::fullPath(QStringLiteral("Leftover"));
    QFile::remove(path);
    if (kind == QLatin1String("file")) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
    } else if (kind == QLatin1String("pipe")) {
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    } else {
        QVERIFY(QFile::link(path + QStringLiteral(".gone"), path));
    }

    QLocalServer server;
    QString error;
    QVERIFY2(LocalSocketPath::listen(&server, QStringLiteral("Leftover"), &error), qPrintable(error));
    QVERIFY(LocalSocketPath::isServing(path));
}

void TestLinkSocketPath::aFolderInThePlaceIsNamedAndKept_data()
{
    QTest::addColumn<bool>("throughLink");
    QTest::addColumn<QString>("reason");
    QTest::newRow("folder") << false << QStringLiteral("a folder is in the place of the socket ");
    QTest::newRow("link to a folder") << true
                                      << QStringLiteral("a symbolic link to a folder is in the place of the socket ");
}

void TestLinkSocketPath::aFolderInThePlaceIsNamedAndKept()
{
    QFETCH(bool, throughLink);
    QFETCH(QString, reason);
    const QString name = QStringLiteral("Folder%1").arg(int(throughLink));
    const QString path = LocalSocketPath::fullPath(name);
    const QString folder = throughLink ? path + QStringLiteral(".target") : path;
    QVERIFY(QDir().mkpath(folder + QStringLiteral("/inside")));
    if (throughLink)
        QVERIFY(QFile::link(folder, path));

    QLocalServer server;
    QString error;
    QVERIFY(!LocalSocketPath::listen(&server, name, &error));
    QCOMPARE(error, reason + path);
    QVERIFY(!server.isListening());
    QVERIFY(QFileInfo(path).isDir());
    QVERIFY(QFileInfo::exists(folder + QStringLiteral("/inside")));
}

QTEST_GUILESS_MAIN(TestLinkSocketPath)
#include "tst_link_socketpath.moc"
