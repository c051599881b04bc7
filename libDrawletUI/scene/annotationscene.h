#pragma once

#include "drawletui_global.h"

#include <QGraphicsScene>

namespace drawlet {
namespace ui {

class DRAWLETUI_EXPORT AnnotationScene : public QGraphicsScene
{
    Q_OBJECT
public:
    explicit AnnotationScene(QObject *parent = nullptr);
    explicit AnnotationScene(const bool &transparent, QObject *parent = nullptr);
    ~AnnotationScene() override;

    // Hands out ever larger z values, so the item added last lies above all earlier ones.
    int getCurrentZValue();

private:
    int m_zValue = 0;
};

} // namespace ui
} // namespace drawlet
