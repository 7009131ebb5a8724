#include "core/raster/Bitmap32.h"

#include <cstdlib>

#include "core/Error.h"
#include "core/raster/Blend.h"
#include "core/raster/LargeMemory.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace ivra {

TBitmap32::TBitmap32(int width, int height) { SetSize(width, height); }

void TBitmap32::TFreeBits::operator()(TColor32* p) const { std::free(p); }

void TBitmap32::SetSize(int width, int height) {
    if (width < 0) width = 0;
    if (height < 0) height = 0;
    if (width == width_ && height == height_) return;
    const std::uint64_t count = std::uint64_t(width) * std::uint64_t(height);
    if (count > MaxBitmapPixels) throw Error("Can't allocate the DIB handle");
    std::unique_ptr<TColor32[], TFreeBits> bits;
    if (count > 0) {
        // Zeroed memory from the system costs nothing until it is written.
        bits.reset(static_cast<TColor32*>(std::calloc(std::size_t(count), sizeof(TColor32))));
        if (!bits) throw Error("Can't allocate the DIB handle");
        AdviseLargePages(bits.get(), std::size_t(count) * sizeof(TColor32));
    }
    bits_ = std::move(bits);
    width_ = width;
    height_ = height;
    Changed();
    if (OnResize) OnResize();
}

void TBitmap32::Clear(TColor32 color) {
    if (Empty()) return;
    std::fill_n(bits_.get(), PixelCount(), color);
    Changed();
}

void TBitmap32::ResetAlpha() {
    if (Empty()) return;
    TColor32* p = bits_.get();
    const std::size_t n = PixelCount();
    for (std::size_t i = 0; i < n; ++i) p[i] |= 0xFF000000u;
    Changed();
}

void TBitmap32::Assign(const TBitmap32& src) {
    if (&src == this) return;
    BeginUpdate();
    try {
        SetSize(src.width_, src.height_);
        if (!src.Empty()) std::memcpy(bits_.get(), src.bits_.get(), PixelCount() * sizeof(TColor32));
    } catch (...) {
        EndUpdate();
        throw;
    }
    drawMode_ = src.drawMode_;
    masterAlpha_ = src.masterAlpha_;
    outerColor_ = src.outerColor_;
    stretchFilter_ = src.stretchFilter_;
    EndUpdate();
    Changed();
}

void TBitmap32::SwapPixels(TBitmap32& other) {
    const bool resized = width_ != other.width_ || height_ != other.height_;
    std::swap(bits_, other.bits_);
    std::swap(width_, other.width_);
    std::swap(height_, other.height_);
    Changed();
    other.Changed();
    if (resized) {
        if (OnResize) OnResize();
        if (other.OnResize) other.OnResize();
    }
}

void TBitmap32::SetDrawMode(TDrawMode m) {
    if (m == drawMode_) return;
    drawMode_ = m;
    Changed();
}

void TBitmap32::SetMasterAlpha(int a) {
    a = std::clamp(a, 0, 255);
    if (a == masterAlpha_) return;
    masterAlpha_ = std::uint8_t(a);
    Changed();
}

void TBitmap32::SetStretchFilter(TStretchFilter f) {
    if (f == stretchFilter_) return;
    stretchFilter_ = f;
    Changed();
}

void TBitmap32::EndUpdate() {
    if (updateCount_ <= 0) throw Error("Unpaired TThreadPersistent.EndUpdate");
    --updateCount_;
}

void TBitmap32::Changed() {
    if (updateCount_ == 0 && OnChange) OnChange();
}

namespace {

inline TColor32 LerpPixel(TColor32 a, TColor32 b, std::uint32_t w) {
    // w from 0 to 256: the weight of b.
    const std::uint32_t rb = ((a & 0x00FF00FFu) * (256 - w) + (b & 0x00FF00FFu) * w + 0x00800080u) >> 8;
    const std::uint32_t ag =
        (((a >> 8) & 0x00FF00FFu) * (256 - w) + ((b >> 8) & 0x00FF00FFu) * w + 0x00800080u) >> 8;
    return (rb & 0x00FF00FFu) | ((ag & 0x00FF00FFu) << 8);
}

} // namespace

void TBitmap32::DrawTo(TBitmap32& dst, int dstX, int dstY) const {
    if (Empty() || dst.Empty()) return;
    DrawTo(dst, TRect{dstX, dstY, dstX + width_, dstY + height_}, BoundsRect());
}

void TBitmap32::DrawTo(TBitmap32& dst, const TRect& dstRect) const {
    if (Empty() || dst.Empty()) return;
    DrawTo(dst, dstRect, BoundsRect());
}

void TBitmap32::DrawTo(TBitmap32& dst, const TRect& dstRect, const TRect& srcRect) const {
    if (Empty() || dst.Empty()) return;
    DrawTo(dst, dstRect, srcRect, dst.BoundsRect());
}

void TBitmap32::DrawTo(TBitmap32& dst, const TRect& dstRect, const TRect& srcRectIn, const TRect& clip) const {
    if (Empty() || dst.Empty() || dstRect.IsEmpty()) return;
    TRect srcRect = srcRectIn;
    srcRect.Left = std::max(srcRect.Left, 0);
    srcRect.Top = std::max(srcRect.Top, 0);
    srcRect.Right = std::min(srcRect.Right, width_);
    srcRect.Bottom = std::min(srcRect.Bottom, height_);
    if (srcRect.IsEmpty()) return;

    const int x0 = std::max({dstRect.Left, clip.Left, 0}), x1 = std::min({dstRect.Right, clip.Right, dst.width_});
    const int y0 = std::max({dstRect.Top, clip.Top, 0}), y1 = std::min({dstRect.Bottom, clip.Bottom, dst.height_});
    if (x0 >= x1 || y0 >= y1) return;

    const std::int64_t sw = srcRect.Width(), sh = srcRect.Height();
    const std::int64_t dw = dstRect.Width(), dh = dstRect.Height();
    const TDrawMode mode = drawMode_;
    const std::uint32_t master = masterAlpha_;
    if (mode != TDrawMode::dmOpaque && master == 0) return;

    // 1:1 copy: rows straight through.
    if (sw == dw && sh == dh) {
        for (int y = y0; y < y1; ++y) {
            const TColor32* s = ScanLine(int(srcRect.Top + (y - dstRect.Top))) + srcRect.Left + (x0 - dstRect.Left);
            CombineRow(s, dst.ScanLine(y) + x0, x1 - x0, mode, master);
        }
        dst.Changed();
        return;
    }

    const int n = x1 - x0;
    std::vector<TColor32> row(static_cast<std::size_t>(n));
    if (stretchFilter_ == TStretchFilter::sfNearest) {
        // Each destination pixel takes the source pixel under its centre.
        std::vector<int> xs(static_cast<std::size_t>(n));
        for (int i = 0; i < n; ++i) {
            const std::int64_t dx = x0 + i - dstRect.Left;
            xs[std::size_t(i)] = int(srcRect.Left + (2 * dx + 1) * sw / (2 * dw));
        }
        const int* xi = xs.data();
        int sampled = -1; // the source row now in `row`
        for (int y = y0; y < y1; ++y) {
            const std::int64_t dy = y - dstRect.Top;
            const int sy = int(srcRect.Top + (2 * dy + 1) * sh / (2 * dh));
            const TColor32* s = ScanLine(sy);
            TColor32* d = dst.ScanLine(y) + x0;
            if (mode == TDrawMode::dmOpaque) {
                // Straight into the destination.
                for (int i = 0; i < n; ++i) d[i] = s[xi[i]];
                continue;
            }
            // When enlarging, neighbouring rows sample the same source row.
            if (sy != sampled) {
                for (int i = 0; i < n; ++i) row[std::size_t(i)] = s[xi[i]];
                sampled = sy;
            }
            BlendRow(row.data(), d, n, master);
        }
    } else {
        // Bilinear sampling between the four source pixels around the centre
        // of each destination pixel, weights in 1/256, edges clamped.
        struct Tap {
            int i0, i1;
            std::uint32_t w;
        };
        auto taps = [](std::int64_t d, std::int64_t dlen, std::int64_t slen, int sOrigin) {
            // Source coordinate (d + 0.5) * slen / dlen - 0.5, in 1/256 units.
            std::int64_t pos = ((2 * d + 1) * slen * 256) / (2 * dlen) - 128;
            if (pos < 0) pos = 0;
            std::int64_t i = pos >> 8;
            std::uint32_t w = std::uint32_t(pos & 255);
            if (i >= slen - 1) {
                i = slen - 1;
                w = 0;
            }
            return Tap{int(sOrigin + i), int(sOrigin + std::min<std::int64_t>(i + 1, slen - 1)), w};
        };
        std::vector<Tap> xt(static_cast<std::size_t>(n));
        for (int i = 0; i < n; ++i) xt[std::size_t(i)] = taps(x0 + i - dstRect.Left, dw, sw, srcRect.Left);
        // The horizontal step of a source row is the same for every
        // destination row that reads it: the last two are kept.
        std::vector<TColor32> top(static_cast<std::size_t>(n)), bottom(static_cast<std::size_t>(n));
        int topRow = -1, bottomRow = -1;
        auto horizontal = [&](int sy, std::vector<TColor32>& out) {
            const TColor32* r = ScanLine(sy);
            for (int i = 0; i < n; ++i) {
                const Tap& t = xt[std::size_t(i)];
                out[std::size_t(i)] = LerpPixel(r[t.i0], r[t.i1], t.w);
            }
        };
        for (int y = y0; y < y1; ++y) {
            const Tap yt = taps(y - dstRect.Top, dh, sh, srcRect.Top);
            if (topRow != yt.i0) {
                if (bottomRow == yt.i0) {
                    std::swap(top, bottom);
                    std::swap(topRow, bottomRow);
                } else {
                    horizontal(yt.i0, top);
                    topRow = yt.i0;
                }
            }
            if (bottomRow != yt.i1) {
                horizontal(yt.i1, bottom);
                bottomRow = yt.i1;
            }
            for (int i = 0; i < n; ++i)
                row[std::size_t(i)] = LerpPixel(top[std::size_t(i)], bottom[std::size_t(i)], yt.w);
            CombineRow(row.data(), dst.ScanLine(y) + x0, n, mode, master);
        }
    }
    dst.Changed();
}

} // namespace ivra
