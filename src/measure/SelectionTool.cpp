#include "measure/SelectionTool.h"

#include "core/measure/MeasureTools.h"
#include "imagewin/ChildWin.h"
#include "measure/MeasureController.h"
#include "services/Shell.h"

namespace ivra {

void SelectionToolDown(TShell& shell, const TToolEvent& e) {
    std::int32_t& state = shell.Drawing().ToolState;
    TMeasuringState& m = TMeasureController::Of(shell).State();
    if (e.Button == TMouseButton::mbRight) {
        state = 0;
        return;
    }
    if (e.Button != TMouseButton::mbLeft) return;
    if (state == 0) {
        state = 1;
        m.FirstPoint = e.BitmapPos;
        return;
    }
    state = 0;
    m.EndPoint = e.BitmapPos;
    // The rubber frame gives way to the selection's rubber band.
    e.Window.ClearMeasureLayer();
    e.Window.CreateNewSelection(m.FirstPoint, m.EndPoint);
}

} // namespace ivra
