#include "simulated/simulatedimagecontrols.h"

#include "simulated/simulateduvcdevice.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace platform {

namespace {

// How far each control reaches at either end of its range: strong enough to see at once, never so
// strong that the page is lost.
constexpr double BrightnessLevels = 80;     // levels added at the maximum
constexpr double ContrastDoublings = 1.5;   // of the slope about mid-grey
constexpr double BacklightHalvings = 0.6;   // of the gamma that lifts the shadows
constexpr double WarmthDoublings = 0.45;    // of red against blue
constexpr double SaturationGain = 1.5;      // colour added at the maximum
constexpr double SharpeningGain = 2.0;      // of the detail an unsharp mask adds at the maximum
constexpr double BlurRadiusPerLine = 1.0 / 240; // of the picture's height: a similar look at any size

int clampLevel(int level)
{
    return std::clamp(level, 0, 255);
}

double amountOf(const SimulatedUvcDevice &uvc, quint8 unit, quint8 selector)
{
    // A control the camera lacks reads as empty, which is its default.
    const SimulatedUvcControl control = uvc.control(unit, selector);
    return SimulatedImageControls::amount(SimulatedUvcControl::signedValue(control.current),
                                          SimulatedUvcControl::signedValue(control.minimum),
                                          SimulatedUvcControl::signedValue(control.defaultValue),
                                          SimulatedUvcControl::signedValue(control.maximum));
}

// What the per-pixel controls do, worked out once for a picture: one level curve for each of red,
// green and blue (white balance, backlight, contrast, brightness) and the saturation gain in 1/256.
struct PixelMap
{
    quint8 curves[3][256];
    int saturation256 = 256;
    bool curvesAreIdentity = true;
};

PixelMap pixelMap(const SimulatedImageControls &controls)
{
    PixelMap map;
    const double warmth = std::exp2(controls.whiteBalance * WarmthDoublings);
    const double gains[3] = {warmth, 1.0, 1.0 / warmth};
    const double gamma = std::exp2(-controls.backlight * BacklightHalvings);
    const double slope = std::exp2(controls.contrast * ContrastDoublings);
    const double offset = controls.brightness * BrightnessLevels;
    for (int channel = 0; channel < 3; ++channel) {
        for (int level = 0; level < 256; ++level) {
            double value = std::min(255.0, level * gains[channel]);
            value = 255.0 * std::pow(value / 255.0, gamma);
            value = (value - 128.0) * slope + 128.0 + offset;
            map.curves[channel][level] = quint8(clampLevel(int(std::lround(value))));
            map.curvesAreIdentity = map.curvesAreIdentity && map.curves[channel][level] == level;
        }
    }
    const double saturation = controls.saturation < 0 ? 1.0 + controls.saturation
                                                      : 1.0 + controls.saturation * SaturationGain;
    map.saturation256 = int(std::lround(saturation * 256));
    return map;
}

// A box blur of `radius` with the edges repeated: one pass along the lines, one down the columns,
// each a running sum, so its cost does not grow with the radius.
QImage boxBlurred(const QImage &image, int radius)
{
    const int width = image.width();
    const int height = image.height();
    const int span = 2 * radius + 1;
    const int reciprocal = (1 << 16) / span;
    const auto average = [reciprocal](int sum) { return quint8(clampLevel((sum * reciprocal + (1 << 15)) >> 16)); };

    QImage across(image.size(), QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        const QRgb *in = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        QRgb *out = reinterpret_cast<QRgb *>(across.scanLine(y));
        const auto at = [&](int x) { return in[std::clamp(x, 0, width - 1)]; };
        int sums[3] = {0, 0, 0};
        for (int x = -radius; x <= radius; ++x) {
            sums[0] += qRed(at(x));
            sums[1] += qGreen(at(x));
            sums[2] += qBlue(at(x));
        }
        for (int x = 0; x < width; ++x) {
            out[x] = qRgb(average(sums[0]), average(sums[1]), average(sums[2]));
            const QRgb entering = at(x + radius + 1);
            const QRgb leaving = at(x - radius);
            sums[0] += qRed(entering) - qRed(leaving);
            sums[1] += qGreen(entering) - qGreen(leaving);
            sums[2] += qBlue(entering) - qBlue(leaving);
        }
    }

    QImage blurred(image.size(), QImage::Format_RGB32);
    const auto line = [&](int y) {
        return reinterpret_cast<const QRgb *>(across.constScanLine(std::clamp(y, 0, height - 1)));
    };
    std::vector<int> sums(size_t(width) * 3, 0);
    for (int y = -radius; y <= radius; ++y) {
        const QRgb *in = line(y);
        for (int x = 0; x < width; ++x) {
            sums[size_t(x) * 3] += qRed(in[x]);
            sums[size_t(x) * 3 + 1] += qGreen(in[x]);
            sums[size_t(x) * 3 + 2] += qBlue(in[x]);
        }
    }
    for (int y = 0; y < height; ++y) {
        QRgb *out = reinterpret_cast<QRgb *>(blurred.scanLine(y));
        const QRgb *entering = line(y + radius + 1);
        const QRgb *leaving = line(y - radius);
        for (int x = 0; x < width; ++x) {
            int *sum = &sums[size_t(x) * 3];
            out[x] = qRgb(average(sum[0]), average(sum[1]), average(sum[2]));
            sum[0] += qRed(entering[x]) - qRed(leaving[x]);
            sum[1] += qGreen(entering[x]) - qGreen(leaving[x]);
            sum[2] += qBlue(entering[x]) - qBlue(leaving[x]);
        }
    }
    return blurred;
}

} // namespace

double SimulatedImageControls::amount(qint64 value, qint64 minimum, qint64 defaultValue, qint64 maximum)
{
    if (value < defaultValue && defaultValue > minimum)
        return std::max(-1.0, double(value - defaultValue) / double(defaultValue - minimum));
    if (value > defaultValue && maximum > defaultValue)
        return std::min(1.0, double(value - defaultValue) / double(maximum - defaultValue));
    return 0.0;
}

SimulatedImageControls SimulatedImageControls::read(const SimulatedUvcDevice &uvc)
{
    const quint8 unit = uvc.processingUnitId();
    SimulatedImageControls controls;
    controls.brightness = amountOf(uvc, unit, Brightness);
    controls.contrast = amountOf(uvc, unit, Contrast);
    controls.saturation = amountOf(uvc, unit, Saturation);
    controls.sharpness = amountOf(uvc, unit, Sharpness);
    controls.backlight = amountOf(uvc, unit, BacklightCompensation);
    // Automatic white balance matches the lamp, whatever the manual setting says.
    const bool automatic = uvc.hasControl(unit, WhiteBalanceTemperatureAuto)
                           && SimulatedUvcControl::signedValue(uvc.current(unit, WhiteBalanceTemperatureAuto)) != 0;
    controls.whiteBalance = automatic ? 0.0 : amountOf(uvc, unit, WhiteBalanceTemperature);
    return controls;
}

bool SimulatedImageControls::isNeutral() const
{
    return *this == SimulatedImageControls();
}

bool SimulatedImageControls::operator==(const SimulatedImageControls &other) const
{
    return brightness == other.brightness && contrast == other.contrast && saturation == other.saturation
           && sharpness == other.sharpness && backlight == other.backlight && whiteBalance == other.whiteBalance;
}

void SimulatedImageControls::apply(QImage &image) const
{
    if (isNeutral() || image.isNull())
        return;
    sharpen(image);
    applyToPixels(image, image.rect());
}

void SimulatedImageControls::sharpen(QImage &image) const
{
    if (sharpness == 0)
        return;
    const int radius = std::max(1, int(std::lround(image.height() * BlurRadiusPerLine)));
    const QImage blurred = boxBlurred(image, radius);
    // Below the default the picture moves towards its blur; above it, away from it.
    const int detail256 = int(std::lround((sharpness < 0 ? sharpness : sharpness * SharpeningGain) * 256));
    const auto mix = [detail256](int sharp, int soft) { return clampLevel(sharp + (sharp - soft) * detail256 / 256); };
    for (int y = 0; y < image.height(); ++y) {
        QRgb *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        const QRgb *soft = reinterpret_cast<const QRgb *>(blurred.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            line[x] = qRgb(mix(qRed(line[x]), qRed(soft[x])), mix(qGreen(line[x]), qGreen(soft[x])),
                           mix(qBlue(line[x]), qBlue(soft[x])));
        }
    }
}

void SimulatedImageControls::applyToPixels(QImage &image, const QRect &area) const
{
    if (isNeutral())
        return;
    const PixelMap map = pixelMap(*this);
    if (map.curvesAreIdentity && map.saturation256 == 256)
        return;
    const QRect inside = area & image.rect();
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        QRgb *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = inside.left(); x <= inside.right(); ++x) {
            int red = map.curves[0][qRed(line[x])];
            int green = map.curves[1][qGreen(line[x])];
            int blue = map.curves[2][qBlue(line[x])];
            if (map.saturation256 != 256) {
                const int grey = (77 * red + 150 * green + 29 * blue + 128) >> 8;
                red = clampLevel(grey + (red - grey) * map.saturation256 / 256);
                green = clampLevel(grey + (green - grey) * map.saturation256 / 256);
                blue = clampLevel(grey + (blue - grey) * map.saturation256 / 256);
            }
            line[x] = qRgb(red, green, blue);
        }
    }
}

} // namespace platform
