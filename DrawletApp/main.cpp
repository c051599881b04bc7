#include "debugmessagefilehandler.h"
#include "drawletapp.h"
#include "singleapplication.h"
#include "tr.h"

#include <QDebug>

int main(int argc, char **argv)
{
    using drawlet::application::DrawletApp;
    using drawlet::application::SingleApplication;

    auto *application = new SingleApplication(argc, argv);
    if (application->isRunning()) {
        delete application;
        return 0;
    }
    QCoreApplication::processEvents(QEventLoop::AllEvents);

    // The log file takes every message from here on, the catalogue search included.
    qInstallMessageHandler(drawlet::ui::DebugMessageFileHandler);
    auto *tr = new TR(application, QStringLiteral("Drawlet_"), QStringLiteral("Languages"));
    qDebug() << "Application Startting";

    auto *window = new DrawletApp(nullptr);
    window->setGeometry(0, 0, 1024, 768);
    window->setDrawletTR(tr);
    if (!window->valid()) {
        qCritical() << "Application failed to start";
        delete window;
        delete tr;
        delete application;
        return 1;
    }
    window->connectLanguateTranslator();

    const int result = application->exec();
    delete window;
    delete tr;
    delete application;
    return result;
}
