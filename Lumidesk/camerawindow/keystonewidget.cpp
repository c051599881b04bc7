#include "keystonewidget.h"

#include <QMutexLocker>

KeyStoneWidget::KeyStoneWidget(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void KeyStoneWidget::showKeyStone(bool on, int mode)
{
    Q_UNUSED(mode)
    m_shown = on;
    update();
}

void KeyStoneWidget::relayout()
{
    update();
}

void KeyStoneWidget::addFrame(const uchar *pixels, int width, int height)
{
    if (!pixels || width <= 0 || height <= 0)
        return;
    // The pixels belong to the capture queue and are reused after this call returns.
    const QImage copy = QImage(pixels, width, height, width * 4, QImage::Format_ARGB32).copy();
    QMutexLocker locker(&m_frameMutex);
    m_frame = copy;
}

QImage KeyStoneWidget::lastFrame() const
{
    QMutexLocker locker(&m_frameMutex);
    return m_frame;
}
