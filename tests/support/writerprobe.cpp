#include "writerprobe.h"

#include "toolrun.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

int WriterProbedStream::packetsFrom(double fromSeconds) const
{
    int count = 0;
    for (double time : packetTimes)
        count += time >= fromSeconds ? 1 : 0;
    return count;
}

WriterProbedStream WriterProbe::stream(const QString &codecType) const
{
    for (const WriterProbedStream &s : streams) {
        if (s.codecType == codecType)
            return s;
    }
    return {};
}

WriterProbe WriterProbe::run(const QString &path, int timeoutMs)
{
    WriterProbe probe;
    QProcess ffprobe;
    const QString failure = runTool(
        ffprobe, QStringLiteral("ffprobe"),
        {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-show_entries"),
         QStringLiteral("stream=index,codec_type,codec_name,width,height:packet=stream_index,pts_time,duration_time"),
         QStringLiteral("-of"), QStringLiteral("json"), path},
        timeoutMs);
    const QString errorOutput = QString::fromUtf8(ffprobe.readAllStandardError()).trimmed();
    if (!failure.isEmpty() || !errorOutput.isEmpty()) {
        probe.error = (failure.isEmpty() ? QStringLiteral("ffprobe reported errors") : failure)
                      + QStringLiteral(": ") + errorOutput;
        return probe;
    }

    const QJsonObject root = QJsonDocument::fromJson(ffprobe.readAllStandardOutput()).object();
    for (const QJsonValue &value : root.value(QStringLiteral("streams")).toArray()) {
        const QJsonObject s = value.toObject();
        WriterProbedStream stream;
        stream.index = s.value(QStringLiteral("index")).toInt();
        stream.codecType = s.value(QStringLiteral("codec_type")).toString();
        stream.codecName = s.value(QStringLiteral("codec_name")).toString();
        stream.width = s.value(QStringLiteral("width")).toInt();
        stream.height = s.value(QStringLiteral("height")).toInt();
        probe.streams.append(stream);
    }
    for (const QJsonValue &value : root.value(QStringLiteral("packets")).toArray()) {
        const QJsonObject p = value.toObject();
        const int index = p.value(QStringLiteral("stream_index")).toInt();
        for (WriterProbedStream &stream : probe.streams) {
            if (stream.index != index)
                continue;
            const double time = p.value(QStringLiteral("pts_time")).toString().toDouble();
            const double end = time + p.value(QStringLiteral("duration_time")).toString().toDouble();
            if (stream.packets == 0 || time < stream.firstTime)
                stream.firstTime = time;
            if (stream.packets == 0 || end > stream.endTime)
                stream.endTime = end;
            stream.packetTimes.append(time);
            ++stream.packets;
        }
    }
    if (probe.streams.isEmpty()) {
        probe.error = QStringLiteral("ffprobe found no stream");
        return probe;
    }
    probe.error = decodeErrors(path, timeoutMs);
    probe.ok = probe.error.isEmpty();
    return probe;
}

QString WriterProbe::decodeErrors(const QString &path, int timeoutMs)
{
    // The recordings have variable frame rates. Without "-enc_time_base -1" ffmpeg would round every
    // frame time to a constant rate it guesses and then report its own rounding (two frames on one
    // tick) as an error; with it, the times stay the file's own and only real faults are reported.
    QProcess ffmpeg;
    const QString failure = runTool(ffmpeg, QStringLiteral("ffmpeg"),
                                    {QStringLiteral("-nostdin"), QStringLiteral("-v"), QStringLiteral("error"),
                                     QStringLiteral("-i"), path, QStringLiteral("-map"), QStringLiteral("0"),
                                     QStringLiteral("-enc_time_base"), QStringLiteral("-1"),
                                     QStringLiteral("-f"), QStringLiteral("null"),
                                     QStringLiteral("-")},
                                    timeoutMs);
    const QString errorOutput = QString::fromUtf8(ffmpeg.readAllStandardError()).trimmed();
    if (failure.isEmpty() && errorOutput.isEmpty())
        return QString();
    return (failure.isEmpty() ? QStringLiteral("decoding reported errors") : failure) + QStringLiteral(": ")
           + errorOutput;
}
