#include "streamregistry.h"

#include <QHash>
#include <QMutex>
#include <QMutexLocker>

#include <chrono>

namespace {

struct PublisherState {
    bool streaming = false;
    bool pending = false;
    qint64 holdUntilMs = 0;
};

QMutex &registryMutex()
{
    static QMutex mutex;
    return mutex;
}

QHash<const void *, PublisherState> &registry()
{
    static QHash<const void *, PublisherState> states;
    return states;
}

} // namespace

void StreamRegistry::add(const void *publisher)
{
    QMutexLocker locker(&registryMutex());
    registry().insert(publisher, PublisherState());
}

void StreamRegistry::remove(const void *publisher)
{
    QMutexLocker locker(&registryMutex());
    registry().remove(publisher);
}

void StreamRegistry::setStreaming(const void *publisher, bool streaming)
{
    QMutexLocker locker(&registryMutex());
    auto it = registry().find(publisher);
    if (it == registry().end())
        return;
    it->streaming = streaming;
    if (streaming)
        it->holdUntilMs = 0;
}

void StreamRegistry::setPending(const void *publisher, bool pending)
{
    QMutexLocker locker(&registryMutex());
    auto it = registry().find(publisher);
    if (it != registry().end())
        it->pending = pending;
}

void StreamRegistry::holdUntil(const void *publisher, qint64 steadyMs)
{
    QMutexLocker locker(&registryMutex());
    auto it = registry().find(publisher);
    if (it != registry().end())
        it->holdUntilMs = steadyMs;
}

bool StreamRegistry::anyStreaming()
{
    const qint64 now = nowMs();
    QMutexLocker locker(&registryMutex());
    for (const PublisherState &state : qAsConst(registry())) {
        if (state.streaming || state.holdUntilMs > now)
            return true;
    }
    return false;
}

bool StreamRegistry::anyPending()
{
    QMutexLocker locker(&registryMutex());
    for (const PublisherState &state : qAsConst(registry())) {
        if (state.pending)
            return true;
    }
    return false;
}

qint64 StreamRegistry::nowMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}
