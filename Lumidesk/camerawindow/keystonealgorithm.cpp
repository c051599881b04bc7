#include "keystonealgorithm.h"

#include "common/lumidesklog.h"

#include <QMutexLocker>

#include <opencv2/core/hal/intrin.hpp>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define KEYSTONE_AVX2 1
#else
#define KEYSTONE_AVX2 0
#endif

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

// The probabilistic Hough transform of OpenCV's HoughLinesP (rho 1, theta 1 degree), step for step:
// the same random order of points, the same votes, the same walks along a found line. What differs is
// only how the votes are kept, which is where nearly all of its time goes: 16-bit counters (a counter
// never exceeds the pixels on one line through the image), packed per angle to the distances that occur
// in the image (a sixth of OpenCV's table, so that it stays in the cache), with each point's 180
// counter positions computed four or eight at a time and its maximum found eight at a time.
class LineVotes
{
public:
    // Whether the counters fit 16 bits for an image of this size: a line of one pixel's width takes at
    // most two pixels of each row or each column, so a counter stays within 2 x (width + height).
    static bool fits(const cv::Size &size) { return size.width + size.height < 16000; }

    void find(const cv::Mat &image, int threshold, int lineLength, int lineGap, std::vector<cv::Vec4i> &lines)
    {
        lines.clear();
        if (image.empty())
            return;
        prepare(image.size());
        std::fill(m_votes.begin(), m_votes.end(), int16_t(0));
        collectPoints(image);

        cv::RNG rng(uint64(-1));
        const int width = m_size.width;
        uchar *mask = m_mask.data();
        cv::Point *points = m_points.data();
        for (int count = int(m_points.size()); count > 0; --count) {
            // A random point of those left, which takes the last one's place.
            const int picked = rng.uniform(0, count);
            const cv::Point point = points[picked];
            points[picked] = points[count - 1];
            if (!mask[point.y * width + point.x])
                continue; // already on a found line
            const int angle = vote(point, threshold);
            if (angle < 0)
                continue;
            walk(point, angle, lineLength, lineGap, lines);
        }
    }

private:
    static constexpr int Angles = 180;
    static constexpr int Padded = (Angles + 7) / 8 * 8;
    static constexpr int Shift = 16;

    void prepare(const cv::Size &size)
    {
        if (size == m_size)
            return;
        m_size = size;
        // As OpenCV computes them: theta as a float, its multiples in double.
        const float theta = float(CV_PI / 180);
        m_cos.assign(Padded, 0.0f);
        m_sin.assign(Padded, 0.0f);
        m_base.assign(Padded, 0);
        int total = 0;
        for (int n = 0; n < Angles; ++n) {
            m_cos[size_t(n)] = float(std::cos(double(n) * theta));
            m_sin[size_t(n)] = float(std::sin(double(n) * theta));
            // The distance is monotonic in x and in y, so the corners bound it.
            int low = INT_MAX;
            int high = INT_MIN;
            for (int y : {0, size.height - 1}) {
                for (int x : {0, size.width - 1}) {
                    const int r = distance(n, x, y);
                    low = std::min(low, r);
                    high = std::max(high, r);
                }
            }
            m_base[size_t(n)] = total - low;
            total += high - low + 1;
        }
        // The padding angles all count into one spare counter.
        for (int n = Angles; n < Padded; ++n)
            m_base[size_t(n)] = total;
        m_votes.assign(size_t(total) + 1, 0);
        m_mask.resize(size_t(size.area()));
    }

    int distance(int n, int x, int y) const
    {
        return cvRound(float(x) * m_cos[size_t(n)] + float(y) * m_sin[size_t(n)]);
    }

    void collectPoints(const cv::Mat &image)
    {
        m_points.clear();
        for (int y = 0; y < m_size.height; ++y) {
            const uchar *row = image.ptr<uchar>(y);
            std::memcpy(m_mask.data() + size_t(y) * size_t(m_size.width), row, size_t(m_size.width));
            for (int x = 0; x < m_size.width; ++x) {
                if (row[x])
                    m_points.emplace_back(x, y);
            }
        }
    }

    // The counter of each angle for the line through (x, y).
    void counters(int x, int y, int *cells) const
    {
#if KEYSTONE_AVX2
        static const bool wide = __builtin_cpu_supports("avx2");
        if (wide) {
            countersAvx2(m_cos.data(), m_sin.data(), m_base.data(), x, y, cells);
            return;
        }
#endif
#if CV_SIMD128
        const cv::v_float32x4 fx = cv::v_setall_f32(float(x));
        const cv::v_float32x4 fy = cv::v_setall_f32(float(y));
        for (int n = 0; n < Padded; n += 4) {
            // Multiply, multiply, add and round to nearest even: what the scalar code does per angle.
            const cv::v_int32x4 r = cv::v_round(fx * cv::v_load(m_cos.data() + n) + fy * cv::v_load(m_sin.data() + n));
            cv::v_store(cells + n, r + cv::v_load(m_base.data() + n));
        }
#else
        for (int n = 0; n < Padded; ++n)
            cells[n] = m_base[size_t(n)] + distance(n, x, y);
#endif
    }

#if KEYSTONE_AVX2
    // Eight angles at a time where the processor has them. No fused multiply-add (the target does not
    // enable it): each lane rounds exactly as the scalar code does.
    __attribute__((target("avx2"))) static void countersAvx2(const float *cosines, const float *sines, const int *base,
                                                            int x, int y, int *cells)
    {
        const __m256 fx = _mm256_set1_ps(float(x));
        const __m256 fy = _mm256_set1_ps(float(y));
        for (int n = 0; n < Padded; n += 8) {
            const __m256 r = _mm256_add_ps(_mm256_mul_ps(fx, _mm256_loadu_ps(cosines + n)),
                                           _mm256_mul_ps(fy, _mm256_loadu_ps(sines + n)));
            const __m256i cell = _mm256_add_epi32(_mm256_cvtps_epi32(r),
                                                  _mm256_loadu_si256(reinterpret_cast<const __m256i *>(base + n)));
            _mm256_storeu_si256(reinterpret_cast<__m256i *>(cells + n), cell);
        }
    }
#endif

    // Adds the point's votes; the angle of its strongest line when that reaches the threshold (the
    // first such angle on a tie), else -1.
    int vote(const cv::Point &point, int threshold)
    {
        alignas(32) int cells[Padded];
        alignas(16) int16_t counts[Padded];
        counters(point.x, point.y, cells);
        int16_t *votes = m_votes.data();
#pragma GCC unroll 4
        for (int n = 0; n < Angles; ++n) {
            int16_t &count = votes[cells[n]];
            count = int16_t(count + 1);
            counts[n] = count;
        }
        for (int n = Angles; n < Padded; ++n)
            counts[n] = INT16_MIN;
        int best = INT16_MIN;
#if CV_SIMD128
        cv::v_int16x8 highest = cv::v_setall_s16(INT16_MIN);
        for (int n = 0; n < Padded; n += 8)
            highest = cv::v_max(highest, cv::v_load(counts + n));
        best = cv::v_reduce_max(highest);
#else
        for (int n = 0; n < Angles; ++n)
            best = std::max(best, int(counts[n]));
#endif
        if (best < threshold)
            return -1;
        return int(std::find(counts, counts + Angles, int16_t(best)) - counts);
    }

    void unvote(int x, int y)
    {
        alignas(32) int cells[Padded];
        counters(x, y, cells);
        int16_t *votes = m_votes.data();
#pragma GCC unroll 4
        for (int n = 0; n < Angles; ++n)
            --votes[cells[n]];
    }

    // From the point both ways along the line of `angle`, in 16.16 fixed point, over gaps of up to
    // `lineGap` pixels: the segment's ends; then the points up to them leave the mask, and when the
    // segment is long enough, their votes leave the counters.
    void walk(const cv::Point &point, int angle, int lineLength, int lineGap, std::vector<cv::Vec4i> &lines)
    {
        const int width = m_size.width;
        const int height = m_size.height;
        uchar *mask = m_mask.data();
        const float a = -m_sin[size_t(angle)];
        const float b = m_cos[size_t(angle)];
        int x0 = point.x;
        int y0 = point.y;
        int dx0 = 0;
        int dy0 = 0;
        const bool alongX = std::fabs(a) > std::fabs(b);
        if (alongX) {
            dx0 = a > 0 ? 1 : -1;
            dy0 = cvRound(b * (1 << Shift) / std::fabs(a));
            y0 = (y0 << Shift) + (1 << (Shift - 1));
        } else {
            dy0 = b > 0 ? 1 : -1;
            dx0 = cvRound(a * (1 << Shift) / std::fabs(b));
            x0 = (x0 << Shift) + (1 << (Shift - 1));
        }
        auto pixel = [alongX](int x, int y) {
            return alongX ? cv::Point(x, y >> Shift) : cv::Point(x >> Shift, y);
        };

        cv::Point ends[2];
        for (int k = 0; k < 2; ++k) {
            const int dx = k ? -dx0 : dx0;
            const int dy = k ? -dy0 : dy0;
            int gap = 0;
            for (int x = x0, y = y0;; x += dx, y += dy) {
                const cv::Point p = pixel(x, y);
                if (p.x < 0 || p.x >= width || p.y < 0 || p.y >= height)
                    break;
                if (mask[p.y * width + p.x]) {
                    gap = 0;
                    ends[k] = p;
                } else if (++gap > lineGap) {
                    break;
                }
            }
        }

        const bool good = std::abs(ends[1].x - ends[0].x) >= lineLength || std::abs(ends[1].y - ends[0].y) >= lineLength;
        for (int k = 0; k < 2; ++k) {
            const int dx = k ? -dx0 : dx0;
            const int dy = k ? -dy0 : dy0;
            for (int x = x0, y = y0;; x += dx, y += dy) {
                const cv::Point p = pixel(x, y);
                uchar &set = mask[p.y * width + p.x];
                if (set) {
                    if (good)
                        unvote(p.x, p.y);
                    set = 0;
                }
                if (p == ends[k])
                    break;
            }
        }
        if (good)
            lines.emplace_back(ends[0].x, ends[0].y, ends[1].x, ends[1].y);
    }

    cv::Size m_size{-1, -1};
    std::vector<float> m_cos;
    std::vector<float> m_sin;
    // Per angle, the index of distance 0 in the packed counters.
    std::vector<int> m_base;
    std::vector<int16_t> m_votes;
    // Points not yet on a found line.
    std::vector<uchar> m_mask;
    std::vector<cv::Point> m_points;
};

// Binary morphology on rows of bits, 64 pixels a word, for the closing of an edge map: the same
// maxima and minima OpenCV takes over rectangles, an eighth of the memory and a few word operations
// per 64 pixels. Each row has a guard word on either side that holds the border value.
class BitMorphology
{
public:
    enum Operation { Dilate, Erode };

    void load(const cv::Mat &image)
    {
        m_size = image.size();
        m_words = (m_size.width + 63) / 64;
        m_stride = m_words + 2;
        m_bits.assign(size_t(m_stride) * size_t(m_size.height), 0);
        m_scratch.assign(m_bits.size(), 0);
        for (int y = 0; y < m_size.height; ++y) {
            const uchar *row = image.ptr<uchar>(y);
            uint64_t *bits = row_(m_bits, y);
            int x = 0;
#if CV_SIMD128
            const cv::v_uint8x16 zero = cv::v_setzero_u8();
            for (; x + 16 <= m_size.width; x += 16) {
                const uint64_t set = uint64_t(unsigned(cv::v_signmask(cv::v_load(row + x) != zero)));
                bits[x / 64] |= set << (x % 64);
            }
#endif
            for (; x < m_size.width; ++x) {
                if (row[x])
                    bits[x / 64] |= uint64_t(1) << (x % 64);
            }
        }
    }

    void store(cv::Mat &image) const
    {
        static const std::vector<uint64_t> bytes = [] {
            std::vector<uint64_t> table(256);
            for (int v = 0; v < 256; ++v) {
                for (int bit = 0; bit < 8; ++bit) {
                    if (v & (1 << bit))
                        table[size_t(v)] |= uint64_t(0xff) << (8 * bit);
                }
            }
            return table;
        }();
        for (int y = 0; y < m_size.height; ++y) {
            uchar *row = image.ptr<uchar>(y);
            const uint64_t *bits = row_(m_bits, y);
            int x = 0;
            for (; x + 8 <= m_size.width; x += 8) {
                const uint64_t expanded = bytes[size_t((bits[x / 64] >> (x % 64)) & 0xff)];
                std::memcpy(row + x, &expanded, 8);
            }
            for (; x < m_size.width; ++x)
                row[x] = (bits[x / 64] >> (x % 64)) & 1 ? 255 : 0;
        }
    }

    // The maximum (dilate) or minimum (erode) over offsets from..to in x and in y; pixels outside
    // the image count as 0 for the maximum and as 1 for the minimum, as OpenCV's default border does.
    template<Operation operation, int from, int to>
    void apply()
    {
        static_assert(from <= 0 && to >= 0 && to - from < 64, "a window within one word");
        horizontal<operation, from, to>();
        vertical<operation, from, to>();
    }

private:
    uint64_t *row_(std::vector<uint64_t> &bits, int y) const { return bits.data() + size_t(y) * size_t(m_stride) + 1; }
    const uint64_t *row_(const std::vector<uint64_t> &bits, int y) const
    {
        return bits.data() + size_t(y) * size_t(m_stride) + 1;
    }

    // The neutral word of the operation, which is also what lies outside the image.
    template<Operation operation>
    static constexpr uint64_t neutral()
    {
        return operation == Erode ? ~uint64_t(0) : 0;
    }

    template<Operation operation>
    static uint64_t combine(uint64_t a, uint64_t b)
    {
        return operation == Erode ? a & b : a | b;
    }

    template<Operation operation, int from, int to>
    void horizontal()
    {
        const int tail = m_size.width % 64;
        const uint64_t tailMask = tail ? ~uint64_t(0) << tail : 0;
        for (int y = 0; y < m_size.height; ++y) {
            uint64_t *in = row_(m_bits, y);
            uint64_t *out = row_(m_scratch, y);
            in[-1] = neutral<operation>();
            in[m_words] = neutral<operation>();
            if (tail)
                in[m_words - 1] = (in[m_words - 1] & ~tailMask) | (neutral<operation>() & tailMask);
            for (int i = 0; i < m_words; ++i) {
                // Word i of the row shifted so that bit x holds pixel x + d, for each d.
                uint64_t value = in[i];
                for (int d = from; d < 0; ++d)
                    value = combine<operation>(value, (in[i] << -d) | (in[i - 1] >> (64 + d)));
                for (int d = 1; d <= to; ++d)
                    value = combine<operation>(value, (in[i] >> d) | (in[i + 1] << (64 - d)));
                out[i] = value;
            }
        }
    }

    template<Operation operation, int from, int to>
    void vertical()
    {
        const uint64_t *in = row_(m_scratch, 0);
        for (int y = 0; y < m_size.height; ++y) {
            uint64_t *out = row_(m_bits, y);
            const uint64_t *first = in + size_t(std::max(0, y + from)) * size_t(m_stride);
            const uint64_t *last = in + size_t(std::min(m_size.height - 1, y + to)) * size_t(m_stride);
            for (int i = 0; i < m_words; ++i) {
                uint64_t value = neutral<operation>();
                for (const uint64_t *source = first + i; source <= last + i; source += m_stride)
                    value = combine<operation>(value, *source);
                out[i] = value;
            }
        }
    }

    cv::Size m_size;
    int m_words = 0;
    int m_stride = 0;
    std::vector<uint64_t> m_bits;
    std::vector<uint64_t> m_scratch;
};

} // namespace

struct KeyStoneAlgorithm::Workspace
{
    cv::Mat working;
    cv::Mat planes[3];
    cv::Mat edges;
    std::vector<cv::Vec4i> segments;
    LineVotes votes;
    BitMorphology morphology;
};

KeyStoneAlgorithm::KeyStoneAlgorithm(QObject *parent)
    : QThread(parent), m_lines(4, cv::Vec4i(0, 0, 0, 0)), m_scores(4, 0.0), m_workspace(new Workspace)
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
        return cv::imwrite(path.toLocal8Bit().constData(), page, std::vector<int>()) ? 0 : -1;
    } catch (const cv::Exception &error) {
        _LumideskLog::log(Journix::Warning, "Key stone file %s not written: %s", qUtf8Printable(path),
                          error.what());
        return -1;
    }
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
    CV_Assert(edges.type() == CV_8UC1);
    if (!LineVotes::fits(edges.size())) {
        cv::HoughLinesP(edges, segments, 1.0, CV_PI / 180, threshold, minLength, maxGap);
        return;
    }
    m_workspace->votes.find(edges, threshold, minLength, maxGap, segments);
}

void KeyStoneAlgorithm::closeEdges(cv::Mat &edges)
{
    CV_Assert(edges.type() == CV_8UC1);
    // Gaps in a page edge broken by text or shadow are closed so that the edge becomes one line.
    if (edges.isSubmatrix()) {
        // OpenCV takes in the pixels around a window; the bit rows know only the window itself.
        const cv::Mat square = cv::getStructuringElement(cv::MORPH_RECT, cv::Size(10, 10), cv::Point(-1, -1));
        const cv::Mat small; // the default 3 x 3
        const struct
        {
            decltype(&cv::dilate) operation;
            const cv::Mat &element;
        } steps[] = {{&cv::dilate, small}, {&cv::dilate, square}, {&cv::erode, square}, {&cv::dilate, square},
                     {&cv::erode, square}};
        for (const auto &step : steps) {
            step.operation(edges, edges, step.element, cv::Point(-1, -1), 1, cv::BORDER_CONSTANT,
                           cv::morphologyDefaultBorderValue());
        }
        return;
    }
    // The 10 x 10 rectangle's anchor is its centre (5, 5): it reaches 5 pixels back and 4 ahead.
    BitMorphology &morphology = m_workspace->morphology;
    morphology.load(edges);
    morphology.apply<BitMorphology::Dilate, -1, 1>();
    morphology.apply<BitMorphology::Dilate, -5, 4>();
    morphology.apply<BitMorphology::Erode, -5, 4>();
    morphology.apply<BitMorphology::Dilate, -5, 4>();
    morphology.apply<BitMorphology::Erode, -5, 4>();
    morphology.store(edges);
}

double KeyStoneAlgorithm::otsuLevel(const cv::Mat &plane)
{
    CV_Assert(plane.type() == CV_8UC1);
    // OpenCV's Otsu level, computed the same way in double precision, without writing the thresholded
    // image nobody looks at. Four histograms make neighbouring equal pixels independent increments.
    int histograms[4][256] = {};
    for (int y = 0; y < plane.rows; ++y) {
        const uchar *row = plane.ptr<uchar>(y);
        int x = 0;
        for (; x + 4 <= plane.cols; x += 4) {
            ++histograms[0][row[x]];
            ++histograms[1][row[x + 1]];
            ++histograms[2][row[x + 2]];
            ++histograms[3][row[x + 3]];
        }
        for (; x < plane.cols; ++x)
            ++histograms[0][row[x]];
    }
    int *histogram = histograms[0];
    const double scale = 1.0 / (plane.cols * plane.rows);
    double mu = 0;
    for (int i = 0; i < 256; ++i) {
        histogram[i] += histograms[1][i] + histograms[2][i] + histograms[3][i];
        mu += i * double(histogram[i]);
    }
    mu *= scale;
    double mu1 = 0;
    double q1 = 0;
    double maxSigma = 0;
    double level = 0;
    for (int i = 0; i < 256; ++i) {
        const double p = histogram[i] * scale;
        mu1 *= q1;
        q1 += p;
        const double q2 = 1.0 - q1;
        if (std::min(q1, q2) < FLT_EPSILON || std::max(q1, q2) > 1.0 - FLT_EPSILON)
            continue;
        mu1 = (mu1 + i * p) / q1;
        const double mu2 = (mu - q1 * mu1) / q2;
        const double sigma = q1 * q2 * (mu1 - mu2) * (mu1 - mu2);
        if (sigma > maxSigma) {
            maxSigma = sigma;
            level = i;
        }
    }
    return level;
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
