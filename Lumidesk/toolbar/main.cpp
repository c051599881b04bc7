#include "toolbar/lumideskstartup.h"
#ifdef LUMIDESK_WITH_TEST_HOOK
#include "toolbar/startuptesthook.h"
#endif

#include "desktop/brokenpipeguard.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    // The settings and data folders are named after the application, so the name comes first.
    QApplication::setApplicationName(QStringLiteral("Lumidesk"));

    int result = 0;
    {
        LumideskStartup startup;
#ifdef LUMIDESK_WITH_TEST_HOOK
        new StartupTestHook(&startup, &app);
#endif
        platform::BrokenPipeGuard::install();
        result = app.exec();
    }
    return result;
}
