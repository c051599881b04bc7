#include "elidedcombotext.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QEvent>
#include <QFontMetrics>
#include <QHelpEvent>
#include <QStyleOptionComboBox>
#include <QStylePainter>
#include <QToolTip>

namespace {

const QString Ellipsis = QStringLiteral("...");

} // namespace

ElidedComboText::ElidedComboText(QComboBox *combo)
    : QObject(combo)
    , m_combo(combo)
{
    combo->installEventFilter(this);
}

// As QComboBox builds it for its own face (its initStyleOption is not ours to call).
QStyleOptionComboBox ElidedComboText::faceOption() const
{
    QStyleOptionComboBox option;
    option.initFrom(m_combo);
    option.editable = m_combo->isEditable();
    option.frame = m_combo->hasFrame();
    if (m_combo->hasFocus() && !option.editable)
        option.state |= QStyle::State_Selected;
    option.subControls = QStyle::SC_All;
    option.currentText = m_combo->currentText();
    option.currentIcon = m_combo->itemIcon(m_combo->currentIndex());
    option.iconSize = m_combo->iconSize();
    if (m_combo->view() && m_combo->view()->isVisible())
        option.state |= QStyle::State_On;
    return option;
}

int ElidedComboText::textWidth() const
{
    const QStyleOptionComboBox option = faceOption();
    const QRect field = m_combo->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                         QStyle::SC_ComboBoxEditField, m_combo);
    // The styles draw the text a pixel in from each side of the field.
    return qMax(0, field.width() - 2);
}

QString ElidedComboText::shownText() const
{
    const QString text = m_combo->currentText();
    const QFontMetrics metrics = m_combo->fontMetrics();
    const int width = textWidth();
    if (metrics.horizontalAdvance(text) <= width)
        return text;
    int kept = text.size();
    while (kept > 0 && metrics.horizontalAdvance(text.left(kept) + Ellipsis) > width)
        --kept;
    // Never half a character, and no blank before the dots.
    if (kept > 0 && text.at(kept - 1).isHighSurrogate())
        --kept;
    while (kept > 0 && text.at(kept - 1).isSpace())
        --kept;
    return text.left(kept) + Ellipsis;
}

bool ElidedComboText::isElided() const
{
    return shownText() != m_combo->currentText();
}

void ElidedComboText::paintFace()
{
    QStylePainter painter(m_combo);
    painter.setPen(m_combo->palette().color(QPalette::Text));
    QStyleOptionComboBox option = faceOption();
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    option.currentText = shownText();
    painter.drawControl(QStyle::CE_ComboBoxLabel, option);
}

bool ElidedComboText::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_combo || m_combo->isEditable())
        return QObject::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::Paint:
        paintFace();
        return true;
    case QEvent::ToolTip:
        // Cut, the whole text is the tip; whole, the box's own tip stays.
        if (isElided()) {
            QToolTip::showText(static_cast<QHelpEvent *>(event)->globalPos(), m_combo->currentText(), m_combo);
            return true;
        }
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
