#pragma once

#include "configtype.h"
#include "drawletui_global.h"
#include "linestyle.h"
#include "qorvgraphicstextitem.h"
#include "toolinterface.h"

#include <QColor>
#include <QCursor>
#include <QFont>
#include <QObject>
#include <QPoint>
#include <QPointF>
#include <QPointer>
#include <QRectF>
#include <QString>

#include <memory>

class QGraphicsItem;

namespace drawlet {
namespace ui {

class AnnotationEditor;
class QorvGraphicsPixmapItem;

// Picks, drags and restyles existing annotations. Picking and dragging are the view's own; this
// tool turns them on and off, records what the user did as undo steps and tells the pickers what
// the single selected item looks like.
class DRAWLETUI_EXPORT SelectTool : public QObject, public ToolInterface
{
    Q_OBJECT
    Q_INTERFACES(drawlet::ui::ToolInterface)
public:
    explicit SelectTool(AnnotationEditor *editor, QObject *parent = nullptr);
    ~SelectTool() override;

    void doOnMouseMoved(QMouseEvent *event) override;
    void doOnMousePressed(QMouseEvent *event) override;
    void doOnMouseReleased(QMouseEvent *event) override;
    void doOnkeyPressed(QKeyEvent *event) override;
    void doOnMouseDoubleClicked(QMouseEvent *event) override;
    void doUnLoad() override;
    void doOnLoad() override;
    void finishCurrentWork() override;
    QString toString() override;
    bool isSelectable() override;

    void endTextEditing();
    void selectObjects(bool selectable);
    void setHelper(bool color, bool lineStyle);

public slots:
    void setColor(QColor color);
    void setWidth(int width);
    void setLineStyle(drawlet::ui::LineStyle::style_t style);
    void setTextFont(QFont font);

signals:
    void enableColorHelper(bool enable);
    void enableLineStyleHelper(bool enable);
    void textEditorShowed(QPoint pos, drawlet::ui::QorvGraphicsTextItem *text);
    void textEditorHided();
    void setHelperColor(QColor color);
    void setHelperLineStyle(drawlet::ui::LineStyle::style_t style);
    void setHelperLineWidth(drawlet::ui::ConfigType index, int itemValue);

private:
    QList<QGraphicsItem *> selectedItems() const;
    bool canRestyle();
    void recordMoveOfSelection();
    void reportSelection(QGraphicsItem *item);
    void showOrHideTextPanel(QGraphicsItem *item);
    bool recordPictureChange(QGraphicsItem *single);
    bool setPathWidth(QGraphicsItem *item, int width);
    bool setPathLineStyle(QGraphicsItem *item, const LineStyle::style_t &style);
    template<typename Item> void setWidth(QGraphicsItem *item, int width);

    AnnotationEditor *m_editor;
    bool m_editing = false;
    // Guarded: the text may go with its scene or its undo command while it is edited.
    QPointer<QorvGraphicsTextItem> m_editedText;
    QString m_textBeforeEditing;
    QorvGraphicsPixmapItem *m_pressedPicture = nullptr;
    QRectF m_pictureRectAtPress;
    QPointF m_picturePosAtPress;
    QPointer<QorvGraphicsTextItem> m_selectedText;
    bool m_pressedOnItem = true;
    std::shared_ptr<QCursor> m_selectCursor;
    std::shared_ptr<QCursor> m_moveCursor;
};

} // namespace ui
} // namespace drawlet
