// Serves the socket name given as its argument, answering every connection with "pong", and prints
// "ready" once it listens. Killing it leaves its socket file behind, as a crash would.
#include "ipc/localsocketpath.h"

#include <QCoreApplication>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc < 2)
        return 2;
    QLocalServer server;
    QString error;
    if (!platform::LocalSocketPath::listen(&server, QString::fromLocal8Bit(argv[1]), &error)) {
        QTextStream(stderr) << "listen failed: " << error << '\n';
        return 1;
    }
    QObject::connect(&server, &QLocalServer::newConnection, [&server] {
        while (QLocalSocket *socket = server.nextPendingConnection()) {
            socket->write("pong");
            socket->flush();
        }
    });
    QTextStream(stdout) << "ready" << Qt::endl;
    return app.exec();
}
