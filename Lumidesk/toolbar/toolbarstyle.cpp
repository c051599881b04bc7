#include "toolbar/toolbarstyle.h"

namespace {

const char ImageFolder[] = ":/mainToolbar/resources/mainToolbar/";

} // namespace

ToolbarStyle::Look ToolbarStyle::look(int edge, bool narrow)
{
    switch (edge) {
    case 0:
        return narrow ? Look{"bg_t_s_topbar", "btn_narrow2_t", {"closeBtn", {35, 0}}}
                      : Look{"bg_t_b_topbar", "btn_narrow_t", {"closeBtn", {452, 0}}};
    case 1:
        return narrow ? Look{"bg_t_s_topbar_down", "btn_narrow2_t", {"closeBtn", {35, 20}}}
                      : Look{"bg_t_b_downbar", "btn_narrow_t", {"closeBtn", {452, 20}}};
    case 2:
        return narrow ? Look{"bg_t_s_topbar_left", "btn_narrow4_t", {"closeBtnVer", {3, 35}}}
                      : Look{"bg_t_b_leftbar", "btn_narrow3_t", {"closeBtnVer", {3, 452}}};
    case 3:
        return narrow ? Look{"bg_t_s_topbar_right", "btn_narrow4_t", {"closeBtnVer", {23, 35}}}
                      : Look{"bg_t_b_rightbar", "btn_narrow3_t", {"closeBtnVer", {23, 452}}};
    default:
        return Look();
    }
}

QList<ToolbarStyle::ButtonPlace> ToolbarStyle::buttonPlaces(int edge)
{
    switch (edge) {
    case 0:
        return {{"narrowBtn", {0, 0}},        {"moveBtn", {35, 3}},       {"selectLayoutBtn", {0, 3}},
                {"captureBtn", {56, 3}},      {"recordBtn", {112, 3}},    {"streamingBtn", {168, 3}},
                {"previewBtn", {224, 3}},     {"settingsBtn", {280, 3}},  {"drawletBtn", {336, 3}},
                {"closeBtn", {453, 0}}};
    case 1:
        return {{"narrowBtn", {0, 20}},       {"moveBtn", {35, 14}},      {"selectLayoutBtn", {0, 8}},
                {"captureBtn", {56, 8}},      {"recordBtn", {112, 8}},    {"streamingBtn", {168, 8}},
                {"previewBtn", {224, 8}},     {"settingsBtn", {280, 8}},  {"drawletBtn", {336, 8}},
                {"closeBtn", {453, 20}}};
    case 2:
        return {{"narrowBtnVer", {0, 0}},     {"moveBtnVer", {0, 35}},    {"selectLayoutBtnVer", {3, 0}},
                {"captureBtnVer", {3, 56}},   {"recordBtnVer", {3, 112}}, {"streamingBtnVer", {3, 168}},
                {"previewBtnVer", {3, 224}},  {"settingsBtnVer", {3, 280}}, {"drawletBtnVer", {3, 336}},
                {"closeBtnVer", {0, 453}}};
    case 3:
        return {{"narrowBtnVer", {20, 0}},    {"moveBtnVer", {8, 35}},    {"selectLayoutBtnVer", {8, 0}},
                {"captureBtnVer", {8, 56}},   {"recordBtnVer", {8, 112}}, {"streamingBtnVer", {8, 168}},
                {"previewBtnVer", {8, 224}},  {"settingsBtnVer", {8, 280}}, {"drawletBtnVer", {8, 336}},
                {"closeBtnVer", {20, 453}}};
    default:
        return {};
    }
}

QString ToolbarStyle::imagePath(const QString &image)
{
    return QLatin1String(ImageFolder) + image;
}

QString ToolbarStyle::barStyle(const QString &barObjectName, const QString &image)
{
    // Written as the form writes it, so that the bar's look at the bottom edge, the form's own, is
    // the same text and docking there restyles nothing.
    return QLatin1Char('#') + barObjectName + QLatin1String(" {\nborder-image: url(") + imagePath(image)
           + QLatin1String(".png) 0 0 0 0 stretch stretch;\n}");
}

QString ToolbarStyle::buttonStyle(const QString &images)
{
    const QString path = imagePath(images);
    return QLatin1String("QToolButton{background-image: url(") + path
           + QLatin1String("_normal.png);border: none;\n}\nQToolButton:hover{background-image: url(") + path
           + QLatin1String("_hover.png)}\nQToolButton:pressed{background-image: url(") + path
           + QLatin1String("_pressed.png)}");
}
