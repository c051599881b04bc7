// The main program's logging as it starts (the log system at a threshold given as the argument, its
// message handler), then FFmpeg at work: the live H.264 encoder opened (libx264 announces itself at
// information level) and messages of a context of its own at each level. The log's records go to the
// standard output, so that what reaches standard error is only what the handler passes on there.
#include "common/lumidesklog.h"
#include "encoding/h264liveencoder.h"
#include "journix.h"
#include "syslogger.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstdlib>

extern "C" {
#include <libavutil/log.h>
}

namespace {

class StandardOutputLogger : public SysLogger
{
public:
    bool open() override { return true; }
    void close() override {}
    void write(const QByteArray &line) override
    {
        std::fwrite(line.constData(), 1, size_t(line.size()), stdout);
        std::fflush(stdout);
    }
};

AVClass probeClass()
{
    AVClass avClass{};
    avClass.class_name = "probe";
    avClass.item_name = av_default_item_name;
    avClass.version = LIBAVUTIL_VERSION_INT;
    return avClass;
}

const AVClass ProbeClass = probeClass();

struct ProbeContext
{
    const AVClass *avClass = &ProbeClass;
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    const int threshold = argc > 1 ? std::atoi(argv[1]) : 4;

    StandardOutputLogger logger;
    Journix *journix = Journix::getSysJournix();
    journix->setLogLevel(threshold);
    journix->setLogger(&logger);
    journix->startLog();
    _LumideskLog::installMessageHandler(threshold);

    platform::H264LiveEncoder encoder;
    if (!encoder.open({64, 64, 30}))
        return 2;
    encoder.close();

    ProbeContext context;
    av_log(&context, AV_LOG_ERROR, "an error %d\n", 16);
    av_log(&context, AV_LOG_WARNING, "a warning ");
    av_log(&context, AV_LOG_WARNING, "in %s\n", "two pieces");
    av_log(&context, AV_LOG_WARNING, "two lines\nin one call\n");
    av_log(&context, AV_LOG_WARNING, "a bell\a and a %s\n", "\033[31mcolour");
    av_log(&context, AV_LOG_INFO, "some news\n");
    av_log(&context, AV_LOG_DEBUG, "a detail\n");

    _LumideskLog::removeMessageHandler();
    journix->stopLog();
    journix->setLogger(nullptr);
    return 0;
}
