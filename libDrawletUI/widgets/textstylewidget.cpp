#include "textstylewidget.h"

#include "baredock.h"
#include "customcombobox.h"
#include "customfontcombobox.h"
#include "desktop/taskbarentry.h"
#include "dockscreen.h"
#include "nativewindow.h"
#include "qorvgraphicstextitem.h"
#include "skinmask.h"

#include <QFontDatabase>
#include <QPainter>
#include <QSignalBlocker>
#include <QToolButton>

namespace drawlet {
namespace ui {

namespace {

const QString LibraryButtonPath = QStringLiteral(":/icons/icons/button/");

QString fourStateStyleSheet(const QString &base)
{
    return QStringLiteral("QToolButton{border-image: url(") + base
        + QStringLiteral("_normal.png);}QToolButton:hover{border-image: url(") + base
        + QStringLiteral("_pressed.png);}QToolButton:checked{border-image: url(") + base
        + QStringLiteral("_selected.png);}QToolButton:pressed{border-image: url(") + base
        + QStringLiteral("_pressed.png);}");
}

} // namespace

TextStyleWidget::TextStyleWidget(const QString &skin, QWidget *parent)
    : QDockWidget(parent)
    , m_background(skin)
{
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_MacAlwaysShowToolWindow);
    makeBareDock(this);
    setAllowedAreas(Qt::NoDockWidgetArea);
    setFloating(true);
    // The size before the flags: made anew for them, the window would take a default size that
    // the first placement, before the first show, would use.
    resize(m_background.size());
    setFixedSize(m_background.size());
    setMask(skinMask(m_background));
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setShadow(this);
    platform::TaskbarEntry::keepOut(this);

    m_fontBox = new CustomFontComboBox(this);
    m_fontBox->setObjectName(QStringLiteral("fontCombo"));
    m_fontBox->setGeometry(21, 11, 123, 35);
    m_fontBox->setEditable(false);
    m_fontBox->setStyleSheet(
        QStringLiteral("QFontComboBox {border: 1px solid #a0a0a0; border-radius: 3px;}"));

    m_sizeBox = new CustomComboBox(this);
    m_sizeBox->setObjectName(QStringLiteral("fontSizeCombo"));
    m_sizeBox->setGeometry(149, 11, 58, 35);
    m_sizeBox->setEditable(false);
    m_sizeBox->setStyleSheet(
        QStringLiteral("QComboBox {border: 1px solid #a0a0a0; border-radius: 3px;}"));
    for (int size : QFontDatabase::standardSizes())
        m_sizeBox->addItem(QString::number(size));

    m_boldButton
        = createToolButton(208, 6, 44, 44, LibraryButtonPath + QStringLiteral("btn_text_bold"),
                           true, QStringLiteral("boldButton"), this);
    m_italicButton
        = createToolButton(253, 6, 44, 44, LibraryButtonPath + QStringLiteral("btn_text_italic"),
                           true, QStringLiteral("italicButton"), this);
    m_underlineButton
        = createToolButton(298, 6, 44, 44, LibraryButtonPath + QStringLiteral("btn_text_baseline"),
                           true, QStringLiteral("underlineButton"), this);
    changeToolTips();

    connect(m_fontBox, &QFontComboBox::currentFontChanged, this, &TextStyleWidget::changeFont);
    connect(m_sizeBox, &QComboBox::currentTextChanged, this, &TextStyleWidget::changeFont);
    connect(m_fontBox, &CustomFontComboBox::popupHided, this, &TextStyleWidget::modifyComponents);
    connect(m_sizeBox, &CustomComboBox::popupHided, this, &TextStyleWidget::modifyComponents);
    hide();
}

TextStyleWidget::~TextStyleWidget()
{
    stopFollowing();
    // The controls go first: hidden as children of a half-destroyed panel (the combo boxes close
    // their lists) they would still call its slots.
    const QList<QWidget *> controls
        = {m_fontBox, m_sizeBox, m_boldButton, m_italicButton, m_underlineButton};
    for (QWidget *control : controls) {
        disconnect(control, nullptr, this, nullptr);
        delete control;
    }
}

QToolButton *TextStyleWidget::createToolButton(int x, int y, int width, int height,
                                               const QString &imageBase, const bool &checkable,
                                               const QString &objectName, QWidget *parent)
{
    auto *button = new QToolButton(parent);
    button->setCheckable(checkable);
    button->setFixedWidth(width);
    button->setFixedHeight(height);
    button->setIconSize(QSize(width, height));
    button->setObjectName(objectName);
    button->setStyleSheet(fourStateStyleSheet(imageBase));
    button->setGeometry(x, y, width, height);
    connect(button, &QToolButton::toggled, this, &TextStyleWidget::changeFont);
    connect(button, &QToolButton::toggled, this, &TextStyleWidget::modifyComponents);
    return button;
}

QFont TextStyleWidget::controlsFont() const
{
    QFont font = m_fontBox->currentFont();
    // An empty size box reads as 0: the family's own size stays.
    const int size = m_sizeBox->currentText().toInt();
    if (size > 0)
        font.setPointSize(size);
    font.setWeight(m_boldButton->isChecked() ? QFont::Bold : QFont::Normal);
    font.setStyle(m_italicButton->isChecked() ? QFont::StyleItalic : QFont::StyleNormal);
    font.setUnderline(m_underlineButton->isChecked());
    return font;
}

void TextStyleWidget::changeFont()
{
    emit fontChanged(controlsFont());
}

void TextStyleWidget::setWidgetFont(QFont font)
{
    const QSignalBlocker fontBlocker(m_fontBox);
    const QSignalBlocker sizeBlocker(m_sizeBox);
    const QSignalBlocker boldBlocker(m_boldButton);
    const QSignalBlocker italicBlocker(m_italicButton);
    const QSignalBlocker underlineBlocker(m_underlineButton);
    m_fontBox->setCurrentFont(font);
    m_sizeBox->setCurrentIndex(m_sizeBox->findText(QString::number(font.pointSize()),
                                                   Qt::MatchExactly | Qt::MatchCaseSensitive));
    m_boldButton->setChecked(font.weight() == QFont::Bold);
    m_italicButton->setChecked(font.style() != QFont::StyleNormal);
    m_underlineButton->setChecked(font.underline());
}

void TextStyleWidget::modifyComponents()
{
    if (!isHidden())
        emit componentsModified();
}

void TextStyleWidget::stopFollowing()
{
    if (m_text)
        disconnect(m_text.data(), &QorvGraphicsTextItem::textSizeChanged, this,
                   &TextStyleWidget::adjustPosTextStyleWidget);
}

void TextStyleWidget::showTextStyleWidget(QPoint pos, QorvGraphicsTextItem *text)
{
    if (m_text != text)
        stopFollowing();
    m_text = text;
    m_anchor = pos;
    if (text) {
        connect(text, &QorvGraphicsTextItem::textSizeChanged, this,
                &TextStyleWidget::adjustPosTextStyleWidget, Qt::UniqueConnection);
        setWidgetFont(text->font());
    }
    moveTextStyleWidget(pos);
    show();
}

void TextStyleWidget::moveTextStyleWidget(QPoint pos)
{
    const QRect screen = DockScreen::geometry();
    int left = screen.x();
    int top = screen.y();
    int right = screen.x() + screen.width();
    if (const QWidget *toolbar = parentWidget()) {
        if (toolbar->height() < toolbar->width())
            top = screen.y() + toolbar->height();
        else if (toolbar->x() == screen.x())
            left = screen.x() + toolbar->width();
        else
            right = screen.x() + screen.width() - toolbar->width();
    }
    int x = pos.x();
    if (pos.x() < left)
        x = left;
    if (pos.x() + width() > right)
        x = right - width();
    int y = pos.y() - height();
    if (y < top) {
        // Below the text instead; without a text (moved before any show) at the anchor itself.
        y = pos.y() + (m_text ? int(m_text->boundingRect().height()) : 0);
    }
    move(x, y);
}

void TextStyleWidget::adjustPosTextStyleWidget()
{
    moveTextStyleWidget(m_anchor);
}

void TextStyleWidget::hideTextStyleWidget()
{
    stopFollowing();
    hide();
}

void TextStyleWidget::changeToolTips()
{
    m_boldButton->setToolTip(tr("bold"));
    m_italicButton->setToolTip(tr("italic"));
    m_underlineButton->setToolTip(tr("underline"));
}

void TextStyleWidget::mousePressEvent(QMouseEvent *event)
{
    QDockWidget::mousePressEvent(event);
    emit mousePressed();
}

void TextStyleWidget::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawPixmap(
        rect(), m_background.scaled(size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
}

} // namespace ui
} // namespace drawlet
