#include "imagewin/Magnifier.h"

#include "core/raster/UpdateScope.h"
#include "engine/Drawing.h"
#include "engine/Transforms.h"

#include <cmath>

namespace ivra {

void PaintMagnifier(TBitmap32& buffer, const TFloatRect& d, const TMagnifierSettings& s) {
    if (buffer.Empty()) return;
    const double m = std::pow(10.0, double(s.Magnification) / 50.0);
    const double angle = -double(s.Rotation);
    TRect r = MakeRect(d, TRectRounding::rrClosest);
    if (r.Width() <= 0 || r.Height() <= 0) return;

    TBitmap32 lens(r.Width(), r.Height());
    const float w2 = float(r.Width()) / 2, h2 = float(r.Height()) / 2;
    TAffineTransformation t;
    t.SrcRect = {d.Left - h2, d.Top - w2, d.Right + h2, d.Bottom + w2};
    t.Translate(-r.Left, -r.Top);
    t.Translate(-w2, -h2);
    t.Scale(m, m);
    t.Rotate(0, 0, angle);
    t.Translate(w2, h2);
    {
        // The buffer is sampled as an opaque picture; bilinear only for this
        // step when asked.
        const TDrawMode mode = buffer.DrawMode();
        TUpdateScope update(buffer);
        buffer.SetDrawMode(TDrawMode::dmOpaque);
        if (s.Interpolate) buffer.SetStretchFilter(TStretchFilter::sfLinear);
        Transform(lens, buffer, t);
        buffer.SetStretchFilter(TStretchFilter::sfNearest);
        buffer.SetDrawMode(mode);
    }
    lens.ResetAlpha();
    lens.SetDrawMode(TDrawMode::dmBlend);
    lens.SetMasterAlpha(s.Opacity);
    lens.DrawTo(buffer, r);
    for (int ring = 0; ring < 5; ++ring) {
        RaiseRectTS(buffer, r.Left, r.Top, r.Right, r.Bottom, 35 - 8 * ring);
        r = {r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1};
    }
}

} // namespace ivra
