#include "desktop/installlayout.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <dlfcn.h>

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

QString InstallLayout::libraryFolder()
{
    Dl_info info{};
    if (dladdr(reinterpret_cast<void *>(&InstallLayout::libraryFolder), &info) == 0 || !info.dli_fname)
        return QString();
    return QFileInfo(QString::fromLocal8Bit(info.dli_fname)).canonicalPath();
}

QString InstallLayout::module(const QString &name)
{
    return libraryFolder() + QLatin1String("/liblumidesk-") + name + QLatin1String(".so");
}

bool InstallLayout::isLanguageCode(const QString &code)
{
    // Anchored at both ends of the whole text: "$" alone would also pass a code followed by a line break.
    static const QRegularExpression pattern(
        QRegularExpression::anchoredPattern(QStringLiteral("[A-Za-z]{2,3}([_-][A-Za-z0-9]{2,8})?")));
    return pattern.match(code).hasMatch();
}

} // namespace platform
