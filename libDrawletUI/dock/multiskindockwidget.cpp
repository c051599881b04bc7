#include "multiskindockwidget.h"

#include "dockscreen.h"
#include "nativewindow.h"
#include "screenedge.h"
#include "skinmask.h"

#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <QTransform>

#include <algorithm>

namespace drawlet {
namespace ui {

namespace {

// One animation step: the frame grows or shrinks by this much every millisecond.
const int AnimationStep = 15;
// Below this length the caps start to be cut; below the second the frame collapses.
const int CapCutLength = 139;
const int CollapseLength = 96;
const int CollapsedCapOffset = 31;

struct Orientation
{
    int angle;
    bool capsMirrored;
    bool centreMirrored;
};

Orientation orientationFor(int edge)
{
    switch (edge) {
    case BottomEdge:
        return {0, true, true};
    case LeftEdge:
        return {-90, true, false};
    case RightEdge:
        return {90, false, false};
    default:
        return {0, false, false};
    }
}

} // namespace

MultiSkinDockWidget::MultiSkinDockWidget(const QString &left, const QString &centre,
                                         const QString &right, QWidget *parent)
    : SkinDockWidget(QString(), parent, true, nullptr)
    , m_leftImagePath(left)
    , m_centreImagePath(centre)
    , m_rightImagePath(right)
    , m_narrowLinePath(QStringLiteral(":/resource/skin/") + QStringLiteral("narrow_line.png"))
    , m_moveTimer(new QTimer(this))
    , m_taskBarTimer(new QTimer(this))
{
    hide();
    connect(m_moveTimer, &QTimer::timeout, this, &MultiSkinDockWidget::dlgMoveTimerUpdate);
    connect(m_taskBarTimer, &QTimer::timeout, this, &MultiSkinDockWidget::detectTaskBarTimerUpdate);

    m_leftImage = QPixmap(m_leftImagePath);
    m_centreImage = QPixmap(m_centreImagePath);
    m_rightImage = QPixmap(m_rightImagePath);
    m_narrowLineImage = QPixmap(m_narrowLinePath);

    resize(FrameLength, m_centreImage.height());
    const QRect screen = m_screenRect;
    setGeometry(screen.x() + (screen.width() - width()) / 2, screen.y(), width(), height());

    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
    m_taskBarTimer->start(300);
}

MultiSkinDockWidget::~MultiSkinDockWidget()
{
    delete m_moveTimer;
    delete m_taskBarTimer;
}

int MultiSkinDockWidget::frameLength() const
{
    return m_whiteboard ? WhiteboardFrameLength : FrameLength;
}

QSize MultiSkinDockWidget::fullSizeFor(int edge) const
{
    if (isVerticalEdge(edge))
        return QSize(m_centreImage.width(), frameLength());
    return QSize(frameLength(), m_centreImage.height());
}

void MultiSkinDockWidget::applyTargetSize(int edge)
{
    m_targetSize = fullSizeFor(edge);
    setMinimumWidth(0);
    setWindowSize(this, m_targetSize.width(), m_targetSize.height(), !isVerticalEdge(edge));
}

QPixmap MultiSkinDockWidget::doRotateMirrorImage(QString path, int angle, bool flip)
{
    QImage image(path);
    if (image.isNull())
        return QPixmap();
    image = image.transformed(QTransform().rotate(angle), Qt::FastTransformation);
    if (flip)
        image = image.mirrored(false, true);
    return QPixmap::fromImage(image);
}

void MultiSkinDockWidget::reskin(int edge)
{
    const Orientation orientation = orientationFor(edge);
    m_leftImage = doRotateMirrorImage(m_leftImagePath, orientation.angle, orientation.capsMirrored);
    m_centreImage
        = doRotateMirrorImage(m_centreImagePath, orientation.angle, orientation.centreMirrored);
    m_rightImage
        = doRotateMirrorImage(m_rightImagePath, orientation.angle, orientation.capsMirrored);
    m_narrowLineImage
        = doRotateMirrorImage(m_narrowLinePath, orientation.angle, orientation.capsMirrored);
}

void MultiSkinDockWidget::redrawMoveWindowToAttach(QPoint topLeft)
{
    if (!m_movable)
        return;
    const int edge = checkDockWidgetPosition(topLeft);
    if (edge != m_skinnedEdge) {
        reskin(edge);
        emit updateButtonLocation(edge);
        applyTargetSize(edge);
        m_skinnedEdge = edge;
        updateSkinMask();
    }
    moveWindowToAttach();
    if (!m_moveButtonName.isEmpty()) {
        const QString normal = m_moveButtonName + QStringLiteral("_normal.png");
        m_moveButtonImage = isVerticalEdge(edge) ? rotateImage(normal, -90) : QPixmap(normal);
    }
    update();
    windowUpdate(this);
}

void MultiSkinDockWidget::setNarowMode(bool on)
{
    m_narrowMode = on;
    emit setMainToolBarShrink(on);
    m_skinnedEdge = -1;
    updateSkinMask();
}

void MultiSkinDockWidget::resizeWindow(int edgeCode)
{
    applyTargetSize(edgeCode);
}

void MultiSkinDockWidget::whiteboardChanged(bool on)
{
    m_whiteboard = on;
    applyTargetSize(m_location);
    m_attachPending = true;
    m_keepPosition = true;
    moveWindowToAttach();
    m_attachPending = false;
    m_keepPosition = false;
    update();
}

void MultiSkinDockWidget::enteredWhiteboardAnnotationStateSlot()
{
    whiteboardChanged(true);
}

void MultiSkinDockWidget::exitedWhiteboardAnnotationStateSlot()
{
    whiteboardChanged(false);
    windowUpdate(this);
}

void MultiSkinDockWidget::setScalingWindow()
{
    m_currentSize = size();
    setMinimumWidth(0);
    emit updateMouseMove();
    m_moveTimer->start(1);
    m_resizing = true;
    if (!m_narrowMode) {
        m_capOffset = 0;
    } else if (!isVerticalEdge(m_location)) {
        m_currentSize.setWidth(width() - 1);
        m_capOffset -= 1;
    }
}

void MultiSkinDockWidget::resizeAlongEdge(int length)
{
    if (isVerticalEdge(m_location))
        setWindowSize(this, width(), length, false);
    else
        setWindowSize(this, length, height(), true);
}

void MultiSkinDockWidget::stopAnimation()
{
    m_resizing = false;
    m_moveTimer->stop();
    updateSkinMask();
}

void MultiSkinDockWidget::dlgMoveTimerUpdate()
{
    const bool vertical = isVerticalEdge(m_location);
    const int recorded = vertical ? m_currentSize.height() : m_currentSize.width();
    m_expanding = m_narrowMode;
    // Growing stops at the full length rather than a step past it.
    const int length = m_expanding ? std::min(recorded + AnimationStep, frameLength())
                                   : recorded - AnimationStep;
    resizeAlongEdge(length);
    m_currentSize = size();

    if (recorded <= CapCutLength) {
        if (m_expanding) {
            m_capOffset = std::max(0, m_capOffset - 10);
        } else {
            m_capOffset += 10;
            if (recorded <= CollapseLength) {
                m_narrowMode = true;
                stopAnimation();
                m_capOffset = CollapsedCapOffset;
                resizeAlongEdge(NarrowLength);
                m_currentSize = size();
                emit setMainToolBarShrink(true);
                windowUpdate(this);
                return;
            }
        }
    }
    if (m_expanding && recorded >= frameLength()) {
        m_narrowMode = false;
        stopAnimation();
        emit setMainToolBarShrink(false);
        windowUpdate(this);
    }
}

void MultiSkinDockWidget::detectTaskBarTimerUpdate()
{
    detectWinOSTaskbar();
    if (m_dockRect == m_recordedDockRect && m_statusBarRect == m_recordedStatusBarRect)
        return;
    m_attachPending = true;
    moveWindowToAttach();
    m_recordedDockRect = m_dockRect;
    m_recordedStatusBarRect = m_statusBarRect;
}

void MultiSkinDockWidget::mouseReleaseEvent(QMouseEvent *event)
{
    QWidget::mouseReleaseEvent(event);
    emit mouseReleased();
    if (!m_narrowMode && m_attachPending) {
        const QPoint release = event->localPos().toPoint();
        m_dragOffset = release;
        redrawMoveWindowToAttach(event->globalPos() - release);
    }
    m_attachPending = false;
}

void MultiSkinDockWidget::paintEvent(QPaintEvent *event)
{
    SkinDockWidget::paintEvent(event);
    QPainter painter(this);
    paintSkin(&painter);
}

void MultiSkinDockWidget::paintSkin(QPainter *painter)
{
    if (m_location > BottomEdge)
        drawLeftorRightSkin(painter);
    else
        drawToporBottomSkin(painter);
}

void MultiSkinDockWidget::resizeEvent(QResizeEvent *event)
{
    SkinDockWidget::resizeEvent(event);
    updateSkinMask();
}

void MultiSkinDockWidget::updateSkinMask()
{
    if (size().isEmpty())
        return;
    QImage skin(size(), QImage::Format_ARGB32_Premultiplied);
    skin.fill(Qt::transparent);
    QPainter painter(&skin);
    paintSkin(&painter);
    painter.end();
    const QRegion shape = skinMask(skin);
    if (!shape.isEmpty())
        setMask(shape);
}

void MultiSkinDockWidget::drawToporBottomSkin(QPainter *painter)
{
    const int frameWidth = width();
    const int leftWidth = m_leftImage.width();
    const int rightWidth = m_rightImage.width();
    if (frameWidth <= leftWidth + rightWidth || m_narrowMode) {
        // The collapsed look: both caps cut by the offset (the left cap's width stands for both).
        const int piece = std::max(0, leftWidth - m_capOffset);
        painter->drawPixmap(0, 0, m_leftImage, 0, 0, piece, m_leftImage.height());
        painter->drawPixmap(frameWidth - piece, 0, m_rightImage, m_capOffset, 0, piece,
                            m_rightImage.height());
        if (m_narrowMode && !m_expanding) {
            const int y = m_location == BottomEdge ? height() - m_narrowLineImage.height() : 0;
            painter->drawPixmap(piece - 1, y, m_narrowLineImage);
        } else {
            drawMoveButton(painter);
        }
    } else {
        painter->drawPixmap(0, 0, m_leftImage);
        painter->drawPixmap(frameWidth - rightWidth, 0, m_rightImage);
        drawMoveButton(painter);
    }
    const int centre = frameWidth - leftWidth - rightWidth;
    if (centre > 0 && !m_centreImage.isNull())
        painter->drawTiledPixmap(leftWidth, 0, centre, m_centreImage.height(), m_centreImage);
}

void MultiSkinDockWidget::drawLeftorRightSkin(QPainter *painter)
{
    const int frameHeight = height();
    const int topHeight = m_leftImage.height();
    const int bottomHeight = m_rightImage.height();
    if (frameHeight <= topHeight + bottomHeight || m_narrowMode) {
        const int piece = std::max(0, topHeight - m_capOffset);
        painter->drawPixmap(0, 0, m_leftImage, 0, 0, m_leftImage.width(), piece);
        painter->drawPixmap(0, frameHeight - piece, m_rightImage, 0, m_capOffset,
                            m_rightImage.width(), piece);
        if (m_narrowMode && !m_expanding) {
            const int x = m_location == RightEdge ? width() - m_narrowLineImage.width() : 0;
            painter->drawPixmap(x, piece, m_narrowLineImage);
        } else {
            drawMoveButton(painter);
        }
    } else {
        painter->drawPixmap(0, 0, m_leftImage);
        painter->drawPixmap(0, frameHeight - bottomHeight, m_rightImage);
        drawMoveButton(painter);
    }
    const int centre = frameHeight - topHeight - bottomHeight;
    if (centre > 0 && !m_centreImage.isNull())
        painter->drawTiledPixmap(0, topHeight, m_centreImage.width(), centre, m_centreImage);
}

} // namespace ui
} // namespace drawlet
