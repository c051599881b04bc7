#pragma once

namespace drawlet {
namespace ui {

// The screen edge the toolbar frame is docked to, as the frame announces it with
// updateButtonLocation(int) and every panel and owner button restyles itself by it.
enum ScreenEdge { TopEdge = 0, BottomEdge = 1, LeftEdge = 2, RightEdge = 3 };

inline bool isVerticalEdge(int edge)
{
    return edge == LeftEdge || edge == RightEdge;
}

} // namespace ui
} // namespace drawlet
