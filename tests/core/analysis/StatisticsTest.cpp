#include "core/Error.h"
#include "core/analysis/ChannelStats.h"
#include "core/analysis/FrequencyTable.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace ivra;

namespace {

TChannelHistograms WhiteImage(int w, int h) {
    TBitmap32 bmp(w, h);
    bmp.Clear(clWhite32);
    TChannelHistograms hist;
    AnalyseImage(bmp, "/pics/white.bmp", hist);
    return hist;
}

} // namespace

TEST(ChannelStats, WhiteImageRows) {
    const auto rows = StatsRows(WhiteImage(10, 10), TChannelSet::RGB, 2, '.');
    ASSERT_EQ(rows.size(), 3u);
    const char* labels[] = {"Red", "Green", "Blue"};
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(rows[std::size_t(i)],
                  (std::vector<std::string>{"/pics/white.bmp", labels[i], "100", "255.00", "255", "255", "255", "0",
                                            "0.00", "0.00", "0.00", "0.00", "0.00", "0.00"}));
}

TEST(ChannelStats, TwoLevelsExample) {
    std::vector<std::uint32_t> c(256, 0);
    c[0] = 50;
    c[100] = 50;
    const TChannelStats s = ComputeChannelStats(c, 100);
    EXPECT_EQ(s.n, 100u);
    EXPECT_EQ(s.Mean, 50.0f);
    EXPECT_EQ(s.Median, 0u); // the running sum reaches 50 at level 0
    EXPECT_EQ(s.Min, 0);
    EXPECT_EQ(s.Max, 100);
    EXPECT_EQ(s.Range, 100);
    EXPECT_EQ(s.Var, 2500.0f);
    EXPECT_EQ(s.StDev, 50.0f);
    EXPECT_EQ(s.Skew, 0.0f);
    EXPECT_EQ(s.Kurtosis, 1.0f);
    EXPECT_EQ(s.StErr, 5.0f);
    EXPECT_EQ(s.CoefVar, 100.0f);
    EXPECT_EQ(StatsRowCells("img", "Red", s, 4, ','),
              (std::vector<std::string>{"img", "Red", "100", "50,0000", "0", "0", "100", "100", "2500,0000", "50,0000",
                                        "5,0000", "100,0000", "0,0000", "1,0000"}));
}

TEST(ChannelStats, OpenCases) {
    std::vector<std::uint32_t> c(101, 0);
    // One pixel: its level is the median.
    c[42] = 1;
    TChannelStats s = ComputeChannelStats(c, 1);
    EXPECT_EQ(s.Median, 42u);
    EXPECT_EQ(s.Mean, 42.0f);
    EXPECT_EQ(s.Var, 0.0f);
    // Mean 0 (the saturation of a gray image): CoefVar 0, never nan or inf.
    c.assign(101, 0);
    c[0] = 30;
    s = ComputeChannelStats(c, 30);
    EXPECT_EQ(s.CoefVar, 0.0f);
    EXPECT_EQ(s.Skew, 0.0f);
    EXPECT_EQ(s.Kurtosis, 0.0f);
    EXPECT_EQ(s.Median, 0u);
    // No pixels at all: every field 0.
    c.assign(101, 0);
    s = ComputeChannelStats(c, 0);
    EXPECT_EQ(s.n, 0u);
    EXPECT_EQ(s.Mean, 0.0f);
    EXPECT_EQ(s.Max, 0);
}

TEST(ChannelStats, SkewedDistributionAgainstDoublePrecision) {
    // Counts 1, 2, ..., 11 at levels 0, 10, ..., 100: compare with the
    // moments in double (single-precision sums agree to about 6 digits).
    std::vector<std::uint32_t> c(101, 0);
    double n = 0, sum = 0;
    for (int k = 0; k <= 10; ++k) {
        c[std::size_t(k * 10)] = std::uint32_t(k + 1);
        n += k + 1;
        sum += double(k * 10) * (k + 1);
    }
    const double mean = sum / n;
    double m2 = 0, m3 = 0, m4 = 0;
    for (int k = 0; k <= 10; ++k) {
        const double e = k * 10 - mean;
        m2 += (k + 1) * e * e;
        m3 += (k + 1) * e * e * e;
        m4 += (k + 1) * e * e * e * e;
    }
    const double var = m2 / n, sd = std::sqrt(var);
    const TChannelStats s = ComputeChannelStats(c, std::int32_t(n));
    EXPECT_NEAR(s.Mean, mean, 1e-5 * mean);
    EXPECT_NEAR(s.Var, var, 1e-5 * var);
    EXPECT_NEAR(s.Skew, m3 / (n * var * sd), 1e-5);
    EXPECT_NEAR(s.Kurtosis, m4 / (n * var * var), 1e-5);
    EXPECT_NEAR(s.StErr, sd / std::sqrt(n), 1e-5);
    EXPECT_NEAR(s.CoefVar, sd / mean * 100, 1e-4);
    EXPECT_LT(s.Skew, 0.0f);          // the mass lies at the high levels
    EXPECT_EQ(s.Median, 70u);         // 66 pixels, half 33: 1+2+...+8 = 36 at level 70
}

TEST(ChannelStats, RowsOfEachChannelSetAndTheHeader) {
    const auto h = WhiteImage(2, 3);
    EXPECT_EQ(StatsHeaderCells().size(), 14u);
    EXPECT_EQ(StatsHeaderCells().back(), "Kurtosis");
    const auto hsv = StatsRows(h, TChannelSet::HSV, 0, '.');
    ASSERT_EQ(hsv.size(), 3u);
    EXPECT_EQ(hsv[0][1], "Hue");
    EXPECT_EQ(hsv[1][1], "Saturation");
    EXPECT_EQ(hsv[2][1], "Value");
    EXPECT_EQ(hsv[2][3], "100"); // white has lightness level 100
    const auto gray = StatsRows(h, TChannelSet::Gray, 2, '.');
    ASSERT_EQ(gray.size(), 1u);
    EXPECT_EQ(gray[0][1], "Gray");
    EXPECT_TRUE(StatsRows(h, TChannelSet::None, 2, '.').empty());
}

TEST(Frequency, BinSizeTwenty) {
    const auto h = WhiteImage(10, 10);
    const auto rows = FrequencyRows(h, TAnalysisChannel::Red, 20, 2, '.');
    ASSERT_EQ(rows.size(), 13u);
    EXPECT_EQ(rows[0], (std::vector<std::string>{"/pics/white.bmp - Red", "0-19", "0", "0", "0.00", "0.00"}));
    EXPECT_EQ(rows[1][0], "");
    EXPECT_EQ(rows[11][1], "220-239");
    EXPECT_EQ(rows[12], (std::vector<std::string>{"", "240-255", "100", "100", "100.00", "100.00"}));
}

TEST(Frequency, IntervalsForOtherBinSizes) {
    TChannelHistograms h;
    h.PixelCount = 3;
    h.ImageName = "n";
    h.Gray[0] = 1;
    h.Gray[254] = 1;
    h.Gray[255] = 1;
    auto rows = FrequencyRows(h, TAnalysisChannel::Gray, 255, 3, '.');
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0], (std::vector<std::string>{"n - Grayscale", "0-254", "2", "2", "66.667", "66.667"}));
    EXPECT_EQ(rows[1], (std::vector<std::string>{"", "255-255", "1", "3", "33.333", "100.000"}));
    EXPECT_EQ(FrequencyRows(h, TAnalysisChannel::Gray, 1, 2, '.').size(), 256u);
    rows = FrequencyRows(h, TAnalysisChannel::Gray, 100000, 2, '.');
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][1], "0-255");
    EXPECT_EQ(FrequencyRows(h, TAnalysisChannel::Gray, 2147483647, 2, '.').size(), 1u);
}

TEST(Frequency, HueSaturationAndValueUseTheirHundredLevels) {
    const auto h = WhiteImage(2, 2);
    const auto rows = FrequencyRows(h, TAnalysisChannel::Value, 20, 1, '.');
    ASSERT_EQ(rows.size(), 6u);
    EXPECT_EQ(rows[0][0], "/pics/white.bmp - Value");
    EXPECT_EQ(rows[4][1], "80-99");
    EXPECT_EQ(rows[5], (std::vector<std::string>{"", "100-100", "4", "4", "100.0", "100.0"}));
    EXPECT_EQ(FrequencyRows(h, TAnalysisChannel::Hue, 1, 1, '.').size(), 101u);
    EXPECT_EQ(FrequencyRows(h, TAnalysisChannel::Saturation, 50, 1, '.').back()[1], "100-100");
}

TEST(Frequency, RefusesBinSizesBelowOneAndMakesNothingWithoutPixels) {
    const auto h = WhiteImage(2, 2);
    EXPECT_THROW(FrequencyRows(h, TAnalysisChannel::Red, 0, 2, '.'), Error);
    EXPECT_THROW(FrequencyRows(h, TAnalysisChannel::Red, -5, 2, '.'), Error);
    TChannelHistograms none;
    EXPECT_TRUE(FrequencyRows(none, TAnalysisChannel::Red, 20, 2, '.').empty());
    EXPECT_EQ(FrequencyHeaderCells(),
              (std::vector<std::string>{"Data", "Interval", "Count", "Cumul.Count", "Percent", "Cumul.Percent"}));
}
