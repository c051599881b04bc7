#pragma once

#include <QImage>
#include <QMutex>
#include <QWidget>

// The transparent window over the preview that outlines the document page found in the camera
// picture. It moves with the camera window; the detection itself runs on frames handed in from the
// capture queue, which are copied under the widget's own lock.
class KeyStoneWidget : public QWidget
{
    Q_OBJECT

public:
    explicit KeyStoneWidget(QWidget *parent = nullptr);

    // Turns the outline on or off; `mode` is the capture mode's pop-up icon the window shows with it.
    void showKeyStone(bool on, int mode);
    bool isKeyStoneShown() const { return m_shown; }
    void relayout();

    // Any thread: keeps a deep copy of the BGRA pixels for the next detection pass.
    void addFrame(const uchar *pixels, int width, int height);
    QImage lastFrame() const;

signals:
    void updateFps(int fps);

private:
    bool m_shown = false;
    mutable QMutex m_frameMutex;
    QImage m_frame;
};
