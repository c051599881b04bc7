#pragma once

#include "qorvlivecaptureglobal.h"

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

// Reads the answer to one HTTP/1.1 GET from the bytes of its connection, strictly: a status line and
// headers of bounded size, then a body framed by one valid Content-Length, by chunks whose sizes are
// plain hexadecimal numbers, or by the end of the connection. What it cannot read as such, and a body
// whose connection ends before its framing does, is a failure and never passes for a shorter body.
// Interim (1xx) answers are skipped.
class QORVLIVECAPTURE_EXPORT HttpResponseReader
{
public:
    enum State {
        ReadingHead,
        ReadingBody,
        Done,
        Failed,
    };
    using Headers = QList<QPair<QByteArray, QByteArray>>;

    static constexpr int MaxHeadBytes = 64 * 1024;
    static constexpr int MaxLineBytes = 8 * 1024;

    // Takes in what arrived and appends the body bytes it holds to body; false once the answer failed.
    bool feed(const QByteArray &data, QByteArray *body);
    // The connection ended: the answer is done only if its framing is.
    void closed();

    State state() const { return m_state; }
    // From the first body byte on (or once done), the final answer's status and headers.
    bool hasHead() const { return m_headRead; }
    int status() const { return m_status; }
    QByteArray reasonPhrase() const { return m_reason; }
    Headers headers() const { return m_headers; }
    // The announced body length; -1 when the body is chunked or ends with the connection.
    qint64 contentLength() const { return m_contentLength; }
    QString errorString() const { return m_error; }

private:
    enum class Phase {
        StatusLine,
        HeaderLines,
        ChunkSize,
        ChunkData,
        ChunkEnd,
        Trailers,
        LengthBody,
        CloseBody,
        Ended,
    };

    bool step(QByteArray *body);
    bool takeLine(QByteArray *line);
    bool readStatusLine(const QByteArray &line);
    bool readHeaderLine(const QByteArray &line);
    bool endOfHead();
    bool readChunkSize(const QByteArray &line);
    bool takeBody(QByteArray *body, Phase next);
    bool fail(const QString &why);
    void finish();
    QList<QByteArray> values(const QByteArray &name) const;

    State m_state = ReadingHead;
    Phase m_phase = Phase::StatusLine;
    QByteArray m_pending;
    // How much of m_pending the current call has read.
    int m_taken = 0;
    int m_headBytes = 0;
    bool m_headRead = false;
    int m_status = 0;
    QByteArray m_reason;
    Headers m_headers;
    qint64 m_contentLength = -1;
    qint64 m_remaining = 0;
    QString m_error;
};
