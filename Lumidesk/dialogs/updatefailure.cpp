#include "dialogs/updatefailure.h"

UpdateFailure::Reason UpdateFailure::ofDownload(VantoUpdater::DownloadFailure failure)
{
    switch (failure) {
    case VantoUpdater::NoFailure:
    case VantoUpdater::Cancelled:
        break;
    case VantoUpdater::ConnectionLost:
        return ConnectionLost;
    case VantoUpdater::TooSlow:
        return TooSlow;
    case VantoUpdater::NotServed:
    // The dialogs start no download while one runs; should one still meet another, the server's
    // package was not had.
    case VantoUpdater::Busy:
        return NotServed;
    case VantoUpdater::TooLarge:
        return TooLarge;
    case VantoUpdater::ChecksumMismatch:
        return ChecksumMismatch;
    case VantoUpdater::WriteFailed:
        return WriteFailed;
    }
    return NoReason;
}

QString UpdateFailure::text(Reason reason)
{
    switch (reason) {
    case NoReason:
        break;
    case ConnectionLost:
        return tr("The connection to the update server was lost.");
    case TooSlow:
        return tr("The download was too slow.");
    case NotServed:
        return tr("The update server did not provide the package.");
    case TooLarge:
        return tr("The package is larger than allowed.");
    case ChecksumMismatch:
        return tr("The downloaded package is damaged: its checksum does not match.");
    case WriteFailed:
        return tr("Cannot write to hard disk, please check your permission.");
    case DiskFull:
        return tr("Not enough free disk space for the package.");
    case InstallFailed:
        return tr("The package could not be installed.");
    }
    return QString();
}
