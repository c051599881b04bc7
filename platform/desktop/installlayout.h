#pragma once

#include <QString>

namespace platform {

// Where the programs, the panel plug-in and the catalogues lie relative to each other. The build tree
// (build/bin) and the installed private folder (<prefix>/lib/lumidesk) have the same shape, so a
// program finds its neighbours from its own folder and never from a path fixed at build time:
//
//   <app>/Lumidesk                              the main program
//   <app>/Languages/<code>/                     Lumidesk_<code>.qm and Lumi_<code>.txt
//   <app>/DrawletApp/bin/DrawletApp             the annotation program
//   <app>/DrawletApp/Languages/                 Drawlet_<locale>.qm, and <code>/Deskpad_<code>.qm
//   <app>/DrawletApp/plugins/libDeskpad.so      the record and live panel plug-in
//   <app>/lib/liblumidesk-<name>.so             our shared libraries and the modules loaded on use
//
// The annotation program's catalogues lie one level above its own folder, so its "Languages" folder
// is its own and never mixes with the main program's language list.
class InstallLayout
{
public:
    // The annotation program, from the main program's folder.
    static QString drawletProgram(const QString &mainProgramFolder);
    // The panel plug-in, from the annotation program's folder.
    static QString deskpadPlugin(const QString &drawletProgramFolder);
    // The "Languages" folder one level above a program's folder (the annotation program and the
    // panel inside it read their catalogues there).
    static QString languagesAbove(const QString &programFolder);
    // Our shared libraries' folder: the one this layer's own library was loaded from, so it is right
    // for every program of ours, from the build tree or installed, wherever the program itself lies.
    static QString libraryFolder();
    // One of our modules (liblumidesk-<name>.so) in that folder.
    static QString module(const QString &name);
    // Whether a language code may name a catalogue folder and file: two or three letters, then
    // optionally "_" or "-" and two to eight letters or digits ("en_US", "zh-TW", "de"). Nothing
    // else, so that no code leads out of the "Languages" folder.
    static bool isLanguageCode(const QString &code);

private:
    InstallLayout() = delete;
};

} // namespace platform
