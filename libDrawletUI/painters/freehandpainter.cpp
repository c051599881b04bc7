#include "freehandpainter.h"

#include "qorvgraphicspathitem.h"

#include <QDebug>
#include <QPainterPath>

namespace drawlet {
namespace ui {

namespace {
const QColor defaultPenColor(0xFE, 0x00, 0x00);
const int highlighterAlpha = 127;
} // namespace

FreeHandPainter::FreeHandPainter(ConfigType type, int width, QObject *parent)
    : QObject(parent)
    , m_pen(QBrush(defaultPenColor, Qt::SolidPattern), width, Qt::SolidLine, Qt::RoundCap,
            Qt::MiterJoin)
    , m_configType(type)
{
}

FreeHandPainter::~FreeHandPainter() = default;

QGraphicsItem *FreeHandPainter::init(const QPointF &point)
{
    if (m_item)
        qDebug() << "graphicsItem isn't release";
    m_item = new QorvGraphicsPathItem();
    m_item->setPen(m_pen);
    m_item->setLineStyle(m_lineStyle);
    QPainterPath start;
    start.moveTo(point);
    // A zero-length segment: the round cap shows a press as a dot.
    m_item->setPath(point, start);
    return m_item;
}

QGraphicsItem *FreeHandPainter::draw(const QPointF &point)
{
    if (!m_item) {
        qDebug() << "Calling sequence exception";
        return nullptr;
    }
    m_item->setPath(point);
    return m_item;
}

void FreeHandPainter::release()
{
    if (!m_item) {
        qDebug() << "graphicsItem is nullptr";
        return;
    }
    QPainterPath withHeads = m_item->path();
    if (m_item->arrowPath(withHeads))
        m_item->setPath(withHeads);
    m_item = nullptr;
}

bool FreeHandPainter::isDrawing()
{
    return m_item != nullptr;
}

QString FreeHandPainter::toString()
{
    return objectName();
}

void FreeHandPainter::getPaintSetting()
{
    emit setHelperColor(m_pen.color());
    emit setHelperLineStyle(m_lineStyle);
    emit setHelperLineWidth(m_configType, m_pen.width());
}

QColor FreeHandPainter::getPenColor() const
{
    return m_pen.color();
}

LineStyle::style_t FreeHandPainter::getLineStyle() const
{
    return m_lineStyle;
}

int FreeHandPainter::getWigth() const
{
    return m_pen.width();
}

Qt::PenCapStyle FreeHandPainter::getCapStyle() const
{
    return m_pen.capStyle();
}

void FreeHandPainter::setPenColor(const QColor &color)
{
    // The alpha belongs to the painter: the highlighter stays half transparent whatever is picked.
    QColor penColor(color);
    penColor.setAlpha(m_pen.color().alpha());
    m_pen.setColor(penColor);
}

void FreeHandPainter::setLineStyle(const LineStyle::style_t &style)
{
    m_lineStyle = style;
    m_pen.setStyle(style == LineStyle::DOTLINE ? Qt::DotLine : Qt::SolidLine);
}

void FreeHandPainter::setHighlight()
{
    QColor penColor = m_pen.color();
    penColor.setAlpha(highlighterAlpha);
    m_pen.setColor(penColor);
}

void FreeHandPainter::setWigth(int width, ConfigType type)
{
    if (type == m_configType)
        m_pen.setWidth(width);
}

void FreeHandPainter::setCapStyle(Qt::PenCapStyle style)
{
    m_pen.setCapStyle(style);
}

} // namespace ui
} // namespace drawlet
