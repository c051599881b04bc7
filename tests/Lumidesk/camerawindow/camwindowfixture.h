#pragma once

// What the camera-window feature tests share: simulated cameras plugged as a test needs them, a window
// shown on one, and readers for what the window sends and shows.

#include "camera/generalcamera.h"
#include "camerawindow/cameramainwidget.h"
#include "capture/previewlayer.h"
#include "capture/qorvframesource.h"
#include "capture/qorvframesourceimpl.h"
#include "common/settingspath.h"
#include "notificationdialog.h"
#include "core/platformbackend.h"
#include "manager/doccammanager.h"
#include "simulated/simulatedcamera.h"
#include "simulated/simulatedcameras.h"
#include "simulated/simulateduvccontrol.h"
#include "windowprobes.h"
#include "waitpast.h"

#include <QLabel>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

#include <cstring>
#include <memory>

namespace camwindow {

using platform::SimulatedCamera;
using platform::SimulatedCameras;

constexpr quint16 Maker = SimulatedCamera::MakerVendorId;
constexpr quint8 RoiUnit = 6;
constexpr quint8 RoiSelector = 0x0f;

inline quint32 locationFor(int position)
{
    return 0x05100000u + quint32(position) * 0x00100000u;
}

// A maker camera with every control, at the location of the given position.
inline QSharedPointer<SimulatedCamera> makeCamera(int position, quint16 product, const QString &name)
{
    return SimulatedCamera::makeStandard(product, locationFor(position), name);
}

// Replaces the connected cameras by the given ones, in order.
inline void plugOnly(const QList<QSharedPointer<SimulatedCamera>> &cameras)
{
    SimulatedCameras *all = SimulatedCameras::instance();
    for (const auto &camera : all->cameras())
        all->unplug(camera->info().uniqueId);
    for (const auto &camera : cameras)
        all->plug(camera);
}

inline GeneralCamera *generalCamera(const QSharedPointer<SimulatedCamera> &simulated)
{
    for (GeneralCamera *each : DocCamManager::getDocCamManager()->queryCameras(false)) {
        if (each->getLocationID() == simulated->info().locationId)
            return each;
    }
    return nullptr;
}

inline std::unique_ptr<CameraMainWidget> makeWindow(int order = 1)
{
    auto window = std::make_unique<CameraMainWidget>();
    window->setCameraOrder(order);
    window->setGeometry(200, 150, 700, 460);
    window->show();
    return window;
}

// The payloads sent to the phone under one id, as 32-bit integers.
inline QList<QList<qint32>> sentInts(const QSignalSpy &spy, quint32 id)
{
    QList<QList<qint32>> sent;
    for (const QList<QVariant> &call : spy) {
        if (call.at(0).toUInt() != id)
            continue;
        const QByteArray payload = call.at(1).toByteArray();
        QList<qint32> values;
        for (int offset = 0; offset + 4 <= payload.size(); offset += 4) {
            qint32 value = 0;
            std::memcpy(&value, payload.constData() + offset, 4);
            values.append(value);
        }
        sent.append(values);
    }
    return sent;
}

// Waits until everything queued before the call has run (queued calls run in order).
inline bool drainQueued()
{
    bool ran = false;
    QObject marker;
    QMetaObject::invokeMethod(&marker, [&ran] { ran = true; }, Qt::QueuedConnection);
    return QTest::qWaitFor([&ran] { return ran; }, 60000);
}

// Frames the window's preview has been given so far.
inline quint64 shownFrames(const CameraMainWidget &window)
{
    QorvFrameSource *source = window.frameSource();
    QorvFrameSourceImpl *impl = source ? source->getSourceImpl() : nullptr;
    PreviewLayer *layer = impl ? impl->previewLayer() : nullptr;
    return layer ? layer->feed()->shownFrameCount() : 0;
}

// Waits until the camera has given the preview this many more frames.
inline bool waitForFrames(const CameraMainWidget &window, quint64 more)
{
    const quint64 start = shownFrames(window);
    return QTest::qWaitFor([&] { return shownFrames(window) >= start + more; }, 60000);
}

inline QByteArray roiBytes(quint16 top, quint16 left, quint16 bottom, quint16 right)
{
    return platform::SimulatedUvcControl::bytes(top, 2) + platform::SimulatedUvcControl::bytes(left, 2)
           + platform::SimulatedUvcControl::bytes(bottom, 2) + platform::SimulatedUvcControl::bytes(right, 2);
}

inline uvcx_roi_control_t roiOf(const QByteArray &bytes)
{
    uvcx_roi_control_t roi;
    std::memcpy(&roi, bytes.constData(), qMin<int>(bytes.size(), sizeof(roi)));
    return roi;
}

// The camera's region of interest: its range given as the largest and the smallest window, and where
// it is now.
inline void setRoi(const QSharedPointer<SimulatedCamera> &camera, const QByteArray &maximum,
                   const QByteArray &minimum, const QByteArray &current)
{
    platform::SimulatedUvcControl control = camera->uvc().control(RoiUnit, RoiSelector);
    control.maximum = maximum;
    control.minimum = minimum;
    control.current = current;
    camera->uvc().removeControl(RoiUnit, RoiSelector);
    camera->uvc().addControl(control);
}

inline int roiWrites(const QSharedPointer<SimulatedCamera> &camera)
{
    int writes = 0;
    for (const auto &logged : camera->uvc().requestLog()) {
        const auto &request = logged.request;
        if (request.bRequest == 0x01 && (request.wValue >> 8) == RoiSelector && (request.wIndex >> 8) == RoiUnit)
            ++writes;
    }
    return writes;
}

} // namespace camwindow
