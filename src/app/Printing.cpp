#include "app/Printing.h"

#include "core/Error.h"
#include "core/measure/Geometry.h"
#include "imagewin/ChildWin.h"
#include "services/AppInfo.h"
#include "services/Busy.h"
#include "services/Prompts.h"
#include "services/Shell.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <QWidget>

namespace ivra {

namespace {

// The printer lives as long as the main window.
class TPrinterHolder : public QObject {
public:
    explicit TPrinterHolder(QObject* parent) : QObject(parent), Printer(QPrinter::HighResolution) {
        setObjectName(QStringLiteral("ImagePrinter"));
    }
    QPrinter Printer;
};

// The busy cursor for as long as it exists.
struct TBusyCursor {
    TBusyCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TBusyCursor() { QGuiApplication::restoreOverrideCursor(); }
    TBusyCursor(const TBusyCursor&) = delete;
    TBusyCursor& operator=(const TBusyCursor&) = delete;
};

} // namespace

QPrinter& ImagePrinter(TShell& shell) {
    auto* holder = shell.Window()->findChild<TPrinterHolder*>(QStringLiteral("ImagePrinter"));
    if (!holder) holder = new TPrinterHolder(shell.Window());
    return holder->Printer;
}

void mnPrintClick(TMDIChild& w, QPrinter& printer) {
    w.ClearSelection();
    const int width = w.Document().Bitmap().Width(), height = w.Document().Bitmap().Height();
    TBusyCursor busy;
    TBitmap32 page(width, height);
    w.ImgView->PaintTo(page, page.BoundsRect());
    // The job's title is set before it starts.
    printer.setDocName(AppTitle);
    // The pixels as they are, alpha ignored: paper has no transparency.
    const QImage image(reinterpret_cast<const uchar*>(page.Bits()), width, height, int(width * sizeof(TColor32)),
                       QImage::Format_RGB32);
    // The job runs on a worker thread (painting on a printer may), so that
    // the windows keep painting meanwhile.
    RunBusy([&] {
        QPainter p;
        if (!p.begin(&printer)) {
            // A job printed to a file names the file.
            const QString file = printer.outputFileName();
            throw Error(file.isEmpty() ? std::string("The printer could not be started.")
                                       : "Cannot print to " + file.toStdString() +
                                             ": the printer could not write the file.");
        }
        const auto target = FitRect({0, 0, width, height}, {0, 0, printer.width(), printer.height()});
        if (target) {
            p.setRenderHint(QPainter::SmoothPixmapTransform, false);
            // Measured pictures go to the page without loss: a PDF file
            // keeps the pixels compressed losslessly (Flate), not as JPEG.
            p.setRenderHint(QPainter::LosslessImageRendering, true);
            p.drawImage(QRect(target->Left, target->Top, target->Right - target->Left, target->Bottom - target->Top),
                        image);
        }
        if (!p.end()) throw Error("The printer could not finish the page.");
    });
}

void InstallPrinting(TShell& shell) {
    TShell* s = &shell;
    TCommandSpec setup;
    setup.Id = QStringLiteral("FilePrintSetupItem");
    setup.Caption = QStringLiteral("&Printer Setup");
    setup.Hint = QStringLiteral("Printer Setup|Chooses the printer and its settings");
    setup.Menu = MenuIds::File;
    setup.MenuOrder = 60;
    setup.SeparatorBefore = true;
    setup.Run = [s] { AppPrompts().PageSetupDialog(s->Window(), ImagePrinter(*s)); };
    shell.Commands().Add(setup);

    // Always enabled; without an active image window nothing happens.
    TCommandSpec print;
    print.Id = QStringLiteral("FilePrintItem");
    print.Caption = QStringLiteral("&Print");
    print.Hint = QStringLiteral("Print|Prints the active image");
    print.Shortcut = QKeySequence(Qt::CTRL | Qt::Key_P);
    print.Menu = MenuIds::File;
    print.MenuOrder = 70;
    print.Run = [s] {
        TMDIChild* w = s->ActiveImageWindow();
        if (!w) return;
        QPrinter& printer = ImagePrinter(*s);
        if (!AppPrompts().PrintDialog(s->Window(), printer)) return;
        mnPrintClick(*w, printer);
    };
    shell.Commands().Add(print);
}

} // namespace ivra
