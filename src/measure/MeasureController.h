#pragma once
// The measuring tools at work on an image window: each press and move of the
// tool in force goes to the tool's handler in the core (TMeasuringState),
// and what it produced goes to its places: the rubber figure on the view's
// MeasureLayer, the read-out in status panel 1, the lines of the messages
// pane, the spreadsheet (AddValue, AddTag), the calibration dialog's pixel
// label and, with the Draw switch on, the finished figure on AnimLayer.
//
// The measuring state is one for the shell's run, shared by all its image
// windows and kept among the shell's run objects; it is the one owner of the
// vertices of a poly measurement, which a new image window empties.

#include "core/analysis/RegionStats.h"
#include "core/raster/FixedPoint.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace ivra {

class TBitmap32;
class TMeasureHost;
class TMeasuringState;
class TShell;
struct TToolOutput;

enum class TMeasureButton { Left, Right, Middle };

class TMeasureController {
public:
    TMeasureController();
    ~TMeasureController();

    // The shell's one controller (made on the first request).
    static TMeasureController& Of(TShell& shell);

    // The press handler of `tool` at image pixel p (ToolState of the host's
    // drawing state). ctrl: the Ctrl key (ellipse tool: circle).
    // Errors of a tool (an undefined angle) are thrown after ToolState went
    // back to 0.
    void ToolDown(TMeasureHost& host, std::uint32_t tool, TMeasureButton button, TPoint p, bool ctrl);
    // The move handler of `tool`; leftHeld: the left button is held (free-hand
    // vertices of the poly tools).
    void ToolMove(TMeasureHost& host, std::uint32_t tool, TPoint p, bool ctrl, bool leftHeld);

    TMeasuringState& State() { return *state_; }

    // The last finished polygon, rectangle or ellipse (circle) measured on
    // an image window, by the window's image; none when there is none. A
    // polygon holds the vertices its area was computed from.
    std::optional<TRegionShape> LastShape(const TBitmap32& image) const;
    // Forgets the shape of an image (its window goes).
    void ForgetShape(const TBitmap32& image) { lastShapes_.erase(&image); }
    // Forgets the shapes of every image not in the list.
    void KeepShapesOf(const std::vector<const TBitmap32*>& images);

    // The colour picker's read-out of a pixel: "R:r G:g B:b".
    static std::string PickerReadout(std::uint32_t color);
    // The decimal separator of the user's locale ('.' when it is not one
    // 8-bit character).
    static char LocaleDecimalSeparator();

private:
    void Report(TMeasureHost& host, const TToolOutput& out);
    void DrawFigure(TMeasureHost& host, const TToolOutput& out);
    void DrawPolyRubber(TMeasureHost& host, TPoint p);
    void RememberShape(TMeasureHost& host, std::uint32_t tool, const TToolOutput& out, bool ctrl);

    std::unique_ptr<TMeasuringState> state_;
    std::map<const TBitmap32*, TRegionShape> lastShapes_;
};

} // namespace ivra
