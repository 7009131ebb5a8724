// Ivra Image Analyser: the desktop program.
//
//   ivra [--no-splash]
//
// --no-splash skips the splash window's delay (for automation); nothing else
// differs from a normal start.

#include "app/MainForm.h"
#include "app/QuitOnSignal.h"
#include "app/Startup.h"
#include "core/io/FileIO.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ivra::TStartupResult started = ivra::RunStartup(ivra::TStartupOptions::FromArguments(app.arguments()));
    // TERM, INT and HUP remove the temporary files of saves under way and
    // close the main window as its close box does.
    ivra::QuitOnTerminatingSignals(*started.Main);
    const int code = app.exec();
    // A save still under way when the program ends leaves no temporary file.
    ivra::RemovePendingTemporaryFiles();
    return code;
}
