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
    // A place that cannot serve is a failure: no second start would ever find this one.
    SingleInstance instance;
    switch (instance.claim()) {
    case SingleInstance::AlreadyRunning:
        std::fprintf(stderr, "%s\n", SingleInstance::AlreadyRunningText);
        return 0;
    case SingleInstance::Refused:
        std::fprintf(stderr, "Lumidesk cannot start: %s.\n", qUtf8Printable(instance.refusal()));
        return 1;
    case SingleInstance::Go:
        break;
    }

#ifdef LUMIDESK_WITH_TEST_HOOK
    StartupTestHook::prepare();
#endif
    int result = 0;
    {
        // The start lock stays held until the program ends.
        LumideskStartup startup;
#ifdef LUMIDESK_WITH_TEST_HOOK
        new StartupTestHook(&startup, &app);
#endif
        platform::BrokenPipeGuard::install();
        result = app.exec();
    }
    return result;
}
