// The main program's link server in a process of its own, with as few file descriptors as a
// constrained desktop session allows: "tst_link_serverhost <open-file limit>". It prints "ready" once
// it listens and answers every "cap_getRecordTime" with the seconds it carried, as "cap_updateVolume".
#include "toolbar/link/localserver.h"

#include <QCoreApplication>
#include <QTextStream>

#include <sys/resource.h>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc < 2)
        return 2;
    rlimit limit{};
    getrlimit(RLIMIT_NOFILE, &limit);
    limit.rlim_cur = rlim_t(QByteArray(argv[1]).toUInt());
    if (setrlimit(RLIMIT_NOFILE, &limit) != 0)
        return 3;

    LocalServer server;
    if (!server.isListening())
        return 1;
    QObject::connect(&server, &LocalServer::recordTimeGet, &server, &LocalServer::updateVolume);
    QTextStream(stdout) << "ready" << Qt::endl;
    return app.exec();
}
