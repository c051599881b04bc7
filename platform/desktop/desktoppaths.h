#pragma once

#include <QString>

namespace platform {

// The folders the programs keep their files in. Every path is worked out on each call, from the
// user's XDG folders, never cached before the application has its name.
class DesktopPaths
{
public:
    // The main program's application name: its data folder and settings file are named after it,
    // whichever process asks.
    static const char MainApplicationName[];

    // The main program's settings folder, "<data>/Lumidesk/Qorv/Tivlo", and its settings file in it,
    // ".../settings.ini". The panel (inside the annotation program) reads the same file through these.
    static QString mainSettingsFolder();
    static QString mainSettingsFile();

    // The calling program's own data folder (the application name's folder under the user's data
    // folder).
    static QString dataFolder();

    // The first documents folder of the user: where logs, recordings and pictures go.
    static QString documentsFolder();
    // The last documents folder of the search path, whose volume the free-space check measures.
    static QString lastDocumentsFolder();

    // The user's private runtime folder; empty when there is none.
    static QString runtimeFolder();

private:
    DesktopPaths() = delete;
};

} // namespace platform
