#include "writerprobe.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

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
    ffprobe.start(QStringLiteral("ffprobe"),
                  {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-show_entries"),
                   QStringLiteral("stream=index,codec_type,codec_name,width,height:"
                                  "packet=stream_index,pts_time,duration_time"),
                   QStringLiteral("-of"), QStringLiteral("json"), path});
    if (!ffprobe.waitForFinished(timeoutMs)) {
        ffprobe.kill();
        ffprobe.waitForFinished();
        probe.error = QStringLiteral("ffprobe did not finish: ") + ffprobe.errorString();
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
            ++stream.packets;
        }
    }
    probe.ok = ffprobe.exitStatus() == QProcess::NormalExit && !probe.streams.isEmpty();
    if (!probe.ok)
        probe.error = QString::fromUtf8(ffprobe.readAllStandardError());
    return probe;
}
