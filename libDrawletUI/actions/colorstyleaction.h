#pragma once

#include "drawletui_global.h"
#include "subtoolbaraction.h"

#include <QColor>
#include <QList>
#include <QString>

class QButtonGroup;
class QToolButton;

namespace drawlet {
namespace ui {

class ColorAction;

// The colour sub-toolbar: six preset colours and "more colours". Choosing one announces the colour
// and shows it on the toolbar's colour button for the edge the toolbar is docked to; a colour
// reported by a painter or a selected item marks its button without being announced again.
class DRAWLETUI_EXPORT ColorStyleAction : public SubToolbarAction
{
    Q_OBJECT
public:
    ColorStyleAction(const QString &skin, QWidget *parent, QToolButton *ownerButton,
                     QObject *parentObject);
    ~ColorStyleAction() override;

    QList<QToolButton *> getToolButton() const { return m_toolButtons; }
    QList<ColorAction *> getColorActions() const { return m_colorActions; }
    QColor getCurrentColor() const { return m_currentColor; }
    // The colour action whose button is checked.
    ColorAction *checkedColorAction() const;

public slots:
    void changeToolButtonsState(QColor color);
    void changeToolbuttonStyleSheet(int location_code) override;
    void changeToolTips() override;

signals:
    void colorChanged(QColor color);
    void changeToolbarLocation(int location_code);

private slots:
    void changeColor(QColor color);

private:
    void setToolbar(const QString &path);
    QToolButton *createToolButton(const QColor &color, const QString &toolTip, const QString &name,
                                  const QString &imagePath, bool enableColorDialog);

    QColor m_currentColor;
    QList<QToolButton *> m_toolButtons;
    QList<ColorAction *> m_colorActions;
    QButtonGroup *m_buttonGroup;
};

} // namespace ui
} // namespace drawlet
