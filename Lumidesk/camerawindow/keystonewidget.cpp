#include "keystonewidget.h"

#include "keystonealgorithm.h"
#include "seethroughmask.h"

#include <QBitmap>
#include <QMutexLocker>
#include <QPainter>

namespace {

QPen outlinePen(const QColor &colour)
{
    QPen pen(colour);
    pen.setWidth(KeyStoneWidget::PenWidth);
    return pen;
}

} // namespace

KeyStoneWidget::KeyStoneWidget(QWidget *parent)
    : QWidget(parent), m_algorithm(new KeyStoneAlgorithm)
{
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(false);
    connect(m_algorithm, &KeyStoneAlgorithm::updatePolygonPoints, this, &KeyStoneWidget::setPolygonPoints);
    connect(m_algorithm, &KeyStoneAlgorithm::updateFps, this, &KeyStoneWidget::updateFps);
}

KeyStoneWidget::~KeyStoneWidget()
{
    {
        QMutexLocker locker(&m_feedMutex);
        m_on = false;
    }
    m_algorithm->stop();
    m_algorithm->wait();
    delete m_algorithm;
}

void KeyStoneWidget::showKeyStone(bool on, int fps)
{
    if (on) {
        if (m_algorithm->isRunning() && m_algorithm->isStopRequested()) {
            // The last run is still draining after a switch-off: it ends within one frame or one idle
            // sleep, and only then can the thread start again.
            m_algorithm->wait();
        }
        if (!m_algorithm->isRunning())
            m_algorithm->startDetection(fps, QThread::InheritPriority);
        // Frames are let in once the run that takes them is under way.
        m_on = true;
    } else {
        {
            QMutexLocker locker(&m_feedMutex);
            m_on = false;
        }
        if (m_algorithm->isRunning())
            m_algorithm->stop();
        for (QPoint &point : m_points)
            point = QPoint(0, 0);
        setSampleSize(0, 0);
    }
    updateShape();
    update();
}

void KeyStoneWidget::relayout()
{
    updateShape();
    update();
}

void KeyStoneWidget::setSampleImage(void *data, int width, int height)
{
    if (!m_on.load())
        return;
    QMutexLocker locker(&m_feedMutex);
    if (!m_on.load())
        return;
    setSampleSize(width, height);
    m_algorithm->setSampleImage(data, width, height);
}

int KeyStoneWidget::getkeyStoneFile(QString path)
{
    if (!hasPolygon())
        return -1;
    return m_algorithm->getkeyStoneFile(path);
}

void KeyStoneWidget::setPolygonPoints(QPoint point1, QPoint point2, QPoint point3, QPoint point4)
{
    m_points[0] = point1;
    m_points[1] = point2;
    m_points[2] = point3;
    m_points[3] = point4;
    updateShape();
    update();
}

bool KeyStoneWidget::hasPolygon() const
{
    for (const QPoint &point : m_points) {
        if (point == QPoint(0, 0))
            return false;
    }
    return true;
}

void KeyStoneWidget::setSampleSize(int width, int height)
{
    m_sampleSize = (uint32_t(qBound(0, width, 0xffff)) << 16) | uint32_t(qBound(0, height, 0xffff));
}

QSize KeyStoneWidget::sampleSize() const
{
    const uint32_t packed = m_sampleSize.load();
    return QSize(int(packed >> 16), int(packed & 0xffff));
}

QPoint KeyStoneWidget::mapToWidget(const QPoint &point, const QSize &widget, const QSize &sample)
{
    const int ww = widget.width(), wh = widget.height();
    const int sw = sample.width(), sh = sample.height();
    if (ww <= 0 || wh <= 0 || sw <= 0 || sh <= 0)
        return QPoint();
    // The frame fitted into the widget with its aspect kept, centred along the spare direction.
    const qint64 ratio = qint64(ww) * sh * 100 / (qint64(wh) * sw);
    float scale = 0;
    int xOffset = 0;
    int yOffset = 0;
    if (ratio == 100) {
        scale = float(ww) / float(sw);
    } else if (ratio < 100) {
        scale = float(ww) / float(sw);
        yOffset = (wh - int(float(sh) * scale)) / 2;
    } else {
        scale = float(wh) / float(sh);
        xOffset = (ww - int(float(sw) * scale)) / 2;
    }
    return QPoint(int(float(point.x()) * scale + float(xOffset)), int(float(point.y()) * scale + float(yOffset)));
}

QPolygon KeyStoneWidget::outline() const
{
    const QSize sample = sampleSize();
    if (!m_on.load() || sample.isEmpty() || !hasPolygon() || width() <= 0 || height() <= 0)
        return QPolygon();
    QPolygon polygon;
    for (const QPoint &point : m_points)
        polygon << mapToWidget(point, size(), sample);
    return polygon;
}

QRegion KeyStoneWidget::outlineRegion() const
{
    const QPolygon polygon = outline();
    if (polygon.isEmpty())
        return QRegion();
    // The same pen on a bitmap gives exactly the pixels the outline paints.
    QBitmap bitmap(size());
    bitmap.fill(Qt::color0);
    QPainter painter(&bitmap);
    painter.setPen(outlinePen(Qt::color1));
    painter.setBrush(Qt::NoBrush);
    painter.drawPolygon(polygon, Qt::OddEvenFill);
    painter.end();
    return QRegion(bitmap);
}

void KeyStoneWidget::updateShape()
{
    if (SeeThroughMask::compositing())
        SeeThroughMask::apply(this, QRegion());
    else
        SeeThroughMask::apply(this, outlineRegion());
}

void KeyStoneWidget::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    updateShape();
}

void KeyStoneWidget::paintEvent(QPaintEvent *event)
{
    Q_UNUSED(event)
    const QPolygon polygon = outline();
    if (polygon.isEmpty())
        return;
    QPainter painter(this);
    painter.setPen(outlinePen(QColor(255, 255, 255, 255)));
    painter.setBrush(Qt::NoBrush);
    painter.drawPolygon(polygon, Qt::OddEvenFill);
}
