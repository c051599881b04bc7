#pragma once

#include "deskpadwidget.h"

#include <QStringList>

#include <memory>

class LinkRawServer;
class LinkRawSocket;
class QAbstractButton;

// The record and live panel against a bare stand-in for the main program's end of the link, on the real
// socket. Messages go to the panel as the main program would send them; what the panel sends back is
// collected in order. sync() makes both directions settle, so a test sees exactly what one step caused.
class PanelFixture
{
public:
    // Timers that would tick on their own during a test are set far out of reach unless given.
    static DeskpadWidget::Timing quietTiming();

    PanelFixture();
    ~PanelFixture();

    // Listens, makes the panel and waits until it is connected.
    bool start(const DeskpadWidget::Timing &timing = quietTiming());

    DeskpadWidget *panel() const { return m_panel.get(); }
    template<typename T>
    T *child(const char *name) const { return m_panel->findChild<T *>(QLatin1String(name)); }

    // One message from the main program, then sync().
    bool send(const QString &message);
    // Clicks a button as a user can: it must be visible and enabled. Then sync().
    bool click(const char *name);
    // Waits until every message sent either way so far has been handled.
    bool sync();
    // The messages the panel sent since the last call, sync messages and its greeting left out.
    QStringList take();

private:
    std::unique_ptr<LinkRawServer> m_server;
    std::unique_ptr<DeskpadWidget> m_panel;
    LinkRawSocket *m_peer = nullptr;
    int m_sequence = 0;
};
