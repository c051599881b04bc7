#include "toolbar/startupupdatecheck.h"

#include "updaterfunctions.h"
#include "vantoupdater.h"

bool StartupUpdateCheck::isConfigured()
{
    return isConfigured(VantoUpdater::updateServerBase());
}

bool StartupUpdateCheck::isConfigured(const QUrl &serverBase)
{
    return isReachableHost(serverBase);
}
