#pragma once

#include <QImage>
#include <QPolygonF>
#include <QSize>

namespace platform {

// Draws the pictures of a virtual document camera: a white page with lines of text and a dark border,
// slightly rotated, on a wood-coloured desk, with a moving pattern across the top and the frame
// number at the bottom left, so that a viewer sees at once whether frames flow, stall or repeat.
// The still scene is drawn once per size; each frame copies it and adds the moving parts.
class SimulatedFrameGenerator
{
public:
    // Fills `frame` (QImage::Format_RGB32 of `size`) with frame number `frameNumber`, reusing its
    // pixels when it has that size and nobody else holds it.
    void render(QImage &frame, const QSize &size, quint64 frameNumber);

    // The corners of the page in a frame of `size` (top left, top right, bottom right, bottom left).
    static QPolygonF pageCorners(const QSize &size);
    // The band across the top the moving pattern stays in; everything below it is still.
    static int patternBandHeight(const QSize &size) { return qMax(8, size.height() / 10); }
    // Where the moving block's left edge is in frame `frameNumber`.
    static int patternOffset(const QSize &size, quint64 frameNumber);

private:
    void drawScene(const QSize &size);

    QImage m_scene;
};

} // namespace platform
