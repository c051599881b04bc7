#pragma once

#include "drawletui_global.h"

#include <QDockWidget>
#include <QPixmap>
#include <QPoint>
#include <QRect>
#include <QString>

class QPainter;
class QToolButton;

namespace drawlet {
namespace ui {

// A frameless, floating, see-through panel whose whole look is one skin image. As a movable frame
// it carries a drag handle and snaps to a screen edge clear of the desktop panels; as a pop-up it
// opens beside its owner button on the side away from the toolbar's edge, restyles that button and
// hides when another toolbar button is clicked.
class DRAWLETUI_EXPORT SkinDockWidget : public QDockWidget
{
    Q_OBJECT
public:
    SkinDockWidget(const QString &skinName, QWidget *parent, bool movable, QToolButton *owner);
    // A pop-up panel (not movable).
    SkinDockWidget(const QString &skinName, QToolButton *owner, QWidget *parent);
    ~SkinDockWidget() override;

    // Measures the space the desktop panels take from the primary screen; returns and keeps the
    // rectangle of the side panel ("Dock") the frame keeps clear of.
    QRect detectWinOSTaskbar();
    void drawMoveButton(QPainter *painter);
    void setMoveButton(QString name);
    void setRedrawWindowPoint(bool redraw, QPoint point);
    void moveWindowToAttach();
    int checkDockWidgetPosition(QPoint point);
    QPixmap rotateImage(QString path, int degrees);
    void rotateImageResizeWindow(int degrees);

    int location() const { return m_location; }
    bool isMovable() const { return m_movable; }
    bool isAttachPending() const { return m_attachPending; }
    QToolButton *ownerButton() const { return m_ownerButton; }
    QString skinName() const { return m_skinName; }
    // 0 the side panel is at the bottom, 2 at the left, 3 at the right.
    int dockSide() const { return m_dockSide; }
    QRect dockRect() const { return m_dockRect; }
    QRect statusBarRect() const { return m_statusBarRect; }
    QRect screenRect() const { return m_screenRect; }
    QPoint moveButtonPosition() const { return m_moveButtonPosition; }

public slots:
    void changeButtonSkin(QString iconPath);
    void setHideByToolbuttonObjectName(const QString &objectName);
    void changeLocationSlot(int code);

signals:
    void updateButtonLocation(int location);
    void updateMouseMove();
    void languageChanged();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void showEvent(QShowEvent *event) override;

    // Whether a press at the local point lies on the drag handle for the current edge.
    bool isOnMoveButton(const QPoint &point) const;
    // Where the handle is drawn for the current edge.
    QPoint moveButtonPositionFor(int edge) const;

    QToolButton *m_ownerButton;
    QString m_skinName;
    bool m_movable;
    bool m_resizing = false;
    bool m_attachPending = false;
    bool m_useStoredPoint = false;
    QPoint m_storedPoint;
    QString m_moveButtonName;
    QPoint m_moveButtonPosition;
    QPixmap m_moveButtonImage;
    QPixmap m_background;
    QRect m_screenRect;
    int m_location = 0;
    QPoint m_dragOffset;
    int m_leftLimit = 0;
    int m_rightLimit = 0;
    int m_verticalMiddle = 0;
    QRect m_dockRect;
    QRect m_statusBarRect;
    // The side panels as last taken into account by a snap (the frame's watch records them).
    QRect m_recordedDockRect;
    QRect m_recordedStatusBarRect;
    int m_dockSide = 0;
    bool m_whiteboard = false;
    bool m_keepPosition = false;

private:
    void placeBesideOwner();
    int alongEdgeCoordinate() const;
};

} // namespace ui
} // namespace drawlet
