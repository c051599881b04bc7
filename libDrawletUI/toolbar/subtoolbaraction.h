#pragma once

#include "drawletui_global.h"

#include <QAction>
#include <QSharedPointer>
#include <QString>

class QToolButton;
class QWidget;

namespace drawlet {
namespace ui {

class SkinDockWidget;
class StyleToolbarHelper;

// The action behind a toolbar button that opens a pop-up sub-toolbar (colours, width and style,
// screen capture): owns the pop-up, opens it on its owner button's click, closes it when another
// toolbar button is clicked or the toolbar is dragged, and restyles the owner button for the edge
// the toolbar docks to.
class DRAWLETUI_EXPORT SubToolbarAction : public QAction
{
    Q_OBJECT
public:
    SubToolbarAction(const QString &skin, QWidget *parent, QToolButton *owner,
                     QObject *objectParent);
    ~SubToolbarAction() override = 0;

    StyleToolbarHelper *getToolbarHelper() const { return toolbarHelper.data(); }
    SkinDockWidget *getSkin() const;
    QToolButton *getOwnerButton() const { return ownerButton; }

public slots:
    virtual void changeToolbuttonStyleSheet(int location_code) = 0;
    void setHideByToolbuttonObjectName(QString objectName);
    virtual void changeToolTips() = 0;

signals:
    void hide();
    void setToolbuttonStyleSheet(QString stylesheet);
    void updateButtonLocation(int location);

protected:
    QSharedPointer<StyleToolbarHelper> toolbarHelper;
    QToolButton *ownerButton;
};

} // namespace ui
} // namespace drawlet
