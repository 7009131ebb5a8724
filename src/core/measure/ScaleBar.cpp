#include "core/measure/ScaleBar.h"

#include "core/Error.h"
#include "core/measure/Calibration.h"
#include "core/text/NumberText.h"

#include <algorithm>
#include <cmath>

namespace ivra {

bool ScaleBarCornerFromName(std::string_view name, TScaleBarCorner& corner) {
    static constexpr struct {
        std::string_view Name;
        TScaleBarCorner Corner;
    } names[] = {{"lower-right", TScaleBarCorner::LowerRight},
                 {"lower-left", TScaleBarCorner::LowerLeft},
                 {"upper-right", TScaleBarCorner::UpperRight},
                 {"upper-left", TScaleBarCorner::UpperLeft}};
    for (const auto& n : names)
        if (n.Name == name) {
            corner = n.Corner;
            return true;
        }
    return false;
}

double ProposeScaleBarLength(int imageWidth, float factor) {
    const double target = double(imageWidth) / 5 * double(factor);
    if (!(target > 0) || !std::isfinite(target)) return 0;
    const int k = int(std::floor(std::log10(target)));
    // m * 10^k, formed by a division for negative powers so that 0.2 is the
    // double nearest to 0.2.
    auto round = [](int m, int power) {
        return power >= 0 ? m * std::pow(10.0, power) : m / std::pow(10.0, -power);
    };
    double best = 0, bestDistance = 0;
    for (int power = k; power <= k + 1; ++power)
        for (int m : {1, 2, 5}) {
            const double c = round(m, power);
            const double distance = std::abs(std::log(c / target));
            if (best == 0 || distance < bestDistance) best = c, bestDistance = distance;
        }
    return best;
}

int ScaleBarMargin(int imageWidth, int imageHeight) {
    return int(std::nearbyint(std::min(imageWidth, imageHeight) * 0.02));
}

int DefaultScaleBarHeight(int imageWidth, int imageHeight) {
    return std::max(1, int(std::nearbyint(std::min(imageWidth, imageHeight) * 0.01)));
}

int DefaultScaleBarLabelSize(int imageWidth, int imageHeight) {
    return std::max(8, int(std::nearbyint(std::min(imageWidth, imageHeight) * 0.04)));
}

int ScaleBarPixels(double length, float factor, int imageWidth, int imageHeight) {
    if (!(length > 0) || !std::isfinite(length))
        throw Error("The length of the scale bar must be a number greater than 0.");
    if (!(factor > 0)) throw Error("The calibration factor must be greater than 0.");
    const double pixels = length / double(factor);
    const int room = imageWidth - 2 * ScaleBarMargin(imageWidth, imageHeight);
    if (pixels > double(room))
        throw Error("A scale bar of " + FloatToGeneralText(length) + " is " + FloatToGeneralText(pixels, 8) +
                    " pixels long: longer than the image's width of " + std::to_string(imageWidth) +
                    " pixels within its margins.");
    const int bar = int(std::nearbyint(pixels));
    if (bar < 1)
        throw Error("A scale bar of " + FloatToGeneralText(length) + " would be shorter than one pixel.");
    return bar;
}

std::string ScaleBarLabel(double length, const std::string& unit, char decimalSeparator) {
    return FloatToGeneralText(length, 6, decimalSeparator) + LengthUnitSuffix(unit);
}

TScaleBarLayout PlaceScaleBar(int imageWidth, int imageHeight, const TScaleBarGeometry& g) {
    const int m = ScaleBarMargin(imageWidth, imageHeight);
    if (g.BarHeight < 1 || g.BarHeight > imageHeight - 2 * m)
        throw Error("The scale bar's height must be from 1 to " + std::to_string(std::max(1, imageHeight - 2 * m)) +
                    " pixels.");
    const bool right = g.Corner == TScaleBarCorner::LowerRight || g.Corner == TScaleBarCorner::UpperRight;
    const bool lower = g.Corner == TScaleBarCorner::LowerRight || g.Corner == TScaleBarCorner::LowerLeft;
    TScaleBarLayout l;
    l.Bar.Left = right ? imageWidth - m - g.BarPixels : m;
    l.Bar.Top = lower ? imageHeight - m - g.BarHeight : m;
    l.Bar.Right = l.Bar.Left + g.BarPixels;
    l.Bar.Bottom = l.Bar.Top + g.BarHeight;
    l.Bounds = l.Bar;
    if (g.LabelWidth > 0 && g.LabelHeight > 0) {
        const int gap = std::max(1, g.LabelHeight / 5);
        // Centred on the bar, kept within the image's width when it is wider.
        int left = l.Bar.Left + (g.BarPixels - g.LabelWidth) / 2;
        left = std::max(0, std::min(left, imageWidth - g.LabelWidth));
        const int top = lower ? l.Bar.Top - gap - g.LabelHeight : l.Bar.Bottom + gap;
        l.Label = {left, top, left + g.LabelWidth, top + g.LabelHeight};
        l.Bounds = {std::min(l.Bar.Left, l.Label.Left), std::min(l.Bar.Top, l.Label.Top),
                    std::max(l.Bar.Right, l.Label.Right), std::max(l.Bar.Bottom, l.Label.Bottom)};
    }
    if (g.Box) {
        const int pad = std::max(2, m / 2);
        l.Box = {l.Bounds.Left - pad, l.Bounds.Top - pad, l.Bounds.Right + pad, l.Bounds.Bottom + pad};
        l.Bounds = l.Box;
    }
    auto clip = [&](TRect& r) {
        r = {std::max(r.Left, 0), std::max(r.Top, 0), std::min(r.Right, imageWidth), std::min(r.Bottom, imageHeight)};
    };
    clip(l.Box);
    clip(l.Bounds);
    return l;
}

void DrawScaleBar(TBitmap32& target, TPoint origin, const TScaleBarLayout& layout, TColor32 color,
                  TColor32 boxColor, const TLabelMask* label) {
    auto fill = [&](const TRect& r, TColor32 c) {
        const int x0 = std::max(r.Left - origin.X, 0), x1 = std::min(r.Right - origin.X, target.Width());
        const int y0 = std::max(r.Top - origin.Y, 0), y1 = std::min(r.Bottom - origin.Y, target.Height());
        for (int y = y0; y < y1; ++y) std::fill(target.ScanLine(y) + x0, target.ScanLine(y) + std::max(x0, x1), c);
    };
    if (!layout.Box.IsEmpty()) fill(layout.Box, boxColor | 0xFF000000u);
    fill(layout.Bar, color | 0xFF000000u);
    if (!label || layout.Label.IsEmpty() || label->Coverage.size() < std::size_t(label->Width) * label->Height) return;
    const TColor32 rgb = color & 0x00FFFFFFu;
    for (int y = 0; y < label->Height && y < layout.Label.Height(); ++y) {
        const int ty = layout.Label.Top + y - origin.Y;
        if (ty < 0 || ty >= target.Height()) continue;
        for (int x = 0; x < label->Width && x < layout.Label.Width(); ++x) {
            const int tx = layout.Label.Left + x - origin.X;
            const std::uint32_t a = label->Coverage[std::size_t(y) * label->Width + x];
            if (a == 0 || tx < 0 || tx >= target.Width()) continue;
            const TColor32 f = (a << 24) | rgb;
            TColor32& d = target.ScanLine(ty)[tx];
            d = AlphaComponent(d) == 0 ? f : BlendPixel(f, d, 255);
        }
    }
}

} // namespace ivra
