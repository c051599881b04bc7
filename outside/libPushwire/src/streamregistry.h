#pragma once

#include <QtGlobal>

// The busy state of every publisher of the process: a camera window and the toolbar each have their
// own publisher, and only one stream may run on the machine at a time.
class StreamRegistry
{
public:
    static void add(const void *publisher);
    static void remove(const void *publisher);
    static void setStreaming(const void *publisher, bool streaming);
    static void setPending(const void *publisher, bool pending);
    // A dropped connection keeps the publisher busy while its owner waits to restart it, so that no
    // other stream slips in between.
    static void holdUntil(const void *publisher, qint64 steadyMs);

    static bool anyStreaming();
    static bool anyPending();

    static qint64 nowMs();
};
