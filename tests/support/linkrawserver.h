#pragma once

#include <QList>
#include <QLocalServer>
#include <QObject>

class LinkRawSocket;

// A bare stand-in for the main program's end of the link, listening on the per-user path of a name,
// for testing the panel's client on its own.
class LinkRawServer : public QObject
{
    Q_OBJECT

public:
    explicit LinkRawServer(QObject *parent = nullptr);

    bool listen(const QString &name);
    void close();

    // The peers that connected so far, oldest first.
    QList<LinkRawSocket *> peers() const { return m_peers; }
    LinkRawSocket *newestPeer() const { return m_peers.isEmpty() ? nullptr : m_peers.last(); }

signals:
    void peerConnected(LinkRawSocket *peer);

private:
    QLocalServer m_server;
    QList<LinkRawSocket *> m_peers;
};
