#include "desktop/brokenpipeguard.h"

#include <QLocalSocket>
#include <QtTest>

#include <csignal>

#include <sys/socket.h>
#include <unistd.h>

// The guard must still be SIGPIPE's handler after the program's first socket write: QtNetwork sets
// the signal to "ignored" on its first write, once per process. This process writes through
// QtNetwork for the first time only after the guard is installed, as the program does.
class TestBrokenPipeGuard : public QObject
{
    Q_OBJECT

private slots:
    void handlerSurvivesTheFirstSocketWrite();
};

namespace {

void writeThroughQtNetwork()
{
    int ends[2];
    QCOMPARE(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends), 0);
    {
        QLocalSocket socket;
        QVERIFY(socket.setSocketDescriptor(ends[0]));
        QCOMPARE(socket.write("x", 1), qint64(1));
        QVERIFY(socket.flush());
    }
    ::close(ends[1]);
}

void (*currentHandler())(int)
{
    struct sigaction action;
    ::sigaction(SIGPIPE, nullptr, &action);
    return action.sa_handler;
}

} // namespace

void TestBrokenPipeGuard::handlerSurvivesTheFirstSocketWrite()
{
    QVERIFY(platform::BrokenPipeGuard::install());
    QVERIFY(currentHandler() == &platform::BrokenPipeGuard::handler);

    writeThroughQtNetwork();
    QVERIFY2(currentHandler() == &platform::BrokenPipeGuard::handler, "SIGPIPE's handler was replaced");
    // And the process lives through the signal.
    QCOMPARE(::raise(SIGPIPE), 0);
}

QTEST_GUILESS_MAIN(TestBrokenPipeGuard)
#include "tst_brokenpipeguard.moc"
