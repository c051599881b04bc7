#pragma once

#include "qorvlivecaptureglobal.h"

#include <QImage>
#include <QMutex>
#include <QPointer>
#include <QWidget>

#include <memory>

// The preview of a frame source inside the caller's widget: a black child filling the widget that
// shows the latest processed frame, aspect-fit. Frames arrive on the capture thread; the widget is
// repainted on the GUI thread, at most once per event-loop pass however fast frames come.
class QORVLIVECAPTURE_EXPORT PreviewLayer : public QWidget
{
    Q_OBJECT

public:
    // What the capture thread holds: it outlives the widget, so a frame arriving while the caller
    // deletes its widget finds no widget and is dropped.
    class Feed
    {
    public:
        void showFrame(const QImage &frame);
        QImage currentFrame() const;
        quint64 shownFrameCount() const;

    private:
        friend class PreviewLayer;
        mutable QMutex m_mutex;
        QPointer<PreviewLayer> m_layer;
        QImage m_frame;
        bool m_repaintPending = false;
        quint64 m_shown = 0;
    };

    explicit PreviewLayer(QWidget *view);
    ~PreviewLayer() override;

    std::shared_ptr<Feed> feed() const { return m_feed; }
    // Frames painted so far (for tests and the benchmark).
    quint64 paintedFrameCount() const { return m_painted; }

protected:
    void paintEvent(QPaintEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void repaintLatest();

    std::shared_ptr<Feed> m_feed;
    quint64 m_painted = 0;
};
