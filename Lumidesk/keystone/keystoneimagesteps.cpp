#include "keystoneimagesteps.h"

#include <opencv2/core/hal/intrin.hpp>
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

struct KeyStoneImageSteps::Buffers
{
    LineVotes votes;
    BitMorphology morphology;
};

KeyStoneImageSteps::KeyStoneImageSteps()
    : m_buffers(new Buffers)
{
}

KeyStoneImageSteps::~KeyStoneImageSteps() = default;

void KeyStoneImageSteps::houghSegments(const cv::Mat &edges, int threshold, int minLength, int maxGap,
                                       std::vector<cv::Vec4i> &segments)
{
    CV_Assert(edges.type() == CV_8UC1);
    if (!LineVotes::fits(edges.size())) {
        cv::HoughLinesP(edges, segments, 1.0, CV_PI / 180, threshold, minLength, maxGap);
        return;
    }
    m_buffers->votes.find(edges, threshold, minLength, maxGap, segments);
}

void KeyStoneImageSteps::closeEdges(cv::Mat &edges)
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
    BitMorphology &morphology = m_buffers->morphology;
    morphology.load(edges);
    morphology.apply<BitMorphology::Dilate, -1, 1>();
    morphology.apply<BitMorphology::Dilate, -5, 4>();
    morphology.apply<BitMorphology::Erode, -5, 4>();
    morphology.apply<BitMorphology::Dilate, -5, 4>();
    morphology.apply<BitMorphology::Erode, -5, 4>();
    morphology.store(edges);
}

double KeyStoneImageSteps::otsuLevel(const cv::Mat &plane)
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
