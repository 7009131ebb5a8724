#include "core/analysis/PixelProfile.h"

#include "core/text/NumberText.h"

#include <algorithm>
#include <cmath>

namespace ivra {

double ProfileDistance(TPoint a, TPoint b) {
    const double dx = double(b.X) - double(a.X), dy = double(b.Y) - double(a.Y);
    return std::sqrt(dx * dx + dy * dy);
}

int ProfileLength(TPoint a, TPoint b) {
    if (!ProfilePointPresent(a) || !ProfilePointPresent(b)) return 0;
    return int(std::trunc(ProfileDistance(a, b) + 0.5));
}

int ProfileLabelIncrement(int length) {
    if (length <= 10) return 1;
    if (length <= 50) return 5;
    if (length <= 125) return 10;
    if (length <= 250) return 25;
    return 50;
}

TProfileQuantities ProfileQuantities(std::uint8_t r8, std::uint8_t g8, std::uint8_t b8) {
    const int r = r8, g = g8, b = b8;
    TProfileQuantities q;
    q.I = (r + g + b) / 3;
    q.V = std::max({r, g, b});
    const int mn = std::min({r, g, b});
    q.S = q.V == 0 ? 0 : ((q.V - mn) * 255) / q.V;
    if (q.S != 0) {
        const int d = q.V - mn;
        int h;
        if (r == q.V)
            h = (g - b) * 60 / d;
        else if (g == q.V)
            h = (b - r) * 60 / d + 120;
        else
            h = (r - g) * 60 / d + 240;
        if (h < 0) h += 360;
        q.H = h;
    }
    return q;
}

bool ProfilePointsInside(const TBitmap32& bmp, TPoint a, TPoint b) {
    auto inside = [&](TPoint p) { return p.X >= 0 && p.Y >= 0 && p.X < bmp.Width() && p.Y < bmp.Height(); };
    return ProfilePointPresent(a) && ProfilePointPresent(b) && inside(a) && inside(b);
}

std::vector<TProfileSample> ComputeProfile(const TBitmap32& bmp, TPoint a, TPoint b, const TSamples16* deep) {
    if (deep && (deep->Empty() || deep->Width != bmp.Width() || deep->Height != bmp.Height())) deep = nullptr;
    std::vector<TProfileSample> samples;
    const int length = ProfileLength(a, b);
    if (length <= 1 || !ProfilePointsInside(bmp, a, b)) return samples;
    samples.reserve(std::size_t(length) + 1);
    const double ax = a.X + 0.5, ay = a.Y + 0.5, bx = b.X + 0.5, by = b.Y + 0.5;
    for (int k = 0; k <= length; ++k) {
        const double f = double(k) / double(length);
        TProfileSample s;
        s.Index = k;
        s.X = (1 - f) * ax + f * bx;
        s.Y = (1 - f) * ay + f * by;
        // Both ends lie inside, and so does every point between them; the
        // clamp only guards against the last bit of rounding.
        s.PixelX = std::clamp(int(std::trunc(s.X)), 0, bmp.Width() - 1);
        s.PixelY = std::clamp(int(std::trunc(s.Y)), 0, bmp.Height() - 1);
        const TColor32 c = bmp.Pixel(s.PixelX, s.PixelY);
        s.R = RedComponent(c);
        s.G = GreenComponent(c);
        s.B = BlueComponent(c);
        s.Q = ProfileQuantities(s.R, s.G, s.B);
        if (deep) {
            s.Deep = true;
            const bool rgb = deep->Channels == 3;
            s.R16 = deep->At(s.PixelX, s.PixelY, 0);
            s.G16 = rgb ? deep->At(s.PixelX, s.PixelY, 1) : s.R16;
            s.B16 = rgb ? deep->At(s.PixelX, s.PixelY, 2) : s.R16;
        }
        samples.push_back(s);
    }
    return samples;
}

std::vector<std::string> ProfileHeaderCells() {
    return {"#", "X", "Y", "Red", "Green", "Blue", "Intensity", "Hue", "Saturation", "Value"};
}

std::vector<std::string> ProfileRowCells(const TProfileSample& s, char sep) {
    const int r = s.Deep ? s.R16 : s.R, g = s.Deep ? s.G16 : s.G, b = s.Deep ? s.B16 : s.B;
    const int i = s.Deep ? (r + g + b) / 3 : s.Q.I;
    return {std::to_string(s.Index),  FloatToText(s.X, 1, sep), FloatToText(s.Y, 1, sep),
            std::to_string(r),        std::to_string(g),        std::to_string(b),
            std::to_string(i),        std::to_string(s.Q.H),    std::to_string(s.Q.S),
            std::to_string(s.Q.V)};
}

TTextGrid ProfileGrid(const std::vector<TProfileSample>& samples, char sep) {
    const auto header = ProfileHeaderCells();
    TTextGrid grid(int(header.size()), int(samples.size()) + 1);
    for (int c = 0; c < grid.ColCount(); ++c) grid.SetCell(c, 0, header[std::size_t(c)]);
    for (std::size_t r = 0; r < samples.size(); ++r) {
        auto cells = ProfileRowCells(samples[r], sep);
        for (int c = 0; c < grid.ColCount(); ++c) grid.SetCell(c, int(r) + 1, std::move(cells[std::size_t(c)]));
    }
    return grid;
}

namespace {
std::string PointText(TPoint p) {
    std::string text(1, '(');
    text += std::to_string(p.X);
    text += ", ";
    text += std::to_string(p.Y);
    text += ')';
    return text;
}
} // namespace

std::string ProfilePointsText(TPoint a, TPoint b, char sep) {
    if (!ProfilePointPresent(a) || !ProfilePointPresent(b)) return std::string();
    std::string d = CLocaleText(ProfileDistance(a, b), std::chars_format::fixed, 1);
    std::replace(d.begin(), d.end(), '.', sep);
    return "Points = " + PointText(a) + "   " + PointText(b) + "     Distance = " + d;
}

std::string ProfileChartTitle(const std::string& fileLabel, TPoint a, TPoint b) {
    return "Pixel Profile:   " + fileLabel + "   from " + PointText(a) + " to " + PointText(b);
}

} // namespace ivra
