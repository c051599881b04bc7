#include "toolbar/startuptesthook.h"

#include "dialogs/navigationdialog.h"
#include "toolbar/lumidesk.h"
#include "toolbar/lumideskstartup.h"

#include "vantoupdater.h"

#include <QApplication>
#include <QSocketNotifier>
#include <QWidget>
#include <QWindow>

#include <cstdio>

void StartupTestHook::prepare()
{
    const QString server = qEnvironmentVariable("LUMIDESK_TEST_UPDATE_SERVER");
    if (!server.isEmpty())
        VantoUpdater::setUpdateServerBase(QUrl(server));
    if (qEnvironmentVariableIsSet("LUMIDESK_TEST_HOLD_START")) {
        std::puts("holding");
        std::fflush(stdout);
        char line[16];
        while (std::fgets(line, sizeof line, stdin) && qstrcmp(line, "go\n") != 0) {
        }
    }
}

StartupTestHook::StartupTestHook(LumideskStartup *startup, QObject *parent)
    : QObject(parent)
    , m_startup(startup)
{
    qApp->installEventFilter(this);
    if (m_input.open(stdin, QIODevice::ReadOnly)) {
        m_notifier = new QSocketNotifier(m_input.handle(), QSocketNotifier::Read, this);
        connect(m_notifier, &QSocketNotifier::activated, this, &StartupTestHook::readCommand);
    }
}

bool StartupTestHook::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Expose || event->type() == QEvent::Hide) {
        if (QWindow *window = qobject_cast<QWindow *>(watched)) {
            if (event->type() == QEvent::Hide || !window->isExposed())
                m_shown.remove(window);
            else if (!m_shown.contains(window))
                report(window);
        }
    }
    return QObject::eventFilter(watched, event);
}

void StartupTestHook::report(QWindow *window)
{
    const QWidgetList widgets = QApplication::topLevelWidgets();
    for (QWidget *widget : widgets) {
        if (widget->windowHandle() != window)
            continue;
        m_shown.insert(window);
        const QRect g = widget->geometry();
        std::printf("shown %s %dx%d+%d+%d\n", widget->metaObject()->className(), g.width(), g.height(),
                    g.x(), g.y());
        std::fflush(stdout);
        return;
    }
}

void StartupTestHook::readCommand()
{
    const QByteArray line = m_input.readLine().trimmed();
    if (line.isEmpty() && m_input.atEnd()) {
        // The test went away: stop listening rather than spin on a closed input.
        m_notifier->setEnabled(false);
        return;
    }
    if (line == "ok" && m_startup->guide())
        QMetaObject::invokeMethod(m_startup->guide(), "closeDialog");
    else if (line == "close" && m_startup->toolbar())
        m_startup->toolbar()->close();
}
