// Keystone page detection on 1920x1080 frames of the simulated document camera (a white page tilted on
// a wooden desk):
//  - detection per frame on one core (the 350-row working copy, edge search, corners, acceptance):
//    median and 99th percentile;
//  - the perspective warp of an accepted frame at full size;
//  - the copy of a frame on arrival (paid on the capture queue);
//  - the frames per second the detection thread sustains at the default rate (5) while frames arrive
//    at the camera window's export pace (every 1/30 s tick), and whether it had to lower its rate.
// Usage: bench_keystone [frames, default 300] [seconds of the sustained run, default 10]
#include "camerawindow/keystonealgorithm.h"
#include "video/simulated/simulatedframegenerator.h"

#include <QGuiApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QThread>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <atomic>
#include <ctime>
#include <cstdio>
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

} // namespace

int main(int argc, char *argv[])
{
    // The simulated frames draw their frame counter with a font: a GUI application (QT_QPA_PLATFORM=offscreen
    // will do).
    QGuiApplication app(argc, argv);
    const int frameCount = argc > 1 ? std::max(10, atoi(argv[1])) : 300;
    const int seconds = argc > 2 ? std::max(1, atoi(argv[2])) : 10;
    cv::setNumThreads(1);

    platform::SimulatedFrameGenerator generator;
    std::vector<cv::Mat> frames;
    for (int i = 0; i < 30; ++i)
        frames.push_back(simulatedFrame(generator, quint64(i)));

    KeyStoneAlgorithm algorithm;
    algorithm.setFps(KeyStoneAlgorithm::DefaultFps);
    algorithm.beginRun();
    std::vector<double> detection, warp, copy, turn;
    std::vector<cv::Vec4i> lines(4, cv::Vec4i(0, 0, 0, 0));
    std::vector<double> scores(4, 0.0);
    int accepted = 0;
    std::vector<double> detectionWall;
    QElapsedTimer clock;
    double cpu = 0;
    for (int i = 0; i < frameCount; ++i) {
        const cv::Mat &frame = frames[size_t(i) % frames.size()];

        clock.start();
        cpu = cpuMs();
        const float scale = float(double(KeyStoneAlgorithm::WorkingRows) / frame.rows);
        cv::Mat working;
        cv::resize(frame, working, cv::Size(0, 0), scale, scale, cv::INTER_LINEAR);
        const std::vector<cv::Vec4i> sides = algorithm.findSquaresByLine(working, lines, scores);
        std::vector<cv::Point> corners = algorithm.findIntersect(working, sides);
        const bool ok = KeyStoneAlgorithm::isAcceptable(scores, corners);
        detection.push_back(cpuMs() - cpu);
        detectionWall.push_back(clock.nsecsElapsed() / 1e6);

        if (ok) {
            ++accepted;
            for (cv::Point &corner : corners)
                corner = cv::Point(int(float(corner.x) / scale), int(float(corner.y) / scale));
            cpu = cpuMs();
            algorithm.storePage(frame, corners);
            warp.push_back(cpuMs() - cpu);
        }

        cpu = cpuMs();
        algorithm.setSampleImage(frame.data, frame.cols, frame.rows);
        copy.push_back(cpuMs() - cpu);
        algorithm.resetPara();

        cpu = cpuMs();
        algorithm.processFrame(frame);
        turn.push_back(cpuMs() - cpu);
    }

    std::printf("keystone detection, 1920x1080 simulated document camera, one core, %d frames\n", frameCount);
    std::printf("detection per frame (350-row working copy), CPU: median %.2f ms, 99th percentile %.2f ms "
                "(goal: under 10 ms)\n",
                percentile(detection, 0.5), percentile(detection, 0.99));
    std::printf("detection per frame, wall clock: median %.2f ms, 99th percentile %.2f ms\n",
                percentile(detectionWall, 0.5), percentile(detectionWall, 0.99));
    std::printf("page accepted in %d of %d frames\n", accepted, frameCount);
    if (!warp.empty())
        std::printf("warp of an accepted frame (full size), CPU: median %.2f ms, 99th percentile %.2f ms\n",
                    percentile(warp, 0.5), percentile(warp, 0.99));
    std::printf("whole loop turn (detection and warp), CPU: median %.2f ms, 99th percentile %.2f ms\n",
                percentile(turn, 0.5), percentile(turn, 0.99));
    std::printf("copy on arrival (capture queue), CPU: median %.2f ms\n", percentile(copy, 0.5));
    std::fflush(stdout);

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
    return 0;
}
