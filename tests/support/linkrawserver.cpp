#include "linkrawserver.h"

#include "linkrawsocket.h"

#include "ipc/localsocketpath.h"

LinkRawServer::LinkRawServer(QObject *parent)
    : QObject(parent)
{
    connect(&m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *socket = m_server.nextPendingConnection()) {
            m_peers.append(new LinkRawSocket(socket, this));
            emit peerConnected(m_peers.last());
        }
    });
}

bool LinkRawServer::listen(const QString &name)
{
    return platform::LocalSocketPath::listen(&m_server, name);
}

void LinkRawServer::close()
{
    for (LinkRawSocket *peer : qAsConst(m_peers))
        peer->socket()->disconnectFromServer();
    m_server.close();
}
