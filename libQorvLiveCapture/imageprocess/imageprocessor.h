#pragma once

#include "imageprocess/imageprocessfunctionobject.h"
#include "imageprocess/rotationattributes.h"
#include "imageprocess/zoomattributes.h"
#include "qorvlivecaptureglobal.h"

#include <QImage>
#include <QMap>
#include <QPointF>
#include <QRecursiveMutex>

// Digital zoom and pan, then mirror, flip and rotation of every frame of a frame source. The window
// sets the attributes on the GUI thread while the capture thread processes frames; the attributes and
// the step table are guarded, the processing itself runs outside the lock on a copy of the table.
//
// Frames are taken as opaque 32-bit pixels (QImage::Format_RGB32 or Format_ARGB32, B G R A in
// memory); processed frames keep the input's size and format, with alpha 255.
class QORVLIVECAPTURE_EXPORT ImageProcessor
{
public:
    enum Step { ZoomStep = 0, RotationStep = 1 };

    ImageProcessor();

    void setZoomAttributes(float ratio, const QPointF &start);
    ZoomAttributes getZoomAttributes() const;
    void setRotationAttributes(bool mirror, bool flip, unsigned short degree);
    RotationAttributes getRotationAttributes() const;

    QMap<int, ImageProcessFunctionObject> getFunctionList() const;

    // Runs the steps in order. With no step the input itself is returned (the same pixels); a null
    // input gives a null image.
    QImage process(const QImage &image) const;

    // The sub-image at (start.x * w, start.y * h) of size (w * ratio, h * ratio) scaled to w x h. Null
    // when that sub-image is empty.
    static QImage doZoom(const QImage &image, float ratio, const QPointF &start);
    // Mirror, flip and clockwise rotation on a canvas of the input's size: a landscape picture turned
    // upright is centred and its ends are cut off.
    static QImage doRotation(const QImage &image, bool mirror, bool flip, unsigned short degree);

private:
    QImage zoomStep(const QImage &image) const;
    QImage rotationStep(const QImage &image) const;

    mutable QRecursiveMutex m_mutex;
    ZoomAttributes m_zoom;
    RotationAttributes m_rotation;
    QMap<int, ImageProcessFunctionObject> m_steps;
};
