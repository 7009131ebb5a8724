#pragma once
// The program's name and version as the user sees them.

#include <QString>

namespace ivra {

inline const QString AppTitle = QStringLiteral("Ivra Image Analyser");
inline const QString AppVersionText = QStringLiteral("Version 2.00 beta");

// The folder of the program, with no trailing separator.
QString ProgramFolder();

// The folder where "images" and "help" stand: in an installed tree (the
// program in bin/) the program's data folder found relative to the program
// (../share/ivra), so that any prefix and an unpacked package work; in the
// build folder the program's own folder.
QString ProgramDataFolder();
// The same for a program standing in programFolder.
QString DataFolderBeside(const QString& programFolder);

// The version of the program (the build's project version, e.g. "2.0").
QString ProgramVersion();

// The first command-line argument that is not an option, when it names an
// existing file ("" otherwise): the spreadsheet and the notepad load it each
// time they are shown.
QString StartupFileArgument();

} // namespace ivra
