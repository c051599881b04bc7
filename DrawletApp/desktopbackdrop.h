#pragma once

#include <QImage>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QRegion>

#include <functional>
#include <memory>

class QGraphicsScene;
class QTimer;
class QWidget;

namespace platform {
class ScreenCapture;
}

namespace drawlet {
namespace application {

// What the overlay needs on an X server without a compositing manager, where a see-through window
// shows black: a still of the desktop to draw over, taken with the overlay's own windows out of the
// way, and the shape of the annotations themselves for a window cut down to them.
class DesktopBackdrop : public QObject
{
    Q_OBJECT

public:
    // How long the desktop gets to redraw itself after the overlay's windows went away.
    static const int DefaultSettleMs = 200;

    explicit DesktopBackdrop(QObject *parent = nullptr);
    ~DesktopBackdrop() override;

    // True when see-through windows show black: an X server without a compositing manager.
    static bool needed();
    // For tests: 1 as with a compositing manager, 0 as without, -1 asks the X server again.
    static void setCompositingOverride(int state);

    void setSettleDelay(int ms) { m_settleMs = ms; }

    // Hides the given windows, waits for the desktop to redraw, grabs it, shows again those that were
    // shown and calls done. A capture asked for while one runs replaces it.
    void capture(const QList<QWidget *> &windows, std::function<void()> done);
    // Gives up a capture that runs; its windows stay as they are now.
    void cancel();
    bool isCapturing() const;

    // The still; null before the first capture or when the grab failed.
    QImage image() const { return m_image; }
    void clear() { m_image = QImage(); }

    // The part of an area of the given size that the scene's items cover (their opaque pixels): what
    // stays of a window cut down to the annotations. Never empty: with nothing drawn it is a point
    // outside the area, as an empty region would mean no cut at all.
    static QRegion drawnRegion(QGraphicsScene *scene, const QSize &size);

private:
    void grab();

    QImage m_image;
    QTimer *m_settle;
    int m_settleMs = DefaultSettleMs;
    QList<QPointer<QWidget>> m_hidden;
    std::function<void()> m_done;
    std::unique_ptr<platform::ScreenCapture> m_screen;
};

} // namespace application
} // namespace drawlet
