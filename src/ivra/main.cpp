// Ivra Image Analyser: the desktop program.
//
//   ivra [--no-splash] [FILE]
//   ivra --version
//
// --no-splash skips the splash window's delay (for automation); nothing else
// differs from a normal start. A FILE that is a picture (the desktop's "Open
// with") opens in an image window as well. --version prints the name and
// version and ends without opening a window (no display needed).

#include "app/MainForm.h"
#include "app/QuitOnSignal.h"
#include "app/Startup.h"
#include "core/io/FileIO.h"
#include "services/AppInfo.h"

#include <QApplication>

#include <cstdio>
#include <cstring>
#include <exception>

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("ivra (%s) %s\n", qPrintable(ivra::AppTitle), qPrintable(ivra::ProgramVersion()));
            return 0;
        }
    }
    QApplication app(argc, argv);
    ivra::TStartupResult started;
    try {
        started = ivra::RunStartup(ivra::TStartupOptions::FromArguments(app.arguments()));
    } catch (const std::exception& e) {
        // A start-up that cannot build its menus (a command placed in a menu
        // nobody registered) ends here, saying why.
        std::fprintf(stderr, "ivra: %s\n", e.what());
        return 1;
    }
    // TERM, INT and HUP remove the temporary files of saves under way and
    // close the main window as its close box does.
    ivra::QuitOnTerminatingSignals(*started.Main);
    ivra::OpenPictureArgument(*started.Main, ivra::StartupFileArgument());
    const int code = app.exec();
    // A save still under way when the program ends leaves no temporary file.
    ivra::RemovePendingTemporaryFiles();
    return code;
}
