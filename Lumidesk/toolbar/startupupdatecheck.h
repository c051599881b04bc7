#pragma once

#include <QUrl>

// Whether the software update check at start-up can reach an update server at all. The server is a
// build setting; a build that names none, or names one under a domain reserved never to exist
// (".example", ".invalid", RFC 2606), makes no check, so such builds (and the tests) never wait for
// or reach the network at start.
class StartupUpdateCheck
{
public:
    static bool isConfigured();
    static bool isConfigured(const QUrl &serverBase);

private:
    StartupUpdateCheck() = delete;
};
