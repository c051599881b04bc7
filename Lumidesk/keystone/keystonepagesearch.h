#pragma once

#include "keystonesearch.h"

#include <opencv2/core.hpp>

#include <memory>
#include <vector>

// The keystone module's page search, with OpenCV. A frame is searched on a copy scaled to 350 rows:
// each colour plane's edges are closed and thickened, their straight segments found, and for each side
// of the page the longest segment seen since the last reset is kept; the four sides' crossings are the
// page's corners when every side is scored and they enclose a convex area of more than 1000 pixels of
// the working copy.
class KeyStonePageSearch : public KeyStoneSearch
{
public:
    // The working copy's height in rows.
    static constexpr int WorkingRows = 350;
    // The search band: segments with an end nearer than this to the working copy's border are ignored.
    static constexpr int BandMargin = 30;
    // A page must cover more than this many working-copy pixels.
    static constexpr double MinimumArea = 1000.0;
    // The segment search on each edge map: votes a line needs, shortest segment, widest gap (pixels).
    static constexpr int HoughThreshold = 100;
    static constexpr int HoughMinLength = 50;
    static constexpr int HoughMaxGap = 1;

    KeyStonePageSearch();
    ~KeyStonePageSearch() override;

    void beginRun() override;
    Outcome search(const KeyStonePicture &frame, bool resetSides, KeyStoneCorner corners[4], char *error,
                   std::size_t errorSize) override;

    // search() on a BGRA frame of OpenCV's: true with the corners in frame pixels when a page is found.
    // Throws what OpenCV throws.
    bool findPage(const cv::Mat &frame, bool resetSides, std::vector<cv::Point> *corners);

    // The steps of a search, each on the working copy.
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
    // Whether the corners make a page: every side scored, four corners, an area of more than 1000
    // working-copy pixels and a convex outline.
    static bool isAcceptable(const std::vector<double> &scores, const std::vector<cv::Point> &corners);
    // The frame's quadrilateral warped into an upright page; empty when the corners enclose nothing.
    static cv::Mat warpPage(const cv::Mat &frame, const std::vector<cv::Point> &corners);

    // The search's own versions of three OpenCV steps (KeyStoneImageSteps): the line-vote search of
    // cv::HoughLinesP, the closing of an edge map and the Otsu level. The first two work in the
    // search's buffers.
    void houghSegments(const cv::Mat &edges, int threshold, int minLength, int maxGap,
                       std::vector<cv::Vec4i> &segments);
    void closeEdges(cv::Mat &edges);
    static double otsuLevel(const cv::Mat &plane);

    // Copies a reason into a caller's buffer of `size` bytes, cut to fit; nothing when it is null.
    static void keepReason(char *error, std::size_t size, const char *reason);

private:
    void restartSides(const cv::Mat &working);

    // Slot 0 right, 1 left, 2 top, 3 bottom.
    std::vector<cv::Vec4i> m_lines;
    std::vector<double> m_scores;

    // The edge search's images and tables, kept from frame to frame rather than allocated for each.
    struct Workspace;
    std::unique_ptr<Workspace> m_workspace;
};
