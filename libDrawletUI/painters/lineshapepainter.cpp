#include "lineshapepainter.h"

#include "graphicsarrowlineitem.h"

#include <QDebug>

namespace drawlet {
namespace ui {

namespace {
const QColor defaultPenColor(0xFE, 0x00, 0x00);
const qreal defaultWidth = 4.0;
const qreal defaultMiterLimit = 2.0;
} // namespace

LineShapePainter::LineShapePainter(ConfigType type, QObject *parent)
    : QObject(parent)
    , m_pen(QBrush(defaultPenColor, Qt::SolidPattern), defaultWidth, Qt::SolidLine, Qt::FlatCap,
            Qt::MiterJoin)
    , m_configType(type)
{
    m_pen.setMiterLimit(defaultMiterLimit);
}

LineShapePainter::~LineShapePainter() = default;

QGraphicsItem *LineShapePainter::init(const QPointF &point)
{
    if (m_item)
        qDebug() << "graphicsItem isn't release";
    m_item = new GraphicsArrowLineItem(m_lineStyle);
    m_item->setPen(m_pen);
    m_item->setLine(QLineF(point, point));
    return m_item;
}

QGraphicsItem *LineShapePainter::draw(const QPointF &point)
{
    if (!m_item) {
        qDebug() << "Calling sequence exception";
        return nullptr;
    }
    m_item->setLine(QLineF(m_item->line().p1(), point));
    return m_item;
}

void LineShapePainter::release()
{
    m_item = nullptr;
}

bool LineShapePainter::isDrawing()
{
    return m_item != nullptr;
}

QString LineShapePainter::toString()
{
    return objectName();
}

void LineShapePainter::getPaintSetting()
{
    emit setHelperColor(m_pen.color());
    emit setHelperLineStyle(m_lineStyle);
    emit setHelperLineWidth(m_configType, m_pen.width());
}

QColor LineShapePainter::getPenColor() const
{
    return m_pen.color();
}

qreal LineShapePainter::getPenMiter()
{
    return m_pen.miterLimit();
}

LineStyle::style_t LineShapePainter::getLineStyle() const
{
    return m_lineStyle;
}

int LineShapePainter::getWigth() const
{
    return m_pen.width();
}

Qt::PenCapStyle LineShapePainter::getCapStyle() const
{
    return m_pen.capStyle();
}

void LineShapePainter::setPenColor(const QColor &color)
{
    m_pen.setColor(color);
}

void LineShapePainter::setLineStyle(LineStyle::style_t style)
{
    m_lineStyle = style;
    m_pen.setStyle(style == LineStyle::DOTLINE ? Qt::DotLine : Qt::SolidLine);
}

void LineShapePainter::setWigth(int width, ConfigType type)
{
    if (type == m_configType)
        m_pen.setWidth(width);
}

void LineShapePainter::setCapStyle(Qt::PenCapStyle style)
{
    m_pen.setCapStyle(style);
}

} // namespace ui
} // namespace drawlet
