#pragma once

#include "pushwireglobal.h"

// Once a second the network thread reports what it sent and what it had to drop; the monitor turns
// that into the upload figures, the slow-upload warning and the export frame rate. Lowering the rate
// lowers the encoder's bit rate as well, which is what lets a slow uplink catch up.
class PUSHWIRE_EXPORT UploadMonitor
{
public:
    static constexpr int MinimumFps = 10;
    static constexpr int FpsStep = 5;
    static constexpr int SlowSecondsToLower = 2;
    static constexpr int GoodSecondsToHideWarning = 5;
    static constexpr int GoodSecondsToRaise = 10;
    static constexpr qint64 SlowBacklogMs = 1000;

    struct Report {
        int kbps = 0;
        int fps = 0;
        bool warningChanged = false;
        bool warning = false;
        bool fpsChanged = false;
        int exportFps = 0;
    };

    explicit UploadMonitor(int levelFps = 30);

    void reset(int levelFps);
    Report second(qint64 bytesSent, int videoFramesSent, int dropped, qint64 backlogMs);
    int exportFps() const { return m_exportFps; }
    bool warning() const { return m_warning; }

private:
    int m_levelFps;
    int m_exportFps;
    bool m_warning = false;
    int m_slowSeconds = 0;
    int m_goodSeconds = 0;
};
