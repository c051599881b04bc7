#pragma once

#include "vantoupdaterglobal.h"

#include <QString>

// Versions are four dot-separated decimal fields ("1.0.1003.6"); they compare field by field as
// numbers, a missing or non-numeric field counting as 0 and fields after the fourth ignored.
class VANTOUPDATER_EXPORT VersionNumber
{
public:
    // True when local is older than remote.
    static bool isOlder(const QString &local, const QString &remote);
    static quint64 field(const QString &version, int index);
};
