// The spreadsheet window with a file of one huge cell (30 MB of text in one
// cell between two small ones; IVRA_BENCH_CELL_MB picks another size):
//
// - HugeCellOpen: from OpenSheetFile to the repainted window. Counters:
//   peak_MB (the process's peak resident memory during the first open, above
//   what it held before), file_MB, peak_ratio (peak_MB / file_MB).
// - HugeCellClick: a click on another cell, with the huge one in view, to
//   the repainted grid.
//
//   bench_sheet
//   IVRA_BENCH_CELL_MB=60 bench_sheet

#include "measure/SheetForm.h"
#include "support/TestShell.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMouseEvent>
#include <QTableView>

#include <benchmark/benchmark.h>

#include <fstream>
#include <string>

namespace {

using namespace ivra;

std::size_t CellBytes() {
    const int mb = qEnvironmentVariableIntValue("IVRA_BENCH_CELL_MB");
    return std::size_t(mb > 0 ? mb : 30) << 20;
}

const QString& SheetPath() {
    static const QString path = [] {
        const QString p = QDir::temp().filePath(QStringLiteral("ivra-bench-hugecell.txt"));
        std::ofstream f(p.toStdString(), std::ios::binary);
        f << "1\t" << std::string(CellBytes(), 'x') << "\t2\r\n3\t4\r\n";
        return p;
    }();
    return path;
}

// The process's resident memory now, or its peak since the last reset, in MB.
double StatusMB(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(field, 0) == 0) return std::stod(line.substr(std::string(field).size())) / 1024;
    return 0;
}

void ResetPeak() { std::ofstream("/proc/self/clear_refs") << "5"; }

void Click(QTableView* view, int row, int col) {
    const QPoint p = view->visualRect(view->model()->index(row, col)).center();
    for (QEvent::Type t : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent e(t, QPointF(p), view->viewport()->mapToGlobal(QPointF(p)), Qt::LeftButton,
                      t == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(view->viewport(), &e);
    }
}

void BM_HugeCellOpen(benchmark::State& state) {
    TTestShell shell;
    TfrmSheet sheet(shell, nullptr);
    sheet.StartupFile.clear();
    sheet.show();
    QCoreApplication::processEvents();
    bool first = true;
    double peak = 0;
    for (auto _ : state) {
        const double before = StatusMB("VmRSS:");
        if (first) ResetPeak();
        sheet.OpenSheetFile(SheetPath());
        QCoreApplication::processEvents();
        sheet.repaint();
        if (first) peak = StatusMB("VmHWM:") - before;
        first = false;
        state.PauseTiming();
        sheet.Model().ClearData();
        sheet.SyncView();
        state.ResumeTiming();
    }
    const double fileMB = double(CellBytes()) / (1 << 20);
    state.counters["peak_MB"] = peak;
    state.counters["file_MB"] = fileMB;
    state.counters["peak_ratio"] = peak / fileMB;
}

void BM_HugeCellClick(benchmark::State& state) {
    TTestShell shell;
    TfrmSheet sheet(shell, nullptr);
    sheet.StartupFile.clear();
    sheet.show();
    sheet.OpenSheetFile(SheetPath());
    QCoreApplication::processEvents();
    int col = 0;
    for (auto _ : state) {
        col = col == 0 ? 2 : 0; // the cells beside the huge one
        Click(sheet.sg1, 0, col);
        sheet.sg1->viewport()->repaint();
    }
}

} // namespace

BENCHMARK(BM_HugeCellOpen)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_HugeCellClick)->Unit(benchmark::kMillisecond)->MinTime(1.0);

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    (void)SheetPath(); // written once, before any timing
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    QFile::remove(SheetPath());
    return 0;
}
