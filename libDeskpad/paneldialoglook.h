#pragma once

class NotificationDialog;
class WarningDialog;

// The panel builds the main program's message dialogs from the same sources and gives them its own
// touches: the notification's default title and message and its close button's images, and the warning's
// title. A dialog's updateString() returns it to its form's texts, so the panel applies these again after
// every language reload.
class PanelDialogLook
{
public:
    static void apply(NotificationDialog *dialog);
    static void apply(WarningDialog *dialog);

private:
    PanelDialogLook() = delete;
};
