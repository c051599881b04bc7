#include "keystonealgorithm.h"

#include "common/lumidesklog.h"
#include "keystoneimagesteps.h"
#include "keystoneimagewriter.h"

#include <QMutexLocker>

#include <opencv2/imgproc.hpp>

#include <cmath>

namespace {

enum Slot { Right = 0, Left = 1, Top = 2, Bottom = 3 };

double segmentLength(int dx, int dy)
{
    return std::sqrt(double(dx * dx + dy * dy));
}

double cornerDistance(const cv::Point &a, const cv::Point &b)
{
    return segmentLength(a.x - b.x, a.y - b.y);
}

bool inRange(int value, int low, int high)
{
    return value >= low && value <= high;
}

} // namespace

struct KeyStoneAlgorithm::Workspace
{
    cv::Mat working;
    cv::Mat planes[3];
    cv::Mat edges;
    std::vector<cv::Vec4i> segments;
    KeyStoneImageSteps steps;
};

KeyStoneAlgorithm::KeyStoneAlgorithm(QObject *parent)
    : QThread(parent), m_lines(4, cv::Vec4i(0, 0, 0, 0)), m_scores(4, 0.0), m_workspace(new Workspace),
      m_writer(new KeyStoneImageWriter)
{
}

KeyStoneAlgorithm::~KeyStoneAlgorithm()
{
    stop();
    wait();
}

void KeyStoneAlgorithm::setFps(int fps)
{
    m_fps = qMax(1, fps);
}

void KeyStoneAlgorithm::startDetection(int fps, Priority priority)
{
    // Cleared here rather than when the loop starts: a stop() that comes before the new thread's first
    // turn would otherwise be lost and the run would go on with nobody feeding it.
    m_stop = false;
    setFps(fps);
    start(priority);
}

void KeyStoneAlgorithm::setSampleImage(void *data, int width, int height)
{
    if (!data || width <= 0 || height <= 0)
        return;
    // The capture buffer is reused once the delivering call returns: keep a copy of our own, made
    // before the lock so that the detection thread never waits for it.
    cv::Mat copy = cv::Mat(height, width, CV_8UC4, data, size_t(width) * 4).clone();
    QMutexLocker locker(&m_queueMutex);
    m_frames.append(copy);
}

int KeyStoneAlgorithm::getkeyStoneFile(QString path)
{
    cv::Mat frame;
    std::vector<cv::Point> corners;
    {
        // The detection thread replaces the frame with a new image and never writes into one it has
        // handed over, so a reference taken under the lock stays whole while it is warped.
        QMutexLocker locker(&m_pageMutex);
        frame = m_pageFrame;
        corners = m_pageCorners;
    }
    if (frame.empty() || !frame.data)
        return -1;
    try {
        const cv::Mat page = warpPage(frame, corners);
        if (page.empty())
            return -1;
        if (m_writer->write(path, page))
            return 0;
        // A missing module is a broken installation, not a bad snapshot: logged as an error.
        _LumideskLog::log(m_writer->isLoaded() ? Journix::Warning : Journix::LogLevel(2),
                          "Key stone file %s not written: %s", qUtf8Printable(path),
                          qUtf8Printable(m_writer->errorString()));
        return -1;
    } catch (const cv::Exception &error) {
        _LumideskLog::log(Journix::Warning, "Key stone file %s not written: %s", qUtf8Printable(path),
                          error.what());
        return -1;
    }
}

bool KeyStoneAlgorithm::isWriterLoaded() const
{
    return m_writer->isLoaded();
}

void KeyStoneAlgorithm::stop()
{
    m_stop = true;
}

void KeyStoneAlgorithm::resetPara()
{
    m_frameCounter = 0;
    m_reportDue = false;
    {
        QMutexLocker locker(&m_pageMutex);
        m_pageFrame.release();
        m_pageCorners.clear();
    }
    QMutexLocker locker(&m_queueMutex);
    m_frames.clear();
}

int KeyStoneAlgorithm::queuedFrames() const
{
    QMutexLocker locker(&m_queueMutex);
    return m_frames.size();
}

void KeyStoneAlgorithm::beginRun()
{
    m_lines.assign(4, cv::Vec4i(0, 0, 0, 0));
    m_scores.assign(4, 0.0);
    m_frameCounter = 0;
    m_reportDue = false;
}

void KeyStoneAlgorithm::run()
{
    // Keystone mode is on: the writer's module (OpenCV's codecs and a hundred libraries behind them)
    // is loaded here, off the GUI thread, before the user can ask for the first snapshot. A module
    // that cannot be loaded is reported when a snapshot asks for it.
    m_writer->preload();
    beginRun();
    while (!m_stop) {
        cv::Mat frame;
        if (!takeFrame(&frame)) {
            QThread::msleep(IdleSleepMs);
            continue;
        }
        processFrame(frame);
    }
    resetPara();
}

bool KeyStoneAlgorithm::takeFrame(cv::Mat *frame)
{
    bool overloaded = false;
    int lowered = 0;
    int left = 0;
    {
        QMutexLocker locker(&m_queueMutex);
        if (m_frames.isEmpty())
            return false;
        const int rate = m_fps;
        if (m_frames.size() > 4 * rate) {
            overloaded = true;
            if (rate >= 2) {
                lowered = rate - 1;
                m_fps = lowered;
            }
            m_frameCounter = 0;
            // Only the newest frame is worth looking at once we are this far behind.
            while (m_frames.size() > 1)
                m_frames.removeFirst();
        }
        left = m_frames.size();
        *frame = m_frames.takeFirst();
    }
    // Signals and the log go out after the lock: a receiver may well feed the queue.
    if (lowered > 0)
        emit updateFps(lowered);
    if (overloaded)
        emitEmptyPolygon();
    _LumideskLog::log(Journix::Debug, "Key stone frameList size = %d", left);
    return true;
}

void KeyStoneAlgorithm::emitEmptyPolygon()
{
    emit updatePolygonPoints(QPoint(0, 0), QPoint(0, 0), QPoint(0, 0), QPoint(0, 0));
}

void KeyStoneAlgorithm::processFrame(const cv::Mat &frame)
{
    ++m_frameCounter;
    if (frame.empty() || frame.type() != CV_8UC4) {
        ++m_processed;
        return;
    }
    try {
        const float scale = float(double(WorkingRows) / frame.rows);
        // Scaled straight from the frame: the frame itself is never changed.
        cv::Mat &working = m_workspace->working;
        cv::resize(frame, working, cv::Size(0, 0), scale, scale, cv::INTER_LINEAR);

        if (m_frameCounter == 2 * m_fps) {
            const int r = working.rows - 1;
            const int c = working.cols - 1;
            m_lines[Right] = cv::Vec4i(c, 0, c, r);
            m_lines[Left] = cv::Vec4i(0, 0, 0, r);
            m_lines[Top] = cv::Vec4i(0, 0, c, 0);
            m_lines[Bottom] = cv::Vec4i(0, r, c, r);
            m_scores.assign(4, 0.0);
            m_reportDue = true;
            m_frameCounter = 0;
        }

        const std::vector<cv::Vec4i> edges = findSquaresByLine(working, m_lines, m_scores);
        std::vector<cv::Point> corners = findIntersect(working, edges);
        if (!isAcceptable(m_scores, corners)) {
            if (m_reportDue) {
                m_reportDue = false;
                emitEmptyPolygon();
            }
        } else {
            for (cv::Point &corner : corners)
                corner = cv::Point(int(float(corner.x) / scale), int(float(corner.y) / scale));
            storePage(frame, corners);
            if (m_reportDue) {
                m_reportDue = false;
                if (!m_stop)
                    emit updatePolygonPoints(QPoint(corners[0].x, corners[0].y), QPoint(corners[1].x, corners[1].y),
                                             QPoint(corners[2].x, corners[2].y), QPoint(corners[3].x, corners[3].y));
            }
        }
    } catch (const cv::Exception &error) {
        // A frame OpenCV cannot handle is skipped; the loop goes on with the next.
        _LumideskLog::log(Journix::Warning, "Key stone frame skipped: %s", error.what());
    }
    ++m_processed;
}

void KeyStoneAlgorithm::storePage(const cv::Mat &frame, const std::vector<cv::Point> &corners)
{
    // A page without an area was never kept: the last one with an area stays.
    const std::vector<cv::Point> &c = corners;
    const int width = int(0.5 * (cornerDistance(c[0], c[1]) + cornerDistance(c[3], c[2])));
    const int height = int(0.5 * (cornerDistance(c[0], c[3]) + cornerDistance(c[1], c[2])));
    if (width <= 0 || height <= 0)
        return;
    QMutexLocker locker(&m_pageMutex);
    m_pageFrame = frame;
    m_pageCorners = corners;
}

cv::Mat KeyStoneAlgorithm::warpPage(const cv::Mat &frame, const std::vector<cv::Point> &c)
{
    const int width = int(0.5 * (cornerDistance(c[0], c[1]) + cornerDistance(c[3], c[2])));
    const int height = int(0.5 * (cornerDistance(c[0], c[3]) + cornerDistance(c[1], c[2])));
    if (width <= 0 || height <= 0)
        return cv::Mat();
    const cv::Point2f source[4] = {c[0], c[1], c[2], c[3]};
    const cv::Point2f target[4] = {cv::Point2f(0, 0), cv::Point2f(float(width), 0),
                                   cv::Point2f(float(width), float(height)), cv::Point2f(0, float(height))};
    const cv::Mat transform = cv::getPerspectiveTransform(source, target);
    cv::Mat page;
    cv::warpPerspective(frame, page, transform, cv::Size(width, height), cv::INTER_LINEAR, cv::BORDER_CONSTANT,
                        cv::Scalar(0));
    return page;
}

std::vector<cv::Vec4i> KeyStoneAlgorithm::findSquaresByLine(cv::Mat &image, std::vector<cv::Vec4i> &lines,
                                                            std::vector<double> &scores)
{
    const int rows = image.rows;
    const int cols = image.cols;
    // Blurred in place: nothing after this step needs the unblurred copy.
    cv::medianBlur(image, image, 3);
    // The three colour planes in one pass (the fourth channel is not used).
    Workspace &space = *m_workspace;
    const int fromTo[] = {0, 0, 1, 1, 2, 2};
    for (cv::Mat &plane : space.planes)
        plane.create(image.size(), CV_8UC1);
    cv::mixChannels(&image, 1, space.planes, 3, fromTo, 3);

    cv::Mat &edges = space.edges;
    std::vector<cv::Vec4i> &segments = space.segments;
    for (const cv::Mat &plane : space.planes) {
        const double level = otsuLevel(plane);
        cv::Canny(plane, edges, level * 0.5, level, 3, false);
        closeEdges(edges);
        cv::Canny(edges, edges, level * 0.5, level, 3, false);
        cv::dilate(edges, edges, cv::Mat(), cv::Point(-1, -1), 1, cv::BORDER_CONSTANT,
                   cv::morphologyDefaultBorderValue());
        houghSegments(edges, HoughThreshold, HoughMinLength, HoughMaxGap, segments);

        for (const cv::Vec4i &segment : segments) {
            const int slot = segmentSlot(segment, cols, rows);
            if (slot < 0)
                continue;
            const double length = segmentLength(segment[0] - segment[2], segment[1] - segment[3]);
            if (length > scores[slot]) {
                lines[slot] = segment;
                scores[slot] = length;
            }
        }
    }
    return {lines[Right], lines[Top], lines[Left], lines[Bottom]};
}

void KeyStoneAlgorithm::houghSegments(const cv::Mat &edges, int threshold, int minLength, int maxGap,
                                      std::vector<cv::Vec4i> &segments)
{
    m_workspace->steps.houghSegments(edges, threshold, minLength, maxGap, segments);
}

void KeyStoneAlgorithm::closeEdges(cv::Mat &edges)
{
    m_workspace->steps.closeEdges(edges);
}

double KeyStoneAlgorithm::otsuLevel(const cv::Mat &plane)
{
    return KeyStoneImageSteps::otsuLevel(plane);
}

int KeyStoneAlgorithm::segmentSlot(const cv::Vec4i &segment, int cols, int rows)
{
    const int x1 = segment[0], y1 = segment[1], x2 = segment[2], y2 = segment[3];
    // Segments near the border are the frame's edge or the desk, not the page.
    const int xHigh = cols - BandMargin - 1;
    const int yHigh = rows - BandMargin - 1;
    if (!inRange(y1, BandMargin, yHigh) || !inRange(y2, BandMargin, yHigh) || !inRange(x1, BandMargin, xHigh)
        || !inRange(x2, BandMargin, xHigh))
        return -1;
    const int cx = (cols - 1) / 2;
    const int cy = (rows - 1) / 2;
    const int midX = (x1 + x2) / 2;
    const int midY = (y1 + y2) / 2;
    const float slope = x1 == x2 ? 0.0f : std::fabs(float(y1 - y2) / float(x1 - x2));
    if (x1 == x2 || slope > 2.0f) {
        if (midX > cx)
            return Right;
        if (midX < cx)
            return Left;
    } else if (slope < 0.5f) {
        if (midY < cy)
            return Top;
        if (midY > cy)
            return Bottom;
    }
    return -1;
}

std::vector<cv::Point> KeyStoneAlgorithm::findIntersect(cv::Mat &image, std::vector<cv::Vec4i> lines)
{
    std::vector<cv::Point> corners;
    if (lines.size() != 4)
        return corners;
    // Lines in the order right, top, left, bottom: each side meets its two neighbours.
    static const int pairs[4][2] = {{0, 1}, {0, 3}, {1, 2}, {2, 3}};
    for (const auto &pair : pairs) {
        const cv::Point p = computeIntersect(lines[pair[0]], lines[pair[1]]);
        if (p.x >= 0 && p.y >= 0 && p.x <= image.cols && p.y <= image.rows)
            corners.push_back(p);
    }
    if (corners.size() < 4)
        return {};
    sortCorners(corners);
    return corners;
}

cv::Point KeyStoneAlgorithm::computeIntersect(cv::Vec4i a, cv::Vec4i b)
{
    const int x1 = a[0], y1 = a[1], x2 = a[2], y2 = a[3];
    const int x3 = b[0], y3 = b[1], x4 = b[2], y4 = b[3];
    const float d = float((x1 - x2) * (y3 - y4) - (y1 - y2) * (x3 - x4));
    // Parallel lines meet nowhere: a point outside every image stands for "no corner".
    if (d == 0.0f)
        return cv::Point(-1, -1);
    const int p = x1 * y2 - y1 * x2;
    const int q = x3 * y4 - y3 * x4;
    const float x = float((x3 - x4) * p - (x1 - x2) * q) / d;
    const float y = float((y3 - y4) * p - (y1 - y2) * q) / d;
    return cv::Point(int(x), int(y));
}

void KeyStoneAlgorithm::sortCorners(std::vector<cv::Point> &corners)
{
    if (corners.size() != 4)
        return;
    corners = {corners[2], corners[0], corners[1], corners[3]};
}

bool KeyStoneAlgorithm::isAcceptable(const std::vector<double> &scores, const std::vector<cv::Point> &corners)
{
    if (scores.size() != 4 || corners.size() != 4)
        return false;
    for (double score : scores) {
        if (score == 0.0)
            return false;
    }
    if (std::fabs(cv::contourArea(corners, false)) <= MinimumArea)
        return false;
    return cv::isContourConvex(corners);
}
