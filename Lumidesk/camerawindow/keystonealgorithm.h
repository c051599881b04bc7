#pragma once

#include <QList>
#include <QMutex>
#include <QPoint>
#include <QString>
#include <QThread>

#include <opencv2/core.hpp>

#include <atomic>
#include <memory>
#include <vector>

class KeyStoneImageWriter;

// Finds the four edges of a document page in the live camera picture, on a thread of its own. Frames
// come in from the capture queue (setSampleImage copies them, since the capture buffer lives only
// during the delivering call); the loop works on a copy scaled to 350 rows, keeps the longest straight
// segment seen for each side since the last periodic reset, and reports the page's corners at most
// once per reset period (2 x rate frames). Every accepted frame is warped at full size into the page
// image that a keystone snapshot writes. When frames pile up (more than 4 x rate queued) the rate is
// lowered by one and announced, so that the camera window exports fewer frames.
//
// Threads: the detection thread runs the loop; the capture queue calls setSampleImage; the GUI thread
// calls startDetection, stop and getkeyStoneFile. The queue and the page image each have their own
// lock, held only to move frames or images in and out, never during image processing.
class KeyStoneAlgorithm : public QThread
{
    Q_OBJECT

public:
    // The working copy's height in rows.
    static constexpr int WorkingRows = 350;
    // The search band: segments with an end nearer than this to the working copy's border are ignored.
    static constexpr int BandMargin = 30;
    // A page must cover more than this many working-copy pixels.
    static constexpr double MinimumArea = 1000.0;
    // The sleep while no frame is queued.
    static constexpr int IdleSleepMs = 100;
    // The camera window's detection rate until the thread lowers it.
    static constexpr int DefaultFps = 5;
    // The segment search on each edge map: votes a line needs, shortest segment, widest gap (pixels).
    static constexpr int HoughThreshold = 100;
    static constexpr int HoughMinLength = 50;
    static constexpr int HoughMaxGap = 1;

    explicit KeyStoneAlgorithm(QObject *parent = nullptr);
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
    // yet or the write failed.
    int getkeyStoneFile(QString path);

    // Asks the loop to end after the frame in hand or the current sleep; returns at once.
    void stop();
    bool isStopRequested() const { return m_stop.load(); }

    // Forgets the frames, the page image and the report state; called when a run ends.
    void resetPara();

    int queuedFrames() const;
    // Frames the loop has finished with since construction (tests and benchmarks follow the loop by it).
    int processedFrames() const { return m_processed.load(); }
    // Whether the snapshot writer's module is loaded (each run loads it as it starts).
    bool isWriterLoaded() const;

    // One turn of the loop for a frame already taken from the queue. The loop calls it; tests and
    // benchmarks may call it directly while the thread is not running, after beginRun().
    void processFrame(const cv::Mat &frame);
    // Sets the edge lines and scores to zero, as at the start of every run.
    void beginRun();

    // The steps of a turn, each on the working copy.
    std::vector<cv::Vec4i> findSquaresByLine(cv::Mat &image, std::vector<cv::Vec4i> &lines,
                                             std::vector<double> &scores);
    // The side a segment of the working copy may stand for: 0 right, 1 left, 2 top, 3 bottom, or -1
    // when it lies outside the search band, is slanted, or its middle is on the centre line.
    static int segmentSlot(const cv::Vec4i &segment, int cols, int rows);
    std::vector<cv::Point> findIntersect(cv::Mat &image, std::vector<cv::Vec4i> lines);
    static cv::Point computeIntersect(cv::Vec4i a, cv::Vec4i b);
    // Four corners in the order right-top, right-bottom, top-left, left-bottom become top-left,
    // top-right, bottom-right, bottom-left.
    static void sortCorners(std::vector<cv::Point> &corners);
    // Keeps an accepted frame and its page's corners (frame pixels, reporting order); the page is
    // straightened from them only when a snapshot asks for it.
    void storePage(const cv::Mat &frame, const std::vector<cv::Point> &corners);
    // The frame's quadrilateral warped into an upright page; empty when the corners enclose nothing.
    static cv::Mat warpPage(const cv::Mat &frame, const std::vector<cv::Point> &corners);
    // Whether the corners make a page: every side scored, four corners, an area of more than 1000
    // working-copy pixels and a convex outline.
    static bool isAcceptable(const std::vector<double> &scores, const std::vector<cv::Point> &corners);

    // The edge search's own versions of three OpenCV steps (KeyStoneImageSteps): the line-vote search
    // of cv::HoughLinesP, the closing of an edge map and the Otsu level. The first two work in the
    // thread's buffers: not while it runs.
    void houghSegments(const cv::Mat &edges, int threshold, int minLength, int maxGap,
                       std::vector<cv::Vec4i> &segments);
    void closeEdges(cv::Mat &edges);
    static double otsuLevel(const cv::Mat &plane);

signals:
    void updatePolygonPoints(QPoint point1, QPoint point2, QPoint point3, QPoint point4);
    void updateFps(int fps);

protected:
    void run() override;

private:
    // Takes the next frame, dropping a backlog first; false when the queue is empty.
    bool takeFrame(cv::Mat *frame);
    void emitEmptyPolygon();

    // The last accepted frame (never written into once kept) and its page's corners.
    cv::Mat m_pageFrame;
    std::vector<cv::Point> m_pageCorners;
    mutable QMutex m_pageMutex;
    int m_frameCounter = 0;
    bool m_reportDue = false;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_fps{DefaultFps};
    mutable QMutex m_queueMutex;
    QList<cv::Mat> m_frames;
    std::atomic<int> m_processed{0};

    // Per run: slot 0 right, 1 left, 2 top, 3 bottom.
    std::vector<cv::Vec4i> m_lines;
    std::vector<double> m_scores;

    // The edge search's images and tables, kept from frame to frame rather than allocated for each.
    struct Workspace;
    std::unique_ptr<Workspace> m_workspace;

    // Loaded by the detection thread as a run starts, used by getkeyStoneFile on the GUI thread.
    std::unique_ptr<KeyStoneImageWriter> m_writer;
};
