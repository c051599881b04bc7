#pragma once

#include <opencv2/core.hpp>

#include <memory>
#include <vector>

// Our own versions of three OpenCV steps of the keystone edge search, each giving exactly what the
// OpenCV call gives: the edge search runs them several times a frame, and these are several times
// faster. The line votes and the edge closing work in buffers kept from call to call, so one object
// serves one thread at a time.
class KeyStoneImageSteps
{
public:
    KeyStoneImageSteps();
    ~KeyStoneImageSteps();

    // The segments of cv::HoughLinesP(edges, segments, 1, CV_PI / 180, threshold, minLength, maxGap),
    // the same ones in the same order.
    void houghSegments(const cv::Mat &edges, int threshold, int minLength, int maxGap,
                       std::vector<cv::Vec4i> &segments);
    // The closing of an edge map of 0 and 255: cv::dilate with the default 3 x 3 element, then with a
    // 10 x 10 rectangle, erode, dilate and erode with it, in place, constant border, default value.
    void closeEdges(cv::Mat &edges);
    // The level cv::threshold(plane, ..., THRESH_BINARY | THRESH_OTSU) returns for an 8-bit plane.
    static double otsuLevel(const cv::Mat &plane);

private:
    struct Buffers;
    std::unique_ptr<Buffers> m_buffers;
};
