#pragma once

#include <QSignalSpy>
#include <QTimer>

// Waits until a timer of ms, started now, has fired. Every timer of this thread due earlier has fired
// by then, however late a busy machine runs them: what has not happened by then was not going to
// happen in that time, so an absence check built on it proves itself.
inline bool waitPast(int ms)
{
    QTimer marker;
    marker.setSingleShot(true);
    marker.setTimerType(Qt::PreciseTimer);
    QSignalSpy fired(&marker, &QTimer::timeout);
    marker.start(ms);
    return fired.wait(ms + 60000);
}
