#include "dialogs/helplink.h"

#include "common/lumidesklog.h"
#include "updaterfunctions.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>

#ifndef LUMIDESK_HELP_SITE
#define LUMIDESK_HELP_SITE ""
#endif
// The installed layout's path from the main program's folder to the README (cmake/LumideskLayout.cmake).
#ifndef LUMIDESK_README_FROM_PROGRAM
#define LUMIDESK_README_FROM_PROGRAM "../../share/doc/lumidesk/README.md"
#endif

const char HelpLink::HelpPath[] = "/help/Lumidesk/";

QUrl HelpLink::address()
{
    return address(QString::fromUtf8(LUMIDESK_HELP_SITE), QCoreApplication::applicationDirPath());
}

QUrl HelpLink::address(const QString &site, const QString &programFolder)
{
    QUrl page(site.trimmed(), QUrl::StrictMode);
    if (isUsableSite(page)) {
        QString path = page.path();
        while (path.endsWith(QLatin1Char('/')))
            path.chop(1);
        page.setPath(path + QLatin1String(HelpPath));
        page.setQuery(QString());
        page.setFragment(QString());
        return page;
    }
    // Installed, the README lies with the other packages' documentation; the build tree keeps a copy
    // beside the program, so that a program run from there (scripts/run) has its help too.
    for (const QString &readme : {installedReadme(programFolder), programFolder + QLatin1String("/README.md")}) {
        if (QFileInfo(readme).isFile())
            return QUrl::fromLocalFile(QDir::cleanPath(readme));
    }
    return QUrl();
}

QString HelpLink::installedReadme(const QString &programFolder)
{
    return QDir::cleanPath(programFolder + QLatin1Char('/') + QLatin1String(LUMIDESK_README_FROM_PROGRAM));
}

bool HelpLink::isUsableSite(const QUrl &site)
{
    const QString scheme = site.scheme().toLower();
    return (scheme == QLatin1String("http") || scheme == QLatin1String("https")) && isReachableHost(site);
}

bool HelpLink::open()
{
    const QUrl url = address();
    if (url.isEmpty()) {
        _LumideskLog::log(Journix::Warning, "No help to open: this build names no help site and no README lies at %s.",
                          qUtf8Printable(installedReadme(QCoreApplication::applicationDirPath())));
        return false;
    }
    if (!QDesktopServices::openUrl(url)) {
        _LumideskLog::log(Journix::Warning, "The desktop could not open the help at %s.",
                          qUtf8Printable(url.toDisplayString()));
        return false;
    }
    return true;
}
