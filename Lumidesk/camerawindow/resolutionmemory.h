#pragma once

#include "camera/videoformat.h"

#include <QList>
#include <QString>

// What a camera window remembers of the video mode it last used, per window order ("First" or
// "Second") and per kind of camera (the maker's own, or any other), and the rule that picks the format
// to apply from a camera's list when the remembered one is not offered. Pure functions over the
// settings file, so that the window and its tests share one rule.
class ResolutionMemory
{
public:
    static constexpr int DefaultWidth = 848;
    static constexpr int DefaultHeight = 480;
    static constexpr int DefaultFps = 30;
    static constexpr int MjpgCodec = 6;

    struct Mode
    {
        int width = DefaultWidth;
        int height = DefaultHeight;
        int fps = DefaultFps;
        QString format = QStringLiteral("MJPG");
    };

    // The format to apply: formatIndex is the camera's own format index; -1 means apply nothing.
    struct Choice
    {
        int formatIndex = -1;
        int fps = 0;
        bool isValid() const { return formatIndex >= 0; }
    };

    static QString videoFormateToString(int codec);
    // The smallest value of 480 or more when there is one, else the last value; -1 for an empty list.
    static int getMinValue(const QList<int> &values);
    // By the camera's sensor mode: 1 runs at 60 frames per second, 2 at 15, everything else at 30.
    static int defaultFps(float sensorMode);
    // The width the maker's cameras fall back to: 640 in sensor mode 2, else 848.
    static int preferredWidth(float sensorMode);

    // Reads the remembered mode; orders other than 1 and 2 give the defaults. Other cameras keep no
    // frame rate and always run at 30.
    static Mode load(bool makerCamera, int order, float sensorMode);
    // Writes the keys of the order (nothing for orders other than 1 and 2). Other cameras store no
    // frame rate.
    static void save(bool makerCamera, int order, const Mode &mode);

    static Choice choose(const QList<VideoFormat> &formats, const Mode &remembered, bool makerCamera,
                         float sensorMode);

    // "1920 x 1080" and "30fps" as the settings dialog shows them; parts that are not numbers give 0.
    static Mode parseShownValues(const QString &format, const QString &fps, const QString &resolution);

private:
    static QString orderName(int order);
    static bool matches(const VideoFormat &format, const Mode &remembered);
    static Choice withRememberedFps(const VideoFormat &format, int fps);
    static Choice withCurrentFps(const VideoFormat &format);
    static Choice chooseForMaker(const QList<VideoFormat> &formats, const Mode &remembered,
                                 float sensorMode);
    static Choice chooseForOther(const QList<VideoFormat> &formats, const Mode &remembered);
};
