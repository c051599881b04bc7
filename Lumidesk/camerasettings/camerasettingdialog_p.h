#ifndef CAMERASETTINGDIALOG_P_H
#define CAMERASETTINGDIALOG_P_H

// Names and helpers shared by the source files of CameraSettingDialog; not for other classes.

#include "camerasettingdialog.h"

#include <QString>

namespace camerasettings {

inline const QString ImagePath = QStringLiteral(":/cameraSetting/resources/cameraSetting/");
inline const QString NotAvailable = QStringLiteral("N/A");
inline const QString Enabled = QStringLiteral("#ffffff");
inline const QString Greyed = QStringLiteral("#4C4C4C");
inline const QString GreyedSlider = QStringLiteral("#4c4c4c");
inline const QString CaptionSize = QStringLiteral("14px");
inline const QString RangeSize = QStringLiteral("11px");
inline constexpr quint16 ZR90ProductId = 0x0810;
inline constexpr int WidestListedWidth = 1920;
// A camera that reports an absurd range must not make a list of millions of rows.
inline constexpr qint64 MaxListedLevels = 256;
inline constexpr int RestartStep = 4;

enum Command : uint {
    BrightnessChanged = 0x80000201,
    SaturationChanged = 0x80000202,
    SharpnessChanged = 0x80000203,
    WhiteBalanceChanged = 0x80000206,
    AutoWhiteBalanceChanged = 0x80000207,
    PowerLineChanged = 0x80000208,
    BacklightChanged = 0x8000020a,
    NoiseChanged = 0x8000020b,
    MirrorToggled = 0x8000020c,
    CeilingToggled = 0x8000020d,
    RotatedLeft = 0x80000212,
    RotatedRight = 0x80000213,
    ContrastChanged = 0x80000240,
    BasicDefaults = 0x80000244,
    AdvancedDefaults = 0x80000245,
};

enum Report {
    BasicPageLeft = 0x11000014,
    AdvancedPageLeft = 0x11000015,
    OutputModeApplied = 0x11000016,
    AudioPageLeft = 0x11000017,
    AudioHelpOpened = 0x11000018,
};

inline bool succeeded(uint32_t result)
{
    return int32_t(result) >= 0;
}

inline QString resolutionText(int width, int height)
{
    return QStringLiteral("%1 x %2").arg(uint(width)).arg(uint(height));
}

inline QString frameRateText(uint fps)
{
    return QString::number(fps) + QStringLiteral("fps");
}

inline int heightOf(const QString &resolution)
{
    return resolution.section(QStringLiteral(" x "), 1).toInt();
}

inline QString powerLineText(int value)
{
    switch (value) {
    case 0: return CameraSettingDialog::tr("Off");
    case 1: return QStringLiteral("50hz");
    case 2: return QStringLiteral("60hz");
    default: return QString();
    }
}

inline QString normalStyle(const QString &normal, const QString &hover, const QString &pressed)
{
    return QStringLiteral("QToolButton{border:none;border-image:url(%1%2);}"
                          "QToolButton:hover{border-image:url(%1%3);}"
                          "QToolButton:pressed{border-image:url(%1%4);}")
        .arg(ImagePath, normal, hover, pressed);
}


inline bool inside(const uvc_control_range &range, int value)
{
    return value >= range.min && value <= range.max;
}

} // namespace camerasettings

#endif // CAMERASETTINGDIALOG_P_H
