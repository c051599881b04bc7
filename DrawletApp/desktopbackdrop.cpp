#include "desktopbackdrop.h"

#include "desktop/nativewindow.h"
#include "screen/screencapture.h"

#include <QBitmap>
#include <QGraphicsScene>
#include <QPainter>
#include <QTimer>
#include <QWidget>

namespace drawlet {
namespace application {

namespace {

int compositingOverride = -1;

} // namespace

DesktopBackdrop::DesktopBackdrop(QObject *parent)
    : QObject(parent)
    , m_settle(new QTimer(this))
{
    m_settle->setSingleShot(true);
    connect(m_settle, &QTimer::timeout, this, &DesktopBackdrop::grab);
}

DesktopBackdrop::~DesktopBackdrop() = default;

bool DesktopBackdrop::needed()
{
    if (compositingOverride >= 0)
        return compositingOverride == 0;
    return !platform::NativeWindow::compositingManagerRunning();
}

void DesktopBackdrop::setCompositingOverride(int state)
{
    compositingOverride = state;
}

void DesktopBackdrop::capture(const QList<QWidget *> &windows, std::function<void()> done)
{
    m_done = std::move(done);
    for (QWidget *window : windows) {
        if (window && window->isVisible()) {
            m_hidden.append(window);
            window->hide();
        }
    }
    m_settle->start(m_settleMs);
}

void DesktopBackdrop::cancel()
{
    m_settle->stop();
    m_hidden.clear();
    m_done = nullptr;
}

bool DesktopBackdrop::isCapturing() const
{
    return m_settle->isActive();
}

void DesktopBackdrop::grab()
{
    if (!m_screen)
        m_screen.reset(platform::ScreenCapture::create());
    const QImage still = m_screen->grabImage();
    if (!still.isNull())
        m_image = still;
    const QList<QPointer<QWidget>> hidden = m_hidden;
    m_hidden.clear();
    for (const QPointer<QWidget> &window : hidden) {
        if (window)
            window->show();
    }
    const std::function<void()> done = std::move(m_done);
    m_done = nullptr;
    if (done)
        done();
}

QRegion DesktopBackdrop::drawnRegion(QGraphicsScene *scene, const QSize &size)
{
    QImage drawn(size, QImage::Format_ARGB32_Premultiplied);
    drawn.fill(Qt::transparent);
    if (scene) {
        QPainter painter(&drawn);
        painter.setRenderHint(QPainter::Antialiasing);
        // The desktop scene's background is transparent, so only the items leave pixels.
        scene->render(&painter, QRectF(QPointF(0, 0), size), QRectF(QPointF(0, 0), size));
    }
    // Every pixel a drawing touches counts, also the faint edges and the half-transparent
    // highlighter: the still of the desktop is painted under them. An alpha mask would drop the
    // pixels under half opacity; untouched pixels are all zero (premultiplied), and Qt::MaskInColor
    // leaves the pixels of that value out of the bitmap.
    const QRegion region(QBitmap::fromImage(drawn.createMaskFromColor(0u, Qt::MaskInColor)));
    return region.isEmpty() ? QRegion(-2, -2, 1, 1) : region;
}

} // namespace application
} // namespace drawlet
