#include "firmware/httpresponsereader.h"

namespace {

// Fifteen hexadecimal digits stay far below what a qint64 holds.
constexpr int MaxChunkSizeDigits = 15;
constexpr int MaxLengthDigits = 18;

bool isDigits(const QByteArray &text)
{
    if (text.isEmpty())
        return false;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return false;
    }
    return true;
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

QByteArray withoutLeadingZeros(const QByteArray &digits)
{
    int first = 0;
    while (first + 1 < digits.size() && digits.at(first) == '0')
        ++first;
    return digits.mid(first);
}

} // namespace

bool HttpResponseReader::feed(const QByteArray &data, QByteArray *body)
{
    if (m_state == Failed)
        return false;
    m_pending += data;
    while (step(body)) {
    }
    // Taken from the front once per call: many small chunks must not each move what follows them.
    m_pending.remove(0, m_taken);
    m_taken = 0;
    return m_state != Failed;
}

void HttpResponseReader::closed()
{
    if (m_state == Done || m_state == Failed)
        return;
    if (m_phase == Phase::CloseBody) {
        finish();
        return;
    }
    fail(m_headRead ? QStringLiteral("The connection ended before the body did")
                    : QStringLiteral("The connection ended before the answer's headers"));
}

// One piece of the answer; false when more bytes are needed or reading has ended.
bool HttpResponseReader::step(QByteArray *body)
{
    QByteArray line;
    switch (m_phase) {
    case Phase::StatusLine:
        return takeLine(&line) && readStatusLine(line);
    case Phase::HeaderLines:
        if (!takeLine(&line))
            return false;
        return line.isEmpty() ? endOfHead() : readHeaderLine(line);
    case Phase::ChunkSize:
        return takeLine(&line) && readChunkSize(line);
    case Phase::ChunkData:
        return takeBody(body, Phase::ChunkEnd);
    case Phase::ChunkEnd:
        if (!takeLine(&line))
            return false;
        if (!line.isEmpty())
            return fail(QStringLiteral("A chunk is longer than its size says"));
        m_phase = Phase::ChunkSize;
        return true;
    case Phase::Trailers:
        if (!takeLine(&line))
            return false;
        if (line.isEmpty())
            finish();
        return m_state != Done;
    case Phase::LengthBody:
        return takeBody(body, Phase::Ended);
    case Phase::CloseBody:
        body->append(m_pending.constData() + m_taken, m_pending.size() - m_taken);
        m_taken = m_pending.size();
        return false;
    case Phase::Ended:
        // Nothing may follow an answer on a connection that asked to be closed after it.
        m_taken = m_pending.size();
        return false;
    }
    return false;
}

bool HttpResponseReader::takeLine(QByteArray *line)
{
    const int end = m_pending.indexOf('\n', m_taken);
    const int length = (end < 0 ? m_pending.size() : end) - m_taken;
    if (length > MaxLineBytes)
        return fail(QStringLiteral("A line of the answer is too long"));
    if (end < 0)
        return false;
    if (m_phase == Phase::StatusLine || m_phase == Phase::HeaderLines || m_phase == Phase::Trailers) {
        m_headBytes += length + 1;
        if (m_headBytes > MaxHeadBytes)
            return fail(QStringLiteral("The answer's headers are too long"));
    }
    *line = m_pending.mid(m_taken, length);
    if (line->endsWith('\r'))
        line->chop(1);
    m_taken = end + 1;
    return true;
}

bool HttpResponseReader::readStatusLine(const QByteArray &line)
{
    // "HTTP/1.x 200 OK": the version, a space, three digits, and a reason that may be empty.
    if (!line.startsWith("HTTP/1.") || line.size() < 12 || line.at(8) != ' '
        || (line.size() > 12 && line.at(12) != ' ') || !isDigits(line.mid(9, 3))) {
        return fail(QStringLiteral("The answer has no valid status line"));
    }
    m_status = line.mid(9, 3).toInt();
    if (m_status < 100 || m_status > 599)
        return fail(QStringLiteral("The answer's status %1 is not valid").arg(m_status));
    m_reason = line.mid(13);
    m_headers.clear();
    m_phase = Phase::HeaderLines;
    return true;
}

bool HttpResponseReader::readHeaderLine(const QByteArray &line)
{
    const int colon = line.indexOf(':');
    // A folded line (starting with a blank) or a name with blanks in it is not accepted.
    if (colon <= 0 || line.at(0) == ' ' || line.at(0) == '\t' || line.left(colon).contains(' ')
        || line.left(colon).contains('\t')) {
        return fail(QStringLiteral("The answer has a malformed header line"));
    }
    m_headers.append({line.left(colon), line.mid(colon + 1).trimmed()});
    return true;
}

bool HttpResponseReader::endOfHead()
{
    if (m_status < 200) {
        // An interim answer: the real one follows.
        m_phase = Phase::StatusLine;
        return true;
    }
    m_headRead = true;
    m_state = ReadingBody;
    const QList<QByteArray> codings = values("Transfer-Encoding");
    const QList<QByteArray> lengths = values("Content-Length");
    if (m_status == 204 || m_status == 304) {
        finish();
        return false;
    }
    if (!codings.isEmpty()) {
        // Both framings at once is how answers are smuggled past a reader: neither is trusted.
        if (!lengths.isEmpty())
            return fail(QStringLiteral("The answer has both a length and a transfer coding"));
        m_phase = codings.last().trimmed().compare("chunked", Qt::CaseInsensitive) == 0 ? Phase::ChunkSize
                                                                                          : Phase::CloseBody;
        return true;
    }
    if (lengths.isEmpty()) {
        m_phase = Phase::CloseBody;
        return true;
    }
    for (const QByteArray &length : lengths) {
        if (!isDigits(length) || withoutLeadingZeros(length).size() > MaxLengthDigits
            || withoutLeadingZeros(length) != withoutLeadingZeros(lengths.first())) {
            return fail(QStringLiteral("The answer's length is not valid"));
        }
    }
    m_contentLength = lengths.first().toLongLong();
    m_remaining = m_contentLength;
    m_phase = Phase::LengthBody;
    if (m_remaining == 0)
        finish();
    return m_state != Done;
}

bool HttpResponseReader::readChunkSize(const QByteArray &line)
{
    // The size, then perhaps blanks and extensions after a ";", which are ignored.
    const int semicolon = line.indexOf(';');
    const QByteArray digits = withoutLeadingZeros((semicolon < 0 ? line : line.left(semicolon)).trimmed());
    if (digits.isEmpty() || digits.size() > MaxChunkSizeDigits)
        return fail(QStringLiteral("A chunk size is not valid"));
    qint64 size = 0;
    for (const char c : digits) {
        const int value = hexValue(c);
        if (value < 0)
            return fail(QStringLiteral("A chunk size is not valid"));
        size = size * 16 + value;
    }
    if (size == 0) {
        m_phase = Phase::Trailers;
        return true;
    }
    m_remaining = size;
    m_phase = Phase::ChunkData;
    return true;
}

bool HttpResponseReader::takeBody(QByteArray *body, Phase next)
{
    const int take = int(qMin<qint64>(m_remaining, m_pending.size() - m_taken));
    if (take <= 0)
        return false;
    body->append(m_pending.constData() + m_taken, take);
    m_taken += take;
    m_remaining -= take;
    if (m_remaining > 0)
        return false;
    if (next == Phase::Ended) {
        finish();
        return false;
    }
    m_phase = next;
    return true;
}

bool HttpResponseReader::fail(const QString &why)
{
    m_state = Failed;
    m_phase = Phase::Ended;
    m_error = why;
    m_taken = m_pending.size();
    return false;
}

void HttpResponseReader::finish()
{
    m_state = Done;
    m_phase = Phase::Ended;
}

QList<QByteArray> HttpResponseReader::values(const QByteArray &name) const
{
    // Repeated headers and comma-separated lists are the same thing.
    QList<QByteArray> found;
    for (const auto &header : m_headers) {
        if (header.first.compare(name, Qt::CaseInsensitive) != 0)
            continue;
        for (const QByteArray &value : header.second.split(','))
            found.append(value.trimmed());
    }
    return found;
}
