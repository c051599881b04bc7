#include "resolutionmemory.h"

#include "common/settingspath.h"

#include <QSettings>

QString ResolutionMemory::videoFormateToString(int codec)
{
    static const char *const names[] = {"RGB32", "RGB888", "YUV444", "YUV422", "YUV420",
                                        "YUY2",  "MJPG",   "H264",   "UYVY"};
    if (codec < 0 || codec >= int(sizeof(names) / sizeof(names[0])))
        return QStringLiteral("OTHER");
    return QString::fromLatin1(names[codec]);
}

int ResolutionMemory::getMinValue(const QList<int> &values)
{
    if (values.isEmpty())
        return -1;
    int result = values.first();
    for (int value : values) {
        if (result < 480)
            result = value;
        else if (value >= 480 && value <= result)
            result = value;
    }
    return result;
}

int ResolutionMemory::defaultFps(float sensorMode)
{
    if (sensorMode == 1.0f)
        return 60;
    if (sensorMode == 2.0f)
        return 15;
    return DefaultFps;
}

int ResolutionMemory::preferredWidth(float sensorMode)
{
    return sensorMode == 2.0f ? 640 : DefaultWidth;
}

QString ResolutionMemory::orderName(int order)
{
    if (order == 1)
        return QStringLiteral("First");
    if (order == 2)
        return QStringLiteral("Second");
    return QString();
}

ResolutionMemory::Mode ResolutionMemory::load(bool makerCamera, int order, float sensorMode)
{
    Mode mode;
    const QString name = orderName(order);
    if (name.isEmpty())
        return mode;
    QSettings settings(_GUID_SETTING_INI, QSettings::IniFormat);
    if (makerCamera) {
        mode.width = settings.value(QStringLiteral("Resolution/%1Width").arg(name), DefaultWidth).toInt();
        mode.height = settings.value(QStringLiteral("Resolution/%1Height").arg(name), DefaultHeight).toInt();
        // The group is spelled so in every settings file written so far.
        mode.fps = settings.value(QStringLiteral("Framrate/Fps%1").arg(name), defaultFps(sensorMode)).toInt();
        mode.format = settings.value(QStringLiteral("Format/Format%1").arg(name), mode.format).toString();
    } else {
        mode.width = settings.value(QStringLiteral("Resolution/Qorv%1Width").arg(name), DefaultWidth).toInt();
        mode.height = settings.value(QStringLiteral("Resolution/Qorv%1Height").arg(name), DefaultHeight).toInt();
        mode.format = settings.value(QStringLiteral("Format/QorvFormat%1").arg(name), mode.format).toString();
    }
    return mode;
}

void ResolutionMemory::save(bool makerCamera, int order, const Mode &mode)
{
    const QString name = orderName(order);
    if (name.isEmpty())
        return;
    QSettings settings(_GUID_SETTING_INI, QSettings::IniFormat);
    if (makerCamera) {
        settings.setValue(QStringLiteral("Resolution/%1Width").arg(name), mode.width);
        settings.setValue(QStringLiteral("Resolution/%1Height").arg(name), mode.height);
        settings.setValue(QStringLiteral("Framrate/Fps%1").arg(name), mode.fps);
        settings.setValue(QStringLiteral("Format/Format%1").arg(name), mode.format);
    } else {
        settings.setValue(QStringLiteral("Resolution/Qorv%1Width").arg(name), mode.width);
        settings.setValue(QStringLiteral("Resolution/Qorv%1Height").arg(name), mode.height);
        settings.setValue(QStringLiteral("Format/QorvFormat%1").arg(name), mode.format);
    }
}

bool ResolutionMemory::matches(const VideoFormat &format, const Mode &remembered)
{
    return videoFormateToString(format.codecType) == remembered.format
           && format.width == remembered.width && format.height == remembered.height;
}

ResolutionMemory::Choice ResolutionMemory::withRememberedFps(const VideoFormat &format, int fps)
{
    Choice choice;
    choice.formatIndex = format.index;
    choice.fps = format.frameRates.contains(static_cast<unsigned int>(fps)) ? fps : format.frameRate;
    return choice;
}

ResolutionMemory::Choice ResolutionMemory::withCurrentFps(const VideoFormat &format)
{
    Choice choice;
    choice.formatIndex = format.index;
    choice.fps = format.frameRate;
    return choice;
}

ResolutionMemory::Choice ResolutionMemory::chooseForMaker(const QList<VideoFormat> &formats,
                                                          const Mode &remembered, float sensorMode)
{
    if (formats.isEmpty())
        return Choice();
    const int width = preferredWidth(sensorMode);
    int fallback = 0;
    for (int i = 0; i < formats.size(); ++i) {
        const VideoFormat &format = formats.at(i);
        if (format.codecType == MjpgCodec && format.width == width && format.height == DefaultHeight)
            fallback = i;
        if (matches(format, remembered))
            return withRememberedFps(format, remembered.fps);
    }
    for (const VideoFormat &format : formats) {
        if (videoFormateToString(format.codecType) == remembered.format && format.width == width
            && format.height == DefaultHeight) {
            return withRememberedFps(format, remembered.fps);
        }
    }
    return withRememberedFps(formats.at(fallback), remembered.fps);
}

ResolutionMemory::Choice ResolutionMemory::chooseForOther(const QList<VideoFormat> &formats,
                                                          const Mode &remembered)
{
    QList<int> heights;
    for (const VideoFormat &format : formats) {
        if (format.codecType == MjpgCodec)
            heights.append(format.height);
        if (matches(format, remembered))
            return withCurrentFps(format);
    }
    for (const VideoFormat &format : formats) {
        if (format.codecType == MjpgCodec && format.width == DefaultWidth && format.height == DefaultHeight)
            return withCurrentFps(format);
    }
    const int height = getMinValue(heights);
    if (height < 0)
        return Choice();
    for (const VideoFormat &format : formats) {
        if (format.codecType == MjpgCodec && format.height == height)
            return withCurrentFps(format);
    }
    return Choice();
}

ResolutionMemory::Choice ResolutionMemory::choose(const QList<VideoFormat> &formats, const Mode &remembered,
                                                  bool makerCamera, float sensorMode)
{
    return makerCamera ? chooseForMaker(formats, remembered, sensorMode)
                       : chooseForOther(formats, remembered);
}

ResolutionMemory::Mode ResolutionMemory::parseShownValues(const QString &format, const QString &fps,
                                                          const QString &resolution)
{
    Mode mode;
    const int separator = resolution.indexOf(QLatin1String(" x "));
    mode.width = resolution.left(separator < 0 ? resolution.size() : separator).trimmed().toInt();
    mode.height = separator < 0 ? 0 : resolution.mid(separator + 3).trimmed().toInt();
    const int fpsEnd = fps.indexOf(QLatin1String("fps"));
    mode.fps = fps.left(fpsEnd < 0 ? fps.size() : fpsEnd).trimmed().toInt();
    mode.format = format;
    return mode;
}
