#pragma once

#include <QDateTime>
#include <QString>

// The main program's log files: "Documents/Qorv/Log/Tivlo/Lumidesk-YYMMDD-999.log".
class LogFolder
{
public:
    // Log files this many days old or older are removed at start-up.
    static const int KeepDays = 31;

    // The folder, with a trailing slash.
    static QString path();
    // The file pattern handed to the file logger.
    static QString filePattern();
    // Creates the folder with its parents when it is missing. Returns false when it cannot be made.
    static bool make();
    // Removes the program's log files whose last change is KeepDays or more before now. Other files
    // and sub-folders are never touched; a file that cannot be removed is left.
    static void clean(const QDateTime &now = QDateTime::currentDateTime());

private:
    LogFolder() = delete;
};

// The start-up clean-up of the log folder: creates the folder, then removes old log files.
void cleanLogFiles();
