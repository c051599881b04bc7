#include "keystonepagesearch.h"

#include "keystoneimagesteps.h"

#include <opencv2/imgproc.hpp>

#include <cmath>
#include <cstdio>

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

struct KeyStonePageSearch::Workspace
{
    cv::Mat working;
    cv::Mat planes[3];
    cv::Mat edges;
    std::vector<cv::Vec4i> segments;
    KeyStoneImageSteps steps;
};

KeyStonePageSearch::KeyStonePageSearch()
    : m_lines(4, cv::Vec4i(0, 0, 0, 0)), m_scores(4, 0.0), m_workspace(new Workspace)
{
}

KeyStonePageSearch::~KeyStonePageSearch() = default;

void KeyStonePageSearch::keepReason(char *error, std::size_t size, const char *reason)
{
    if (error && size > 0)
        std::snprintf(error, size, "%s", reason);
}

void KeyStonePageSearch::beginRun()
{
    m_lines.assign(4, cv::Vec4i(0, 0, 0, 0));
    m_scores.assign(4, 0.0);
}

KeyStoneSearch::Outcome KeyStonePageSearch::search(const KeyStonePicture &frame, bool resetSides,
                                                   KeyStoneCorner corners[4], char *error, std::size_t errorSize)
{
    if (!frame.data || frame.width <= 0 || frame.height <= 0 || frame.stride < std::size_t(frame.width) * 4) {
        keepReason(error, errorSize, "no picture to search");
        return Failed;
    }
    try {
        // A header over the caller's pixels: nothing is copied, and nothing is written into them.
        const cv::Mat picture(frame.height, frame.width, CV_8UC4, const_cast<unsigned char *>(frame.data),
                              frame.stride);
        std::vector<cv::Point> found;
        if (!findPage(picture, resetSides, &found))
            return NoPage;
        for (int i = 0; i < 4; ++i)
            corners[i] = KeyStoneCorner{found[std::size_t(i)].x, found[std::size_t(i)].y};
        return PageFound;
    } catch (const cv::Exception &failure) {
        keepReason(error, errorSize, failure.what());
    } catch (...) {
        keepReason(error, errorSize, "unexpected failure");
    }
    return Failed;
}

bool KeyStonePageSearch::findPage(const cv::Mat &frame, bool resetSides, std::vector<cv::Point> *corners)
{
    const float scale = float(double(WorkingRows) / frame.rows);
    // Scaled straight from the frame: the frame itself is never changed.
    cv::Mat &working = m_workspace->working;
    cv::resize(frame, working, cv::Size(0, 0), scale, scale, cv::INTER_LINEAR);
    if (resetSides)
        restartSides(working);

    const std::vector<cv::Vec4i> edges = findSquaresByLine(working, m_lines, m_scores);
    *corners = findIntersect(working, edges);
    if (!isAcceptable(m_scores, *corners))
        return false;
    for (cv::Point &corner : *corners)
        corner = cv::Point(int(float(corner.x) / scale), int(float(corner.y) / scale));
    return true;
}

void KeyStonePageSearch::restartSides(const cv::Mat &working)
{
    const int r = working.rows - 1;
    const int c = working.cols - 1;
    m_lines[Right] = cv::Vec4i(c, 0, c, r);
    m_lines[Left] = cv::Vec4i(0, 0, 0, r);
    m_lines[Top] = cv::Vec4i(0, 0, c, 0);
    m_lines[Bottom] = cv::Vec4i(0, r, c, r);
    m_scores.assign(4, 0.0);
}

cv::Mat KeyStonePageSearch::warpPage(const cv::Mat &frame, const std::vector<cv::Point> &c)
{
    if (c.size() != 4)
        return cv::Mat();
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

std::vector<cv::Vec4i> KeyStonePageSearch::findSquaresByLine(cv::Mat &image, std::vector<cv::Vec4i> &lines,
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

void KeyStonePageSearch::houghSegments(const cv::Mat &edges, int threshold, int minLength, int maxGap,
                                      std::vector<cv::Vec4i> &segments)
{
    m_workspace->steps.houghSegments(edges, threshold, minLength, maxGap, segments);
}

void KeyStonePageSearch::closeEdges(cv::Mat &edges)
{
    m_workspace->steps.closeEdges(edges);
}

double KeyStonePageSearch::otsuLevel(const cv::Mat &plane)
{
    return KeyStoneImageSteps::otsuLevel(plane);
}

int KeyStonePageSearch::segmentSlot(const cv::Vec4i &segment, int cols, int rows)
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

std::vector<cv::Point> KeyStonePageSearch::findIntersect(cv::Mat &image, std::vector<cv::Vec4i> lines)
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

cv::Point KeyStonePageSearch::computeIntersect(cv::Vec4i a, cv::Vec4i b)
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

void KeyStonePageSearch::sortCorners(std::vector<cv::Point> &corners)
{
    if (corners.size() != 4)
        return;
    corners = {corners[2], corners[0], corners[1], corners[3]};
}

bool KeyStonePageSearch::isAcceptable(const std::vector<double> &scores, const std::vector<cv::Point> &corners)
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
