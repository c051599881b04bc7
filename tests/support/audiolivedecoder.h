#pragma once

#include <QByteArray>

#include <memory>

// Decodes what the live export sends the publisher (a start-code parameter-set header, then frames
// of length-prefixed NAL units) with libavcodec's H.264 decoder, and tells what a player would see.
class LiveStreamDecoder
{
public:
    LiveStreamDecoder();
    ~LiveStreamDecoder();

    // Start-code data (the header) are fed as they are; length-prefixed frames are converted.
    bool feedHeader(const QByteArray &header);
    bool feedFrame(const QByteArray &lengthPrefixed);
    bool finish();

    int decodedFrames() const { return m_decoded; }
    int width() const;
    int height() const;
    int profile() const;
    int level() const;
    double frameRate() const; // from the SPS timing; 0 when absent
    QByteArray error() const { return m_error; }

    static QByteArray toAnnexB(const QByteArray &lengthPrefixed);

private:
    bool send(const QByteArray &annexB);

    struct Context;
    std::unique_ptr<Context> m_ctx;
    QByteArray m_pendingHeader;
    int m_decoded = 0;
    QByteArray m_error;
};
