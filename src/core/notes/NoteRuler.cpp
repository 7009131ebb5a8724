#include "core/notes/NoteRuler.h"

namespace ivra {

// In twips the first line stands at left + first-line indent and the other
// lines at the left indent; the ruler's left indent is the other lines'
// distance from the first line.
TRulerIndents RulerIndentsOf(const TNoteParagraph& p) {
    return {(p.leftIndent + p.firstIndent) / 20, -p.firstIndent / 20, p.rightIndent / 20};
}

void SetRulerIndents(TNoteParagraph& p, const TRulerIndents& indents) {
    p.firstIndent = -indents.left * 20;
    p.leftIndent = (indents.first + indents.left) * 20;
    p.rightIndent = indents.right * 20;
}

TRulerMarkers RulerMarkerLefts(const TRulerIndents& indents, int rulerWidth) {
    return {RulerPixels(indents.first) + 2, RulerPixels(indents.left + indents.first) + 2,
            rulerWidth - RulerPixels(indents.right + 6) - 6};
}

int RulerFirstIndentAt(int markerLeft, int dragOffset) { return RulerPoints(markerLeft + dragOffset - 6); }

int RulerLeftIndentAt(int markerLeft, int dragOffset, int firstIndent) {
    return RulerPoints(markerLeft + dragOffset - 6) - firstIndent;
}

int RulerRightIndentAt(int markerLeft, int dragOffset, int rulerWidth) {
    return RulerPoints(rulerWidth - markerLeft + dragOffset - 2) - 12;
}

} // namespace ivra
