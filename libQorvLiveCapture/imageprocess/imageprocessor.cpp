#include "imageprocess/imageprocessor.h"

#include <QMutexLocker>
#include <QPainter>
#include <QTransform>

#include <cmath>

namespace {

// Camera and screen frames are opaque: painting them as RGB32 takes Qt's fast paths, and the result
// can be read back in the caller's format without a conversion pass.
QImage opaqueView(const QImage &image)
{
    if (image.format() == QImage::Format_RGB32)
        return image;
    return QImage(image.constBits(), image.width(), image.height(), image.bytesPerLine(),
                  QImage::Format_RGB32);
}

QImage inFormatOf(QImage result, const QImage &input)
{
    if (input.format() == QImage::Format_ARGB32 || input.format() == QImage::Format_ARGB32_Premultiplied)
        result.reinterpretAsFormat(input.format());
    return result;
}

bool isSupported(const QImage &image)
{
    return !image.isNull() && image.depth() == 32;
}

} // namespace

ImageProcessor::ImageProcessor() = default;

void ImageProcessor::setZoomAttributes(float ratio, const QPointF &start)
{
    QMutexLocker locker(&m_mutex);
    m_zoom.setZoomRatio(ratio);
    m_zoom.setStartCoordinate(start);
    if (ratio == 1.0f)
        m_steps.remove(ZoomStep);
    else if (ratio < 1.0f && !m_steps.contains(ZoomStep))
        m_steps.insert(ZoomStep, ImageProcessFunctionObject([this](const QImage &image) {
                           return zoomStep(image);
                       }));
}

ZoomAttributes ImageProcessor::getZoomAttributes() const
{
    QMutexLocker locker(&m_mutex);
    return m_zoom;
}

void ImageProcessor::setRotationAttributes(bool mirror, bool flip, unsigned short degree)
{
    QMutexLocker locker(&m_mutex);
    m_rotation.setMirror(mirror);
    m_rotation.setFlip(flip);
    m_rotation.setRotateDegree(degree);
    if (degree == 0 && !mirror && !flip)
        m_steps.remove(RotationStep);
    else if (!m_steps.contains(RotationStep))
        m_steps.insert(RotationStep, ImageProcessFunctionObject([this](const QImage &image) {
                           return rotationStep(image);
                       }));
}

RotationAttributes ImageProcessor::getRotationAttributes() const
{
    QMutexLocker locker(&m_mutex);
    return m_rotation;
}

QMap<int, ImageProcessFunctionObject> ImageProcessor::getFunctionList() const
{
    QMutexLocker locker(&m_mutex);
    return m_steps;
}

QImage ImageProcessor::process(const QImage &image) const
{
    if (image.isNull())
        return QImage();
    const QMap<int, ImageProcessFunctionObject> steps = getFunctionList();
    QImage current = image;
    for (const ImageProcessFunctionObject &step : steps) {
        QImage next = step(current);
        if (!next.isNull())
            current = next;
    }
    return current;
}

QImage ImageProcessor::zoomStep(const QImage &image) const
{
    const ZoomAttributes zoom = getZoomAttributes();
    return doZoom(image, zoom.getZoomRatio(), zoom.getStartCoordinate());
}

QImage ImageProcessor::rotationStep(const QImage &image) const
{
    const RotationAttributes rotation = getRotationAttributes();
    return doRotation(image, rotation.getMirror(), rotation.getFlip(), rotation.getRotateDegree());
}

QImage ImageProcessor::doZoom(const QImage &image, float ratio, const QPointF &start)
{
    if (!isSupported(image))
        return QImage();
    const int w = image.width();
    const int h = image.height();
    const QRect source(int(start.x() * w), int(start.y() * h), int(w * ratio), int(h * ratio));
    // A sub-image outside the picture would show undefined pixels: show what lies inside.
    const QRect inside = source.intersected(image.rect());
    if (inside.isEmpty())
        return QImage();

    QImage result(w, h, QImage::Format_RGB32);
    QPainter painter(&result);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRectF(0, 0, w, h), opaqueView(image), QRectF(inside));
    painter.end();
    return inFormatOf(result, image);
}

QImage ImageProcessor::doRotation(const QImage &image, bool mirror, bool flip, unsigned short degree)
{
    if (!isSupported(image))
        return QImage();
    const int w = image.width();
    const int h = image.height();
    const int turn = (int(degree) + 360) % 360;

    // Half turns and reflections keep every pixel on the canvas: a plain copy in mirror order.
    if (turn == 0 || turn == 180) {
        const bool halfTurn = turn == 180;
        QImage result = opaqueView(image).mirrored(mirror != halfTurn, flip != halfTurn);
        return inFormatOf(result, image);
    }

    // Quarter turns keep the canvas: the turned picture is centred, its ends cut off. The offsets
    // use whole halves of the size difference, as a landscape frame needs them.
    const int d = w - h;
    QTransform transform;
    if (mirror)
        transform.translate(w, 0).scale(-1, 1);
    if (flip)
        transform.translate(0, h).scale(1, -1);
    if (turn == 90)
        transform.translate(d / 2 + h, -(d / 2));
    else if (turn == 270)
        transform.translate(d - d / 2, -(d - d / 2) + w);
    transform.rotate(turn);

    QImage result(w, h, QImage::Format_RGB32);
    result.fill(Qt::black);
    QPainter painter(&result);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.setTransform(transform);
    painter.drawImage(QPointF(0, 0), opaqueView(image));
    painter.end();
    return inFormatOf(result, image);
}
