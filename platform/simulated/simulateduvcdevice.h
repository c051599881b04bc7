#pragma once

#include "simulated/simulateduvccontrol.h"
#include "usb/usbcontrolrequest.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QMutex>

#include <functional>

namespace platform {

// The video-control interface of a virtual UVC camera: its units and controls, the configuration
// descriptor that names them, a log of every request it saw, and failures on demand.
class SimulatedUvcDevice
{
public:
    enum Request : quint8 {
        SetCur = 0x01,
        GetCur = 0x81,
        GetMin = 0x82,
        GetMax = 0x83,
        GetRes = 0x84,
        GetLen = 0x85,
        GetInfo = 0x86,
        GetDef = 0x87,
    };

    struct LoggedRequest
    {
        UsbControlRequest request; // data as sent (OUT) or as answered (IN)
        bool accepted = false;
    };

    SimulatedUvcDevice();
    SimulatedUvcDevice(const SimulatedUvcDevice &) = delete;
    SimulatedUvcDevice &operator=(const SimulatedUvcDevice &) = delete;

    void addControl(const SimulatedUvcControl &control);
    void removeControl(quint8 unit, quint8 selector);
    bool hasControl(quint8 unit, quint8 selector) const;
    SimulatedUvcControl control(quint8 unit, quint8 selector) const;
    QByteArray current(quint8 unit, quint8 selector) const;
    void setCurrent(quint8 unit, quint8 selector, const QByteArray &value);

    quint8 interfaceNumber() const { return 0; }
    quint8 terminalUnitId() const;
    quint8 processingUnitId() const;
    // Moves every control of the processing unit to a new unit id; the descriptor follows.
    void setProcessingUnitId(quint8 unitId);
    QList<quint8> extensionUnitIds() const;

    // The processing unit's bmControls as the descriptor reports it: by default one bit for each
    // processing-unit control present; a forced mask lets a test describe a control as absent.
    quint16 processingControlsMask() const;
    void forceProcessingControlsMask(quint16 mask);

    // Configuration descriptor 0 built from the units, unless one was set (fixtures, broken devices).
    QByteArray configurationDescriptor() const;
    void setConfigurationDescriptor(const QByteArray &descriptor);

    // Answers one request as the device would; false is a stall.
    bool handle(UsbControlRequest &request);

    // Told of every value the host set (unit and selector), once the device has taken it, so that
    // controls that move others (a zoom resizes the region of interest) can follow. Not told of the
    // test side's setCurrent().
    using ChangeObserver = std::function<void(quint8 unit, quint8 selector)>;
    void setChangeObserver(ChangeObserver observer);

    QList<LoggedRequest> requestLog() const;
    void clearRequestLog();

    // Lets `after` requests pass, then refuses the next `count`.
    void failNextRequests(int count, int after = 0);
    void setControlFailing(quint8 unit, quint8 selector, bool failing);
    void setAllFailing(bool failing);

    static int processingControlBit(quint8 selector); // -1 for selectors without a bit

private:
    static int key(quint8 unit, quint8 selector) { return unit << 8 | selector; }
    bool answer(UsbControlRequest &request);
    bool answerSet(SimulatedUvcControl &control, const UsbControlRequest &request);
    QByteArray builtDescriptor() const;

    mutable QMutex m_mutex;
    QMap<int, SimulatedUvcControl> m_controls;
    quint8 m_terminalUnitId = 1;
    quint8 m_processingUnitId = 2;
    QList<quint8> m_extensionUnitIds{5, 6};
    bool m_maskForced = false;
    quint16 m_forcedMask = 0;
    bool m_descriptorSet = false;
    QByteArray m_descriptor;
    QList<LoggedRequest> m_log;
    int m_failNext = 0;
    int m_passBeforeFailing = 0;
    bool m_allFailing = false;
    QList<int> m_failingControls;
    ChangeObserver m_changeObserver;
};

} // namespace platform
