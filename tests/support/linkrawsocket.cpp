#include "linkrawsocket.h"

#include <QDataStream>

LinkRawSocket::LinkRawSocket(QLocalSocket *socket, QObject *parent)
    : QObject(parent)
    , m_socket(socket ? socket : new QLocalSocket(this))
{
    connect(m_socket, &QLocalSocket::readyRead, this, &LinkRawSocket::read);
}

QByteArray LinkRawSocket::frame(const QString &text)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(7);
    out << text;
    return bytes;
}

bool LinkRawSocket::connectTo(const QString &path, int timeoutMs)
{
    m_socket->connectToServer(path);
    return m_socket->waitForConnected(timeoutMs);
}

void LinkRawSocket::writeFrame(const QString &text)
{
    writeRaw(frame(text));
}

void LinkRawSocket::writeRaw(const QByteArray &bytes)
{
    m_socket->write(bytes);
    m_socket->flush();
}

void LinkRawSocket::read()
{
    QDataStream in(m_socket);
    in.setVersion(7);
    for (;;) {
        in.startTransaction();
        QString text;
        in >> text;
        if (!in.commitTransaction())
            return;
        m_messages.append(text);
        emit messageReceived(text);
    }
}
