#pragma once

#include "simulated/simulatedimagecontrols.h"

#include <QImage>
#include <QPolygonF>
#include <QRectF>
#include <QSize>

namespace platform {

// Draws the pictures of a virtual document camera: what such a camera sees, a white page with lines
// of text and a dark border, slightly rotated, on a plain desk, so that the page's edges are the
// strongest straight lines of the picture. A small box in the bottom-left corner holds the frame
// number and a block that moves, so that a viewer sees at once whether frames flow, stall or repeat;
// it stays in the corner margin, where it draws no long line near the page.
//
// The camera's optics choose which part of the desk a frame shows: the view, a rectangle in
// fractions of the unmoved, unzoomed picture ((0, 0, 1, 1) is that picture; a smaller one is zoomed
// in, one outside it is panned). Its image controls (brightness, contrast, ...) act on the whole
// picture. The still scene is drawn once per size and view and adjusted once per setting of the
// controls; each frame copies it and adds the moving parts, adjusted as well.
class SimulatedFrameGenerator
{
public:
    static QRectF wholeView() { return QRectF(0, 0, 1, 1); }

    // Fills `frame` (QImage::Format_RGB32 of `size`) with frame number `frameNumber` as seen through
    // `view` with `controls`, reusing its pixels when it has that size and nobody else holds it.
    void render(QImage &frame, const QSize &size, quint64 frameNumber, const QRectF &view = wholeView(),
                const SimulatedImageControls &controls = SimulatedImageControls());

    // The corners of the page in the unzoomed picture of `size` (top left, top right, bottom right,
    // bottom left).
    static QPolygonF pageCorners(const QSize &size);
    // The centre of a small red stamp printed on the page, off the page's centre, in the unzoomed
    // picture: a point of the scene a test can find again after a zoom or a pan.
    static QPointF stampCentre(const QSize &size);
    static double stampRadius(const QSize &size);
    // Where a point of the unzoomed picture of `size` appears in a frame seen through `view`.
    static QPointF toFrame(const QPointF &scenePoint, const QSize &size, const QRectF &view);

    // The box of the frame number and the moving block, fixed in the frame whatever the view.
    static QRect markerBox(const QSize &size);
    // Where the moving block's left edge is in frame `frameNumber`, from the box's left edge.
    static int markerOffset(const QSize &size, quint64 frameNumber);

private:
    void drawScene(const QSize &size, const QRectF &view);
    static void drawPage(QPainter &painter, const QSize &size);
    const QImage &adjustedScene(const SimulatedImageControls &controls);

    QImage m_scene;
    QRectF m_sceneView;
    QImage m_adjustedScene;
    SimulatedImageControls m_adjustedControls;
};

} // namespace platform
