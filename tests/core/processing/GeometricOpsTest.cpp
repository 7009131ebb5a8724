#include "core/processing/GeometricOps.h"

#include "TestImages.h"

#include <gtest/gtest.h>

using namespace ivra;
using namespace ivra::test;

namespace {

// The mappings of the definitions, pixel by pixel into a new bitmap.
enum class Op { Mirror, Flip, Half, Right, Left };

std::vector<TColor32> Slow(const TBitmap32& src, Op op, int& outW, int& outH) {
    const int w = src.Width(), h = src.Height();
    const bool turn = op == Op::Right || op == Op::Left;
    outW = turn ? h : w;
    outH = turn ? w : h;
    std::vector<TColor32> out(std::size_t(w) * std::size_t(h));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            int nx = x, ny = y;
            switch (op) {
            case Op::Mirror: nx = w - 1 - x; break;
            case Op::Flip: ny = h - 1 - y; break;
            case Op::Half: nx = w - 1 - x; ny = h - 1 - y; break;
            case Op::Right: nx = h - 1 - y; ny = x; break;
            case Op::Left: nx = y; ny = w - 1 - x; break;
            }
            out[std::size_t(ny) * std::size_t(outW) + std::size_t(nx)] = src.Pixel(x, y);
        }
    return out;
}

void Apply(TBitmap32& bmp, Op op) {
    switch (op) {
    case Op::Mirror: FlipHorz(bmp); break;
    case Op::Flip: FlipVert(bmp); break;
    case Op::Half: Rotate180(bmp); break;
    case Op::Right: Rotate90(bmp); break;
    case Op::Left: Rotate270(bmp); break;
    }
}

} // namespace

TEST(GeometricOps, MatchTheMappingsOnEverySize) {
    struct Size { int w, h; };
    const Size sizes[] = {{1, 1}, {1, 7}, {7, 1}, {2, 2}, {3, 2}, {5, 4}, {33, 65}, {1000, 700}, {257, 1031}};
    for (const TLoopMode& m : LoopModes()) {
        TLoopModeScope scope(m);
        for (const Size& s : sizes)
            for (Op op : {Op::Mirror, Op::Flip, Op::Half, Op::Right, Op::Left}) {
                TBitmap32 bmp;
                FillRandom(bmp, s.w, s.h, std::uint32_t(s.w * 31 + s.h));
                int w, h;
                const auto expected = Slow(bmp, op, w, h);
                Apply(bmp, op);
                ASSERT_EQ(bmp.Width(), w);
                ASSERT_EQ(bmp.Height(), h);
                ASSERT_EQ(Pixels(bmp), expected) << int(op) << " " << s.w << "x" << s.h << " " << m.Name();
            }
    }
}

TEST(GeometricOps, ThreeByTwoExample) {
    // a b c / d e f
    const TColor32 a = 0xFF000001, b = 0xFF000002, c = 0xFF000003, d = 0xFF000004, e = 0xFF000005, f = 0xFF000006;
    TBitmap32 bmp;
    SetPixels(bmp, 3, 2, {a, b, c, d, e, f});
    Rotate90(bmp);
    ASSERT_EQ(bmp.Width(), 2);
    EXPECT_EQ(Pixels(bmp), (std::vector<TColor32>{d, a, e, b, f, c}));
    SetPixels(bmp, 3, 2, {a, b, c, d, e, f});
    Rotate270(bmp);
    ASSERT_EQ(bmp.Width(), 2);
    EXPECT_EQ(Pixels(bmp), (std::vector<TColor32>{c, f, b, e, a, d}));
}

TEST(GeometricOps, InversePairsRestoreAndPropertiesStay) {
    const std::pair<Op, Op> pairs[] = {
        {Op::Mirror, Op::Mirror}, {Op::Flip, Op::Flip}, {Op::Half, Op::Half}, {Op::Right, Op::Left}, {Op::Left, Op::Right}};
    for (const auto& [first, second] : pairs) {
        TBitmap32 bmp;
        FillRandom(bmp, 37, 12, 5);
        bmp.SetDrawMode(TDrawMode::dmBlend);
        bmp.SetMasterAlpha(99);
        bmp.SetOuterColor(0x12345678);
        bmp.SetStretchFilter(TStretchFilter::sfLinear);
        const auto original = Pixels(bmp);
        int changes = 0, resizes = 0;
        bmp.OnChange = [&] { ++changes; };
        bmp.OnResize = [&] { ++resizes; };
        Apply(bmp, first);
        Apply(bmp, second);
        EXPECT_EQ(Pixels(bmp), original);
        EXPECT_EQ(bmp.Width(), 37);
        EXPECT_GE(changes, 2);
        EXPECT_EQ(resizes, first == Op::Right || first == Op::Left ? 2 : 0);
        EXPECT_EQ(bmp.DrawMode(), TDrawMode::dmBlend);
        EXPECT_EQ(bmp.MasterAlpha(), 99);
        EXPECT_EQ(bmp.OuterColor(), 0x12345678u);
        EXPECT_EQ(bmp.StretchFilter(), TStretchFilter::sfLinear);
    }
}

// The quarter turns written apart equal the in-place ones and keep the source.
TEST(QuarterTurns, WrittenApartEqualsInPlace) {
    TBitmap32 src;
    FillRandom(src, 31, 17, 3);
    const auto original = Pixels(src);
    for (bool clockwise : {true, false}) {
        TBitmap32 expected, result;
        expected.Assign(src);
        clockwise ? Rotate90(expected) : Rotate270(expected);
        clockwise ? Rotate90(src, result) : Rotate270(src, result);
        EXPECT_EQ(result.Width(), 17);
        EXPECT_EQ(Pixels(result), Pixels(expected));
        EXPECT_EQ(Pixels(src), original);
    }
}
