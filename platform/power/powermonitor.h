#pragma once

#include <QObject>

namespace platform {

// System sleep and wake.
class PowerMonitor : public QObject
{
    Q_OBJECT

public:
    // The process-wide instance of the chosen backend, made on first use. The Linux one returns at once
    // and starts listening from the event loop.
    static PowerMonitor *instance();

    ~PowerMonitor() override = default;

signals:
    void aboutToSleep();
    void woke();

protected:
    using QObject::QObject;
};

} // namespace platform
