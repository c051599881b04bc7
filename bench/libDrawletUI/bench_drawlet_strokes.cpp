// Drawing and repaint cost of a full annotation scene: 1,000 pen strokes of 200 points each drawn
// with the mouse through the editor, a full repaint of the view, and what one mouse move costs
// while a stroke is being drawn on top of them. Runs offscreen; prints its figures.

#include "annotationeditor.h"
#include "annotationscene.h"
#include "freehandpainter.h"
#include "paintertool.h"

#include <QApplication>
#include <QGraphicsPathItem>
#include <QImage>
#include <QPainter>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QRandomGenerator>
#include <QUndoStack>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace drawlet::ui;

namespace {

const int strokeCount = 1000;
const int pointsPerStroke = 200;
const QSize screenSize(1920, 1080);

void send(QWidget *viewport, QEvent::Type type, const QPoint &pos, Qt::MouseButton button,
          Qt::MouseButtons buttons)
{
    QMouseEvent event(type, QPointF(pos), QPointF(viewport->mapToGlobal(pos)), button, buttons,
                      Qt::NoModifier);
    QApplication::sendEvent(viewport, &event);
}

// A stroke as a hand draws it: a wandering line of short steps.
std::vector<QPoint> strokePoints(QRandomGenerator &random)
{
    std::vector<QPoint> points;
    QPointF p(random.bounded(screenSize.width()), random.bounded(screenSize.height()));
    double angle = random.bounded(6.283);
    for (int i = 0; i < pointsPerStroke; ++i) {
        angle += random.bounded(0.6) - 0.3;
        p += QPointF(3 * std::cos(angle), 3 * std::sin(angle));
        p.setX(std::clamp(p.x(), 0.0, double(screenSize.width() - 1)));
        p.setY(std::clamp(p.y(), 0.0, double(screenSize.height() - 1)));
        points.push_back(p.toPoint());
    }
    return points;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Repeated mouse positions are logged as debug messages; they would drown the figures.
void quietDebug(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type != QtDebugMsg && type != QtInfoMsg)
        std::fprintf(stderr, "%s\n", qPrintable(message));
}

double microseconds(const QElapsedTimer &timer)
{
    return timer.nsecsElapsed() / 1000.0;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    qInstallMessageHandler(quietDebug);

    AnnotationScene scene(true);
    scene.setObjectName("descktopAnnotationScene");
    scene.setSceneRect(QRectF(QPointF(0, 0), QSizeF(screenSize)));
    AnnotationEditor editor;
    editor.setFrameShape(QFrame::NoFrame);
    editor.resize(screenSize);
    editor.setActiveScene(&scene);
    PainterTool tool(&editor, new FreeHandPainter(PEN_CONFIG, 4));
    editor.setTool(&tool);
    editor.show();
    app.processEvents();
    QWidget *viewport = editor.viewport();
    QRandomGenerator random(20240601);

    QElapsedTimer timer;
    timer.start();
    for (int s = 0; s < strokeCount; ++s) {
        const std::vector<QPoint> points = strokePoints(random);
        send(viewport, QEvent::MouseButtonPress, points.front(), Qt::LeftButton, Qt::LeftButton);
        for (std::size_t i = 1; i < points.size(); ++i)
            send(viewport, QEvent::MouseMove, points[i], Qt::NoButton, Qt::LeftButton);
        send(viewport, QEvent::MouseButtonRelease, points.back(), Qt::LeftButton, Qt::NoButton);
    }
    app.processEvents();
    const double drawMs = timer.nsecsElapsed() / 1e6;

    // Each stroke joined the editor's image as it was released: even the first repaint only blits.
    timer.restart();
    viewport->repaint();
    const double firstRepaintMs = microseconds(timer) / 1000.0;
    std::vector<double> repaints;
    for (int i = 0; i < 15; ++i) {
        timer.restart();
        viewport->repaint();
        repaints.push_back(microseconds(timer) / 1000.0);
    }

    // The same strokes painted straight with QPainter: what the raster engine itself needs.
    QImage canvas(screenSize, QImage::Format_ARGB32_Premultiplied);
    std::vector<double> rawPaints;
    for (int i = 0; i < 5; ++i) {
        canvas.fill(Qt::transparent);
        timer.restart();
        QPainter painter(&canvas);
        painter.setRenderHint(QPainter::Antialiasing);
        for (QGraphicsItem *item : scene.items()) {
            auto *stroke = static_cast<QGraphicsPathItem *>(item);
            painter.setPen(stroke->pen());
            painter.drawPath(stroke->path());
        }
        painter.end();
        rawPaints.push_back(microseconds(timer) / 1000.0);
    }

    // One more stroke on top: each move alone, and each move with the repaint it causes.
    const std::vector<QPoint> points = strokePoints(random);
    std::vector<double> hoverMoves;
    for (std::size_t i = 1; i < points.size(); ++i) {
        timer.restart();
        send(viewport, QEvent::MouseMove, points[i], Qt::NoButton, Qt::NoButton);
        hoverMoves.push_back(microseconds(timer));
    }
    std::vector<double> strokeMoves;
    std::vector<double> strokeMovesPainted;
    send(viewport, QEvent::MouseButtonPress, points.front(), Qt::LeftButton, Qt::LeftButton);
    app.processEvents();
    for (std::size_t i = 1; i < points.size(); ++i) {
        timer.restart();
        send(viewport, QEvent::MouseMove, points[i], Qt::NoButton, Qt::LeftButton);
        strokeMoves.push_back(microseconds(timer));
        app.processEvents();
        strokeMovesPainted.push_back(microseconds(timer));
    }
    send(viewport, QEvent::MouseButtonRelease, points.back(), Qt::LeftButton, Qt::NoButton);

    std::printf("strokes: %d of %d points, scene items %d, undo steps %d\n", strokeCount,
                pointsPerStroke, int(scene.items().size()), editor.getActiveUndoStack()->count());
    std::printf("draw all strokes with the mouse: %.1f ms (%.3f ms per stroke)\n", drawMs,
                drawMs / strokeCount);
    std::printf("full repaint of %dx%d view: median %.2f ms, best %.2f ms (goal < 16 ms)\n",
                screenSize.width(), screenSize.height(), median(repaints),
                *std::min_element(repaints.begin(), repaints.end()));
    std::printf("first repaint after drawing: %.2f ms\n", firstRepaintMs);
    std::printf("the same strokes painted straight with QPainter: median %.2f ms\n",
                median(rawPaints));
    const double added = median(strokeMoves) - median(hoverMoves);
    std::printf("mouse move while hovering: median %.1f us\n", median(hoverMoves));
    std::printf("mouse move during a stroke: median %.1f us, max %.1f us; added latency %.1f us "
                "(goal < 1000 us)\n",
                median(strokeMoves), *std::max_element(strokeMoves.begin(), strokeMoves.end()),
                added);
    std::printf("mouse move during a stroke incl. its repaint: median %.1f us, max %.1f us\n",
                median(strokeMovesPainted),
                *std::max_element(strokeMovesPainted.begin(), strokeMovesPainted.end()));
    return 0;
}
