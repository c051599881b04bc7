#include "toolbar/elapsedcounter.h"

#include <chrono>

void ElapsedCounter::start()
{
    m_countedMs = 0;
    m_runSince = now();
    m_running = true;
}

void ElapsedCounter::pause()
{
    if (!m_running)
        return;
    m_countedMs += now() - m_runSince;
    m_running = false;
}

void ElapsedCounter::resume()
{
    if (m_running)
        return;
    m_runSince = now();
    m_running = true;
}

void ElapsedCounter::stop()
{
    m_countedMs = 0;
    m_running = false;
}

int ElapsedCounter::seconds() const
{
    const qint64 ms = m_countedMs + (m_running ? now() - m_runSince : 0);
    return int(ms / 1000);
}

qint64 ElapsedCounter::now() const
{
    if (m_clock && *m_clock)
        return (*m_clock)();
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}
