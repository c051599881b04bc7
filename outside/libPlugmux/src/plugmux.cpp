#include "plugmux.h"

#include "deskpadintf.h"
#include "desktop/installlayout.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QLibrary>
#include <QThread>
#include <QWidget>

namespace drawlet {
namespace ui {

Plugmux *Plugmux::createPlugmux(QObject *parent)
{
    return createPlugmux(parent, defaultPluginPath());
}

Plugmux *Plugmux::createPlugmux(QObject *parent, const QString &pluginPath)
{
    // The library stays loaded for the rest of the process once a panel came from it: its classes
    // outlive any one controller (queued events, deferred deletions), so it is never unloaded.
    QLibrary library(pluginPath);
    if (!library.load()) {
        qWarning("Plugmux: cannot load the panel plug-in %s: %s", qUtf8Printable(pluginPath),
                 qUtf8Printable(library.errorString()));
        return nullptr;
    }
    const auto acquire = reinterpret_cast<AcquireDeskpadImplFunction>(library.resolve(DESKPAD_ENTRY_NAME));
    if (!acquire) {
        qWarning("Plugmux: the panel plug-in %s has no entry %s", qUtf8Printable(pluginPath),
                 DESKPAD_ENTRY_NAME);
        library.unload();
        return nullptr;
    }
    DeskpadIntf *panel = acquire();
    if (!panel) {
        qWarning("Plugmux: the panel plug-in %s gave no panel", qUtf8Printable(pluginPath));
        return nullptr;
    }
    auto *controller = new Plugmux(panel, parent);
    if (!controller->relayPanelSignals()) {
        qWarning("Plugmux: the panel of %s lacks the signals of the panel interface",
                 qUtf8Printable(pluginPath));
        delete controller;
        return nullptr;
    }
    return controller;
}

QString Plugmux::defaultPluginPath()
{
    return platform::InstallLayout::deskpadPlugin(QCoreApplication::applicationDirPath());
}

Plugmux::Plugmux(DeskpadIntf *panel, QObject *parent)
    : QObject(parent)
    , m_panel(panel)
    , m_panelObject(panel)
{
}

Plugmux::~Plugmux()
{
    if (m_panelObject)
        m_panel->release();
}

bool Plugmux::relayPanelSignals()
{
    // By name: the panel's meta-object lives in the plug-in, which nothing here links.
    return connect(m_panel, SIGNAL(serverShutdown()), this, SIGNAL(serverShutdown()))
            && connect(m_panel, SIGNAL(lumideskHided(int,int)), this, SIGNAL(lumideskHided(int,int)))
            && connect(m_panel, SIGNAL(langChanged(QString)), this, SIGNAL(drawletLanguageChanged(QString)));
}

bool Plugmux::checkServerAlive()
{
    if (!m_panelObject)
        return false;
    if (m_panel->checkServerAlive())
        return true;
    // A local connection is normally made at once; one the server has not taken yet (a full
    // backlog) gets a short while. Only events of the link are wanted meanwhile, not the user's.
    if (QThread::currentThread() != thread())
        return false;
    QDeadlineTimer deadline(ConnectGraceMs);
    while (!deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 20);
        if (!m_panelObject)
            return false;
        if (m_panel->checkServerAlive())
            return true;
        QThread::msleep(10);
    }
    return false;
}

QWidget *Plugmux::getPluginWidget()
{
    return m_panelObject ? m_panel->createWidget() : nullptr;
}

void Plugmux::drawletHided(int x, int y)
{
    if (m_panelObject)
        m_panel->showLumidesk(x, y);
}

void Plugmux::hideWidget()
{
    QWidget *widget = getPluginWidget();
    if (!widget || !widget->isVisible())
        return;
    widget->hide();
    m_hiddenByUs = true;
}

void Plugmux::showWidget()
{
    // Only what the capture took away comes back: a panel that was not shown stays hidden.
    QWidget *widget = getPluginWidget();
    if (!widget || !m_hiddenByUs)
        return;
    m_hiddenByUs = false;
    widget->show();
}

} // namespace ui
} // namespace drawlet
