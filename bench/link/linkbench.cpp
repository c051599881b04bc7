// Measures the local command link between two processes, with the real ends: this process runs the
// panel's LocalClient and starts a copy of itself with --server that runs the main program's
// LocalServer. The server answers every "cap_getRecordTime" carrying a number with a
// "cap_updateLiveStatus" carrying the same number, so each round trip is one command and its echo.
//
// Prints the pipelined rate (commands sent back to back, echoes counted as they return) and the
// median and 99th percentile of single round trips.
#include "localclient.h"
#include "toolbar/link/localserver.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QTextStream>
#include <QTimer>

#include <algorithm>
#include <vector>

namespace {

const int WarmUp = 2000;
const int RoundTrips = 20000;
const int Burst = 200000;
const int EchoFps = 30;

int runServer()
{
    LocalServer server;
    if (!server.isListening())
        return 1;
    QObject::connect(&server, &LocalServer::recordTimeGet, &server,
                     [&server](int sec) { server.updateLiveStatus(sec, EchoFps); });
    QObject::connect(&server, &LocalServer::recordStop, qApp, &QCoreApplication::quit);
    QTextStream(stdout) << "ready" << Qt::endl;
    return qApp->exec();
}

// Runs the event loop until the echo of the given number arrives; returns false after 5 s.
bool waitForEcho(LocalClient &client, int number, QEventLoop &loop, int *last)
{
    QTimer timeout;
    timeout.setSingleShot(true);
    QObject::connect(&timeout, &QTimer::timeout, &loop, [&loop] { loop.exit(1); });
    timeout.start(5000);
    while (*last != number) {
        if (loop.exec() != 0)
            return false;
    }
    Q_UNUSED(client)
    return true;
}

double percentile(std::vector<qint64> sorted, double p)
{
    std::sort(sorted.begin(), sorted.end());
    const size_t index = std::min(sorted.size() - 1, size_t(p * double(sorted.size())));
    return double(sorted[index]) / 1000.0;
}

int runClient()
{
    QTextStream out(stdout);
    QProcess server;
    server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    server.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--server")});
    if (!server.waitForReadyRead(5000) || !server.readLine().startsWith("ready")) {
        out << "the server process did not start" << Qt::endl;
        return 1;
    }

    LocalClient client;
    client.requestNewConnection();
    QEventLoop loop;
    int last = -1;
    int echoes = 0;
    QObject::connect(&client, &LocalClient::liveStatusUpdate, [&](int kbps, int) {
        last = kbps;
        ++echoes;
        loop.exit(0);
    });
    if (!client.checkAlive()) {
        out << "no connection to the server process" << Qt::endl;
        return 1;
    }

    for (int i = 0; i < WarmUp; ++i) {
        client.updateRecordTime(i);
        if (!waitForEcho(client, i, loop, &last))
            return 1;
    }

    std::vector<qint64> times;
    times.reserve(RoundTrips);
    QElapsedTimer clock;
    for (int i = 0; i < RoundTrips; ++i) {
        clock.start();
        client.updateRecordTime(i);
        if (!waitForEcho(client, i, loop, &last))
            return 1;
        times.push_back(clock.nsecsElapsed());
    }

    echoes = 0;
    clock.start();
    for (int i = 0; i < Burst; ++i) {
        client.updateRecordTime(i % 1000000);
        if (i % 256 == 0)
            QCoreApplication::processEvents();
    }
    while (echoes < Burst) {
        if (!waitForEcho(client, (Burst - 1) % 1000000, loop, &last) && echoes < Burst)
            return 1;
    }
    const double seconds = double(clock.nsecsElapsed()) / 1e9;

    client.stopRecord(0);
    server.waitForFinished(5000);

    out << "link benchmark (two processes, LocalClient <-> LocalServer)\n";
    out << "  pipelined: " << Burst << " commands with their echoes in " << QString::number(seconds, 'f', 3)
        << " s = " << qRound(Burst / seconds) << " commands/s (" << qRound(2 * Burst / seconds)
        << " messages/s both ways)\n";
    out << "  round trip over " << RoundTrips << " single commands: median "
        << QString::number(percentile(times, 0.5), 'f', 1) << " us, 99th percentile "
        << QString::number(percentile(times, 0.99), 'f', 1) << " us" << Qt::endl;
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (app.arguments().contains(QStringLiteral("--server")))
        return runServer();
    return runClient();
}
