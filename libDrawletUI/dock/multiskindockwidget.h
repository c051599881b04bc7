#pragma once

#include "drawletui_global.h"
#include "skindockwidget.h"

#include <QPixmap>
#include <QSize>
#include <QString>

class QTimer;

namespace drawlet {
namespace ui {

// The frame behind the annotation toolbar: a skin of a left cap, a tiled centre and a right cap,
// turned and mirrored for the edge it docks to; 776 pixels long (820 on the whiteboard, one more
// button), collapsible to a 77-pixel stub with an animation, and re-attached whenever the desktop
// panels change.
class DRAWLETUI_EXPORT MultiSkinDockWidget : public SkinDockWidget
{
    Q_OBJECT
public:
    static const int FrameLength = 776;
    static const int WhiteboardFrameLength = 820;
    static const int NarrowLength = 77;

    MultiSkinDockWidget(const QString &left, const QString &centre, const QString &right,
                        QWidget *parent);
    ~MultiSkinDockWidget() override;

    void redrawMoveWindowToAttach(QPoint topLeft);
    void setNarowMode(bool on);
    void resizeWindow(int edgeCode);
    QPixmap doRotateMirrorImage(QString path, int angle, bool flip);
    void drawToporBottomSkin(QPainter *painter);
    void drawLeftorRightSkin(QPainter *painter);

    // The full length for the current state (whiteboard or not).
    int frameLength() const;
    bool isNarrowMode() const { return m_narrowMode; }
    bool isScaling() const { return m_resizing; }
    bool isExpanding() const { return m_expanding; }
    int capOffset() const { return m_capOffset; }
    int skinnedEdge() const { return m_skinnedEdge; }
    QSize targetSize() const { return m_targetSize; }
    bool isWhiteboard() const { return m_whiteboard; }
    QTimer *moveTimer() const { return m_moveTimer; }
    QTimer *taskBarTimer() const { return m_taskBarTimer; }

public slots:
    void enteredWhiteboardAnnotationStateSlot();
    void exitedWhiteboardAnnotationStateSlot();
    void dlgMoveTimerUpdate();
    void setScalingWindow();
    void detectTaskBarTimerUpdate();

signals:
    void setMainToolBarShrink(bool shrunk);
    void mouseReleased();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void paintSkin(QPainter *painter);
    // Cuts the window to the skin as it is drawn now (size, edge, collapsed look).
    void updateSkinMask();
    void reskin(int edge);
    QSize fullSizeFor(int edge) const;
    // Sets the target size for the edge and resizes to it: the bottom edge stays for a horizontal
    // frame, the top edge for a vertical one.
    void applyTargetSize(int edge);
    void resizeAlongEdge(int length);
    void whiteboardChanged(bool on);
    void stopAnimation();

    QPixmap m_leftImage;
    QPixmap m_centreImage;
    QPixmap m_rightImage;
    QPixmap m_narrowLineImage;
    QString m_leftImagePath;
    QString m_centreImagePath;
    QString m_rightImagePath;
    QString m_narrowLinePath;
    QTimer *m_moveTimer = nullptr;
    QTimer *m_taskBarTimer = nullptr;
    QSize m_currentSize {-1, -1};
    QSize m_targetSize {-1, -1};
    int m_skinnedEdge = -1;
    int m_capOffset = 0;
    bool m_narrowMode = false;
    bool m_expanding = false;
};

} // namespace ui
} // namespace drawlet
