#include "ipc/localsocketpath.h"

#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QtTest>

using platform::LocalSocketPath;

class TestLinkSocketPath : public QObject
{
    Q_OBJECT

private slots:
    void pathIsInThePrivateRuntimeFolder();
    void listensOnAFreeName();
    void runningServerKeepsItsName();
    void socketOfAKilledServerIsReplaced();
    void leftoverFileIsReplaced();

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
    QVERIFY(!error.isEmpty());
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

void TestLinkSocketPath::leftoverFileIsReplaced()
{
    const QString path = LocalSocketPath::fullPath(QStringLiteral("Leftover"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();

    QLocalServer server;
    QString error;
    QVERIFY2(LocalSocketPath::listen(&server, QStringLiteral("Leftover"), &error), qPrintable(error));
    QVERIFY(LocalSocketPath::isServing(path));
}

QTEST_GUILESS_MAIN(TestLinkSocketPath)
#include "tst_link_socketpath.moc"
