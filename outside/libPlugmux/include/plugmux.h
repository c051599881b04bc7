#pragma once

#include "plugmuxglobal.h"

#include <QObject>
#include <QPointer>
#include <QString>

class DeskpadIntf;
class QWidget;

namespace drawlet {
namespace ui {

// The annotation program's one link to the record and live panel: loads the panel plug-in, holds one
// reference to its panel object for as long as it lives, and relays between the two. Its operations
// match the panel's one to one: getPluginWidget() is the panel's widget, checkServerAlive() its link to
// the main program, drawletHided() hands the screen back to the main program, and the panel's
// shutdown, toolbar-hidden and language signals come out as serverShutdown(), lumideskHided() and
// drawletLanguageChanged().
class PLUGMUX_EXPORT Plugmux : public QObject
{
    Q_OBJECT

public:
    // How long checkServerAlive() waits for a link that is still being set up.
    static const int ConnectGraceMs = 500;

    // A controller on the panel plug-in at the annotation program's layout place; null when the
    // plug-in cannot be loaded, has no entry or gives no panel (the reason is logged).
    static Plugmux *createPlugmux(QObject *parent);
    // The same with the plug-in at pluginPath.
    static Plugmux *createPlugmux(QObject *parent, const QString &pluginPath);
    // Where the annotation program's plug-in lies: the install layout's place beside the program.
    static QString defaultPluginPath();

    // Gives the panel reference back; the panel goes with its last reference.
    ~Plugmux() override;

    // True while the panel's link to the main program is up.
    bool checkServerAlive();
    // The panel's widget, owned by the panel; null once the panel is gone.
    QWidget *getPluginWidget();
    // The annotation toolbar was hidden at x, y: the main program shows its toolbar there.
    void drawletHided(int x, int y);

public slots:
    // Takes the panel out of the picture (a screen capture) and brings it back, if it was shown.
    void hideWidget();
    void showWidget();

signals:
    void serverShutdown();
    void lumideskHided(int x, int y);
    void drawletLanguageChanged(QString lang);

private:
    Plugmux(DeskpadIntf *panel, QObject *parent);
    bool relayPanelSignals();

    DeskpadIntf *m_panel;
    // The panel is a QObject of the plug-in; this guard notices if it goes away on its own.
    QPointer<QObject> m_panelObject;
    bool m_hiddenByUs = false;
};

} // namespace ui
} // namespace drawlet
