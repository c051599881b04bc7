#include "simulated/simulatedframegenerator.h"

#include <QLinearGradient>
#include <QPainter>
#include <QTransform>

#include <cmath>
#include <cstring>

namespace platform {

namespace {

constexpr double PageTiltDegrees = 4.0;
// The page's share of the picture's height: it keeps clear of the margin the edge search leaves
// out, tilted as it is.
constexpr double PageHeightShare = 0.62;
// The marker box lies in the bottom margin of the picture, below the page.
constexpr double MarkerTopShare = 0.93;
constexpr double MarkerHeightShare = 0.05;

const QColor DeskLight(176, 124, 74);
const QColor DeskDark(150, 102, 58);
const QColor InkColour(60, 60, 70);
const QColor StampColour(210, 30, 40);

// The page in its own frame: origin at its top-left corner, x along its top edge.
struct PageFrame
{
    QTransform toScene;
    double width = 0;
    double height = 0;
};

PageFrame pageFrame(const QSize &size)
{
    PageFrame page;
    page.height = size.height() * PageHeightShare;
    page.width = std::min(page.height * std::sqrt(2.0), size.width() * 0.8);
    page.toScene.translate(size.width() / 2.0, size.height() / 2.0);
    page.toScene.rotate(PageTiltDegrees);
    page.toScene.translate(-page.width / 2, -page.height / 2);
    return page;
}

QTransform viewTransform(const QSize &size, const QRectF &view)
{
    QTransform transform;
    transform.scale(1.0 / view.width(), 1.0 / view.height());
    transform.translate(-view.x() * size.width(), -view.y() * size.height());
    return transform;
}

int markerHeight(const QSize &size)
{
    return qMax(12, int(std::lround(size.height() * MarkerHeightShare)));
}

constexpr int CounterDigits = 6;

int digitHeight(const QSize &size)
{
    return qMax(7, markerHeight(size) * 7 / 10);
}

int digitPitch(const QSize &size)
{
    return digitHeight(size) * 7 / 10;
}

int counterWidth(const QSize &size)
{
    return CounterDigits * digitPitch(size) + markerHeight(size) / 2;
}

// One digit as seven segments: drawn with rectangles, so that the counter needs no font (a camera
// may stream in a program without a GUI) and draws no edge longer than a digit.
void drawDigit(QPainter &painter, const QRect &cell, int digit)
{
    // Segments a to g: top, top right, bottom right, bottom, bottom left, top left, middle.
    static const quint8 lit[10] = {0x3f, 0x06, 0x5b, 0x4f, 0x66, 0x6d, 0x7d, 0x07, 0x7f, 0x6f};
    const int t = qMax(1, cell.height() / 7);
    const int w = cell.width();
    const int h = cell.height();
    const int half = h / 2;
    const QRect segments[7] = {
        QRect(0, 0, w, t),                 QRect(w - t, 0, t, half + t / 2),
        QRect(w - t, half - t / 2, t, h - half + t / 2), QRect(0, h - t, w, t),
        QRect(0, half - t / 2, t, h - half + t / 2),     QRect(0, 0, t, half + t / 2),
        QRect(0, half - t / 2, w, t)};
    for (int segment = 0; segment < 7; ++segment) {
        if (lit[digit] & (1 << segment))
            painter.fillRect(segments[segment].translated(cell.topLeft()), Qt::white);
    }
}

int markerBlock(const QSize &size)
{
    return qMax(4, markerHeight(size) * 6 / 10);
}

} // namespace

QPolygonF SimulatedFrameGenerator::pageCorners(const QSize &size)
{
    const PageFrame page = pageFrame(size);
    return page.toScene.map(QPolygonF(QRectF(0, 0, page.width, page.height)).mid(0, 4));
}

QPointF SimulatedFrameGenerator::stampCentre(const QSize &size)
{
    const PageFrame page = pageFrame(size);
    return page.toScene.map(QPointF(page.width * 0.8, page.height * 0.1 + page.height / 56));
}

double SimulatedFrameGenerator::stampRadius(const QSize &size)
{
    return size.height() * 0.025;
}

QPointF SimulatedFrameGenerator::toFrame(const QPointF &scenePoint, const QSize &size, const QRectF &view)
{
    return viewTransform(size, view).map(scenePoint);
}

QRect SimulatedFrameGenerator::markerBox(const QSize &size)
{
    const int height = markerHeight(size);
    const int top = qMin(int(size.height() * MarkerTopShare), size.height() - height - 1);
    const int left = qMax(2, size.height() / 60);
    return QRect(left, top, counterWidth(size) + 3 * height, height);
}

int SimulatedFrameGenerator::markerOffset(const QSize &size, quint64 frameNumber)
{
    const int lane = 3 * markerHeight(size);
    const int travel = qMax(1, lane - markerBlock(size));
    const quint64 step = quint64(qMax(1, size.height() / 360));
    const quint64 position = (frameNumber * step) % quint64(2 * travel);
    return counterWidth(size) + int(position < quint64(travel) ? position : quint64(2 * travel) - position);
}

void SimulatedFrameGenerator::drawPage(QPainter &painter, const QSize &size)
{
    const PageFrame page = pageFrame(size);
    painter.save();
    painter.setTransform(page.toScene, true);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    painter.drawRect(QRectF(0, 0, page.width, page.height));

    // Lines of "text", shorter than the page's edges, so that they never outdo them.
    const double margin = page.height * 0.1;
    const double lineGap = page.height / 28.0;
    painter.setPen(Qt::NoPen);
    painter.setBrush(InkColour);
    painter.drawRect(QRectF(margin, margin, page.width * 0.5, lineGap * 0.9)); // the heading
    for (int line = 0; line < 20; ++line) {
        const double y = margin + lineGap * (line + 2.5);
        const double length = (page.width - 2 * margin) * (line % 5 == 4 ? 0.55 : 0.92 - (line * 7 % 10) / 100.0);
        painter.drawRect(QRectF(margin, y, length, lineGap * 0.45));
    }
    painter.restore();

    // The stamp is round: it adds a landmark and no straight edge.
    painter.setPen(Qt::NoPen);
    painter.setBrush(StampColour);
    const double radius = stampRadius(size);
    painter.drawEllipse(stampCentre(size), radius, radius);
}

void SimulatedFrameGenerator::drawScene(const QSize &size, const QRectF &view)
{
    m_scene = QImage(size, QImage::Format_RGB32);
    m_sceneView = view;
    QPainter painter(&m_scene);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setTransform(viewTransform(size, view));

    // A plain desk under a lamp: a smooth fall of light and no line anywhere.
    const QRectF seen(view.x() * size.width(), view.y() * size.height(), view.width() * size.width(),
                      view.height() * size.height());
    QLinearGradient light(QPointF(0, 0), QPointF(size.width() * 0.3, size.height()));
    light.setColorAt(0, DeskLight);
    light.setColorAt(1, DeskDark);
    light.setSpread(QGradient::ReflectSpread);
    painter.fillRect(seen.adjusted(-1, -1, 1, 1), light);
    drawPage(painter, size);
    m_adjustedScene = QImage();
}

const QImage &SimulatedFrameGenerator::adjustedScene(const SimulatedImageControls &controls)
{
    if (controls.isNeutral())
        return m_scene;
    if (m_adjustedScene.isNull() || m_adjustedControls != controls) {
        m_adjustedScene = m_scene.copy();
        controls.apply(m_adjustedScene);
        m_adjustedControls = controls;
    }
    return m_adjustedScene;
}

void SimulatedFrameGenerator::render(QImage &frame, const QSize &size, quint64 frameNumber, const QRectF &view,
                                     const SimulatedImageControls &controls)
{
    if (size.isEmpty()) {
        frame = QImage();
        return;
    }
    const QRectF seen = view.isValid() ? view : wholeView();
    if (m_scene.size() != size || m_sceneView != seen)
        drawScene(size, seen);
    if (frame.size() != size || frame.format() != QImage::Format_RGB32 || !frame.isDetached())
        frame = QImage(size, QImage::Format_RGB32);
    const QImage &scene = adjustedScene(controls);
    std::memcpy(frame.bits(), scene.constBits(), size_t(scene.sizeInBytes()));

    // The marker box: its colour turns with the frame number, the block moves, the number counts.
    QPainter painter(&frame);
    const QRect box = markerBox(size);
    painter.fillRect(box, QColor::fromHsv(int(frameNumber * 3 % 360), 90, 110));
    const int block = markerBlock(size);
    painter.fillRect(QRect(box.left() + markerOffset(size, frameNumber), box.center().y() - block / 2, block, block),
                     QColor(20, 40, 220));
    const int height = digitHeight(size);
    const int pitch = digitPitch(size);
    quint64 rest = frameNumber;
    for (int place = CounterDigits - 1; place >= 0; --place, rest /= 10) {
        const QRect cell(box.left() + box.height() / 4 + place * pitch, box.top() + (box.height() - height) / 2,
                         pitch * 3 / 4, height);
        drawDigit(painter, cell, int(rest % 10));
    }
    painter.end();
    controls.applyToPixels(frame, box);
}

} // namespace platform
