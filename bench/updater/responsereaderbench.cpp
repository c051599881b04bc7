// Measures how fast the download's answer reader takes a chunked body, by the size of its chunks: a
// server can send a body in chunks of one byte, each with its own size line, and the reader must
// still keep up with the connection. Prints MiB of body per second and of what came off the wire.
#include "firmware/httpresponsereader.h"

#include <QElapsedTimer>
#include <QTextStream>

namespace {

const qint64 MiB = 1024 * 1024;
// What one read of the download takes from its connection at most.
const int ReadBytes = 256 * 1024;

void measure(int chunkBytes)
{
    QByteArray chunk = QByteArray::number(chunkBytes, 16) + "\r\n" + QByteArray(chunkBytes, 'c') + "\r\n";
    QByteArray read;
    while (read.size() + chunk.size() <= ReadBytes)
        read += chunk;
    HttpResponseReader reader;
    QByteArray body;
    reader.feed("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n", &body);
    qint64 wireBytes = 0;
    qint64 bodyBytes = 0;
    QElapsedTimer clock;
    clock.start();
    // For a second at least, so that a fast case is still measured over many reads.
    while (clock.elapsed() < 1000) {
        reader.feed(read, &body);
        wireBytes += read.size();
        bodyBytes += body.size();
        body.clear();
    }
    const double seconds = clock.elapsed() / 1000.0;
    QTextStream(stdout) << "chunks of " << chunkBytes << " bytes: " << QString::number(double(bodyBytes) / MiB / seconds, 'f', 1)
                        << " MiB/s of body, " << QString::number(double(wireBytes) / MiB / seconds, 'f', 1)
                        << " MiB/s off the wire" << (reader.state() == HttpResponseReader::Failed ? " (failed)" : "")
                        << Qt::endl;
}

} // namespace

int main()
{
    for (const int chunkBytes : {1, 64, 4096, 65536})
        measure(chunkBytes);
    return 0;
}
