#include "media/moviefilewriter.h"

#include "media/ffmpeglibrary.h"

#include <QFile>
#include <QFileInfo>
#include <QMutexLocker>

#include <vector>

namespace platform {

namespace {

constexpr AVRational MicrosecondBase = {1, 1000000};
// The H.264 track counts in the usual 90 kHz units.
constexpr AVRational VideoTimeBase = {1, 90000};
// Up to this much missing sound is filled with silence to keep the picture and the sound in step;
// a longer gap is left as a gap.
constexpr qint64 MaxSilenceFillUs = 5000000;

int evenDown(int value)
{
    return value & ~1;
}

} // namespace

struct MovieFileWriter::Context
{
    Context(const FfmpegLibrary::Util &utilFunctions, const FfmpegLibrary::Scale &scaleFunctions,
            const FfmpegLibrary::Codec &codecFunctions, const FfmpegLibrary::Format &formatFunctions)
        : avutil(utilFunctions)
        , swscale(scaleFunctions)
        , avcodec(codecFunctions)
        , avformat(formatFunctions)
    {
    }

    // How far the file is written.
    qint64 fileOffset() const { return avformat.avio_seek(format->pb, 0, SEEK_CUR); }

    // One picture at the nominal rate, in the encoder's time base.
    qint64 nominalFrameTicks() const
    {
        return qMax<qint64>(1, avutil.av_rescale_q(1, av_inv_q(video->framerate), video->time_base));
    }

    // The same in the video track's time base.
    qint64 nominalFrameDuration() const
    {
        return avutil.av_rescale_q(nominalFrameTicks(), video->time_base, videoStream->time_base);
    }

    const FfmpegLibrary::Util &avutil;
    const FfmpegLibrary::Scale &swscale;
    const FfmpegLibrary::Codec &avcodec;
    const FfmpegLibrary::Format &avformat;
    AVFormatContext *format = nullptr;
    AVCodecContext *video = nullptr;
    AVCodecContext *audio = nullptr;
    AVStream *videoStream = nullptr;
    AVStream *audioStream = nullptr;
    AVFrame *videoFrame = nullptr;
    AVFrame *audioFrame = nullptr;
    AVPacket *packet = nullptr;
    // The last encoded picture, written once the next one tells how long it lasts.
    AVPacket *heldVideo = nullptr;
    bool videoHeld = false;
    // Sound encoded before the first picture was written. The muxer shifts every track by the time of
    // the first packet it is handed, so the first picture, at zero, goes first.
    std::vector<AVPacket *> waitingAudio;
    bool videoWritten = false;
    // The last decode time handed to the muxer, per track.
    int64_t lastDts[2] = {AV_NOPTS_VALUE, AV_NOPTS_VALUE};
    // The file's length up to the end of its last whole fragment, and whether a write to it failed.
    qint64 wholeFragmentsBytes = 0;
    bool outputFailed = false;
    SwsContext *scaler = nullptr;
    bool fileOpen = false;
    bool headerWritten = false;
    // The first fragment, with the first frame, is in the file: from then on the file plays.
    bool fileHasFrames = false;

    bool sessionStarted = false;
    qint64 sessionStartUs = 0;
    bool sessionEnded = false;
    qint64 sessionEndUs = 0;

    qint64 lastVideoPts = AV_NOPTS_VALUE;
    qint64 lastStampedVideoPts = AV_NOPTS_VALUE; // before the first two pictures were moved to fit
    qint64 videoFrames = 0;

    // Sound waiting for a full AAC frame, and the time (in samples since the session start) of the
    // first of them.
    std::vector<float> pendingAudio;
    bool audioStarted = false;
    qint64 pendingAudioPts = AV_NOPTS_VALUE;
    qint64 audioFrames = 0;

    ~Context()
    {
        for (AVPacket *waiting : waitingAudio)
            avcodec.av_packet_free(&waiting);
        swscale.sws_freeContext(scaler);
        avcodec.av_packet_free(&packet);
        avcodec.av_packet_free(&heldVideo);
        avutil.av_frame_free(&videoFrame);
        avutil.av_frame_free(&audioFrame);
        avcodec.avcodec_free_context(&video);
        avcodec.avcodec_free_context(&audio);
        if (format) {
            if (fileOpen)
                avformat.avio_closep(&format->pb);
            avformat.avformat_free_context(format);
        }
    }
};

MovieFileWriter::MovieFileWriter(const QString &path, const MovieSettings &settings)
    : m_path(path)
    , m_settings(settings)
{
}

MovieFileWriter::~MovieFileWriter()
{
    if (status() == Writing)
        finishWriting();
}

bool MovieFileWriter::startWriting()
{
    QMutexLocker locker(&m_lock);
    if (m_status != Unknown)
        return m_status == Writing;

    if (QFileInfo::exists(m_path)) {
        fail(QStringLiteral("the file already exists"), 0);
        return false;
    }
    if (evenDown(m_settings.width) < 2 || evenDown(m_settings.height) < 2) {
        fail(QStringLiteral("invalid movie size %1 x %2").arg(m_settings.width).arg(m_settings.height), 0);
        return false;
    }

    QString loadError;
    const FfmpegLibrary::Codec *codecFunctions = FfmpegLibrary::codec(&loadError);
    const FfmpegLibrary::Format *formatFunctions =
        codecFunctions ? FfmpegLibrary::format(&loadError) : nullptr;
    const FfmpegLibrary::Scale *scaleFunctions = formatFunctions ? FfmpegLibrary::scale(&loadError) : nullptr;
    if (!scaleFunctions) {
        fail(loadError, 0);
        return false;
    }
    m_ctx = std::make_unique<Context>(*FfmpegLibrary::util(), *scaleFunctions, *codecFunctions,
                                      *formatFunctions);
    const QByteArray path = m_path.toLocal8Bit();
    int error =
        m_ctx->avformat.avformat_alloc_output_context2(&m_ctx->format, nullptr, "mov", path.constData());
    if (error < 0 || !m_ctx->format) {
        fail(QStringLiteral("cannot create the movie"), error);
        return false;
    }
    m_ctx->packet = m_ctx->avcodec.av_packet_alloc();
    m_ctx->heldVideo = m_ctx->avcodec.av_packet_alloc();
    if (!m_ctx->packet || !m_ctx->heldVideo) {
        fail(QStringLiteral("cannot allocate a packet"), AVERROR(ENOMEM));
        return false;
    }
    if (!openVideoEncoder() || !openAudioEncoder())
        return false;

    // Every fragment goes to the file as soon as the muxer has it.
    m_ctx->format->flush_packets = 1;

    error = m_ctx->avformat.avio_open(&m_ctx->format->pb, path.constData(), AVIO_FLAG_WRITE);
    if (error < 0) {
        fail(QStringLiteral("cannot open %1 for writing").arg(m_path), error);
        return false;
    }
    m_ctx->fileOpen = true;

    AVDictionary *options = nullptr;
    m_ctx->avutil.av_dict_set(&options, "movflags", "frag_keyframe+empty_moov", 0);
    // A fragment at every key frame and none longer than the fragment duration: a kill loses the
    // open fragment and what the encoder still holds, well under a second at 30 frames a second.
    m_ctx->avutil.av_dict_set_int(&options, "frag_duration", m_settings.fragmentDurationUs, 0);
    error = m_ctx->avformat.avformat_write_header(m_ctx->format, &options);
    m_ctx->avutil.av_dict_free(&options);
    if (error >= 0) {
        m_ctx->avformat.avio_flush(m_ctx->format->pb);
        error = m_ctx->format->pb->error;
    }
    if (error < 0) {
        fail(QStringLiteral("cannot write the movie header"), error);
        close();
        return false;
    }
    m_ctx->wholeFragmentsBytes = m_ctx->fileOffset();
    m_ctx->headerWritten = true;
    m_status = Writing;
    return true;
}

bool MovieFileWriter::openVideoEncoder()
{
    const AVCodec *codec = m_ctx->avcodec.avcodec_find_encoder_by_name("libx264");
    if (!codec) {
        fail(QStringLiteral("the H.264 encoder libx264 is missing"), 0);
        return false;
    }
    AVCodecContext *c = m_ctx->avcodec.avcodec_alloc_context3(codec);
    m_ctx->video = c;
    c->width = evenDown(m_settings.width);
    c->height = evenDown(m_settings.height);
    c->pix_fmt = AV_PIX_FMT_YUV420P;
    c->time_base = VideoTimeBase;
    c->framerate = AVRational{qMax(1, m_settings.nominalFrameRate), 1};
    c->sample_aspect_ratio = AVRational{1, 1};
    c->bit_rate = m_settings.videoBitRate;
    c->gop_size = qMax(1, m_settings.maxKeyFrameInterval);
    // No reordering: a live recording gains little from B-frames and every frame held back in the
    // encoder is a frame a kill loses.
    c->max_b_frames = 0;
    if (m_ctx->format->oformat->flags & AVFMT_GLOBALHEADER)
        c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    m_ctx->avutil.av_opt_set(c->priv_data, "preset", m_settings.x264Preset.toUtf8().constData(), 0);
    if (!m_settings.x264Params.isEmpty())
        m_ctx->avutil.av_opt_set(c->priv_data, "x264-params", m_settings.x264Params.toUtf8().constData(), 0);

    int error = m_ctx->avcodec.avcodec_open2(c, codec, nullptr);
    if (error < 0) {
        fail(QStringLiteral("cannot open the H.264 encoder"), error);
        return false;
    }
    m_ctx->videoStream = m_ctx->avformat.avformat_new_stream(m_ctx->format, nullptr);
    if (!m_ctx->videoStream) {
        fail(QStringLiteral("cannot add the video track"), AVERROR(ENOMEM));
        return false;
    }
    m_ctx->videoStream->time_base = c->time_base;
    m_ctx->videoStream->sample_aspect_ratio = c->sample_aspect_ratio;
    m_ctx->avcodec.avcodec_parameters_from_context(m_ctx->videoStream->codecpar, c);

    m_ctx->videoFrame = m_ctx->avutil.av_frame_alloc();
    m_ctx->videoFrame->format = c->pix_fmt;
    m_ctx->videoFrame->width = c->width;
    m_ctx->videoFrame->height = c->height;
    error = m_ctx->avutil.av_frame_get_buffer(m_ctx->videoFrame, 0);
    if (error < 0) {
        fail(QStringLiteral("cannot allocate a video frame"), error);
        return false;
    }
    return true;
}

bool MovieFileWriter::openAudioEncoder()
{
    const AVCodec *codec = m_ctx->avcodec.avcodec_find_encoder_by_name("aac");
    if (!codec) {
        fail(QStringLiteral("the AAC encoder is missing"), 0);
        return false;
    }
    AVCodecContext *c = m_ctx->avcodec.avcodec_alloc_context3(codec);
    m_ctx->audio = c;
    c->sample_fmt = AV_SAMPLE_FMT_FLTP;
    c->sample_rate = m_settings.audioSampleRate;
    m_ctx->avutil.av_channel_layout_default(&c->ch_layout, m_settings.audioChannels);
    c->bit_rate = m_settings.audioBitRate;
    c->time_base = AVRational{1, c->sample_rate};
    if (m_ctx->format->oformat->flags & AVFMT_GLOBALHEADER)
        c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;

    int error = m_ctx->avcodec.avcodec_open2(c, codec, nullptr);
    if (error < 0) {
        fail(QStringLiteral("cannot open the AAC encoder"), error);
        return false;
    }
    m_ctx->audioStream = m_ctx->avformat.avformat_new_stream(m_ctx->format, nullptr);
    if (!m_ctx->audioStream) {
        fail(QStringLiteral("cannot add the audio track"), AVERROR(ENOMEM));
        return false;
    }
    m_ctx->audioStream->time_base = c->time_base;
    m_ctx->avcodec.avcodec_parameters_from_context(m_ctx->audioStream->codecpar, c);
    m_ctx->audioFrame = m_ctx->avutil.av_frame_alloc();
    return true;
}

void MovieFileWriter::startSession(qint64 sourceTimeUs)
{
    QMutexLocker locker(&m_lock);
    if (m_status != Writing || m_ctx->sessionStarted)
        return;
    m_ctx->sessionStarted = true;
    m_ctx->sessionStartUs = sourceTimeUs;
}

bool MovieFileWriter::isSessionStarted() const
{
    QMutexLocker locker(&m_lock);
    return m_ctx && m_ctx->sessionStarted;
}

void MovieFileWriter::endSession(qint64 sourceTimeUs)
{
    QMutexLocker locker(&m_lock);
    if (m_status != Writing)
        return;
    m_ctx->sessionEnded = true;
    m_ctx->sessionEndUs = sourceTimeUs;
}

bool MovieFileWriter::isReadyForMoreMediaData() const
{
    QMutexLocker locker(&m_lock);
    return m_status == Writing && !m_ctx->sessionEnded;
}

bool MovieFileWriter::appendVideo(const VideoSample &sample)
{
    QMutexLocker locker(&m_lock);
    if (m_status != Writing || !m_ctx->sessionStarted || !sample.isValid())
        return false;
    const qint64 timeUs = sample.presentationTimeUs();
    if (m_ctx->sessionEnded && timeUs > m_ctx->sessionEndUs)
        return false;
    // A frame stamped a little before the session start opens the movie rather than being lost, and
    // so does one stamped after it: the first picture is shown from the session's zero on, as the
    // sound starts there too.
    const qint64 sinceStartUs = qMax<qint64>(0, timeUs - m_ctx->sessionStartUs);
    const qint64 stampedPts = m_ctx->avutil.av_rescale_q(sinceStartUs, MicrosecondBase, VideoTimeBase);
    qint64 pts = 0;
    if (m_ctx->lastVideoPts != AV_NOPTS_VALUE) {
        if (stampedPts <= qMax(m_ctx->lastVideoPts, m_ctx->lastStampedVideoPts))
            return false; // the track needs strictly increasing times
        // The first picture went to the file lasting a nominal frame: the second starts where it ends.
        pts = m_ctx->videoFrames == 1 ? m_ctx->nominalFrameTicks() : stampedPts;
    }
    if (!encodeVideoFrame(sample, pts))
        return false;
    m_ctx->lastVideoPts = pts;
    m_ctx->lastStampedVideoPts = stampedPts;
    ++m_ctx->videoFrames;
    return true;
}

bool MovieFileWriter::encodeVideoFrame(const VideoSample &sample, qint64 pts)
{
    QRect source(0, 0, sample.width(), sample.height());
    if (!m_settings.sourceCrop.isNull()) {
        const QRect cropped = source.intersected(m_settings.sourceCrop);
        if (cropped.width() >= 2 && cropped.height() >= 2)
            source = cropped;
    }
    AVFrame *frame = m_ctx->videoFrame;
    m_ctx->scaler = m_ctx->swscale.sws_getCachedContext(m_ctx->scaler, source.width(), source.height(),
                                                        AV_PIX_FMT_BGRA, frame->width, frame->height,
                                                        AV_PIX_FMT_YUV420P, SWS_FAST_BILINEAR, nullptr, nullptr,
                                                        nullptr);
    if (!m_ctx->scaler) {
        fail(QStringLiteral("cannot convert a %1 x %2 frame").arg(source.width()).arg(source.height()), 0);
        return false;
    }
    // The encoder may still hold the previous picture.
    int error = m_ctx->avutil.av_frame_make_writable(frame);
    if (error < 0) {
        fail(QStringLiteral("cannot reuse the video frame"), error);
        return false;
    }
    const uint8_t *sourcePlanes[1] = {sample.constBits() + qsizetype(source.top()) * sample.stride()
                                      + qsizetype(source.left()) * 4};
    const int sourceStrides[1] = {sample.stride()};
    m_ctx->swscale.sws_scale(m_ctx->scaler, sourcePlanes, sourceStrides, 0, source.height(), frame->data,
                             frame->linesize);
    frame->pts = pts;
    return sendAndDrain(m_ctx->videoStream->index, false, frame);
}

bool MovieFileWriter::appendAudio(const AudioSample &sample)
{
    QMutexLocker locker(&m_lock);
    if (m_status != Writing || !m_ctx->sessionStarted || !sample.isValid())
        return false;
    const qint64 timeUs = sample.presentationTimeUs();
    if (m_ctx->sessionEnded && timeUs > m_ctx->sessionEndUs)
        return false;

    const int rate = m_ctx->audio->sample_rate;
    const qint64 startPts = m_ctx->avutil.av_rescale(timeUs - m_ctx->sessionStartUs, rate, 1000000);
    const auto *pcm = reinterpret_cast<const qint16 *>(sample.pcm().constData());
    int skip = 0;
    const int count = sample.frameCount();

    if (!m_ctx->audioStarted) {
        // Sound from before the session start is cut off, as the picture is; the time from the
        // session start to the first sound is silence, so that the sound track starts at zero with
        // the picture and keeps its place against it. Sound that starts later than the longest gap
        // filled begins where it was stamped.
        if (startPts + count <= 0)
            return true;
        skip = int(qMax<qint64>(0, -startPts));
        m_ctx->audioStarted = true;
        const qint64 lead = qMax<qint64>(0, startPts);
        if (lead <= m_ctx->avutil.av_rescale(MaxSilenceFillUs, rate, 1000000)) {
            m_ctx->pendingAudioPts = 0;
            m_ctx->pendingAudio.insert(m_ctx->pendingAudio.end(), size_t(lead), 0.0f);
        } else {
            m_ctx->pendingAudioPts = lead;
        }
    } else {
        const qint64 expected = m_ctx->pendingAudioPts + qint64(m_ctx->pendingAudio.size());
        const qint64 gap = startPts - expected;
        if (gap > 0 && gap <= m_ctx->avutil.av_rescale(MaxSilenceFillUs, rate, 1000000))
            m_ctx->pendingAudio.insert(m_ctx->pendingAudio.end(), size_t(gap), 0.0f);
        else if (gap > 0 && encodePendingAudio(PadPartialFrame))
            m_ctx->pendingAudioPts = startPts;
        // Sound arriving a little early is kept continuous rather than overlapped.
    }
    for (int i = skip; i < count; ++i)
        m_ctx->pendingAudio.push_back(pcm[i] / 32768.0f);
    m_ctx->audioFrames += count - skip;
    return encodePendingAudio(WholeFramesOnly);
}

bool MovieFileWriter::encodePendingAudio(AudioFlush flush)
{
    AVCodecContext *c = m_ctx->audio;
    const int frameSize = c->frame_size > 0 ? c->frame_size : 1024;
    const bool flushPartial = flush != WholeFramesOnly;
    // Only the very last frame may be short; any other partial frame is padded with silence.
    const bool smallLastFrame = flush == FinalFrame && (c->codec->capabilities & AV_CODEC_CAP_SMALL_LAST_FRAME);
    size_t used = 0;
    while (m_status == Writing) {
        const size_t left = m_ctx->pendingAudio.size() - used;
        if (left == 0 || (left < size_t(frameSize) && !flushPartial))
            break;
        const int samples = int(qMin(left, size_t(frameSize)));
        AVFrame *frame = m_ctx->audioFrame;
        m_ctx->avutil.av_frame_unref(frame);
        frame->format = c->sample_fmt;
        frame->sample_rate = c->sample_rate;
        frame->nb_samples = smallLastFrame ? samples : frameSize;
        m_ctx->avutil.av_channel_layout_copy(&frame->ch_layout, &c->ch_layout);
        int error = m_ctx->avutil.av_frame_get_buffer(frame, 0);
        if (error < 0) {
            fail(QStringLiteral("cannot allocate an audio frame"), error);
            return false;
        }
        auto *out = reinterpret_cast<float *>(frame->data[0]);
        std::copy(m_ctx->pendingAudio.begin() + qsizetype(used),
                  m_ctx->pendingAudio.begin() + qsizetype(used) + samples, out);
        std::fill(out + samples, out + frame->nb_samples, 0.0f);
        for (int ch = 1; ch < c->ch_layout.nb_channels; ++ch)
            std::copy(out, out + frame->nb_samples, reinterpret_cast<float *>(frame->data[ch]));
        // The encoder's packets start its priming samples before the frame's time. Packets go to the
        // muxer as they come (see sendAndDrain), which cannot shift the tracks by a negative time it
        // has not seen yet: the sound is handed over late by the priming instead, so its first packet
        // is at 0 and the sound plays the priming's length (23 ms) after the picture.
        frame->pts = m_ctx->pendingAudioPts + c->initial_padding;
        m_ctx->pendingAudioPts += samples;
        used += size_t(samples);
        if (!sendAndDrain(m_ctx->audioStream->index, false, frame))
            return false;
    }
    m_ctx->pendingAudio.erase(m_ctx->pendingAudio.begin(), m_ctx->pendingAudio.begin() + qsizetype(used));
    return m_status == Writing;
}

bool MovieFileWriter::sendAndDrain(int streamIndex, bool flush, void *frame)
{
    const bool isVideo = streamIndex == m_ctx->videoStream->index;
    AVCodecContext *c = isVideo ? m_ctx->video : m_ctx->audio;
    AVStream *stream = isVideo ? m_ctx->videoStream : m_ctx->audioStream;
    int error = m_ctx->avcodec.avcodec_send_frame(c, flush ? nullptr : static_cast<AVFrame *>(frame));
    if (error < 0 && !(flush && error == AVERROR_EOF)) {
        fail(isVideo ? QStringLiteral("the H.264 encoder refused a frame")
                     : QStringLiteral("the AAC encoder refused a frame"), error);
        return false;
    }
    AVPacket *packet = m_ctx->packet;
    for (;;) {
        error = m_ctx->avcodec.avcodec_receive_packet(c, packet);
        if (error == AVERROR(EAGAIN) || error == AVERROR_EOF)
            return true;
        if (error < 0) {
            fail(QStringLiteral("encoding failed"), error);
            return false;
        }
        m_ctx->avcodec.av_packet_rescale_ts(packet, c->time_base, stream->time_base);
        packet->stream_index = stream->index;
        if (isVideo ? !holdVideoPacket(packet) : !writePacket(packet))
            return false;
    }
}

bool MovieFileWriter::writePacket(AVPacket *packet)
{
    const bool isVideo = packet->stream_index == m_ctx->videoStream->index;
    if (!isVideo && !m_ctx->videoWritten) {
        AVPacket *waiting = m_ctx->avcodec.av_packet_alloc();
        if (!waiting) {
            m_ctx->avcodec.av_packet_unref(packet);
            fail(QStringLiteral("cannot allocate a packet"), AVERROR(ENOMEM));
            return false;
        }
        m_ctx->avcodec.av_packet_move_ref(waiting, packet);
        m_ctx->waitingAudio.push_back(waiting);
        return true;
    }
    if (!muxPacket(packet))
        return false;
    if (!isVideo || m_ctx->videoWritten)
        return true;
    m_ctx->videoWritten = true;
    return writeWaitingAudio();
}

bool MovieFileWriter::writeWaitingAudio()
{
    std::vector<AVPacket *> waiting;
    waiting.swap(m_ctx->waitingAudio);
    bool written = true;
    for (AVPacket *packet : waiting) {
        written = written && muxPacket(packet);
        m_ctx->avcodec.av_packet_free(&packet);
    }
    return written;
}

bool MovieFileWriter::muxPacket(AVPacket *packet)
{
    // On a negative time the muxer aborts the program, and a time not after the track's last one it
    // refuses with an error that would end the recording: such a packet is dropped instead. The time
    // stamps given to the encoders never lead to one.
    int64_t &lastDts = m_ctx->lastDts[packet->stream_index];
    if (packet->dts < 0 || (lastDts != AV_NOPTS_VALUE && packet->dts <= lastDts)) {
        qWarning("a packet of track %d at %lld after %lld is dropped", packet->stream_index,
                 static_cast<long long>(packet->dts), static_cast<long long>(lastDts));
        m_ctx->avcodec.av_packet_unref(packet);
        return true;
    }
    lastDts = packet->dts;
    // Straight to the muxer, not through its interleaving queue: the tracks of a fragment are stored
    // apart anyway, and a queue would hold back what a kill then loses.
    const int error = m_ctx->avformat.av_write_frame(m_ctx->format, packet);
    m_ctx->avcodec.av_packet_unref(packet);
    if (error < 0) {
        failOutput(error);
        return false;
    }
    // The packets of the open fragment wait in the muxer's memory: what reached the file ends with
    // a whole fragment.
    m_ctx->wholeFragmentsBytes = m_ctx->fileOffset();
    return true;
}

bool MovieFileWriter::writeFragment()
{
    const int error = m_ctx->avformat.av_write_frame(m_ctx->format, nullptr);
    if (error < 0) {
        failOutput(error);
        return false;
    }
    m_ctx->wholeFragmentsBytes = m_ctx->fileOffset();
    m_ctx->fileHasFrames = true;
    return true;
}

bool MovieFileWriter::holdVideoPacket(AVPacket *packet)
{
    // A picture lasts until the next one. Frames come at the camera's pace, not at a fixed rate: a
    // duration guessed from the nominal rate runs past an early next frame at a fragment's end, and
    // the muxer then breaks that frame's time stamps.
    if (!m_ctx->videoHeld && !m_ctx->videoWritten) {
        // Except the first: until it is in the file, the file is a header that nothing plays. It goes
        // at once, lasting a nominal frame, and the second frame is stamped at its end.
        packet->duration = m_ctx->nominalFrameDuration();
        return writePacket(packet) && writeFragment();
    }
    if (m_ctx->videoHeld) {
        m_ctx->heldVideo->duration = qMax<int64_t>(1, packet->dts - m_ctx->heldVideo->dts);
        if (!writeHeldVideo())
            return false;
    }
    m_ctx->avcodec.av_packet_move_ref(m_ctx->heldVideo, packet);
    m_ctx->videoHeld = true;
    return true;
}

bool MovieFileWriter::writeHeldVideo()
{
    if (!m_ctx->videoHeld)
        return true;
    AVPacket *held = m_ctx->heldVideo;
    if (held->duration <= 0)
        held->duration = m_ctx->nominalFrameDuration();
    m_ctx->videoHeld = false;
    // Each picture, with the sound encoded up to it, goes to the file in a fragment of its own as
    // soon as its length is known: a kill loses only the pictures still being encoded, and the file
    // plays from the first picture on.
    return writePacket(held) && writeFragment();
}

bool MovieFileWriter::finishWriting()
{
    QMutexLocker locker(&m_lock);
    if (m_status == Completed)
        return true;
    if (m_status != Writing && m_status != Failed)
        return false;
    if (!m_ctx || !m_ctx->headerWritten) {
        close();
        return false;
    }
    bool ok = m_status == Writing;
    if (ok) {
        ok = encodePendingAudio(FinalFrame) && sendAndDrain(m_ctx->audioStream->index, true, nullptr)
             && sendAndDrain(m_ctx->videoStream->index, true, nullptr) && writeHeldVideo();
    }
    // A movie that failed for another reason than its file still gets its trailer, so that it is as
    // complete as possible; the result stays a failure. After a failed write the file takes nothing
    // more: it is cut back to its last whole fragment when closed.
    if (!m_ctx->outputFailed) {
        const int error = m_ctx->avformat.av_write_trailer(m_ctx->format);
        if (error < 0) {
            m_ctx->outputFailed = true;
            if (ok)
                fail(QStringLiteral("cannot complete %1").arg(m_path), error);
        }
    }
    if (!close() && ok && m_status == Writing)
        fail(QStringLiteral("cannot close %1").arg(m_path), AVERROR(EIO));
    if (m_status == Writing)
        m_status = Completed;
    return m_status == Completed;
}

void MovieFileWriter::cancelWriting()
{
    QMutexLocker locker(&m_lock);
    if (m_status != Writing && m_status != Failed && m_status != Unknown)
        return;
    close();
    m_status = Cancelled;
}

bool MovieFileWriter::close()
{
    if (!m_ctx || !m_ctx->fileOpen)
        return true;
    const bool closed = m_ctx->avformat.avio_closep(&m_ctx->format->pb) >= 0;
    m_ctx->fileOpen = false;
    // A file that never received a frame plays nothing, and its name would refuse the next try (a
    // disk full from the very start): it goes. It is ours: an existing file is never opened.
    if (!m_ctx->fileHasFrames) {
        if (!QFile::remove(m_path))
            qWarning("cannot remove the empty movie %s", qUtf8Printable(m_path));
    } else if (m_ctx->outputFailed || !closed) {
        cutBackToWholeFragments();
    }
    return closed;
}

void MovieFileWriter::cutBackToWholeFragments()
{
    // A write that failed part way through a fragment (a full disk) left its beginning behind, and
    // players report the whole file as damaged: it ends with the last whole fragment instead.
    if (!QFile::resize(m_path, m_ctx->wholeFragmentsBytes))
        qWarning("cannot cut the movie %s back to its last whole fragment", qUtf8Printable(m_path));
}

void MovieFileWriter::failOutput(int avError)
{
    m_ctx->outputFailed = true;
    fail(QStringLiteral("cannot write to %1").arg(m_path), avError);
}

void MovieFileWriter::fail(const QString &what, int avError)
{
    m_error = avError ? QStringLiteral("%1: %2").arg(what, FfmpegLibrary::errorText(avError)) : what;
    m_status = Failed;
}

MovieFileWriter::Status MovieFileWriter::status() const
{
    QMutexLocker locker(&m_lock);
    return m_status;
}

QString MovieFileWriter::errorString() const
{
    QMutexLocker locker(&m_lock);
    return m_error;
}

qint64 MovieFileWriter::videoFramesWritten() const
{
    QMutexLocker locker(&m_lock);
    return m_ctx ? m_ctx->videoFrames : 0;
}

qint64 MovieFileWriter::audioFramesWritten() const
{
    QMutexLocker locker(&m_lock);
    return m_ctx ? m_ctx->audioFrames : 0;
}

} // namespace platform
