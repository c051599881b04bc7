#include "uploadmonitor.h"

#include <QtGlobal>

UploadMonitor::UploadMonitor(int levelFps)
    : m_levelFps(levelFps)
    , m_exportFps(levelFps)
{
}

void UploadMonitor::reset(int levelFps)
{
    *this = UploadMonitor(levelFps);
}

UploadMonitor::Report UploadMonitor::second(qint64 bytesSent, int videoFramesSent, int dropped,
                                            qint64 backlogMs)
{
    Report report;
    report.kbps = int(qBound<qint64>(0, bytesSent * 8 / 1000, 0x7fffffff));
    report.fps = videoFramesSent;

    const bool slow = dropped > 0 || backlogMs > SlowBacklogMs;
    if (slow) {
        m_goodSeconds = 0;
        ++m_slowSeconds;
        if (!m_warning) {
            m_warning = true;
            report.warningChanged = true;
        }
        if (m_slowSeconds >= SlowSecondsToLower) {
            m_slowSeconds = 0;
            const int lowered = qMax(MinimumFps, m_exportFps - FpsStep);
            if (lowered != m_exportFps) {
                m_exportFps = lowered;
                report.fpsChanged = true;
            }
        }
    } else {
        m_slowSeconds = 0;
        ++m_goodSeconds;
        if (m_warning && m_goodSeconds >= GoodSecondsToHideWarning) {
            m_warning = false;
            report.warningChanged = true;
        }
        if (m_goodSeconds >= GoodSecondsToRaise && m_exportFps < m_levelFps) {
            m_goodSeconds = 0;
            m_exportFps = qMin(m_levelFps, m_exportFps + FpsStep);
            report.fpsChanged = true;
        }
    }
    report.warning = m_warning;
    report.exportFps = m_exportFps;
    return report;
}
