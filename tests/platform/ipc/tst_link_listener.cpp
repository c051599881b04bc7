#include "ipc/locallistener.h"
#include "ipc/localsocketpath.h"
#include "waitpast.h"

#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QProcess>
#include <QtTest>

#include <memory>

#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

using platform::LocalListener;
using platform::LocalSocketPath;

namespace {

const QString Name = QStringLiteral("LinkListenerTest");

// Lowers the soft limit of open files so that no descriptor is free until released.
class DescriptorDrought
{
public:
    DescriptorDrought()
    {
        getrlimit(RLIMIT_NOFILE, &m_saved);
        // The lowest free descriptor is the next one handed out: a limit at its number leaves none.
        const int lowestFree = ::dup(0);
        ::close(lowestFree);
        rlimit dry = m_saved;
        dry.rlim_cur = rlim_t(lowestFree);
        m_active = setrlimit(RLIMIT_NOFILE, &dry) == 0;
    }
    ~DescriptorDrought() { release(); }

    bool isActive() const { return m_active; }
    void release()
    {
        if (m_active)
            setrlimit(RLIMIT_NOFILE, &m_saved);
        m_active = false;
    }

private:
    rlimit m_saved{};
    bool m_active = false;
};

// A connection made with plain system calls, so that it can be made while the process has no
// descriptor to spare (the socket itself is made beforehand).
int connectedRawSocket(int fd, const QString &path)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray encoded = QFile::encodeName(path);
    memcpy(address.sun_path, encoded.constData(), size_t(encoded.size()));
    return ::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address);
}

} // namespace

class TestLinkListener : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();

    void acceptsPrivateConnections();
    void leavesAServedNameAlone();
    void closeRemovesOnlyItsOwnFile();
    void listensAgainWhenTheFileGoes();
    void waitsForFileDescriptors();

private:
    static QString path() { return LocalSocketPath::fullPath(Name); }
    bool startHelper(QProcess *helper);
    static bool connects(const QString &path);

    std::unique_ptr<QProcess> m_helper;
};

void TestLinkListener::cleanup()
{
    if (m_helper) {
        m_helper->kill();
        m_helper->waitForFinished();
        m_helper.reset();
    }
    QFile::remove(path());
}

bool TestLinkListener::startHelper(QProcess *helper)
{
    helper->start(QCoreApplication::applicationDirPath() + QStringLiteral("/tst_link_listenhelper"), {Name});
    return helper->waitForReadyRead(5000) && helper->readLine().trimmed() == "ready";
}

bool TestLinkListener::connects(const QString &path)
{
    QLocalSocket socket;
    socket.connectToServer(path);
    return socket.waitForConnected(1000);
}

void TestLinkListener::acceptsPrivateConnections()
{
    LocalListener listener;
    QVERIFY(listener.listen(Name));
    QCOMPARE(listener.fullPath(), path());
    const QFileDevice::Permissions ownerGroupOther(0x7077);
    QCOMPARE(QFileInfo(path()).permissions() & ownerGroupOther, QFileDevice::ReadOwner | QFileDevice::WriteOwner);

    QSignalSpy accepted(&listener, &LocalListener::newConnection);
    QLocalSocket peer;
    peer.connectToServer(path());
    QVERIFY(peer.waitForConnected(1000));
    QVERIFY(accepted.wait(15000));
    auto *socket = accepted.first().first().value<QLocalSocket *>();
    QCOMPARE(socket->state(), QLocalSocket::ConnectedState);
    QCOMPARE(socket->parent(), &listener);

    peer.write("ping");
    QTRY_COMPARE(socket->bytesAvailable(), qint64(4));
    QCOMPARE(socket->readAll(), QByteArray("ping"));
    socket->write("pong");
    QVERIFY(socket->waitForBytesWritten(1000));
    QTRY_COMPARE(peer.bytesAvailable(), qint64(4));
    QCOMPARE(peer.readAll(), QByteArray("pong"));
}

void TestLinkListener::leavesAServedNameAlone()
{
    m_helper.reset(new QProcess);
    QVERIFY(startHelper(m_helper.get()));
    LocalListener listener;
    QString error;
    QVERIFY(!listener.listen(Name, &error));
    QVERIFY(error.contains(QLatin1String("already serves")));
    QVERIFY(!listener.isListening());
    QVERIFY(connects(path()));
}

void TestLinkListener::closeRemovesOnlyItsOwnFile()
{
    {
        LocalListener listener;
        QVERIFY(listener.listen(Name));
        QVERIFY(QFileInfo::exists(path()));
    }
    QVERIFY(!QFileInfo::exists(path()));

    // Its file removed behind its back and the name taken by another program before the next check.
    auto listener = std::make_unique<LocalListener>();
    listener->setWatchInterval(60 * 60 * 1000);
    QVERIFY(listener->listen(Name));
    QVERIFY(QFile::remove(path()));
    m_helper.reset(new QProcess);
    QVERIFY(startHelper(m_helper.get()));
    listener.reset();
    QVERIFY(connects(path()));
}

void TestLinkListener::listensAgainWhenTheFileGoes()
{
    LocalListener listener;
    listener.setWatchInterval(20);
    QVERIFY(listener.listen(Name));
    QSignalSpy accepted(&listener, &LocalListener::newConnection);

    QVERIFY(QFile::remove(path()));
    QTRY_VERIFY(QFileInfo::exists(path()));
    QVERIFY(connects(path()));
    QVERIFY(accepted.wait(15000));

    // Another program that takes the name in the meantime keeps it while it runs; once it is gone,
    // the name is taken back.
    QVERIFY(QFile::remove(path()));
    m_helper.reset(new QProcess);
    QVERIFY(startHelper(m_helper.get()));
    QTRY_VERIFY(!listener.isListening());
    QVERIFY(waitPast(5 * listener.watchInterval())); // several rounds of the watch
    QVERIFY(!listener.isListening());
    QVERIFY(connects(path()));
    QCOMPARE(accepted.count(), 1);
    m_helper->kill();
    QVERIFY(m_helper->waitForFinished());
    QTRY_VERIFY(listener.isListening());
    QVERIFY(connects(path()));
    QTRY_COMPARE(accepted.count(), 2);
}

void TestLinkListener::waitsForFileDescriptors()
{
    LocalListener listener;
    QVERIFY(listener.listen(Name));
    QSignalSpy accepted(&listener, &LocalListener::newConnection);

    const int raw = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    QVERIFY(raw >= 0);
    {
        DescriptorDrought drought;
        QVERIFY(drought.isActive());
        QCOMPARE(connectedRawSocket(raw, path()), 0);
        // Several rounds of failed accepts: the connection waits, the name stays.
        QVERIFY(waitPast(3 * LocalListener::AcceptRetryMs));
        QCOMPARE(accepted.count(), 0);
        QVERIFY(listener.isListening());
        QVERIFY(QFileInfo::exists(path()));
    }
    QVERIFY(accepted.wait(15000));
    auto *socket = accepted.first().first().value<QLocalSocket *>();
    QCOMPARE(::write(raw, "ping", 4), ssize_t(4));
    QTRY_COMPARE(socket->bytesAvailable(), qint64(4));
    QCOMPARE(socket->readAll(), QByteArray("ping"));
    ::close(raw);
    QVERIFY(connects(path()));
}

QTEST_GUILESS_MAIN(TestLinkListener)
#include "tst_link_listener.moc"
