#pragma once

#include "drawletui_global.h"

#include <QDockWidget>
#include <QFont>
#include <QPixmap>
#include <QPoint>
#include <QPointer>
#include <QString>

class QToolButton;

namespace drawlet {
namespace ui {

class CustomComboBox;
class CustomFontComboBox;
class QorvGraphicsTextItem;

// The floating panel beside a text annotation being typed: font family, size, bold, italic and
// underline. Shows the followed item's font, reports every change as a whole font, stays on screen
// and clear of the docked toolbar, and moves along when the item grows.
class DRAWLETUI_EXPORT TextStyleWidget : public QDockWidget
{
    Q_OBJECT
public:
    TextStyleWidget(const QString &skin, QWidget *parent);
    ~TextStyleWidget() override;

    QToolButton *createToolButton(int x, int y, int width, int height, const QString &imageBase,
                                  const bool &checkable, const QString &objectName,
                                  QWidget *parent);

    // The item followed since the last showTextStyleWidget; null once it was freed.
    QorvGraphicsTextItem *followedText() const { return m_text.data(); }
    QPoint anchor() const { return m_anchor; }
    CustomFontComboBox *fontBox() const { return m_fontBox; }
    CustomComboBox *sizeBox() const { return m_sizeBox; }
    QToolButton *boldButton() const { return m_boldButton; }
    QToolButton *italicButton() const { return m_italicButton; }
    QToolButton *underlineButton() const { return m_underlineButton; }
    // The font the controls show.
    QFont controlsFont() const;

public slots:
    void showTextStyleWidget(QPoint pos, drawlet::ui::QorvGraphicsTextItem *text);
    void moveTextStyleWidget(QPoint pos);
    void adjustPosTextStyleWidget();
    void hideTextStyleWidget();
    void changeToolTips();

signals:
    void fontChanged(QFont font);
    void componentsModified();
    void mousePressed();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private slots:
    void changeFont();
    void setWidgetFont(QFont font);
    void modifyComponents();

private:
    void stopFollowing();

    QPixmap m_background;
    CustomFontComboBox *m_fontBox = nullptr;
    CustomComboBox *m_sizeBox = nullptr;
    QToolButton *m_boldButton = nullptr;
    QToolButton *m_italicButton = nullptr;
    QToolButton *m_underlineButton = nullptr;
    // Texts are freed while followed (an emptied text is deleted, an undone one belongs to its
    // command), so the item is only ever reached through this guard.
    QPointer<QorvGraphicsTextItem> m_text;
    QPoint m_anchor;
};

} // namespace ui
} // namespace drawlet
