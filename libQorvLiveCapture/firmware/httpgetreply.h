#pragma once

#include "firmware/httpresponsereader.h"
#include "qorvlivecaptureglobal.h"

#include <QAbstractSocket>
#include <QNetworkProxy>
#include <QNetworkReply>

class QTcpSocket;

// One HTTP(S) GET on a connection of its own, read with HttpResponseReader, for downloads that must
// tell a complete body from one cut short. Qt's own reply takes a chunk size it cannot read (one of
// 2^63 or more, say) for the last chunk and reports such a body as complete; this one fails it.
// It offers what a download needs of a QNetworkReply: the status and headers with metaDataChanged,
// the redirect target, the body through read() with readyRead and downloadProgress, a read buffer
// that also holds back the connection, TLS with Qt's certificate checks and sslErrors, abort(), and
// an error and finished() at the end. It asks for no compressed body and closes the connection after
// the answer.
class QORVLIVECAPTURE_EXPORT HttpGetReply : public QNetworkReply
{
    Q_OBJECT

public:
    HttpGetReply(const QNetworkRequest &request, const QNetworkProxy &proxy, QObject *parent = nullptr);
    ~HttpGetReply() override;

    void abort() override;
    qint64 bytesAvailable() const override;
    bool isSequential() const override { return true; }
    void setReadBufferSize(qint64 size) override;

protected:
    qint64 readData(char *data, qint64 maxSize) override;
    qint64 writeData(const char *data, qint64 maxSize) override;

private:
    void connectToServer(const QNetworkProxy &proxy);
    void sendRequest();
    void readSocket();
    void socketError(QAbstractSocket::SocketError error);
    void socketClosed();
    void takeHead();
    void end(NetworkError error, const QString &text);
    bool hasRoom() const;

    QTcpSocket *m_socket = nullptr;
    HttpResponseReader m_reader;
    QByteArray m_body;
    qint64 m_received = 0;
    bool m_headTaken = false;
    bool m_socketClosed = false;
    bool m_ended = false;
};
