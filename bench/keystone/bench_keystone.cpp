// Keystone page detection on 1920x1080 frames of the simulated document camera (a white page tilted on
// a wooden desk):
//  - detection per frame on one core (the 350-row working copy, edge search, corners, acceptance):
//    median and 99th percentile, CPU time of the detecting thread;
//  - the same for the straightforward edge search (each step a plain OpenCV call: cv::threshold for
//    the Otsu level, cv::dilate and cv::erode for the closing, cv::HoughLinesP), timed in turn with
//    the detection on the same frames, so that a busy machine slows both alike; the edge lines, their
//    scores and the corners of both must agree on every frame;
//  - the perspective warp of an accepted frame at full size, as a keystone snapshot does it;
//  - the copy of a frame on arrival (paid on the capture queue);
//  - the frames per second the detection thread sustains at the default rate (5) while frames arrive
//    at the camera window's export pace (every 1/30 s tick), and whether it had to lower its rate.
// Usage: bench_keystone [frames, default 300] [seconds of the sustained run, default 10; 0 skips it]
//
// Instructions per frame (repeatable where the machine is shared): run it under callgrind with few
// frames and no sustained run, e.g. `valgrind --tool=callgrind bench_keystone 20 0`, and divide the
// inclusive counts of detectOptimised and detectStraightforward by the frame count
// (callgrind_annotate --inclusive=yes).
#include "camerawindow/keystonealgorithm.h"
#include "keystonepagesearch.h"
#include "simulated/simulatedframegenerator.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QThread>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <ctime>
#include <thread>
#include <vector>

namespace {

// CPU time of this thread in milliseconds: the detection's own time on one core, whatever else the
// machine is doing.
double cpuMs()
{
    timespec now;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1000.0 + double(now.tv_nsec) / 1e6;
}

double percentile(std::vector<double> values, double share)
{
    std::sort(values.begin(), values.end());
    const size_t index = std::min(values.size() - 1, size_t(share * double(values.size() - 1) + 0.5));
    return values[index];
}

cv::Mat simulatedFrame(platform::SimulatedFrameGenerator &generator, quint64 number)
{
    QImage image;
    generator.render(image, QSize(1920, 1080), number);
    // Format_RGB32 is BGRA in memory, as the capture queue exports it.
    return cv::Mat(image.height(), image.width(), CV_8UC4, image.bits(), size_t(image.bytesPerLine())).clone();
}

// What one detection leaves: the four edge lines and scores carried to the next frame, the corners in
// working-copy pixels and whether they make a page.
struct Detection
{
    std::vector<cv::Vec4i> lines = std::vector<cv::Vec4i>(4, cv::Vec4i(0, 0, 0, 0));
    std::vector<double> scores = std::vector<double>(4, 0.0);
    std::vector<cv::Point> corners;
    bool accepted = false;

    bool operator==(const Detection &other) const
    {
        return lines == other.lines && scores == other.scores && corners == other.corners
               && accepted == other.accepted;
    }
};

cv::Mat workingCopy(const cv::Mat &frame, float *scale)
{
    *scale = float(double(KeyStonePageSearch::WorkingRows) / frame.rows);
    cv::Mat working;
    cv::resize(frame, working, cv::Size(0, 0), *scale, *scale, cv::INTER_LINEAR);
    return working;
}

// The edge search written out with one OpenCV call per step, as the detection did it before its own
// faster steps replaced three of them.
std::vector<cv::Vec4i> straightforwardSearch(cv::Mat &image, std::vector<cv::Vec4i> &lines, std::vector<double> &scores)
{
    cv::Mat plane(image.size(), CV_8UC1);
    cv::medianBlur(image, image, 3);
    cv::Mat blurred = image.clone();
    const cv::Mat element = cv::getStructuringElement(cv::MORPH_RECT, cv::Size(10, 10), cv::Point(-1, -1));
    const cv::Point anchor(-1, -1);
    const cv::Scalar border = cv::morphologyDefaultBorderValue();
    for (int channel = 0; channel < 3; ++channel) {
        const int fromTo[] = {channel, 0};
        cv::mixChannels(&blurred, 1, &plane, 1, fromTo, 1);
        cv::Mat scratch;
        cv::Mat edges;
        const double level = cv::threshold(plane, scratch, 0, 255, cv::THRESH_BINARY | cv::THRESH_OTSU);
        cv::Canny(plane, edges, level * 0.5, level, 3, false);
        cv::dilate(edges, edges, cv::Mat(), anchor, 1, cv::BORDER_CONSTANT, border);
        cv::dilate(edges, edges, element, anchor, 1, cv::BORDER_CONSTANT, border);
        cv::erode(edges, edges, element, anchor, 1, cv::BORDER_CONSTANT, border);
        cv::dilate(edges, edges, element, anchor, 1, cv::BORDER_CONSTANT, border);
        cv::erode(edges, edges, element, anchor, 1, cv::BORDER_CONSTANT, border);
        cv::Canny(edges, edges, level * 0.5, level, 3, false);
        cv::dilate(edges, edges, cv::Mat(), anchor, 1, cv::BORDER_CONSTANT, border);
        std::vector<cv::Vec4i> segments;
        cv::HoughLinesP(edges, segments, 1.0, CV_PI / 180, 100, 50.0, 1.0);
        for (const cv::Vec4i &segment : segments) {
            const int slot = KeyStonePageSearch::segmentSlot(segment, image.cols, image.rows);
            if (slot < 0)
                continue;
            const int dx = segment[0] - segment[2];
            const int dy = segment[1] - segment[3];
            const double length = std::sqrt(double(dx * dx + dy * dy));
            if (length > scores[size_t(slot)]) {
                lines[size_t(slot)] = segment;
                scores[size_t(slot)] = length;
            }
        }
    }
    return {lines[0], lines[2], lines[1], lines[3]};
}

__attribute__((noinline)) void detectOptimised(KeyStonePageSearch &search, const cv::Mat &frame, float *scale,
                                               Detection &detection)
{
    cv::Mat working = workingCopy(frame, scale);
    const std::vector<cv::Vec4i> sides = search.findSquaresByLine(working, detection.lines, detection.scores);
    detection.corners = search.findIntersect(working, sides);
    detection.accepted = KeyStonePageSearch::isAcceptable(detection.scores, detection.corners);
}

__attribute__((noinline)) void detectStraightforward(KeyStonePageSearch &search, const cv::Mat &frame,
                                                     Detection &detection)
{
    float scale = 0;
    cv::Mat working = workingCopy(frame, &scale);
    const std::vector<cv::Vec4i> sides = straightforwardSearch(working, detection.lines, detection.scores);
    detection.corners = search.findIntersect(working, sides);
    detection.accepted = KeyStonePageSearch::isAcceptable(detection.scores, detection.corners);
}

void printFigures(const char *what, const std::vector<double> &values)
{
    std::printf("%s: median %.2f ms, 99th percentile %.2f ms\n", what, percentile(values, 0.5),
                percentile(values, 0.99));
}

} // namespace

int main(int argc, char *argv[])
{
    // The simulated frames draw their frame counter with a font: a GUI application (QT_QPA_PLATFORM=offscreen
    // will do).
    QGuiApplication app(argc, argv);
    const int frameCount = argc > 1 ? std::max(10, atoi(argv[1])) : 300;
    const int seconds = argc > 2 ? std::max(0, atoi(argv[2])) : 10;
    cv::setNumThreads(1);

    platform::SimulatedFrameGenerator generator;
    std::vector<cv::Mat> frames;
    for (int i = 0; i < 30; ++i)
        frames.push_back(simulatedFrame(generator, quint64(i)));

    // The search's steps linked here directly; the loop turn goes through the module, as the program's.
    KeyStonePageSearch search;
    KeyStoneAlgorithm algorithm;
    algorithm.setFps(KeyStoneAlgorithm::DefaultFps);
    algorithm.beginRun();
    std::vector<double> detection, straightforward, warp, copy, turn, detectionWall;
    // Both carry their lines and scores from frame to frame, as the loop does between resets.
    Detection optimised;
    Detection reference;
    int accepted = 0;
    int agreeing = 0;
    QElapsedTimer clock;
    double cpu = 0;
    for (int i = 0; i < frameCount; ++i) {
        const cv::Mat &frame = frames[size_t(i) % frames.size()];

        cpu = cpuMs();
        detectStraightforward(search, frame, reference);
        straightforward.push_back(cpuMs() - cpu);

        float scale = 0;
        clock.start();
        cpu = cpuMs();
        detectOptimised(search, frame, &scale, optimised);
        detection.push_back(cpuMs() - cpu);
        detectionWall.push_back(double(clock.nsecsElapsed()) / 1e6);
        agreeing += optimised == reference ? 1 : 0;

        if (optimised.accepted) {
            ++accepted;
            std::vector<cv::Point> corners = optimised.corners;
            for (cv::Point &corner : corners)
                corner = cv::Point(int(float(corner.x) / scale), int(float(corner.y) / scale));
            cpu = cpuMs();
            const cv::Mat page = KeyStonePageSearch::warpPage(frame, corners);
            (void)page;
            warp.push_back(cpuMs() - cpu);
        }

        cpu = cpuMs();
        algorithm.setSampleImage(frame.data, frame.cols, frame.rows);
        copy.push_back(cpuMs() - cpu);
        algorithm.resetPara();

        cpu = cpuMs();
        algorithm.processFrame(QImage(frame.data, frame.cols, frame.rows, int(frame.step[0]), QImage::Format_ARGB32));
        turn.push_back(cpuMs() - cpu);
    }

    std::printf("keystone detection, 1920x1080 simulated document camera, one core, %d frames\n", frameCount);
    printFigures("detection per frame (350-row working copy), CPU (goal: under 10 ms)", detection);
    printFigures("detection per frame, wall clock", detectionWall);
    printFigures("straightforward edge search (plain OpenCV steps) per frame, CPU", straightforward);
    std::printf("detection / straightforward, medians: %.2f\n",
                percentile(detection, 0.5) / percentile(straightforward, 0.5));
    std::printf("edge lines, scores and corners identical to the straightforward search in %d of %d frames\n",
                agreeing, frameCount);
    std::printf("page accepted in %d of %d frames\n", accepted, frameCount);
    if (!warp.empty())
        printFigures("warp of an accepted frame for a snapshot (full size), CPU", warp);
    printFigures("whole loop turn (detection, keeping the accepted frame), CPU", turn);
    std::printf("copy on arrival (capture queue), CPU: median %.2f ms\n", percentile(copy, 0.5));
    std::fflush(stdout);
    if (seconds == 0)
        return agreeing == frameCount ? 0 : 1;

    // The thread as the camera window runs it: frames offered every 1/30 s at the default rate.
    KeyStoneAlgorithm running;
    running.startDetection(KeyStoneAlgorithm::DefaultFps);
    std::atomic<bool> feeding{true};
    std::atomic<int> offered{0};
    std::thread feeder([&] {
        QElapsedTimer pace;
        pace.start();
        qint64 next = 0;
        while (feeding) {
            const cv::Mat &frame = frames[size_t(offered.load()) % frames.size()];
            running.setSampleImage(frame.data, frame.cols, frame.rows);
            ++offered;
            next += 1000000000LL / 30;
            const qint64 wait = next - pace.nsecsElapsed();
            if (wait > 0)
                std::this_thread::sleep_for(std::chrono::nanoseconds(wait));
        }
    });
    QThread::msleep(1000); // settle
    const int startProcessed = running.processedFrames();
    const int startOffered = offered;
    QThread::msleep(unsigned(seconds) * 1000);
    const int processed = running.processedFrames() - startProcessed;
    const int given = offered - startOffered;
    feeding = false;
    feeder.join();
    running.stop();
    running.wait();
    std::printf("sustained at the default rate %d: %.1f frames/s detected of %.1f offered over %d s; rate now %d\n",
                int(KeyStoneAlgorithm::DefaultFps), processed / double(seconds), given / double(seconds), seconds,
                running.fps());
    return agreeing == frameCount ? 0 : 1;
}
