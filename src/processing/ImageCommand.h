#pragma once
// Long work of the image commands, kept responsive. A command that rewrites
// an image hands its document a change object (TImageChange) through
// RunImageChange: the document takes the snapshot, runs the change on a
// worker thread and swaps the result in only when it succeeded; around it
// the status bar shows the work's progress once it has lasted about a
// second (services/Progress.h).

#include "imagewin/ImageDocument.h"
#include "services/Progress.h"

#include <QString>

#include <functional>

namespace ivra {

class TShell;
class TMDIChild;

// The image of w changed by change.
void RunImageChange(TShell& shell, TMDIChild& w, const QString& what, const TImageChange& change);

// A picture layer of w rewritten by edit (the document applies it: see
// TImageDocument::ApplyToLayer).
void RunLayerChange(TShell& shell, TMDIChild& w, TBitmapLayer& layer, const QString& what,
                    const TImageChange::TEdit& edit);

// A result computed on a worker with progress (no bitmap of the document
// changes), e.g. a channel image or a colour count.
void RunComputation(TShell& shell, const QString& what, const std::function<void()>& compute);

} // namespace ivra
