#pragma once

// Synthetic document-camera pictures for the keystone tests: a light page (a quadrilateral, tilted and
// in perspective as asked) on a darker, textured desk, with sensor noise. Drawn with a seeded generator,
// so every run sees the same pictures.

#include <QImage>
#include <QList>
#include <QPointF>
#include <QSize>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <cmath>
#include <vector>

namespace keystonepictures {

struct Page
{
    QSize frame;
    double angleDegrees = 0;
    // The page's bottom width and height as shares of the frame's.
    double widthShare = 0.5;
    double heightShare = 0.7;
    // How much narrower the top edge is than the bottom edge (0: a rectangle).
    double topNarrowing = 0;
    QPointF shift;
};

// Corners of the page in frame pixels: top-left, top-right, bottom-right, bottom-left.
inline std::vector<cv::Point2f> pageCorners(const Page &page)
{
    const double w = page.frame.width() * page.widthShare / 2;
    const double h = page.frame.height() * page.heightShare / 2;
    const double top = w * (1 - page.topNarrowing);
    const std::vector<cv::Point2d> local{{-top, -h}, {top, -h}, {w, h}, {-w, h}};
    const double a = page.angleDegrees * CV_PI / 180;
    const cv::Point2d centre(page.frame.width() / 2.0 + page.shift.x(), page.frame.height() / 2.0 + page.shift.y());
    std::vector<cv::Point2f> corners;
    for (const cv::Point2d &p : local)
        corners.emplace_back(float(centre.x + p.x * std::cos(a) - p.y * std::sin(a)),
                             float(centre.y + p.x * std::sin(a) + p.y * std::cos(a)));
    return corners;
}

// A BGRA frame of the page on the desk; `seed` picks the noise.
inline cv::Mat drawPage(const Page &page, quint64 seed)
{
    const int rows = page.frame.height();
    const int cols = page.frame.width();
    cv::RNG rng(seed * 7919 + 17);
    // The desk: a brownish ground with soft blotches (noise drawn small and scaled up).
    cv::Mat blotches(rows / 24 + 2, cols / 24 + 2, CV_8UC3);
    rng.fill(blotches, cv::RNG::UNIFORM, cv::Scalar(45, 60, 80), cv::Scalar(85, 100, 125));
    cv::Mat desk;
    cv::resize(blotches, desk, cv::Size(cols, rows), 0, 0, cv::INTER_CUBIC);

    std::vector<cv::Point> outline;
    for (const cv::Point2f &corner : pageCorners(page))
        outline.emplace_back(cvRound(corner.x * 16), cvRound(corner.y * 16));
    cv::fillConvexPoly(desk, outline, cv::Scalar(228, 232, 236), cv::LINE_AA, 4);

    cv::Mat noise(rows, cols, CV_16SC3);
    rng.fill(noise, cv::RNG::NORMAL, cv::Scalar::all(0), cv::Scalar::all(6));
    cv::Mat noisy;
    desk.convertTo(noisy, CV_16SC3);
    noisy += noise;
    noisy.convertTo(desk, CV_8UC3);

    cv::Mat frame;
    cv::cvtColor(desk, frame, cv::COLOR_BGR2BGRA);
    return frame;
}

// The slant, in degrees from the horizontal, of each long line of dark print in a straightened page
// (a picture of the page alone); a margin along the edges, where the page's border runs, is left out.
inline QList<double> printSlants(const QImage &picture)
{
    QImage image = picture.convertToFormat(QImage::Format_Grayscale8);
    const cv::Mat grey(image.height(), image.width(), CV_8UC1, image.bits(), size_t(image.bytesPerLine()));
    const cv::Rect inner(grey.cols / 12, grey.rows / 12, grey.cols * 10 / 12, grey.rows * 10 / 12);
    cv::Mat ink = grey(inner) < 128;
    std::vector<std::vector<cv::Point>> blobs;
    cv::findContours(ink, blobs, cv::RETR_EXTERNAL, cv::CHAIN_APPROX_NONE);
    QList<double> slants;
    for (const std::vector<cv::Point> &blob : blobs) {
        if (cv::boundingRect(blob).width < inner.width / 3)
            continue;
        cv::Vec4f line;
        cv::fitLine(blob, line, cv::DIST_L2, 0, 0.01, 0.01);
        double slant = std::atan2(line[1], line[0]) * 180 / CV_PI;
        if (slant > 90)
            slant -= 180;
        else if (slant < -90)
            slant += 180;
        slants.append(slant);
    }
    return slants;
}

} // namespace keystonepictures
