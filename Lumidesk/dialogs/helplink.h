#pragma once

#include <QString>
#include <QUrl>

// Where the help links of the program lead. A build that names the maker's web site (the build
// setting LUMIDESK_HELP_SITE) sends the user to its help page; a build that names none, or a site
// under a name reserved never to be anyone's (".example", ".invalid", ".test", example.com; RFC 2606),
// opens the README installed with the program instead, so no build sends a user to a stranger's site.
class HelpLink
{
public:
    static const char HelpPath[];

    // The address the help links open; empty when there is neither a site nor an installed README.
    static QUrl address();
    // The same for a site and a main program folder of the caller's choosing.
    static QUrl address(const QString &site, const QString &programFolder);
    // Where the README lies once installed, from the folder of the installed main program.
    static QString installedReadme(const QString &programFolder);
    static bool isUsableSite(const QUrl &site);
    // Opens address() on the desktop; false, and logged, when there is nothing to open or the desktop
    // could not open it.
    static bool open();

private:
    HelpLink() = delete;
};
