#pragma once

#include <Qt>

class QDialog;
class QWidget;

// How the program's own dialogs sit on the desktop.
namespace DialogFrame {

// The flags setUp gives. A dialog made with them keeps its form's style from the start: set after the
// form, new flags restyle every widget of it again.
constexpr Qt::WindowFlags Flags = Qt::Dialog | Qt::FramelessWindowHint;

// Frameless, see-through outside its drawn body, modal, and dragged by a left-button press on its body.
void setUp(QDialog *dialog);
// Moves a window to the centre of the primary screen.
void centreOnScreen(QWidget *window);

} // namespace DialogFrame
