#include "dialogs/liveform.h"

#include <QCheckBox>
#include <QComboBox>
#include <QSignalBlocker>
#include <QStyledItemDelegate>
#include <QTextCursor>
#include <QTextEdit>

LiveForm::LiveForm(QCheckBox *record, QComboBox *service, QTextEdit *url, QTextEdit *key, QComboBox *resolution,
                   bool joinLines)
    : m_record(record)
    , m_service(service)
    , m_url(url)
    , m_key(key)
    , m_resolution(resolution)
    , m_joinLines(joinLines)
{
    // A plain delegate, so the style sheet's item heights apply to the pop-up lists.
    for (QComboBox *box : {service, resolution})
        box->setItemDelegate(new QStyledItemDelegate(box));
    for (QTextEdit *edit : {url, key}) {
        edit->setAcceptRichText(false);
        edit->setLineWrapMode(QTextEdit::NoWrap);
        edit->setLineWrapColumnOrWidth(0);
        edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    }
}

void LiveForm::show(const LiveSettings::Values &values)
{
    m_record->setChecked(values.autoRecord);
    m_service->setCurrentIndex(values.service);
    m_url->setPlainText(values.url);
    m_key->setPlainText(values.key);
    m_resolution->setCurrentIndex(values.resolution);
}

LiveSettings::Values LiveForm::read() const
{
    LiveSettings::Values values;
    values.autoRecord = m_record->isChecked();
    values.service = m_service->currentIndex();
    values.url = m_url->toPlainText();
    values.key = m_key->toPlainText();
    values.resolution = m_resolution->currentIndex();
    return values;
}

void LiveForm::showStoredPair(int service)
{
    if (service < 0 || service >= LiveSettings::ServiceCount)
        return;
    QString url;
    QString key;
    LiveSettings::readPair(service, &url, &key);
    m_url->setPlainText(url);
    m_key->setPlainText(key);
}

void LiveForm::limit(QTextEdit *edit)
{
    // Putting the text back is itself a change; it must not run this again on a half-done text.
    const QSignalBlocker blocker(edit);
    QString text = edit->toPlainText();
    if (m_joinLines) {
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
