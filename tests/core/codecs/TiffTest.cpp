// The TIFF reader: files of outside writers with figures computed by an
// independent reader (tests/data/tiff/README.md), files written here with
// libtiff in every kind and compression the reader serves, and the kinds it
// refuses. Also the 16-bit PNG samples and the resolution files state.

#include "core/Error.h"
#include "core/analysis/DeepAnalysis.h"
#include "core/codecs/ImageFiles.h"
#include "core/measure/StatedCalibration.h"

#include "CodecTestUtil.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include <tiffio.h>

using namespace ivra;
using ivra::test::TempDir;

namespace {

std::string TiffData(const std::string& name) { return std::string(IVRA_TEST_DATA_DIR) + "/tiff/" + name; }

// ---- Outside writers ------------------------------------------------------

struct TFigures {
    TAnalysisChannel channel;
    double mean;
    std::uint32_t median;
    int min, max;
    double variance;
};

struct TOutsideFile {
    const char* name;
    int bits;
    int pages;
    std::vector<TFigures> figures;
};

constexpr auto R = TAnalysisChannel::Red, G = TAnalysisChannel::Green, B = TAnalysisChannel::Blue,
               Y = TAnalysisChannel::Gray;

const std::vector<TFigures> Gray16 = {{Y, 1101.2335, 876, 192, 4095, 455037.4059}};
const std::vector<TFigures> Rgb16 = {{R, 17619.4334, 14023, 3278, 65535, 116506435.0743},
                                     {G, 52320.1980, 55023, 16395, 63231, 65525386.4505},
                                     {B, 32173.4995, 29072, 20000, 65535, 116334162.9789}};

class OutsideFile : public ::testing::TestWithParam<TOutsideFile> {};

TEST_P(OutsideFile, GivesTheIndependentFigures) {
    const TOutsideFile& f = GetParam();
    TBitmap32 bmp;
    TImageFileDetails details;
    LoadImageFile(TiffData(f.name), bmp, &details);
    ASSERT_EQ(bmp.Width(), 256);
    ASSERT_EQ(bmp.Height(), 192);
    EXPECT_EQ(details.Pages, f.pages);
    EXPECT_EQ(details.BitsPerSample, f.bits);
    EXPECT_EQ(details.Samples.Empty(), f.bits != 16);
    // 16-bit files are measured on their samples, 8-bit ones on the bitmap
    // (whose 256-level tables the 16-bit statistics serve as well).
    TDeepHistograms deep;
    TChannelHistograms eight;
    if (f.bits == 16)
        AnalyseSamples(details.Samples, f.name, deep);
    else
        AnalyseImage(bmp, f.name, eight);
    for (const TFigures& x : f.figures) {
        const auto counts = f.bits == 16 ? DeepChannelCounts(deep, x.channel) : ChannelCounts(eight, x.channel);
        const TChannelStats s = ComputeDeepChannelStats(counts, 256 * 192);
        SCOPED_TRACE(AnalysisChannelName(x.channel));
        EXPECT_EQ(s.n, 49152u);
        EXPECT_NEAR(s.Mean, x.mean, 5e-5);
        EXPECT_EQ(s.Median, x.median);
        EXPECT_EQ(s.Min, x.min);
        EXPECT_EQ(s.Max, x.max);
        EXPECT_NEAR(s.Var, x.variance, 5e-5);
    }
    if (f.bits == 16) {
        // The bitmap is the samples scaled to 8 bits.
        const TSamples16& s = details.Samples;
        for (int y = 0; y < 192; y += 37)
            for (int x = 0; x < 256; x += 41)
                EXPECT_EQ(RedComponent(bmp.Pixel(x, y)), Scale16To8(s.At(x, y, 0)));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Tiff, OutsideFile,
    ::testing::Values(
        TOutsideFile{"magick-gray16-lzw.tif", 16, 1, Gray16}, TOutsideFile{"magick-rgb16-tiled-zip.tif", 16, 1, Rgb16},
        TOutsideFile{"vips-rgb16-deflate-tiles.tif", 16, 1, Rgb16},
        TOutsideFile{"magick-gray8-packbits-res.tif", 8, 1, {{Y, 68.0607, 54, 11, 254, 1763.6129}}},
        TOutsideFile{"magick-rgb8-lzw-3pages.tif",
                     8,
                     3,
                     {{R, 68.0599, 54, 12, 255, 1763.9508},
                      {G, 203.0826, 214, 63, 246, 992.2341},
                      {B, 124.6900, 113, 77, 255, 1761.8854}}},
        TOutsideFile{"tifffile-gray16-imagej-res.tif", 16, 1, Gray16},
        TOutsideFile{"magick-gray16-phys.png", 16, 1, Gray16}),
    [](const ::testing::TestParamInfo<TOutsideFile>& info) {
        std::string n = info.param.name;
        for (char& c : n)
            if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
        return n;
    });

TEST(StatedResolution, OfOutsideFiles) {
    struct TCase {
        const char* name;
        TResolutionUnit unit;
        double perUnit;
        double factor;  // 0: no calibration
        const char* calibrationUnit;
    };
    const TCase cases[] = {
        {"magick-gray8-packbits-res.tif", TResolutionUnit::Centimetre, 20000, 0.5, "\xC2\xB5m"},
        {"vips-rgb16-deflate-tiles.tif", TResolutionUnit::Centimetre, 10, 1, "mm"},
        {"magick-gray16-phys.png", TResolutionUnit::Metre, 3076923, 0.325, "\xC2\xB5m"},
        {"tifffile-gray16-imagej-res.tif", TResolutionUnit::None, 3.07692, 0, ""},
        {"magick-gray16-lzw.tif", TResolutionUnit::None, 1, 0, ""},  // 1 pixel per no unit
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.name);
        TBitmap32 bmp;
        TImageFileDetails d;
        LoadImageFile(TiffData(c.name), bmp, &d);
        EXPECT_EQ(d.Resolution.Unit, c.unit);
        EXPECT_NEAR(d.Resolution.X, c.perUnit, 1e-3);
        const auto cal = CalibrationFromResolution(d.Resolution);
        ASSERT_EQ(cal.has_value(), c.factor != 0);
        if (cal) {
            EXPECT_NEAR(cal->Factor, c.factor, 1e-6);
            EXPECT_EQ(cal->Unit, c.calibrationUnit);
        }
    }
}

TEST(StatedResolution, UnitsAndText) {
    EXPECT_NEAR(CalibrationFromResolution({72, 72, TResolutionUnit::Inch})->Factor, 352.7778, 1e-4);
    EXPECT_EQ(CalibrationFromResolution({0.5, 0.5, TResolutionUnit::Metre})->Unit, "m");
    EXPECT_FALSE(CalibrationFromResolution({0, 0, TResolutionUnit::Inch}));
    EXPECT_EQ(ResolutionText({20000, 20000, TResolutionUnit::Centimetre}),
              "20000 pixels per centimetre (0.5 \xC2\xB5m per pixel)");
    EXPECT_EQ(ResolutionText({300, 150, TResolutionUnit::None}), "300 pixels per unit (no unit) across, 150 down");
    EXPECT_EQ(ResolutionText({}), "none");
}

// ---- Files written here ----------------------------------------------------

struct TMadeTiff {
    int bits = 8;
    int spp = 1;  // 1 gray, 3 RGB, 4 RGBA, 2 gray + alpha
    std::uint16_t compression = COMPRESSION_NONE;
    bool tiled = false;
    int photometric = -1;  // -1: gray or RGB by spp
    std::uint16_t planar = PLANARCONFIG_CONTIG;
    std::uint16_t format = SAMPLEFORMAT_UINT;
    int pages = 1;
};

constexpr int W = 37, H = 29;  // not a multiple of strips or tiles

// The sample of channel c of pixel (x, y) in the pattern of the made files.
std::uint32_t PatternSample(int x, int y, int c, int bits) {
    const std::uint32_t v = std::uint32_t(x * 1777 + y * 913 + c * 20011);
    return bits == 16 ? v & 0xFFFF : v & 0xFF;
}

void WriteTiff(const std::string& path, const TMadeTiff& m) {
    TIFF* tif = TIFFOpen(path.c_str(), "w");
    ASSERT_NE(tif, nullptr);
    for (int page = 0; page < m.pages; ++page) {
        const std::uint16_t photometric = m.photometric >= 0 ? std::uint16_t(m.photometric)
                                          : m.spp >= 3       ? PHOTOMETRIC_RGB
                                                             : PHOTOMETRIC_MINISBLACK;
        TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, W);
        TIFFSetField(tif, TIFFTAG_IMAGELENGTH, H);
        TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, m.bits);
        TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, m.spp);
        TIFFSetField(tif, TIFFTAG_SAMPLEFORMAT, m.format);
        TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, photometric);
        TIFFSetField(tif, TIFFTAG_PLANARCONFIG, m.planar);
        TIFFSetField(tif, TIFFTAG_COMPRESSION, m.compression);
        if (m.spp == 2 || m.spp == 4) {
            const std::uint16_t extra = EXTRASAMPLE_UNASSALPHA;
            TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, &extra);
        }
        if (m.pages > 1) TIFFSetField(tif, TIFFTAG_SUBFILETYPE, FILETYPE_PAGE);
        std::vector<std::uint16_t> map[3];
        if (photometric == PHOTOMETRIC_PALETTE) {
            for (int c = 0; c < 3; ++c) {
                map[c].resize(std::size_t(1) << m.bits);
                for (std::size_t i = 0; i < map[c].size(); ++i) map[c][i] = std::uint16_t((i * 257 * (c + 1)) & 0xFFFF);
            }
            TIFFSetField(tif, TIFFTAG_COLORMAP, map[0].data(), map[1].data(), map[2].data());
        }
        // Bytes of one sample (32-bit kinds are only written to be refused).
        const int bytesPer = std::max(1, m.bits / 8);
        const int planes = m.planar == PLANARCONFIG_SEPARATE ? m.spp : 1;
        const int perPixel = planes == 1 ? m.spp : 1;
        // Rows of one plane (planar) or of all samples, page p inverted.
        auto fillRow = [&](int y, int plane, std::vector<std::uint8_t>& row) {
            row.assign(std::size_t(W) * perPixel * bytesPer, 0);
            for (int x = 0; x < W; ++x)
                for (int s = 0; s < perPixel; ++s) {
                    std::uint32_t v = PatternSample(x, y, planes == 1 ? s : plane, m.bits);
                    if (page > 0) v = (m.bits == 16 ? 0xFFFF : 0xFF) - v;
                    const std::size_t i = std::size_t(x * perPixel + s);
                    if (bytesPer == 2)
                        reinterpret_cast<std::uint16_t*>(row.data())[i] = std::uint16_t(v);
                    else
                        row[i] = std::uint8_t(v);
                }
        };
        if (m.bits < 8) {
            // Palette or gray of fewer bits: one index per pixel, packed.
            TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 5);
            std::vector<std::uint8_t> packed(std::size_t((W * m.bits + 7) / 8));
            for (int y = 0; y < H; ++y) {
                std::fill(packed.begin(), packed.end(), 0);
                for (int x = 0; x < W; ++x) {
                    const unsigned v = PatternSample(x, y, 0, 8) & ((1u << m.bits) - 1);
                    const int bit = x * m.bits;
                    packed[std::size_t(bit / 8)] |= std::uint8_t(v << (8 - m.bits - bit % 8));
                }
                ASSERT_EQ(TIFFWriteScanline(tif, packed.data(), std::uint32_t(y), 0), 1);
            }
        } else if (m.tiled) {
            TIFFSetField(tif, TIFFTAG_TILEWIDTH, 16);
            TIFFSetField(tif, TIFFTAG_TILELENGTH, 16);
            const std::size_t rowBytes = std::size_t(16) * perPixel * bytesPer;
            std::vector<std::uint8_t> tile(rowBytes * 16), row;
            for (int plane = 0; plane < planes; ++plane)
                for (int ty = 0; ty < H; ty += 16)
                    for (int tx = 0; tx < W; tx += 16) {
                        std::fill(tile.begin(), tile.end(), 0);
                        for (int y = ty; y < std::min(H, ty + 16); ++y) {
                            fillRow(y, plane, row);
                            const std::size_t from = std::size_t(tx) * perPixel * bytesPer;
                            const std::size_t n = std::min<std::size_t>(rowBytes, row.size() - from);
                            std::copy_n(row.data() + from, n, tile.data() + std::size_t(y - ty) * rowBytes);
                        }
                        ASSERT_GE(TIFFWriteTile(tif, tile.data(), std::uint32_t(tx), std::uint32_t(ty), 0,
                                                std::uint16_t(plane)),
                                  0);
                    }
        } else {
            TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 5);
            std::vector<std::uint8_t> row;
            for (int plane = 0; plane < planes; ++plane)
                for (int y = 0; y < H; ++y) {
                    fillRow(y, plane, row);
                    ASSERT_EQ(TIFFWriteScanline(tif, row.data(), std::uint32_t(y), std::uint16_t(plane)), 1);
                }
        }
        ASSERT_EQ(TIFFWriteDirectory(tif), 1);
    }
    TIFFClose(tif);
}

struct TMadeCase {
    std::string name;
    TMadeTiff tiff;
};

std::vector<TMadeCase> MadeCases() {
    std::vector<TMadeCase> cases;
    const std::pair<const char*, std::uint16_t> compressions[] = {{"none", COMPRESSION_NONE},
                                                                  {"lzw", COMPRESSION_LZW},
                                                                  {"deflate", COMPRESSION_ADOBE_DEFLATE},
                                                                  {"packbits", COMPRESSION_PACKBITS}};
    for (int bits : {8, 16})
        for (int spp : {1, 2, 3, 4})
            for (const auto& [cname, compression] : compressions)
                for (bool tiled : {false, true}) {
                    TMadeTiff m;
                    m.bits = bits;
                    m.spp = spp;
                    m.compression = compression;
                    m.tiled = tiled;
                    cases.push_back({std::to_string(bits) + "bit_spp" + std::to_string(spp) + "_" + cname +
                                         (tiled ? "_tiles" : "_strips"),
                                     m});
                }
    return cases;
}

// The colour the reader must give pixel (x, y) of a made file.
TColor32 Expected(const TMadeTiff& m, int x, int y) {
    auto s = [&](int c) {
        const std::uint32_t v = PatternSample(x, y, c, m.bits);
        return m.bits == 16 ? Scale16To8(std::uint16_t(v)) : std::uint8_t(v);
    };
    const bool rgb = m.spp >= 3;
    const std::uint8_t alpha = (m.spp == 2 || m.spp == 4) ? s(rgb ? 3 : 1) : 255;
    return rgb ? Color32(s(0), s(1), s(2), alpha) : Color32(s(0), s(0), s(0), alpha);
}

class MadeTiff : public ::testing::TestWithParam<TMadeCase> {};

TEST_P(MadeTiff, ReadsEveryPixelAndSample) {
    const TMadeTiff& m = GetParam().tiff;
    TempDir dir;
    const std::string path = dir / "made.tif";
    WriteTiff(path, m);
    TBitmap32 bmp;
    TImageFileDetails d;
    ASSERT_EQ(LoadImageFile(path, bmp, &d), TImageFormat::Tiff);
    ASSERT_EQ(bmp.Width(), W);
    ASSERT_EQ(bmp.Height(), H);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) ASSERT_EQ(bmp.Pixel(x, y), Expected(m, x, y)) << x << "," << y;
    if (m.bits != 16) {
        EXPECT_TRUE(d.Samples.Empty());
        return;
    }
    const int colours = m.spp >= 3 ? 3 : 1;
    ASSERT_EQ(d.Samples.Channels, colours);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x)
            for (int c = 0; c < colours; ++c) ASSERT_EQ(d.Samples.At(x, y, c), PatternSample(x, y, c, 16));
}

INSTANTIATE_TEST_SUITE_P(Kinds, MadeTiff, ::testing::ValuesIn(MadeCases()),
                         [](const ::testing::TestParamInfo<TMadeCase>& info) { return info.param.name; });

TEST(TiffReader, PalettesLowDepthsPagesAndPlanes) {
    TempDir dir;
    const std::string path = dir / "kind.tif";
    TBitmap32 bmp;
    TImageFileDetails d;
    for (int bits : {1, 4, 8}) {
        SCOPED_TRACE(bits);
        TMadeTiff m;
        m.bits = bits;
        m.photometric = PHOTOMETRIC_PALETTE;
        WriteTiff(path, m);
        LoadImageFile(path, bmp, &d);
        const unsigned v = PatternSample(3, 2, 0, 8) & ((1u << bits) - 1);
        EXPECT_EQ(bmp.Pixel(3, 2), Color32(std::uint8_t((v * 257) >> 8), std::uint8_t(((v * 514) & 0xFFFF) >> 8),
                                           std::uint8_t(((v * 771) & 0xFFFF) >> 8)));
        m.photometric = PHOTOMETRIC_MINISWHITE;
        WriteTiff(path, m);
        LoadImageFile(path, bmp, &d);
        const unsigned maxLevel = (1u << bits) - 1;
        EXPECT_EQ(RedComponent(bmp.Pixel(3, 2)), 255 - v * 255 / maxLevel);
    }
    // The first page of three; the page count.
    TMadeTiff pages;
    pages.pages = 3;
    WriteTiff(path, pages);
    LoadImageFile(path, bmp, &d);
    EXPECT_EQ(d.Pages, 3);
    EXPECT_EQ(bmp.Pixel(5, 6), Expected(pages, 5, 6));
    // 8-bit separate planes go through libtiff's RGBA reader.
    TMadeTiff planes;
    planes.spp = 3;
    planes.planar = PLANARCONFIG_SEPARATE;
    WriteTiff(path, planes);
    LoadImageFile(path, bmp, &d);
    EXPECT_EQ(bmp.Pixel(7, 8), Expected(planes, 7, 8));
}

TEST(TiffReader, RowsStoredFromTheBottomOrRightAreTurned) {
    TempDir dir;
    const std::string path = dir / "oriented.tif";
    TMadeTiff m;
    m.bits = 16;
    m.spp = 3;
    WriteTiff(path, m);
    struct TCase {
        std::uint16_t orientation;
        bool across, down;
    };
    for (const TCase c : {TCase{ORIENTATION_TOPRIGHT, true, false}, TCase{ORIENTATION_BOTLEFT, false, true},
                          TCase{ORIENTATION_BOTRIGHT, true, true}}) {
        SCOPED_TRACE(c.orientation);
        test::Bytes bytes = test::Slurp(path);
        // The made file states no orientation; libtiff adds it here.
        TIFF* tif = TIFFOpen(path.c_str(), "r+");
        ASSERT_NE(tif, nullptr);
        TIFFSetField(tif, TIFFTAG_ORIENTATION, c.orientation);
        TIFFRewriteDirectory(tif);
        TIFFClose(tif);
        TBitmap32 bmp;
        TImageFileDetails d;
        LoadImageFile(path, bmp, &d);
        const int x = c.across ? W - 1 - 4 : 4, y = c.down ? H - 1 - 3 : 3;
        EXPECT_EQ(bmp.Pixel(x, y), Expected(m, 4, 3));
        EXPECT_EQ(d.Samples.At(x, y, 2), PatternSample(4, 3, 2, 16));
        test::Spit(path, bytes);
    }
}

TEST(TiffReader, RefusesKindsItCannotMeasure) {
    struct TCase {
        const char* what;
        TMadeTiff tiff;
        const char* reason;
    };
    TMadeTiff floats;
    floats.bits = 32;
    floats.format = SAMPLEFORMAT_IEEEFP;
    TMadeTiff wide;
    wide.bits = 32;
    TMadeTiff deepPlanes;
    deepPlanes.bits = 16;
    deepPlanes.spp = 3;
    deepPlanes.planar = PLANARCONFIG_SEPARATE;
    TMadeTiff signedSamples;
    signedSamples.bits = 16;
    signedSamples.format = SAMPLEFORMAT_INT;
    const TCase cases[] = {{"float", floats, "32-bit floating-point"},
                           {"32-bit", wide, "32-bit photometric"},
                           {"16-bit planes", deepPlanes, "16-bit planar separate"},
                           {"signed", signedSamples, "16-bit signed"}};
    TempDir dir;
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = dir / "refused.tif";
        WriteTiff(path, c.tiff);
        TBitmap32 bmp;
        try {
            LoadImageFile(path, bmp);
            ADD_FAILURE() << "accepted";
        } catch (const Error& e) {
            const std::string what = e.what();
            EXPECT_NE(what.find("unsupported TIFF image"), std::string::npos) << what;
            EXPECT_NE(what.find(c.reason), std::string::npos) << what;
            EXPECT_NE(what.find(path), std::string::npos) << what;
        }
        EXPECT_TRUE(bmp.Empty());
    }
}

// Sets the value of a one-value tag in the first directory of a
// little-endian TIFF file.
void PatchTag(test::Bytes& file, std::uint16_t tag, std::uint32_t value) {
    auto le16 = [&](std::size_t i) { return std::uint32_t(file[i] | file[i + 1] << 8); };
    const std::size_t ifd = le16(4) | le16(6) << 16;
    for (std::size_t e = 0; e < le16(ifd); ++e) {
        const std::size_t at = ifd + 2 + e * 12;
        if (le16(at) != tag) continue;
        const bool isShort = le16(at + 2) == TIFF_SHORT;
        file[at + 8] = std::uint8_t(value);
        file[at + 9] = std::uint8_t(value >> 8);
        if (!isShort) {
            file[at + 10] = std::uint8_t(value >> 16);
            file[at + 11] = std::uint8_t(value >> 24);
        }
        return;
    }
    ADD_FAILURE() << "no tag " << tag;
}

TEST(TiffReader, StatedSizeThatDisagreesWithTheDataIsAnError) {
    TempDir dir;
    const std::string path = dir / "short.tif";
    for (std::uint16_t compression : {COMPRESSION_NONE, COMPRESSION_LZW, COMPRESSION_ADOBE_DEFLATE}) {
        for (bool tiled : {false, true}) {
            SCOPED_TRACE(compression * 10 + tiled);
            TMadeTiff m;
            m.bits = 16;
            m.compression = compression;
            m.tiled = tiled;
            WriteTiff(path, m);
            // More rows than the strips or tiles hold; compressed strips
            // that claim more rows than their data has. (libtiff itself
            // re-counts an uncompressed strip's bytes from the image size,
            // which then reads the same rows as before.)
            for (const auto& [tag, value] : {std::pair<std::uint16_t, std::uint32_t>{TIFFTAG_IMAGELENGTH, H + 40},
                                             {TIFFTAG_ROWSPERSTRIP, 50}, {TIFFTAG_TILELENGTH, 64}}) {
                if ((tag == TIFFTAG_ROWSPERSTRIP && (tiled || compression == COMPRESSION_NONE)) ||
                    (tag == TIFFTAG_TILELENGTH && !tiled))
                    continue;
                test::Bytes bytes = test::Slurp(path);
                PatchTag(bytes, tag, value);
                TBitmap32 bmp;
                EXPECT_THROW(DecodeImage(bytes.data(), bytes.size(), "short.tif", bmp), Error) << tag;
                EXPECT_TRUE(bmp.Empty());
                // The same read from the file.
                const std::string patched = dir / "patched.tif";
                test::Spit(patched, bytes);
                EXPECT_THROW(LoadImageFile(patched, bmp), Error) << tag;
                EXPECT_TRUE(bmp.Empty());
            }
        }
    }
}

TEST(TiffReader, FileCutShortIsAnError) {
    TempDir dir;
    const std::string path = dir / "cut.tif";
    TMadeTiff m;
    m.bits = 16;
    m.spp = 3;
    WriteTiff(path, m);
    // The strip offsets (a list after the directory) are moved past the
    // end of the file, as if the file had been cut short.
    test::Bytes bytes = test::Slurp(path);
    PatchTag(bytes, TIFFTAG_STRIPOFFSETS, std::uint32_t(bytes.size()) + 1000);
    test::Spit(path, bytes);
    TBitmap32 bmp;
    EXPECT_THROW(LoadImageFile(path, bmp), Error);
    EXPECT_TRUE(bmp.Empty());
}

// ---- 16-bit PNG ------------------------------------------------------------

TEST(Png16, KeepsTheColourSamplesOfEveryKind) {
    struct TCase {
        int colorType;
        bool interlace;
        bool trns;
    };
    const TCase cases[] = {{0, false, false}, {0, true, false}, {4, false, false}, {2, false, false},
                           {2, true, false},  {6, false, false}, {2, false, true}};
    const int w = 11, h = 9;
    auto sample = [](int x, int y, int c) { return (x * 5003 + y * 1999 + c * 17011) & 0xFFFF; };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.colorType * 10 + c.interlace + (c.trns ? 100 : 0));
        test::Bytes trns;
        if (c.trns)
            for (int k = 0; k < 3; ++k) {  // the colour of pixel (0, 0) is transparent
                trns.push_back(std::uint8_t(sample(0, 0, k) >> 8));
                trns.push_back(std::uint8_t(sample(0, 0, k)));
            }
        const test::Bytes png = test::MakePng(w, h, 16, c.colorType, c.interlace, sample, {}, trns);
        TBitmap32 bmp;
        TImageFileDetails d;
        DecodeImage(png.data(), png.size(), "deep.png", bmp, TImageFormat::Png, &d);
        const int colours = c.colorType == 2 || c.colorType == 6 ? 3 : 1;
        const bool alpha = c.colorType == 4 || c.colorType == 6;
        ASSERT_EQ(d.Samples.Channels, colours);
        EXPECT_EQ(d.BitsPerSample, 16);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                for (int k = 0; k < colours; ++k) ASSERT_EQ(d.Samples.At(x, y, k), sample(x, y, k));
                auto at = [&](int k) { return Scale16To8(std::uint16_t(sample(x, y, colours == 3 ? k : 0))); };
                const std::uint8_t a = alpha ? Scale16To8(std::uint16_t(sample(x, y, colours)))
                                       : (c.trns && x == 0 && y == 0) ? 0 : 255;
                ASSERT_EQ(bmp.Pixel(x, y), Color32(at(0), at(1), at(2), a)) << x << "," << y;
            }
    }
    // 8-bit files keep no samples.
    const test::Bytes eight = test::MakePng(4, 4, 8, 2, false, [](int x, int, int) { return x; });
    TBitmap32 bmp;
    TImageFileDetails d;
    DecodeImage(eight.data(), eight.size(), "eight.png", bmp, TImageFormat::Png, &d);
    EXPECT_TRUE(d.Samples.Empty());
    EXPECT_EQ(d.BitsPerSample, 8);
}

} // namespace
