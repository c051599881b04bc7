#include "toolbar/lumideskstartup.h"
#include "toolbar/singleinstance.h"
#ifdef LUMIDESK_WITH_TEST_HOOK
#include "toolbar/startuptesthook.h"
#endif

#include "desktop/brokenpipeguard.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    // The settings and data folders are named after the application, so the name comes first.
    QApplication::setApplicationName(QStringLiteral("Lumidesk"));

    // Before the log, which the running one writes, and before any window, server or child. The user
    // has the Lumidesk they asked for: finding it is no failure.
    SingleInstance instance;
    if (!instance.claim()) {
        std::fprintf(stderr, "%s\n", SingleInstance::AlreadyRunningText);
        return 0;
    }

#ifdef LUMIDESK_WITH_TEST_HOOK
    StartupTestHook::prepare();
#endif
    int result = 0;
    {
        LumideskStartup startup;
        // The toolbar's link server listens now.
        instance.release();
#ifdef LUMIDESK_WITH_TEST_HOOK
        new StartupTestHook(&startup, &app);
#endif
        platform::BrokenPipeGuard::install();
        result = app.exec();
    }
    return result;
}
