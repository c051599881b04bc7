#include "encoding/ffmpeglogbridge.h"

#include <QByteArray>
#include <QMessageLogger>

#include <algorithm>
#include <atomic>
#include <climits>

namespace platform {

namespace {

Q_LOGGING_CATEGORY(lcFfmpeg, "lumidesk.ffmpeg", QtWarningMsg)

// FFmpeg's own limit for one formatted piece is larger, but no message worth reading is this long.
constexpr int PieceBufferSize = 4096;
// A line that never ends (a stream of pieces without '\n') is logged in parts of this length.
constexpr int LongestLine = 16384;

// A line is often written in several pieces (the prefix, then the text, or a table cell by cell),
// and pieces of different threads must not mix: each thread assembles its own.
struct PendingLine
{
    QByteArray text;
    int level = INT_MAX;
    int printPrefix = 1;
};

thread_local PendingLine pending;

// Set before FFmpeg is given the callback, so the callback always finds it.
std::atomic<const FfmpegLibrary::Util *> installedFunctions{nullptr};

void emitLine(QByteArray line, int level)
{
    while (line.endsWith('\r'))
        line.chop(1);
    if (line.trimmed().isEmpty())
        return;
    // Control characters from a stream or a file name never reach the log or the terminal.
    std::replace_if(line.begin(), line.end(), [](char c) { return uchar(c) < 0x20 && c != '\t'; }, '?');
    const QtMsgType type = FfmpegLogBridge::messageTypeFor(level);
    const QLoggingCategory &category = FfmpegLogBridge::category();
    if (!category.isEnabled(type))
        return;
    QMessageLogger logger(nullptr, 0, nullptr, category.categoryName());
    switch (type) {
    case QtCriticalMsg:
    case QtFatalMsg:
        logger.critical("%s", line.constData());
        break;
    case QtWarningMsg:
        logger.warning("%s", line.constData());
        break;
    case QtInfoMsg:
        logger.info("%s", line.constData());
        break;
    case QtDebugMsg:
        logger.debug("%s", line.constData());
        break;
    }
}

QByteArray formatPiece(void *context, int level, const char *format, va_list args)
{
    char buffer[PieceBufferSize];
    va_list copy;
    va_copy(copy, args);
    const int length = installedFunctions.load()->av_log_format_line2(context, level, format, copy, buffer,
                                                                      sizeof buffer, &pending.printPrefix);
    va_end(copy);
    if (length < 0)
        return QByteArray();
    // Longer than the buffer: the piece was cut, and its end of line with it (printPrefix still
    // tells whether the line ended).
    return QByteArray(buffer, std::min(length, PieceBufferSize - 1));
}

} // namespace

void FfmpegLogBridge::install(const FfmpegLibrary::Util &functions)
{
    installedFunctions.store(&functions);
    functions.av_log_set_callback(&FfmpegLogBridge::receive);
}

QtMsgType FfmpegLogBridge::messageTypeFor(int ffmpegLevel)
{
    if (ffmpegLevel <= AV_LOG_ERROR)
        return QtCriticalMsg;
    if (ffmpegLevel <= AV_LOG_WARNING)
        return QtWarningMsg;
    if (ffmpegLevel <= AV_LOG_INFO)
        return QtInfoMsg;
    return QtDebugMsg;
}

const QLoggingCategory &FfmpegLogBridge::category()
{
    return lcFfmpeg();
}

void FfmpegLogBridge::receive(void *context, int level, const char *format, va_list args)
{
    // The high byte may carry a colour for FFmpeg's own terminal output.
    if (level >= 0)
        level &= 0xff;
    // As FFmpeg's own output does: a level above the one FFmpeg was set to is not shown.
    if (level > installedFunctions.load()->av_log_get_level())
        return;
    // Most pieces are statistics nobody asked for: they are not even formatted.
    if (pending.text.isEmpty() && !category().isEnabled(messageTypeFor(level)))
        return;

    pending.text += formatPiece(context, level, format, args);
    pending.level = std::min(pending.level, level);
    int start = 0;
    for (int end = pending.text.indexOf('\n'); end >= 0; end = pending.text.indexOf('\n', start)) {
        emitLine(pending.text.mid(start, end - start), pending.level);
        start = end + 1;
    }
    pending.text.remove(0, start);
    // The rest of a cut piece whose line ended, or a line that goes on and on.
    if (!pending.text.isEmpty() && (pending.printPrefix || pending.text.size() >= LongestLine)) {
        emitLine(pending.text, pending.level);
        pending.text.clear();
    }
    if (pending.text.isEmpty())
        pending.level = INT_MAX;
}

} // namespace platform
