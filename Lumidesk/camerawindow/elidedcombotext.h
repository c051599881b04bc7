#pragma once

#include <QObject>
#include <QString>

class QComboBox;
class QStyleOptionComboBox;

// The face of a combo box whose texts can be longer than the box: the current text is cut to the box
// and ends with "...", and while it is cut the box's tool tip is the whole text. Only the face is
// shortened; the list and every item keep their whole texts, which other code matches.
class ElidedComboText : public QObject
{
    Q_OBJECT

public:
    // Watches the box and lives as long as it.
    explicit ElidedComboText(QComboBox *combo);

    // What the box shows: its current text, or as much of it as fits followed by "...".
    QString shownText() const;
    bool isElided() const;
    // The width the box has for its text.
    int textWidth() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QStyleOptionComboBox faceOption() const;
    void paintFace();

    QComboBox *m_combo = nullptr;
};
