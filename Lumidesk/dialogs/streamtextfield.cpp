#include "dialogs/streamtextfield.h"

#include <QSignalBlocker>
#include <QTextCursor>
#include <QTextEdit>

void StreamTextField::setUp(QTextEdit *edit)
{
    edit->setAcceptRichText(false);
    edit->setLineWrapMode(QTextEdit::NoWrap);
    edit->setLineWrapColumnOrWidth(0);
    edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

void StreamTextField::limit(QTextEdit *edit, bool joinLines)
{
    // Putting the text back is itself a change; it must not run this again on a half-done text.
    const QSignalBlocker blocker(edit);
    QString text = edit->toPlainText();
    if (joinLines) {
        if (text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'))) {
            text.remove(QLatin1Char('\n'));
            text.remove(QLatin1Char('\r'));
            edit->setPlainText(text);
        }
        if (text.contains(QLatin1Char('\t'))) {
            text.remove(QLatin1Char('\t'));
            edit->setPlainText(text);
        }
    }
    if (text.size() <= MaxLength)
        return;

    const int excess = text.size() - MaxLength;
    const int cursor = edit->textCursor().position();
    int cursorAfter = MaxLength;
    if (cursor >= excess) {
        text.remove(cursor - excess, excess);
        cursorAfter = cursor - excess;
    } else {
        text.truncate(MaxLength);
    }
    edit->setPlainText(text);
    QTextCursor moved = edit->textCursor();
    moved.setPosition(cursorAfter);
    edit->setTextCursor(moved);
}
