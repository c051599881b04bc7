#pragma once

#include "drawletui_global.h"
#include "qorvgraphicstextitem.h"
#include "toolinterface.h"

#include <QColor>
#include <QFont>
#include <QObject>
#include <QPoint>
#include <QPointer>

namespace drawlet {
namespace ui {

class AnnotationEditor;

// Places new texts: a click puts an empty editable text at the click point, and the typed text
// becomes one undoable annotation when typing ends. An empty text leaves nothing behind.
class DRAWLETUI_EXPORT TextTool : public QObject, public ToolInterface
{
    Q_OBJECT
    Q_INTERFACES(drawlet::ui::ToolInterface)
public:
    explicit TextTool(AnnotationEditor *editor, QObject *parent = nullptr);
    ~TextTool() override;

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

    void finishTextTyping();
    void changeTextToAddCommand();

    QColor getTextColor() const;
    QFont getTextFont() const;
    QorvGraphicsTextItem *getTextItem() const;
    void getPaintSetting();

public slots:
    void setTextColor(QColor color);
    void setTextFont(QFont font);

signals:
    void textEditorShowed(QPoint pos, drawlet::ui::QorvGraphicsTextItem *text);
    void textEditorHided();
    void setHelperColor(QColor color);

private:
    void placeText(const QPoint &viewPos);

    AnnotationEditor *m_editor;
    // Guarded: a scene deleted while a text is typed takes the text with it.
    QPointer<QorvGraphicsTextItem> m_textItem;
    QColor m_textColor;
    QFont m_textFont;
};

} // namespace ui
} // namespace drawlet
