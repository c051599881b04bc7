#pragma once

#include <QMutex>
#include <QRectF>
#include <QtGlobal>

namespace platform {

class SimulatedUvcDevice;

// The optics of a virtual camera: which part of the desk its picture shows, worked out from its UVC
// controls as a real camera does it, within the ranges the camera declares.
// - Zoom absolute magnifies from 1x at its minimum to MaxMagnification at its maximum. On a camera
//   with a region of interest a new zoom resizes that region about its centre, so that the region
//   the host reads back is the window it sees.
// - The region of interest, where the camera has one (its default holds no 0xFFFF), is the window
//   into the sensor the picture shows; the host moves it to pan a zoomed picture.
// - Pan and tilt absolute turn the camera: at the end of their range the view has moved by half a
//   picture. Pan-tilt relative starts that turn at the speed it gives and stops it with zeros.
// The view is a rectangle in fractions of the unzoomed, unturned picture (SimulatedFrameGenerator).
class SimulatedCameraView
{
public:
    static constexpr double MaxMagnification = 4.0;
    // Arc-seconds a second for each step of the relative speed.
    static constexpr int TurnRatePerSpeed = 3600;

    explicit SimulatedCameraView(SimulatedUvcDevice &uvc);
    SimulatedCameraView(const SimulatedCameraView &) = delete;
    SimulatedCameraView &operator=(const SimulatedCameraView &) = delete;

    // The view now; first moves pan and tilt on by the time a relative turn has run. Any thread.
    QRectF view();
    // The host set this control (SimulatedUvcDevice's change observer).
    void controlChanged(quint8 unit, quint8 selector);

    static double magnification(qint64 zoom, qint64 minimum, qint64 maximum);

private:
    struct Region
    {
        int top, left, bottom, right;
    };

    bool hasRegion() const;
    bool readRegion(Region *current, Region *extent) const;
    void fitRegionToZoom();
    double currentMagnification() const;
    QPointF turnOffset() const;
    void runTurn();

    SimulatedUvcDevice &m_uvc;
    QMutex m_turnMutex;
    qint64 m_lastTurnUs = -1;
};

} // namespace platform
