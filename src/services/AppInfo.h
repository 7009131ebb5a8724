#pragma once
// The program's name and version as the user sees them.

#include <QString>

namespace ivra {

inline const QString AppTitle = QStringLiteral("Ivra Image Analyser");
inline const QString AppVersionText = QStringLiteral("Version 2.00 beta");

// The folder of the program (where "images" and "help" stand), with no
// trailing separator.
QString ProgramFolder();

// The first command-line argument that is not an option, when it names an
// existing file ("" otherwise): the spreadsheet and the notepad load it each
// time they are shown.
QString StartupFileArgument();

} // namespace ivra
