#include "cameramainwidget.h"

#include "keystonewidget.h"
#include "seethroughmask.h"

#include "camera/generalcamera.h"
#include "capture/qorvcapturesession.h"
#include "common/cameralayoutgeometry.h"
#include "common/nativewindowhelpers.h"

#include <QAbstractItemView>
#include <QCursor>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QTimer>
#include <QWindowStateChangeEvent>

void CameraMainWidget::setAvailableGeometryProvider(std::function<QRect()> provider)
{
    availableGeometryFor = std::move(provider);
}

QRect CameraMainWidget::availableGeometry() const
{
    if (availableGeometryFor)
        return availableGeometryFor();
    QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(0, 0, 1920, 1080);
}

QRect CameraMainWidget::pictureRect() const
{
    const int m = resizing ? ResizeMargin : 0;
    return QRect(3 + m, 30 + m, width() - (2 * m + 4), height() - (2 * m + 32));
}

void CameraMainWidget::moveCompanions()
{
    const QRect picture = pictureRect().translated(pos());
    visionWidget->setGeometry(picture);
    keyStoneWidget->setGeometry(picture);
}

void CameraMainWidget::raiseTogether()
{
    visionWidget->raise();
    keyStoneWidget->raise();
    raise();
    // Without a window manager nothing keeps an open dialog above the window it belongs to: raised on
    // the click that opened it, the window would cover it.
    for (QWidget *dialog : openDialogs())
        dialog->raise();
}

QList<QWidget *> CameraMainWidget::openDialogs() const
{
    QList<QWidget *> dialogs;
    for (QWidget *child : findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly)) {
        if (child->isWindow() && child->isVisible())
            dialogs.append(child);
    }
    return dialogs;
}

void CameraMainWidget::relayout()
{
    const int m = resizing ? ResizeMargin : 0;
    const int frameWidth = width() - 2 * m;
    const int frameHeight = height() - 2 * m;
    frameCamera->setGeometry(m, m, frameWidth, frameHeight);
    moveCompanions();
    keyStoneWidget->relayout();
    if (resizing && y() <= availableGeometry().top())
        move(x(), availableGeometry().top());

    topBar->setGeometry(0, 0, frameWidth, 32);
    widgetDown->setGeometry(0, 32, frameWidth, frameHeight - 32);
    const int downWidth = widgetDown->width();
    const int downHeight = widgetDown->height();
    const int columnTop = qMax(1, (downHeight - 46 - 220) / 2);
    verticalWidgetRight->setGeometry(downWidth - 40 - 4, columnTop, 40, 220);
    verticalWidgetLeft->setGeometry(4, columnTop, 40, 220);
    ptzWidget->setGeometry(widgetDown->x() + verticalWidgetRight->x() - 95 - 4,
                           widgetDown->y() + columnTop, 95, 95);
    cbAudio->setGeometry(widgetDown->x() + 44, widgetDown->y() + columnTop + 198, 16, 22);
    bottomBar->setGeometry((downWidth - 352) / 2, downHeight - 46 - 4, 352, 46);
    lebalCountdown->setGeometry(0, 0, downWidth, downHeight);
    fitNotice(downWidth, downHeight);
    frameRecordTime->move(downWidth - frameRecordTime->width() - 60, 20);
    frameLiveTime->move(downWidth - frameLiveTime->width() - 60, 36);

    topResizer->setGeometry(5, 0, frameWidth - 10, 5);
    bottomResizer->setGeometry(5, frameHeight - 5, frameWidth - 10, 5);
    leftResizer->setGeometry(0, 5, 5, frameHeight - 10);
    rightResizer->setGeometry(frameWidth - 5, 5, 5, frameHeight - 10);
    leftUpResizer->setGeometry(0, 0, 5, 5);
    rightUpResizer->setGeometry(frameWidth - 5, 0, 5, 5);
    leftDownResizer->setGeometry(0, frameHeight - 5, 5, 5);
    rightDownResizer->setGeometry(frameWidth - 5, frameHeight - 5, 5, 5);
    for (QWidget *edge : {static_cast<QWidget *>(topResizer), static_cast<QWidget *>(bottomResizer),
                          static_cast<QWidget *>(leftResizer), static_cast<QWidget *>(rightResizer),
                          static_cast<QWidget *>(leftUpResizer), static_cast<QWidget *>(rightUpResizer),
                          static_cast<QWidget *>(leftDownResizer), static_cast<QWidget *>(rightDownResizer)})
        edge->raise();
    updateSeeThrough();
}

void CameraMainWidget::fitNotice(int areaWidth, int areaHeight)
{
    // The box keeps the form's size unless its text needs more, in whatever language: then it grows
    // about the middle of the area, never past it. The text fills the box but for a margin and wraps.
    const QSize least = NoticeBoxSize;
    ensureNoticeText();
    const int widestWord = lbTiptx->minimumSizeHint().width();
    const int width = qBound(least.width(), widestWord + 2 * NoticeMargin, qMax(least.width(), areaWidth));
    const int textWidth = width - 2 * NoticeMargin;
    const int height = qBound(least.height(), lbTiptx->heightForWidth(textWidth) + 2 * NoticeMargin,
                              qMax(least.height(), areaHeight));
    lbTip->setGeometry((areaWidth - width) / 2, (areaHeight - height) / 2, width, height);
    lbTiptx->setGeometry(NoticeMargin, NoticeMargin, textWidth, height - 2 * NoticeMargin);
}

void CameraMainWidget::resetUi()
{
    btnRecord->show();
    btnContinue->hide();
    btnPause->hide();
    btnStop->hide();
    relayout();
    btnCameraSettting->setEnabled(false);
    maximizedState = false;
}

void CameraMainWidget::showCameraWidgetContent()
{
    if (countdownValue > 0)
        return;
    widgetDown->show();
    if (comboBoxSource->currentIndex() != 0) {
        bottomBar->show();
        verticalWidgetLeft->show();
        verticalWidgetRight->show();
        ptzWidget->show();
        session->enableAudioVolumeLevelExport(true);
    }
    if (!timeStampTimer->isActive())
        timeStampTimer->start();
    updateSeeThrough();
}

void CameraMainWidget::hideCameraWidgetContent()
{
    if (modePopupShown) {
        modePopupShown = false;
        return;
    }
    if (!comboPopupShown && !comboBoxSource->view()->isVisible()) {
        verticalWidgetLeft->hide();
        verticalWidgetRight->hide();
        ptzWidget->hide();
        bottomBar->hide();
        session->enableAudioVolumeLevelExport(false);
    }
    if (timeStampTimer->isActive())
        timeStampTimer->stop();
    updateSeeThrough();
}

bool CameraMainWidget::event(QEvent *e)
{
    switch (e->type()) {
    case QEvent::Enter:
        widgetDown->setPixmap(QPixmap(QStringLiteral(":/cameraWidget/resources/cameraWidget/95.png")));
        mouseInside = true;
        showCameraWidgetContent();
        break;
    case QEvent::Leave:
        // Without a compositor the picture is a gap in this window: moving onto it is no leaving.
        if (!SeeThroughMask::compositing() && cursorStillOver())
            break;
        mouseInside = false;
        hideCameraWidgetContent();
        widgetDown->setPixmap(QPixmap(QStringLiteral(":/cameraWidget/resources/cameraWidget/99.png")));
        break;
    case QEvent::WindowActivate:
        raiseTogether();
        break;
    case QEvent::ZOrderChange:
        emit zorderChange();
        break;
    default:
        break;
    }
    return QWidget::event(e);
}

void CameraMainWidget::doMousePress(QMouseEvent *e)
{
    _mousePressEvent(e);
}

void CameraMainWidget::doMouseMove(QMouseEvent *e)
{
    if (!maximizedState)
        _mouseMoveEvent(e);
}

void CameraMainWidget::doMouseRelease(QMouseEvent *e)
{
    _mouseReleaseEvent(e);
}

void CameraMainWidget::_mousePressEvent(QMouseEvent *e)
{
    if (e->button() != Qt::LeftButton)
        return;
    dragging = true;
    dragPressPos = e->localPos().toPoint();
    raiseTogether();
    hideCameraWidgetContent();
    windowUpdate(this);
}

void CameraMainWidget::_mouseMoveEvent(QMouseEvent *e)
{
    if (!dragging)
        return;
    const QPoint distance = e->localPos().toPoint() - dragPressPos;
    move(pos() + distance);
    moveCompanions();
}

void CameraMainWidget::_mouseReleaseEvent(QMouseEvent *e)
{
    if (e->button() != Qt::LeftButton)
        return;
    dragging = false;
    dragPressPos = QPoint(0, 0);
    raise();
    setFocus(Qt::OtherFocusReason);
    showCameraWidgetContent();
    windowUpdate(this);
}

void CameraMainWidget::setMaskGeometry(const QRect &rect)
{
    maskWidget->setGeometry(rect);
}

void CameraMainWidget::startResizer()
{
    if (maximizedState)
        return;
    activeResizer = qobject_cast<QWidget *>(sender());
    resizing = true;
    resizeGeometry = QRect(x() - ResizeMargin, y() - ResizeMargin, width() + 2 * ResizeMargin,
                           height() + 2 * ResizeMargin);
    setMinimumSize(minimumWidth() + 2 * ResizeMargin, minimumHeight() + 2 * ResizeMargin);
    setGeometry(resizeGeometry);
    setMaskGeometry(QRect(QPoint(0, 0), resizeGeometry.size()));
}

QWidget *CameraMainWidget::resizerUnderMouse() const
{
    if (activeResizer)
        return activeResizer;
    for (QWidget *edge : {static_cast<QWidget *>(topResizer), static_cast<QWidget *>(bottomResizer),
                          static_cast<QWidget *>(leftResizer), static_cast<QWidget *>(rightResizer),
                          static_cast<QWidget *>(leftUpResizer), static_cast<QWidget *>(rightUpResizer),
                          static_cast<QWidget *>(leftDownResizer), static_cast<QWidget *>(rightDownResizer)}) {
        if (edge->underMouse())
            return edge;
    }
    return nullptr;
}

void CameraMainWidget::resizeWindow(QPoint distance)
{
    if (maximizedState || !resizing)
        return;
    QWidget *edge = resizerUnderMouse();
    QRect target = resizeGeometry;
    if (edge == leftResizer || edge == leftUpResizer || edge == leftDownResizer) {
        const int newWidth = resizeGeometry.width() - distance.x();
        if (newWidth > minimumWidth()) {
            target.setLeft(resizeGeometry.left() + distance.x());
        }
    } else if (edge == rightResizer || edge == rightUpResizer || edge == rightDownResizer) {
        const int newWidth = resizeGeometry.width() + distance.x();
        if (newWidth > minimumWidth())
            target.setWidth(newWidth);
    }
    if (edge == topResizer || edge == leftUpResizer || edge == rightUpResizer) {
        const int newHeight = resizeGeometry.height() - distance.y();
        if (newHeight > minimumHeight())
            target.setTop(resizeGeometry.top() + distance.y());
    } else if (edge == bottomResizer || edge == leftDownResizer || edge == rightDownResizer) {
        const int newHeight = resizeGeometry.height() + distance.y();
        if (newHeight > minimumHeight())
            target.setHeight(newHeight);
    }
    if (target == geometry())
        return;
    setGeometry(target);
    setMaskGeometry(QRect(QPoint(0, 0), target.size()));
}

void CameraMainWidget::endResizer()
{
    if (!resizing)
        return;
    resizing = false;
    activeResizer = nullptr;
    const int frameTop = frameCamera->y();
    setMinimumSize(minimumWidth() - 2 * ResizeMargin, minimumHeight() - 2 * ResizeMargin);
    setMaskGeometry(QRect());
    setGeometry(x() + ResizeMargin, y() + frameTop, width() - 2 * ResizeMargin, height() - 2 * ResizeMargin);
    resizeGeometry = geometry();
    changeCursor();
}

void CameraMainWidget::changeCursor()
{
    double ratio = 0.0;
    const bool zoomed = camera && ((camera->getZoomRatio(&ratio) == GeneralCamera::Success && ratio > 0.0)
                                   || zoom.level() >= 2);
    if (zoomed && widgetDown->underMouse()) {
        const bool overControls = verticalWidgetLeft->underMouse() || verticalWidgetRight->underMouse()
                                  || bottomBar->underMouse();
        setCursor(overControls ? Qt::ArrowCursor : Qt::OpenHandCursor);
        return;
    }
    if (maximizedState) {
        setCursor(Qt::ArrowCursor);
        return;
    }
    QWidget *edge = resizing ? activeResizer : resizerUnderMouse();
    if (edge == topResizer || edge == bottomResizer)
        setCursor(Qt::SizeVerCursor);
    else if (edge == leftResizer || edge == rightResizer)
        setCursor(Qt::SizeHorCursor);
    else if (edge == leftUpResizer || edge == rightDownResizer)
        setCursor(Qt::SizeFDiagCursor);
    else if (edge == leftDownResizer || edge == rightUpResizer)
        setCursor(Qt::SizeBDiagCursor);
    else
        setCursor(Qt::ArrowCursor);
}

void CameraMainWidget::resizeEvent(QResizeEvent *e)
{
    QWidget::resizeEvent(e);
    relayout();
    if (resizeTimerId != 0) {
        killTimer(resizeTimerId);
        resizeTimerId = 0;
    }
    QScreen *screen = QGuiApplication::primaryScreen();
    const QSize defaultSize = CameraLayoutGeometry::smallSize(screen ? screen->geometry().height() : 1080);
    if (qAbs(width() - defaultSize.width()) <= 1 && qAbs(height() - defaultSize.height()) <= 1)
        return;
    resizeTimerId = startTimer(sizeReportIntervalMs, Qt::CoarseTimer);
}

void CameraMainWidget::timerEvent(QTimerEvent *e)
{
    if (e->timerId() != resizeTimerId) {
        QWidget::timerEvent(e);
        return;
    }
    killTimer(resizeTimerId);
    resizeTimerId = 0;
    if (!camera)
        return;
    sendAnalytics(WindowResizedEvent, cameraOrder, cameraName(),
                  QStringLiteral("%1X%2").arg(width()).arg(height()));
}

void CameraMainWidget::maximized()
{
    if (maximizedState) {
        setGeometry(normalGeometry);
    } else {
        normalGeometry = geometry();
        const QRect area = availableGeometry();
        resize(area.size());
        move(area.topLeft());
    }
    maximizedState = !maximizedState;
    relayout();
}

void CameraMainWidget::minimized()
{
    // Without a window manager nothing iconifies the window, nor gives it back: it is hidden whole,
    // and the layout chooser shows it again with its picture.
    if (canMinimize())
        showMinimized();
    else
        hide();
    visionWidget->hide();
    keyStoneWidget->hide();
}

void CameraMainWidget::changeEvent(QEvent *e)
{
    if (e->type() == QEvent::WindowStateChange) {
        auto *change = static_cast<QWindowStateChangeEvent *>(e);
        if (change->oldState() & Qt::WindowMinimized) {
            if (camera) {
                visionWidget->showNormal();
                keyStoneWidget->showNormal();
            }
            raise();
        }
    }
    QWidget::changeEvent(e);
}


// ---- the picture without a compositor ----

bool CameraMainWidget::cursorStillOver() const
{
    return QRect(mapToGlobal(QPoint(0, 0)), size()).contains(QCursor::pos());
}

QRegion CameraMainWidget::seeThroughRegion() const
{
    const QRect frame = frameCamera->geometry();
    if (!visionWidget->isVisible())
        return QRegion(frame);
    QRegion shown = QRegion(frame).subtracted(QRegion(pictureRect()));
    // What is drawn over the picture stays: the control bars, notices, counters and the countdown.
    const QList<QWidget *> overlays = {verticalWidgetLeft, verticalWidgetRight, ptzWidget, bottomBar, cbAudio,
                                       lebalCountdown, lbTip, frameRecordTime, frameLiveTime};
    for (QWidget *overlay : overlays) {
        if (overlay && overlay->isVisibleTo(this))
            shown += QRect(overlay->mapTo(this, QPoint(0, 0)), overlay->size());
    }
    return shown.intersected(QRegion(frame));
}

void CameraMainWidget::updateSeeThrough()
{
    SeeThroughMask::apply(this, seeThroughRegion());
    // Without a compositor the keystone window is cut down to its outline, so only the outline covers
    // the picture.
    keyStoneWidget->updateShape();
}

bool CameraMainWidget::eventFilter(QObject *watched, QEvent *e)
{
    if (watched != visionWidget && watched != keyStoneWidget)
        return QWidget::eventFilter(watched, e);
    switch (e->type()) {
    case QEvent::Show:
    case QEvent::Hide:
        // With a picture the gap opens; without one the frame is drawn whole.
        if (watched == visionWidget)
            updateSeeThrough();
        break;
    case QEvent::Enter: {
        QEvent enter(QEvent::Enter);
        event(&enter);
        break;
    }
    case QEvent::Leave:
        if (!cursorStillOver()) {
            QEvent leave(QEvent::Leave);
            event(&leave);
        }
        break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseMove:
    case QEvent::MouseButtonRelease: {
        // The pan handlers of this window measure in its own coordinates.
        auto *mouse = static_cast<QMouseEvent *>(e);
        const QPointF local(mapFromGlobal(mouse->globalPos()));
        QMouseEvent forwarded(e->type(), local, mouse->windowPos(), mouse->screenPos(), mouse->button(),
                              mouse->buttons(), mouse->modifiers());
        if (e->type() == QEvent::MouseButtonPress)
            mousePressEvent(&forwarded);
        else if (e->type() == QEvent::MouseMove)
            mouseMoveEvent(&forwarded);
        else
            mouseReleaseEvent(&forwarded);
        return true;
    }
    default:
        break;
    }
    return QWidget::eventFilter(watched, e);
}
