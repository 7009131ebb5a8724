#pragma once
// The notepad's ruler: where its three markers stand for a paragraph's
// indents and which indents a dragged marker gives.
//
// The ruler works in whole points as the notepad shows them: the first-line
// indent from the left margin, the left indent of the other lines from the
// first line, and the right indent. One point is 4/3 pixels; pixel positions
// and points are both truncated (toward zero), in exact integer arithmetic.

#include "core/notes/NoteDocument.h"

namespace ivra {

struct TRulerIndents {
    int first = 0; // points, first line from the left margin
    int left = 0;  // points, the other lines from the first line
    int right = 0; // points
    friend bool operator==(const TRulerIndents&, const TRulerIndents&) = default;
};

// The paragraph's indents in the ruler's points (twips divided by 20,
// truncated), and back.
TRulerIndents RulerIndentsOf(const TNoteParagraph& p);
void SetRulerIndents(TNoteParagraph& p, const TRulerIndents& indents);

inline int RulerPixels(int points) { return points * 4 / 3; }
inline int RulerPoints(int pixels) { return pixels * 3 / 4; }

// The left edges of the markers on a ruler of this client width.
struct TRulerMarkers {
    int first = 0, left = 0, right = 0;
    friend bool operator==(const TRulerMarkers&, const TRulerMarkers&) = default;
};
TRulerMarkers RulerMarkerLefts(const TRulerIndents& indents, int rulerWidth);

// The indent a marker gives when it is released at markerLeft; dragOffset is
// half the marker's width.
int RulerFirstIndentAt(int markerLeft, int dragOffset);
int RulerLeftIndentAt(int markerLeft, int dragOffset, int firstIndent);
int RulerRightIndentAt(int markerLeft, int dragOffset, int rulerWidth);

} // namespace ivra
