#pragma once

class QDialog;
class QWidget;

// How the program's own dialogs sit on the desktop.
namespace DialogFrame {

// Frameless, see-through outside its drawn body, modal, and dragged by a left-button press on its body.
void setUp(QDialog *dialog);
// Moves a window to the centre of the primary screen.
void centreOnScreen(QWidget *window);

} // namespace DialogFrame
