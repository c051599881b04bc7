#pragma once

#include <QMutex>
#include <QPoint>
#include <QPolygon>
#include <QRegion>
#include <QWidget>

#include <atomic>
#include <cstdint>

class KeyStoneAlgorithm;

// The transparent window laid over the camera picture in keystone capture mode. It owns the page
// detection thread, switches it on and off, hands it the exported camera frames, draws the page found
// as a 5-pixel white outline fitted to the picture (aspect kept, centred), relays the thread's rate
// changes and writes the corrected page for a keystone snapshot.
//
// Without a compositing manager a translucent window shows black where it is clear, so there the
// window's shape is cut down to the outline itself and the picture below stays visible.
class KeyStoneWidget : public QWidget
{
    Q_OBJECT

public:
    static constexpr int PenWidth = 5;

    explicit KeyStoneWidget(QWidget *parent = nullptr);
    ~KeyStoneWidget() override;

    // Switches detection on at `fps` frames per second, or off. Switching on while a run that was
    // asked to stop still drains waits for it to end and starts a new one.
    void showKeyStone(bool on, int fps);
    bool isKeyStoneShown() const { return m_on.load(); }
    void relayout();

    // Capture queue: passes a BGRA frame on to the detection thread (which copies it); ignored while off.
    void setSampleImage(void *data, int width, int height);

    // Writes the corrected page: 0, or -1 when no page is outlined or the file could not be written.
    int getkeyStoneFile(QString path);

    // The outline in widget pixels as it is drawn; empty when nothing is drawn.
    QPolygon outline() const;
    // The pixels the outline covers (the window's shape without a compositor).
    QRegion outlineRegion() const;
    // Cuts the window down to its outline when no compositor runs; lifts any shape when one does.
    void updateShape();

    QSize sampleSize() const;
    KeyStoneAlgorithm *algorithm() const { return m_algorithm; }

    // Where a frame point lands in a widget of `widget` size showing a frame of `sample` size.
    static QPoint mapToWidget(const QPoint &point, const QSize &widget, const QSize &sample);

signals:
    void updateFps(int fps);

public slots:
    void setPolygonPoints(QPoint point1, QPoint point2, QPoint point3, QPoint point4);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    bool hasPolygon() const;
    void setSampleSize(int width, int height);

    KeyStoneAlgorithm *m_algorithm = nullptr;
    QPoint m_points[4];
    // Width in the high 16 bits, height in the low: written on the capture queue, read when painting,
    // and never seen half updated.
    std::atomic<uint32_t> m_sampleSize{(1024u << 16) | 768u};
    std::atomic<bool> m_on{false};
    // Held while a frame is handed on and while detection is switched off, so that no frame slips in
    // once showKeyStone(false) has returned.
    QMutex m_feedMutex;
};
