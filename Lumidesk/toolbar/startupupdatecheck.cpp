#include "toolbar/startupupdatecheck.h"

#include "vantoupdater.h"

bool StartupUpdateCheck::isConfigured()
{
    return isConfigured(VantoUpdater::updateServerBase());
}

bool StartupUpdateCheck::isConfigured(const QUrl &serverBase)
{
    if (!serverBase.isValid() || serverBase.host().isEmpty())
        return false;
    const QString host = serverBase.host().toLower();
    for (const char *reserved : {"example", "invalid"}) {
        const QString name = QLatin1String(reserved);
        if (host == name || host.endsWith(QLatin1Char('.') + name))
            return false;
    }
    return true;
}
