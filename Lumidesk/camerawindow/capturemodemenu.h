#pragma once

#include <QFrame>
#include <QList>

class PopupButton;

// The capture-mode chooser that the camera window's mode button opens just below its snapshot button:
// one image button per mode offered besides the current one (0 normal snapshot, 1 keystone-corrected
// page, 2 high-quality picture), top to bottom in that order. A click chooses the mode and closes it;
// a click anywhere else only closes it.
class CaptureModeMenu : public QFrame
{
    Q_OBJECT

public:
    explicit CaptureModeMenu(QWidget *parent = nullptr);

    // Shows a button for each of `modes` and hides the others.
    void setOfferedModes(const QList<int> &modes);
    QList<int> offeredModes() const;
    // The button of `mode` (0, 1 or 2), shown or not; null for any other value.
    PopupButton *button(int mode) const;

signals:
    void switchBtnMode(int mode);
    void closed();

protected:
    void hideEvent(QHideEvent *event) override;

private:
    void choose(int mode);

    QList<PopupButton *> m_buttons;
    QList<int> m_offered;
};
