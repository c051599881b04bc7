#pragma once

#include <QList>
#include <QString>

// What ffprobe reads from a movie file, packet by packet, so tests see what a player would see.
struct WriterProbedStream
{
    int index = -1;
    QString codecType; // "video", "audio"
    QString codecName; // "h264", "aac"
    int width = 0;
    int height = 0;
    int packets = 0;
    double firstTime = 0; // seconds
    double endTime = 0;   // last packet's time plus its duration
    double duration() const { return endTime - firstTime; }
};

struct WriterProbe
{
    bool ok = false;
    QString error;
    QList<WriterProbedStream> streams;

    WriterProbedStream stream(const QString &codecType) const;

    // Runs ffprobe under a time limit; ok is false when it fails, times out or reads no stream.
    static WriterProbe run(const QString &path, int timeoutMs = 60000);
};
