#include "capture/previewlayer.h"

#include <QEvent>
#include <QMutexLocker>
#include <QPainter>

PreviewLayer::PreviewLayer(QWidget *view)
    : QWidget(view),
      m_feed(std::make_shared<Feed>())
{
    m_feed->m_layer = this;
    setAttribute(Qt::WA_OpaquePaintEvent);
    // The preview never takes the caller's clicks: overlays and the window's own handling stay in
    // charge.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    if (view) {
        setGeometry(view->rect());
        view->installEventFilter(this);
    }
    // Whatever the caller already placed in its widget stays above the picture.
    lower();
    show();
}

PreviewLayer::~PreviewLayer()
{
    QMutexLocker locker(&m_feed->m_mutex);
    m_feed->m_layer = nullptr;
}

bool PreviewLayer::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == parentWidget() && event->type() == QEvent::Resize)
        setGeometry(parentWidget()->rect());
    return QWidget::eventFilter(watched, event);
}

void PreviewLayer::repaintLatest()
{
    {
        QMutexLocker locker(&m_feed->m_mutex);
        m_feed->m_repaintPending = false;
    }
    update();
}

void PreviewLayer::paintEvent(QPaintEvent *)
{
    const QImage frame = m_feed->currentFrame();
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    if (frame.isNull())
        return;
    QSize fitted = frame.size().scaled(size(), Qt::KeepAspectRatio);
    const QRect target(QPoint((width() - fitted.width()) / 2, (height() - fitted.height()) / 2), fitted);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target, frame);
    ++m_painted;
}

void PreviewLayer::Feed::showFrame(const QImage &frame)
{
    QMutexLocker locker(&m_mutex);
    m_frame = frame;
    ++m_shown;
    if (!m_layer || m_repaintPending)
        return;
    m_repaintPending = true;
    // Queued to the GUI thread; the lock keeps the widget alive until the call is posted.
    QMetaObject::invokeMethod(m_layer.data(), [layer = m_layer] {
        if (layer)
            layer->repaintLatest();
    }, Qt::QueuedConnection);
}

QImage PreviewLayer::Feed::currentFrame() const
{
    QMutexLocker locker(&m_mutex);
    return m_frame;
}

quint64 PreviewLayer::Feed::shownFrameCount() const
{
    QMutexLocker locker(&m_mutex);
    return m_shown;
}
