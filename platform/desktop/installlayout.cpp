#include "desktop/installlayout.h"

#include <QDir>

namespace platform {

QString InstallLayout::drawletProgram(const QString &mainProgramFolder)
{
    return QDir::cleanPath(mainProgramFolder + QLatin1String("/DrawletApp/bin/DrawletApp"));
}

QString InstallLayout::deskpadPlugin(const QString &drawletProgramFolder)
{
    return QDir::cleanPath(drawletProgramFolder + QLatin1String("/../plugins/libDeskpad.so"));
}

QString InstallLayout::languagesAbove(const QString &programFolder)
{
    return QDir::cleanPath(programFolder + QLatin1String("/../Languages"));
}

} // namespace platform
