#include "core/lumideskstartup.h"
#include "core/startuptesthook.h"

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
        StartupTestHook::installIfRequested(&startup);
        platform::BrokenPipeGuard::install();
        result = app.exec();
    }
    return result;
}
