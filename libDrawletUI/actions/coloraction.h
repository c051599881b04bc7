#pragma once

#include "drawletui_global.h"

#include <QAction>
#include <QColor>
#include <QIcon>
#include <QString>

namespace drawlet {
namespace ui {

// One button of the colour sub-toolbar: holds a colour (or, for "more colours", the colour last
// chosen in the colour dialog) and tells the toolbar's colour button which images to show for it.
class DRAWLETUI_EXPORT ColorAction : public QAction
{
    Q_OBJECT
public:
    ColorAction(const QColor &color, QObject *parent, bool enableColorDialog);
    ColorAction(const QColor &color, const QString &text, QObject *parent, bool enableColorDialog);
    ColorAction(const QColor &color, const QIcon &icon, const QString &text, QObject *parent,
                bool enableColorDialog);

    QColor getColor() const { return m_color; }
    bool getEnableColorDialog() const { return m_enableColorDialog; }
    int getToolBarLocation() const { return m_location; }
    // Whether the colours match, alpha aside.
    bool isColor(QColor color) const;
    QString getStyleSheetString() const;

public slots:
    void onToggled();
    void changeState(QColor color);
    void changeState();
    void setToolBarLoaction(int location_code);

signals:
    void colorClicked(QColor color);
    void externalToolStyleSheetChanged(QString styleSheet);

private:
    // The colour the user picks in the dialog; invalid when cancelled.
    static QColor chooseColor(const QColor &initial);

    QColor m_color;
    bool m_enableColorDialog;
    int m_location = 0;
};

} // namespace ui
} // namespace drawlet
