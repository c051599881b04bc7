#pragma once

#include "drawletui_global.h"

#include <QColor>
#include <QList>
#include <QString>
#include <QWidget>

class QAction;
class QButtonGroup;
class QTimer;
class QToolButton;

namespace drawlet {
namespace ui {

class AnnotationEditor;
class ClosedShapePainter;
class PaintInterface;

// The pop-up row of six shape buttons (rectangle, circle and triangle, each outlined or filled).
// Each button hands its own drawing tool and cursor to the editor and re-skins the toolbar's shape
// button for the chosen shape. Without an editor it is only the auto-hiding content of a pop-up:
// it hides its panel a while after it was shown, unless the pointer rests on it.
class DRAWLETUI_EXPORT ShapeSelWidget : public QWidget
{
    Q_OBJECT
public:
    static const int DefaultHideDelayMs = 3000;

    ShapeSelWidget(AnnotationEditor *editor, QWidget *parent);
    explicit ShapeSelWidget(QWidget *parent);
    ~ShapeSelWidget() override;

    QToolButton *createPainterButton(PaintInterface *painter, int width, int height,
                                     const QString &skinName, const QString &cursorPath, int hotX,
                                     int hotY, const QString &objectName, QWidget *parent);
    QToolButton *createBaseButton(int width, int height, QAction *action, const QString &skinPath,
                                  const bool &checkable, const QString &objectName,
                                  QWidget *parent);

    // How long the panel stays open without the pointer on it.
    void setHideDelay(int milliseconds) { m_hideDelay = milliseconds; }
    int hideDelay() const { return m_hideDelay; }
    QTimer *hideTimer() const { return m_timer; }
    int location() const { return m_location; }
    QButtonGroup *buttonGroup() const { return m_buttonGroup; }
    QList<QToolButton *> buttons() const;
    QList<ClosedShapePainter *> painters() const { return m_painters; }

public slots:
    void clickButton();
    void changePainterSlot(bool checked);
    void changeLocationSlot(int code);
    void setButtonToolTip();

signals:
    void setPenColor(QColor color);
    void setHelperColor(QColor color);
    void buttonSkinChanged(QString skin);

protected:
    bool event(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void setUpAutoHide();

    QTimer *m_timer = nullptr;
    int m_hideDelay = DefaultHideDelayMs;
    AnnotationEditor *m_editor = nullptr;
    QButtonGroup *m_buttonGroup = nullptr;
    int m_location = 0;
    QList<QAction *> m_actions;
    QList<ClosedShapePainter *> m_painters;
};

} // namespace ui
} // namespace drawlet
