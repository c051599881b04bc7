#pragma once

#include <QImage>
#include <QRect>
#include <QtGlobal>

namespace platform {

class SimulatedUvcDevice;

// What a virtual camera's image controls do to its picture, as a camera's own processing would.
// Each amount runs from -1 at the control's minimum through 0 at its default to 1 at its maximum, so
// a camera left at its defaults shows the scene untouched, and every model's ranges mean the same.
// - brightness raises or lowers every level;
// - contrast stretches or flattens the levels about mid-grey;
// - saturation pulls each colour towards its grey (none is left at the minimum) or away from it;
// - sharpness blurs the picture below its default and sharpens it (an unsharp mask) above;
// - backlight compensation lifts the shadows above its default and deepens them below;
// - white-balance temperature, while automatic white balance is off, takes the light for colder or
//   warmer than the desk lamp's: a low setting turns the picture blue, a high one orange.
class SimulatedImageControls
{
public:
    // The processing unit's selectors of the controls that change the picture.
    enum Selector : quint8 {
        BacklightCompensation = 0x01,
        Brightness = 0x02,
        Contrast = 0x03,
        Saturation = 0x07,
        Sharpness = 0x08,
        WhiteBalanceTemperature = 0x0a,
        WhiteBalanceTemperatureAuto = 0x0b,
    };

    // The controls as the camera holds them now (its processing unit's current values).
    static SimulatedImageControls read(const SimulatedUvcDevice &uvc);
    static double amount(qint64 value, qint64 minimum, qint64 defaultValue, qint64 maximum);

    bool isNeutral() const;
    bool operator==(const SimulatedImageControls &other) const;
    bool operator!=(const SimulatedImageControls &other) const { return !(*this == other); }

    // Every control, on a picture of Format_RGB32.
    void apply(QImage &image) const;
    // Only what each pixel undergoes alone (all but sharpness), within `area`: cheap enough for the
    // small parts that change at every frame.
    void applyToPixels(QImage &image, const QRect &area) const;

    double brightness = 0;
    double contrast = 0;
    double saturation = 0;
    double sharpness = 0;
    double backlight = 0;
    double whiteBalance = 0;

private:
    void sharpen(QImage &image) const;
};

} // namespace platform
