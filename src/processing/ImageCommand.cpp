#include "processing/ImageCommand.h"

#include "imagewin/ChildWin.h"
#include "services/Busy.h"

namespace ivra {

void RunImageChange(TShell& shell, TMDIChild& w, const QString& what, const TImageChange& change) {
    RunWithProgress(shell, what, [&] { w.Document().Apply(change); });
}

void RunLayerChange(TShell& shell, TMDIChild& w, TBitmapLayer& layer, const QString& what,
                    const TImageChange::TEdit& edit) {
    RunWithProgress(shell, what, [&] { w.Document().ApplyToLayer(layer, edit); });
}

void RunComputation(TShell& shell, const QString& what, const std::function<void()>& compute) {
    RunWithProgress(shell, what, [&] { RunBusy(compute); });
}

} // namespace ivra
