#include "singleapplication.h"

#include "ipc/localsocketpath.h"
#include "ipc/locallistener.h"

#include <QDebug>
#include <QLocalSocket>
#include <QTextStream>
#include <QTimer>

namespace drawlet {
namespace application {

const char SingleApplication::ApplicationName[] = "Drawlet";

SingleApplication::SingleApplication(int &argc, char **argv)
    : QApplication(argc, argv)
{
    setApplicationName(QLatin1String(ApplicationName));
    const QString name = applicationName();
    const QString path = platform::LocalSocketPath::fullPath(name);

    if (handOver(path)) {
        m_running = true;
        return;
    }
    qDebug() << "Can't connect to server,build a server";
    m_localServer = new platform::LocalListener(this);
    connect(m_localServer, &platform::LocalListener::newConnection, this,
            &SingleApplication::newLocalConnection);
    QString error;
    if (m_localServer->listen(name, &error))
        return;
    // Two starts at the same moment: the other one took the name first, so it is the one to run.
    if (platform::LocalSocketPath::isServing(path) && handOver(path)) {
        m_running = true;
        return;
    }
    qWarning().noquote() << "Running without the single-instance guard:" << error;
}

SingleApplication::~SingleApplication() = default;

bool SingleApplication::isGuarding() const
{
    return m_localServer && m_localServer->isListening();
}

bool SingleApplication::handOver(const QString &path)
{
    if (path.isEmpty())
        return false;
    QLocalSocket socket;
    socket.connectToServer(path, QIODevice::ReadWrite);
    if (!socket.waitForConnected(ConnectTimeoutMs))
        return false;
    const QStringList args = arguments();
    if (args.size() >= 2)
        socket.write(args.last().toUtf8());
    socket.flush();
    qDebug() << "Connected server,program will quit";
    if (socket.bytesToWrite() > 0)
        socket.waitForBytesWritten(30000);
    socket.disconnectFromServer();
    return true;
}

void SingleApplication::newLocalConnection(QLocalSocket *socket)
{
    if (!socket)
        return;
    socket->setParent(this);
    // The other start writes and goes; its text is complete when it disconnects, or taken as it is
    // after a second. Nothing here waits on the event loop's thread.
    auto *deadline = new QTimer(socket);
    deadline->setSingleShot(true);
    connect(deadline, &QTimer::timeout, socket, [this, socket] { readHandOver(socket); });
    connect(socket, &QLocalSocket::disconnected, socket, [this, socket] { readHandOver(socket); });
    connect(socket, &QLocalSocket::readyRead, socket, [this, socket] {
        if (socket->bytesAvailable() >= HandOverLimitBytes)
            readHandOver(socket);
    });
    deadline->start(HandOverWaitMs);
    if (socket->state() != QLocalSocket::ConnectedState)
        readHandOver(socket);
}

void SingleApplication::readHandOver(QLocalSocket *socket)
{
    if (socket->property("handedOver").toBool())
        return;
    socket->setProperty("handedOver", true);
    QString text = QString::fromUtf8(socket->read(HandOverLimitBytes));
    QString word;
    QTextStream(&text) >> word;
    qDebug() << "The value is: " << word;
    socket->abort();
    socket->deleteLater();
}

} // namespace application
} // namespace drawlet
