#ifndef CUSTCOMBOBOX_H
#define CUSTCOMBOBOX_H

#include <QComboBox>

// The styled combo box of the forms. Its pop-up list can open above, left or right of the box, its text
// can be hidden (a box that only opens a list), and it can hold bold title rows that group the rows
// below them.
class CustComboBox : public QComboBox
{
    Q_OBJECT

public:
    enum PopDirection {
        PopAbove = 0,
        PopLeft = 1,
        PopRight = 2,
        PopDefault = 3
    };

    explicit CustComboBox(QWidget *parent = nullptr);

    void setPopDirection(PopDirection direction);
    void showText(bool show);
    void showTextBackground(bool show);
    // Hides QWidget::setStyleSheet: the sheet is extended by the text and background flags.
    void setStyleSheet(const QString &sheet);
    void insertTitleSeparator(const QString &title, int index);

    void showPopup() override;
    void hidePopup() override;

signals:
    void isShowPopup();
    void isHidePopup();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void placePopup(QWidget *container) const;

    int m_popDirection = PopDefault;
    bool m_showText = true;
    bool m_showTextBackground = true;
};

#endif // CUSTCOMBOBOX_H
