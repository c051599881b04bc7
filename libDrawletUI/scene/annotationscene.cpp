#include "annotationscene.h"

#include <QBrush>

namespace drawlet {
namespace ui {

AnnotationScene::AnnotationScene(QObject *parent)
    : AnnotationScene(false, parent)
{
}

AnnotationScene::AnnotationScene(const bool &transparent, QObject *parent)
    : QGraphicsScene(parent)
{
    setBackgroundBrush(QBrush(transparent ? QColor(Qt::transparent) : QColor(Qt::white)));
}

AnnotationScene::~AnnotationScene() = default;

int AnnotationScene::getCurrentZValue()
{
    return ++m_zValue;
}

} // namespace ui
} // namespace drawlet
