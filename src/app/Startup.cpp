#include "app/Startup.h"

#include "app/AboutBox.h"
#include "services/AppInfo.h"
#include "app/MainForm.h"
#include "app/NewImageUnit.h"
#include "app/Splash.h"
#include "analysis/AnalysisSetup.h"
#include "analysis/StretchHisto.h"
#include "app/Printing.h"
#include "imagewin/LayerCommands.h"
#include "processing/ProcessingCommands.h"
#include "measure/MeasureSetup.h"
#include "measure/ScaleBarCommand.h"
#include "measure/SheetForm.h"
#include "measure/SpatialCalib.h"
#include "notepad/NotepadSetup.h"

#include "services/CommandGuard.h"

#include <QImageReader>
#include <QScreen>
#include <QApplication>
#include <QEventLoop>
#include <QThread>

#include <vector>

namespace ivra {

namespace {

// One loading step: the progress line, then the windows it creates (hidden),
// in this order.
struct TLoadStep {
    const char* Line;
    std::function<void(TMainForm& main)> Create;
};

std::vector<TLoadStep> LoadSteps() {
    // Each subsystem makes its windows (hidden) and registers its commands
    // and tools in the step that loads it.
    return {
        {"Loading toolbars...", [](TMainForm& main) { InstallAnalysis(main); }},
        {"Loading filters...",
         [](TMainForm& main) {
             CreateSpatialCalibForm(main);
             InstallProcessing(main);
         }},
        {"Loading spreadsheet module...",
         [](TMainForm& main) {
             CreateSheetForm(main);
             main.AboutDialog();
             InstallMeasuring(main);
             InstallScaleBar(main);
         }},
        {"Loading notepad module...",
         [](TMainForm& main) {
             InstallNotepad(main);
             InstallStretchHisto(main);
             InstallLayerCommands(main);
             InstallPrinting(main);
         }},
    };
}

} // namespace

TStartupOptions TStartupOptions::FromArguments(const QStringList& arguments) {
    TStartupOptions o;
    if (arguments.contains(QStringLiteral("--no-splash"))) {
        o.SleepMs = 0;
        o.SplashMs = 0;
    }
    return o;
}

TStartupResult RunStartup(const TStartupOptions& options) {
    TStartupResult result;

    // 1. The splash, at once; its timer runs from now.
    auto splash = std::make_unique<TfrmSplash>(nullptr, options.SplashMs);
    splash->show();
    splash->repaint();

    // 2. The application's title.
    QCoreApplication::setApplicationName(AppTitle);

    // 3. The banner.
    splash->AddLine(QStringLiteral("Ivra Image Analyser v2.0beta"));
    splash->AddLine(QStringLiteral("Measuring and analysing images"));

    // 4. A pause in which nothing is served.
    if (options.SleepMs > 0) QThread::msleep(static_cast<unsigned long>(options.SleepMs));

    // 5. The main window and its first dialogs.
    splash->AddLine(QStringLiteral("Loading main module..."));
    result.Main = std::make_unique<TMainForm>();
    TMainForm& main = *result.Main;
    main.NewImageDialog();

    // 6. to 9. The menus and bars are built once, after the last step.
    main.Commands().Batch([&] {
        for (const TLoadStep& step : LoadSteps()) {
            splash->AddLine(QLatin1String(step.Line));
            step.Create(main);
        }
    });

    // 10. and 11.
    main.InstallAppHandlers();
    splash->AddLine(QStringLiteral("Init successful. Switching to run phase."));

    // 12. Serve events until the splash may close (its timer or a click).
    while (!splash->CloseAllowed()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        if (options.OnWaitPass) options.OnWaitPass();
    }

    // 13. The splash goes; the main window shows, maximised.
    result.SplashLines = splash->Lines();
    splash->hide();
    splash.reset();
    // Cover the screen's work area first, so that the window is full-size
    // also where no window manager carries out the maximise request.
    if (const QScreen* screen = main.screen()) main.setGeometry(screen->availableGeometry());
    main.showMaximized();
    return result;
}

TMDIChild* OpenPictureArgument(TMainForm& main, const QString& file) {
    if (file.isEmpty() || QImageReader::imageFormat(file).isEmpty()) return nullptr;
    TMDIChild* window = nullptr;
    RunGuarded([&] { window = main.CreateImageWindow(file); });
    return window;
}

} // namespace ivra
