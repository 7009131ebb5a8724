// The README's picture of the program at work: the sample micrograph
// calibrated against its 100 um scale bar, a cell measured, the histogram
// and the spreadsheet, on a real X server (tools/screenshots.sh --readme
// runs it under Xvfb):
//
//   readme_screenshot IMAGES_DIR OUT.png
//
// Runs the program's own start-up and commands, sends the presses a user
// makes to the image view, and grabs the whole screen.

#include "analysis/Histogram.h"
#include "app/MainForm.h"
#include "app/Startup.h"
#include "imagewin/ChildWin.h"
#include "measure/SheetForm.h"
#include "measure/SpatialCalib.h"
#include "services/DrawingState.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QToolButton>

#include <cstdio>
#include <tuple>

using namespace ivra;

namespace {

void Settle(int ms = 200) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QTest::qWait(10);
    }
}

// A move to the image pixel p, then a click there, as a hand does it.
void Click(TMDIChild& w, TPoint p) {
    QWidget* vp = w.ImgView->viewport();
    const TPoint v = w.BitmapToControl(p);
    const QPointF q(v.X, v.Y);
    for (auto [type, button, buttons] :
         {std::tuple{QEvent::MouseMove, Qt::NoButton, Qt::MouseButtons(Qt::NoButton)},
          std::tuple{QEvent::MouseButtonPress, Qt::LeftButton, Qt::MouseButtons(Qt::LeftButton)},
          std::tuple{QEvent::MouseButtonRelease, Qt::LeftButton, Qt::MouseButtons(Qt::NoButton)}}) {
        QMouseEvent e(type, q, vp->mapToGlobal(q), button, buttons, Qt::NoModifier);
        QCoreApplication::sendEvent(vp, &e);
    }
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "Usage: readme_screenshot IMAGES_DIR OUT.png\n");
        return 2;
    }
    TStartupOptions options;
    options.SleepMs = 0;
    options.SplashMs = 0;
    TStartupResult started = RunStartup(options);
    TMainForm& main = *started.Main;
    Settle();

    TMDIChild* w = main.CreateImageWindow(QString::fromLocal8Bit(argv[1]) + QStringLiteral("/micrograph.png"));
    if (!w) return 1;
    if (auto* sub = qobject_cast<QMdiSubWindow*>(w->parentWidget())) {
        sub->move(0, 0);
        sub->resize(1040, 760);
    }
    Settle();
    main.AppOnIdle();

    // Calibrate along the scale bar (200 pixels are 100 µm) ...
    main.Command(QStringLiteral("SpatialCalibrationItem"))->trigger();
    Settle();
    Click(*w, {784, 720});
    Click(*w, {984, 720});
    TfrmSpatialCalib* calib = SpatialCalibForm(main);
    calib->edLineLength->selectAll();
    QTest::keyClicks(calib->edLineLength, QStringLiteral("100"));
    QTest::keyClicks(calib->cbUnit->lineEdit(), QStringLiteral("\u00B5m"));
    calib->OKBtn->click();
    Settle();

    // ... then measure the large cell in the middle: its outline, then its
    // width and height, drawn on the image.
    main.findChild<QCheckBox*>(QStringLiteral("cbDraw"))->setChecked(true);
    main.ToolButton(toolEllipse)->click();
    Click(*w, {534, 373});
    Click(*w, {571, 406});
    main.ToolButton(toolLine)->click();
    Click(*w, {534, 341});
    Click(*w, {534, 406});
    Click(*w, {498, 373});
    Click(*w, {571, 373});
    Settle();

    main.Command(QStringLiteral("HistogramButton"))->trigger();
    Settle();
    main.Command(QStringLiteral("SpreadsheetItem"))->trigger();
    Settle();
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    if (QWidget* h = HistogramForm(main)) h->setGeometry(screen.width() - 560, 130, 540, 400);
    if (QWidget* s = SheetForm(main)) s->setGeometry(screen.width() - 560, 550, 540, 340);
    Settle(800);

    const QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(0);
    if (!shot.save(QString::fromLocal8Bit(argv[2]))) {
        std::fprintf(stderr, "readme_screenshot: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
