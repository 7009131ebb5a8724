// The analysis of 16-bit samples: counts, statistics against references in
// long double and from numpy, regions, frequency tables, profiles.

#include "core/analysis/DeepAnalysis.h"
#include "core/analysis/FrequencyTable.h"
#include "core/analysis/PixelProfile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

using namespace ivra;

namespace {

// Skewed 16-bit samples from a fixed generator (the numpy figures below were
// computed from the same sequence: x = x * 1103515245 + 12345 mod 2^31,
// u = (x >> 8) & 0xFFFF, sample = u * u >> 16).
std::vector<std::uint16_t> SkewedSamples(std::size_t n) {
    std::vector<std::uint16_t> v(n);
    std::uint64_t x = 12345;
    for (auto& s : v) {
        x = (x * 1103515245 + 12345) % (std::uint64_t(1) << 31);
        const std::uint64_t u = (x >> 8) & 0xFFFF;
        s = std::uint16_t((u * u) >> 16);
    }
    return v;
}

TSamples16 Samples(int w, int h, int channels, const std::vector<std::uint16_t>& values) {
    TSamples16 s;
    s.Width = w;
    s.Height = h;
    s.Channels = channels;
    s.Values.assign(values.begin(), values.end());
    return s;
}

struct TReference {
    long double mean, var, skew, kurtosis;
    std::uint16_t median, min, max;
};

// Straight from the samples, in long double; the median by sorting.
TReference Reference(std::vector<std::uint16_t> v) {
    const long double n = v.size();
    long double sum = 0;
    for (auto s : v) sum += s;
    const long double mean = sum / n;
    long double m2 = 0, m3 = 0, m4 = 0;
    for (auto s : v) {
        const long double e = s - mean;
        m2 += e * e;
        m3 += e * e * e;
        m4 += e * e * e * e;
    }
    m2 /= n;
    m3 /= n;
    m4 /= n;
    std::sort(v.begin(), v.end());
    const std::size_t k = std::max<std::size_t>(v.size() / 2, 1);
    return {mean, m2, m3 / std::pow(m2, 1.5L), m4 / (m2 * m2), v[k - 1], v.front(), v.back()};
}

} // namespace

TEST(DeepStats, AgreeWithLongDoubleAndNumpy) {
    const auto values = SkewedSamples(100000);
    TDeepHistograms h;
    AnalyseSamples(Samples(400, 250, 1, values), "skew.tif", h);
    const TChannelStats s = ComputeDeepChannelStats(DeepChannelCounts(h, TAnalysisChannel::Gray), h.PixelCount);
    const TReference r = Reference(values);
    EXPECT_EQ(s.n, 100000u);
    EXPECT_EQ(s.Median, r.median);
    EXPECT_EQ(s.Min, r.min);
    EXPECT_EQ(s.Max, r.max);
    EXPECT_EQ(s.Range, r.max - r.min);
    EXPECT_NEAR(s.Mean, double(r.mean), 1e-9);
    EXPECT_NEAR(s.Var / double(r.var), 1.0, 1e-12);
    EXPECT_NEAR(s.Skew, double(r.skew), 1e-10);
    EXPECT_NEAR(s.Kurtosis, double(r.kurtosis), 1e-10);
    EXPECT_NEAR(s.StErr, std::sqrt(double(r.var)) / std::sqrt(100000.0), 1e-9);
    EXPECT_NEAR(s.CoefVar, std::sqrt(double(r.var)) / double(r.mean) * 100, 1e-9);
    // numpy 1.24 in double precision on the same samples: mean, population
    // variance, m3 / m2^1.5 and m4 / m2^2; the median and extremes.
    EXPECT_NEAR(s.Mean, 21832.92029, 1e-9);
    EXPECT_NEAR(s.Var, 381070304.6182963, 1e-5);
    EXPECT_NEAR(s.Skew, 0.6394196743598971, 1e-12);
    EXPECT_NEAR(s.Kurtosis, 2.143366431510507, 1e-12);
    EXPECT_EQ(s.Median, 16330u);
    EXPECT_EQ(s.Max, 65534);
}

TEST(DeepStats, SumsStayExactForHundredsOfMegapixels) {
    std::vector<std::uint32_t> c(DeepLevelCount, 0);
    const std::int64_t n = std::int64_t(1) << 28;
    c[65535] = std::uint32_t(n - 3);
    c[1] = 3;
    const TChannelStats s = ComputeDeepChannelStats(c, n);
    // In single precision the sum 65535 (2^28 - 3) + 3 is off by thousands.
    EXPECT_EQ(s.Mean, (65535.0 * double(n - 3) + 3.0) / double(n));
    EXPECT_EQ(s.Median, 65535u);
    EXPECT_EQ(s.Min, 1);
}

TEST(DeepStats, EdgeCasesFollowTheEightBitRules) {
    std::vector<std::uint32_t> c(DeepLevelCount, 0);
    EXPECT_EQ(ComputeDeepChannelStats(c, 0).n, 0u);
    c[40000] = 1;
    const TChannelStats one = ComputeDeepChannelStats(c, 1);
    EXPECT_EQ(one.Median, 40000u);
    EXPECT_EQ(one.Var, 0.0);
    EXPECT_EQ(one.Skew, 0.0);
    c[40000] = 0;
    c[0] = 5;
    EXPECT_EQ(ComputeDeepChannelStats(c, 5).CoefVar, 0.0);
    // 50 at 0 and 50 at 100: the two-level example of the 8-bit rows.
    c[0] = 50;
    c[100] = 50;
    const TChannelStats two = ComputeDeepChannelStats(c, 100);
    EXPECT_EQ(two.Median, 0u);
    EXPECT_EQ(two.Kurtosis, 1.0);
    EXPECT_EQ(two.Skew, 0.0);
    EXPECT_EQ(two.StErr, 5.0);
}

TEST(DeepAnalysis, CountsChannelsAndGray) {
    // Two RGB pixels and a large image counted in bands on threads.
    TDeepHistograms h;
    AnalyseSamples(Samples(2, 1, 3, {1000, 2000, 3000, 65535, 65535, 65535}), "rgb.png", h);
    EXPECT_EQ(h.PixelCount, 2);
    EXPECT_EQ(h.Red[1000], 1u);
    EXPECT_EQ(h.Green[2000], 1u);
    EXPECT_EQ(h.Blue[3000], 1u);
    EXPECT_EQ(h.Gray[(61 * 1000 + 174 * 2000 + 21 * 3000) >> 8], 1u);
    EXPECT_EQ(h.Gray[65535], 1u);

    const auto values = SkewedSamples(3000 * 1000);
    AnalyseSamples(Samples(1000, 1000, 3, values), "big.tif", h);
    std::vector<std::uint32_t> expected(DeepLevelCount, 0);
    for (std::size_t i = 1; i < values.size(); i += 3) ++expected[values[i]];
    EXPECT_EQ(h.Green, expected);
    // Gray samples count the same in every table.
    AnalyseSamples(Samples(3, 1, 1, {7, 7, 9}), "g.tif", h);
    EXPECT_EQ(h.Red, h.Gray);
    EXPECT_EQ(h.Blue[7], 2u);
}

TEST(DeepAnalysis, RegionCountsTheRegionsPixels) {
    std::vector<std::uint16_t> v(20 * 10);
    for (std::size_t i = 0; i < v.size(); ++i) v[i] = std::uint16_t(i * 300);
    const TSamples16 s = Samples(20, 10, 1, v);
    TRegionShape rect;
    rect.Kind = TRegionShape::TKind::Rectangle;
    rect.Points = {{2, 3}, {7, 5}};
    TDeepHistograms h;
    AnalyseSamplesRegion(s, rect, "r", h);
    EXPECT_EQ(h.PixelCount, RegionPixelCount(rect, 20, 10));
    std::vector<std::uint32_t> expected(DeepLevelCount, 0);
    for (int y = 3; y < 5; ++y)
        for (int x = 2; x < 7; ++x) ++expected[s.At(x, y, 0)];
    EXPECT_EQ(h.Gray, expected);
    TRegionShape outside = rect;
    outside.Points = {{30, 30}, {40, 40}};
    AnalyseSamplesRegion(s, outside, "r", h);
    EXPECT_EQ(h.PixelCount, 0);
}

TEST(DeepAnalysis, RowsAndFrequencyTable) {
    TDeepHistograms h;
    AnalyseSamples(Samples(4, 1, 1, {0, 4095, 4096, 65535}), "/d/a.tif", h);
    const auto rows = DeepStatsRows(h, TChannelSet::Gray, 2, '.');
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][0], "/d/a.tif [16-bit]");
    EXPECT_EQ(rows[0][3], "18431.50");
    EXPECT_EQ(rows[0][6], "65535");
    EXPECT_TRUE(DeepStatsRows(h, TChannelSet::HSV, 2, '.').empty());
    EXPECT_EQ(DeepStatsRows(h, TChannelSet::RGB, 2, '.').size(), 3u);

    const auto freq = DeepFrequencyRows(h, TAnalysisChannel::Gray, DeepDefaultBinSize, 1, '.');
    ASSERT_EQ(freq.size(), 16u);
    EXPECT_EQ(freq[0], (std::vector<std::string>{"/d/a.tif [16-bit] - Grayscale", "0-4095", "2", "2", "50.0", "50.0"}));
    EXPECT_EQ(freq[1][1], "4096-8191");
    EXPECT_EQ(freq[15], (std::vector<std::string>{"", "61440-65535", "1", "4", "25.0", "100.0"}));
    EXPECT_TRUE(DeepFrequencyRows(h, TAnalysisChannel::Hue, 4096, 1, '.').empty());
}

TEST(DeepProfile, DataGridShowsTheSixteenBitValues) {
    TBitmap32 bmp(4, 1);
    bmp.Clear(Color32(10, 20, 30));
    const TSamples16 rgb = Samples(4, 1, 3, {1000, 2000, 3000, 1001, 2001, 3001, 1002, 2002, 3002, 1003, 2003, 3003});
    const auto samples = ComputeProfile(bmp, {0, 0}, {3, 0}, &rgb);
    ASSERT_EQ(samples.size(), 4u);
    const auto cells = ProfileRowCells(samples[2], '.');
    // R, G, B and I at 16 bits; H, S, V of the 8-bit pixel.
    EXPECT_EQ(std::vector<std::string>(cells.begin() + 3, cells.end()),
              (std::vector<std::string>{"1002", "2002", "3002", "2002", std::to_string(samples[2].Q.H),
                                        std::to_string(samples[2].Q.S), std::to_string(samples[2].Q.V)}));
    // Samples of another size are not used.
    const TSamples16 other = Samples(2, 1, 1, {5, 6});
    EXPECT_FALSE(ComputeProfile(bmp, {0, 0}, {3, 0}, &other)[0].Deep);
    EXPECT_EQ(ProfileRowCells(ComputeProfile(bmp, {0, 0}, {3, 0})[0], '.')[3], "10");
}

TEST(DeepAnalysis, ValueText) {
    const TSamples16 rgb = Samples(2, 1, 3, {1, 2, 3, 65535, 0, 7});
    EXPECT_EQ(DeepValueText(rgb, {1, 0}), "65535 0 7");
    EXPECT_EQ(DeepValueText(rgb, {2, 0}), "");
    EXPECT_EQ(DeepValueText(rgb, {0, -1}), "");
    EXPECT_EQ(DeepValueText(Samples(1, 1, 1, {4095}), {0, 0}), "4095");
}
