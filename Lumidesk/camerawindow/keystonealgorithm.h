#pragma once

#include "keystone/keystonesearch.h"

#include <QImage>
#include <QList>
#include <QMutex>
#include <QPoint>
#include <QString>
#include <QThread>

#include <array>
#include <atomic>
#include <memory>

class KeyStoneModule;

// Finds the four edges of a document page in the live camera picture, on a thread of its own. Frames
// come in from the capture queue (setSampleImage copies them, since the capture buffer lives only
// during the delivering call); each is handed to the keystone module's page search, which keeps the
// longest straight segment seen for each side since the last periodic reset. The page's corners are
// reported at most once per reset period (2 x rate frames). Every accepted frame is kept with its
// corners for a keystone snapshot, which the module straightens and writes. When frames pile up (more
// than 4 x rate queued) the rate is lowered by one and announced, so that the camera window exports
// fewer frames.
//
// The module, and OpenCV with it, is loaded as a run starts, off the GUI thread. When it cannot be
// loaded the run says why in the log (an error) and drops its frames: no page is ever outlined and
// a snapshot fails.
//
// Threads: the detection thread runs the loop; the capture queue calls setSampleImage; the GUI thread
// calls startDetection, stop and getkeyStoneFile. The queue and the page each have their own lock,
// held only to move frames in and out, never during image processing.
class KeyStoneAlgorithm : public QThread
{
    Q_OBJECT

public:
    // The sleep while no frame is queued.
    static constexpr int IdleSleepMs = 100;
    // The camera window's detection rate until the thread lowers it.
    static constexpr int DefaultFps = 5;

    // The module by default where the installed layout puts it.
    explicit KeyStoneAlgorithm(QObject *parent = nullptr);
    explicit KeyStoneAlgorithm(const QString &modulePath, QObject *parent = nullptr);
    ~KeyStoneAlgorithm() override;

    // The detection rate: frames per second the camera window exports. Set before the thread starts.
    void setFps(int fps);
    int fps() const { return m_fps.load(); }

    // Clears any stop request, sets the rate and starts the thread. A stop asked for between this
    // call and the loop's first turn still ends the run.
    void startDetection(int fps, Priority priority = InheritPriority);

    // Any thread: appends a deep copy of the BGRA picture (rows of width x 4 bytes) to the queue.
    void setSampleImage(void *data, int width, int height);

    // Writes the last corrected page to `path` (type by extension): 0, or -1 when there is no page
    // yet or the write failed (the log says why).
    int getkeyStoneFile(QString path);

    // Asks the loop to end after the frame in hand or the current sleep; returns at once.
    void stop();
    bool isStopRequested() const { return m_stop.load(); }

    // Forgets the frames, the page and the report state; called when a run ends.
    void resetPara();

    int queuedFrames() const;
    // Frames the loop has finished with since construction (tests and benchmarks follow the loop by it).
    int processedFrames() const { return m_processed.load(); }
    // Whether the keystone module is loaded (each run loads it as it starts), and why not.
    bool isModuleLoaded() const;
    QString moduleError() const;

    // One turn of the loop for a 32-bit BGRA frame already taken from the queue. The loop calls it;
    // tests and benchmarks may call it directly while the thread is not running, after beginRun().
    void processFrame(const QImage &frame);
    // Makes the page search when there is none yet (logging why when it cannot be made) and sets its
    // sides to zero, as at the start of every run.
    void beginRun();

signals:
    void updatePolygonPoints(QPoint point1, QPoint point2, QPoint point3, QPoint point4);
    void updateFps(int fps);

protected:
    void run() override;

private:
    // Takes the next frame, dropping a backlog first; false when the queue is empty.
    bool takeFrame(QImage *frame);
    void emitEmptyPolygon();
    // Keeps an accepted frame and its page's corners (frame pixels, reporting order) for a snapshot; a
    // page without an area is not kept, and the last one with an area stays.
    void storePage(const QImage &frame, const std::array<KeyStoneCorner, 4> &corners);

    // The last accepted frame (never written into once kept) and its page's corners.
    QImage m_pageFrame;
    std::array<KeyStoneCorner, 4> m_pageCorners{};
    mutable QMutex m_pageMutex;
    int m_frameCounter = 0;
    bool m_reportDue = false;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_fps{DefaultFps};
    mutable QMutex m_queueMutex;
    QList<QImage> m_frames;
    std::atomic<int> m_processed{0};

    // Loaded by the detection thread as a run starts; written through by getkeyStoneFile on the GUI thread.
    std::unique_ptr<KeyStoneModule> m_module;
    // Made by the module on the first run and used only by the thread that runs the loop.
    std::unique_ptr<KeyStoneSearch> m_search;
};
