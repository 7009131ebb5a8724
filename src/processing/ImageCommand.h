#pragma once
// Long work of the image commands, kept responsive. Every command that
// rewrites an image goes through RunImageChange: the document's one routine
// (TImageDocument::ApplyImageChange: the change runs on a copy on a worker
// thread, is swapped in whole, the old image becomes the undo snapshot, the
// view repaints; a failure leaves the image as it was). Around it the status
// bar shows the work's progress once it has lasted about a second.
//
// The picture layers of an image have no undo of their own; their changes
// go through RunBitmapChange, which works on a copy the same way.

#include "core/raster/Bitmap32.h"

#include <QString>

#include <functional>

namespace ivra {

class TShell;
class TMDIChild;

// When the status bar starts to show progress (milliseconds of work).
struct TProgressTiming {
    int ProgressAfterMs = 1000;
    int UpdateEveryMs = 250;
};
// The timing in force (tests shorten it); returns the previous one.
TProgressTiming SetProgressTiming(const TProgressTiming& timing);

// Runs work (which waits for a worker through RunBusy) and, while it lasts
// longer than the timing's threshold, shows "what" with the seconds spent
// and a running indicator in the main window's status bar. Everything shown
// goes away when the work ends, also when it fails.
void RunWithProgress(TShell& shell, const QString& what, const std::function<void()>& work);

// The image of w rewritten by change (see above).
void RunImageChange(TShell& shell, TMDIChild& w, const QString& what,
                    const std::function<void(TBitmap32& image)>& change, bool undoable = true);

// The image of w replaced by what transform makes of it (a conversion that
// writes its result apart from its source: no copy of the image first).
void RunImageTransform(TShell& shell, TMDIChild& w, const QString& what,
                       const std::function<void(const TBitmap32& image, TBitmap32& result)>& transform);

// A bitmap other than the image (a picture layer's) rewritten by change on a
// copy; the copy is swapped in whole when change succeeds, so that a failure
// leaves the bitmap as it was.
void RunBitmapChange(TShell& shell, TBitmap32& target, const QString& what,
                     const std::function<void(TBitmap32& bitmap)>& change);

// A result computed on a worker with progress (no bitmap of the document
// changes), e.g. a channel image or a colour count.
void RunComputation(TShell& shell, const QString& what, const std::function<void()>& compute);

} // namespace ivra
