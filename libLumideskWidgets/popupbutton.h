#ifndef POPUPBUTTON_H
#define POPUPBUTTON_H

#include <QWidget>

class QToolButton;

// A one-button pop-up offering a camera window the capture mode to switch to; its image shows that
// mode (2 high-quality capture, 1 keystone, 0 normal).
class PopupButton : public QWidget
{
    Q_OBJECT

public:
    // A pop-up of its own by default; a row of a menu is made as a plain widget.
    explicit PopupButton(QWidget *parent = nullptr, Qt::WindowFlags flags = Qt::Popup);

    void switchIcon(int mode);
    int mode() const;

signals:
    void switchBtnMode(int mode);

public slots:
    void buttonClicked();

private:
    int m_mode = 2;
    QToolButton *m_button;
};

#endif // POPUPBUTTON_H
