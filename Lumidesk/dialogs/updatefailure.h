#pragma once

#include "vantoupdater.h"

#include <QCoreApplication>
#include <QString>

// Why an update ended before its install was done, in the words the two update dialogs show under
// "Fail to update!": the log holds the details, the user gets the reason.
class UpdateFailure
{
    Q_DECLARE_TR_FUNCTIONS(UpdateFailure)

public:
    enum Reason {
        NoReason,
        ConnectionLost,
        TooSlow,
        NotServed,
        TooLarge,
        ChecksumMismatch,
        WriteFailed,
        DiskFull,
        InstallFailed,
    };

    // A cancelled download has no reason to show: the user asked for it.
    static Reason ofDownload(VantoUpdater::DownloadFailure failure);
    // The reason in the current language; empty for NoReason.
    static QString text(Reason reason);

private:
    UpdateFailure() = delete;
};
