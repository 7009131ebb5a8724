#include "core/text/NumberText.h"

#include <gtest/gtest.h>

#include "../../TestNames.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <random>
#include <string>

using ivra::FloatToText;

namespace {

struct Case {
    double value;
    int decimals;
    const char* text;
};

class FloatToTextTable : public ::testing::TestWithParam<Case> {};

TEST_P(FloatToTextTable, Formats) {
    const Case& c = GetParam();
    EXPECT_EQ(FloatToText(c.value, c.decimals), c.text) << c.value << " with " << c.decimals;
}

INSTANTIATE_TEST_SUITE_P(
    Examples, FloatToTextTable,
    ::testing::Values(
        Case{12.3456, 2, "12.35"}, Case{1234.6, 0, "1235"}, Case{0.25, 5, "0.25000"},
        Case{0.0, 2, "0.00"}, Case{0.0, 0, "0"}, Case{-0.0, 2, "0.00"}, Case{-12.3456, 2, "-12.35"},
        Case{5.0, 2, "5.00"}, Case{7.25, 2, "7.25"}, Case{50.0, 0, "50"}, Case{25.13272, 2, "25.13"},
        // A decimal half after the 8-digit rounding goes away from zero.
        Case{0.125, 2, "0.13"}, Case{-0.125, 2, "-0.13"}, Case{2.5, 0, "3"}, Case{-2.5, 0, "-3"},
        Case{0.005, 2, "0.01"}, Case{0.0049, 2, "0.00"}, Case{-0.004, 2, "0.00"},
        Case{1e-30, 2, "0.00"}, Case{1e-30, 18, "0.000000000000000000"},
        // Rounding carries into a new digit.
        Case{9.995, 2, "10.00"}, Case{99999.995, 2, "100000.00"}, Case{0.9999999999, 2, "1.00"},
        // 8 significant digits first: the rest of the decimals are zeros.
        Case{1.0 / 3.0, 10, "0.3333333300"}, Case{123456789.0 / 10.0, 2, "12345679.00"},
        Case{0.1f, 5, "0.10000"}, Case{0.1f, 12, "0.100000000000"}, Case{3.14159265358979, 18, "3.141592700000000000"},
        Case{99999999.0, 0, "99999999"}, Case{99999999.4, 1, "99999999.0"},
        // Integer part beyond 8 digits: scientific.
        Case{99999999.5, 2, "1.0000000E+08"}, Case{1234567890123.0, 2, "1.2345679E+12"},
        Case{-1234567890123.0, 0, "-1.2345679E+12"}, Case{1e300, 2, "1.0000000E+300"},
        // Clamped decimals.
        Case{1.5, -3, "2"}, Case{1.5, 40, "1.500000000000000000"},
        // Not numbers.
        Case{std::numeric_limits<double>::quiet_NaN(), 2, "NAN"},
        Case{std::numeric_limits<double>::infinity(), 2, "INF"},
        Case{-std::numeric_limits<double>::infinity(), 2, "-INF"},
        Case{std::numeric_limits<double>::denorm_min(), 3, "0.000"},
        Case{std::numeric_limits<double>::max(), 3, "1.7976931E+308"}),
    ivra::test::NameFrom([](const Case& c) { return std::string(c.text); }));

TEST(FloatToText, DecimalSeparatorIsTheCallers) {
    EXPECT_EQ(FloatToText(12.3456, 2, ','), "12,35");
    EXPECT_EQ(FloatToText(1234567890123.0, 2, ','), "1,2345679E+12");
    EXPECT_EQ(FloatToText(3.0, 0, ','), "3");
}

// Slow reference: the 8-digit string of printf, then decimal rounding digit by
// digit on the string with an explicit carry.
std::string Reference(double v, int d) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.7e", std::fabs(v));
    std::string digits = std::string(1, buf[0]) + std::string(buf + 2, 7);
    int e = std::atoi(buf + 10);
    // Place the point: value = 0.digits * 10^(e+1). Build integer and fraction.
    std::string all; // digits with leading zeros so that the point is after intLen
    int intLen = e + 1;
    if (intLen <= 0) {
        all = std::string(std::size_t(1 - intLen), '0') + digits;
        intLen = 1;
    } else {
        all = digits;
    }
    while (int(all.size()) < intLen + d + 1) all += '0';
    bool up = all[std::size_t(intLen + d)] >= '5';
    all.resize(std::size_t(intLen + d));
    for (int i = int(all.size()) - 1; up && i >= 0; --i) {
        if (all[std::size_t(i)] == '9') {
            all[std::size_t(i)] = '0';
        } else {
            ++all[std::size_t(i)];
            up = false;
        }
    }
    if (up) {
        all = "1" + all;
        ++intLen;
    }
    std::string intPart = all.substr(0, std::size_t(intLen));
    std::string frac = all.substr(std::size_t(intLen));
    auto nz = intPart.find_first_not_of('0');
    intPart = nz == std::string::npos ? "0" : intPart.substr(nz);
    bool zero = (intPart + frac).find_first_not_of('0') == std::string::npos;
    std::string out = (v < 0 && !zero ? "-" : "") + intPart;
    if (d > 0) out += "." + frac;
    return out;
}

TEST(FloatToText, AgreesWithDigitByDigitRounding) {
    std::mt19937_64 rng(12345);
    std::uniform_real_distribution<double> mant(-10.0, 10.0);
    std::uniform_int_distribution<int> exp(-12, 7);
    std::uniform_int_distribution<int> dec(0, 18);
    for (int i = 0; i < 20000; ++i) {
        double v = mant(rng) * std::pow(10.0, exp(rng));
        if (std::fabs(v) >= 99999999.0) continue; // scientific: own cases
        int d = dec(rng);
        ASSERT_EQ(FloatToText(v, d), Reference(v, d)) << v << " with " << d;
    }
    // Exact halves of the last shown decimal.
    for (int k = -2000; k <= 2000; ++k) {
        double v = (k + 0.5) / 100.0; // ends in 5 at the third decimal
        ASSERT_EQ(FloatToText(v, 2), Reference(v, 2)) << v;
    }
}

} // namespace

namespace {

TEST(FloatToGeneralText, Forms) {
    using ivra::FloatToGeneralText;
    EXPECT_EQ(FloatToGeneralText(1.0f), "1");
    EXPECT_EQ(FloatToGeneralText(0.25f), "0.25");
    EXPECT_EQ(FloatToGeneralText(0.1f), "0.100000001490116");
    EXPECT_EQ(FloatToGeneralText(-2.5), "-2.5");
    EXPECT_EQ(FloatToGeneralText(0.0), "0");
    EXPECT_EQ(FloatToGeneralText(1200.0), "1200");
    EXPECT_EQ(FloatToGeneralText(0.00001), "0.00001");
    EXPECT_EQ(FloatToGeneralText(1.5e-6), "1.5E-6");
    EXPECT_EQ(FloatToGeneralText(123456789012345.0), "123456789012345");
    EXPECT_EQ(FloatToGeneralText(1234567890123456.0), "1.23456789012346E+15");
    EXPECT_EQ(FloatToGeneralText(0.25, 15, ','), "0,25");
    EXPECT_EQ(FloatToGeneralText(std::numeric_limits<double>::quiet_NaN()), "NAN");
}

struct ParseCase {
    const char* text;
    bool ok;
    double value;
};

class TextToFloatTable : public ::testing::TestWithParam<ParseCase> {};

TEST_P(TextToFloatTable, Parses) {
    const ParseCase& c = GetParam();
    double v = -999;
    EXPECT_EQ(ivra::TextToFloat(c.text, v), c.ok) << c.text;
    if (c.ok)
        EXPECT_EQ(v, c.value) << c.text;
    else
        EXPECT_EQ(v, -999) << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, TextToFloatTable,
    ::testing::Values(ParseCase{"0.25", true, 0.25}, ParseCase{"0,25", true, 0.25}, ParseCase{" 12 ", true, 12},
                      ParseCase{"-3.5", true, -3.5}, ParseCase{"+7", true, 7}, ParseCase{".5", true, 0.5},
                      ParseCase{"5.", true, 5}, ParseCase{"1.5E+12", true, 1.5e12}, ParseCase{"2e-3", true, 0.002},
                      ParseCase{"1e999", true, HUGE_VAL}, ParseCase{"-1e999", true, -HUGE_VAL},
                      ParseCase{"1e-999", true, 0.0}, ParseCase{"\t3\r\n", true, 3}, ParseCase{"", false, 0},
                      ParseCase{" ", false, 0}, ParseCase{".", false, 0}, ParseCase{",", false, 0},
                      ParseCase{"-", false, 0}, ParseCase{"1.2.3", false, 0}, ParseCase{"1,000.5", false, 0},
                      ParseCase{"abc", false, 0}, ParseCase{"nan", false, 0}, ParseCase{"inf", false, 0},
                      ParseCase{"1e", false, 0}, ParseCase{"0x10", false, 0}, ParseCase{"5 units", false, 0},
                      ParseCase{"NAN", false, 0}),
    ivra::test::NameFrom([](const ParseCase& c) { return std::string(c.text); }));

TEST(TextToInteger, Parses) {
    std::int64_t v = -1;
    EXPECT_TRUE(ivra::TextToInteger("42", v));
    EXPECT_EQ(v, 42);
    EXPECT_TRUE(ivra::TextToInteger(" -7 ", v));
    EXPECT_EQ(v, -7);
    EXPECT_TRUE(ivra::TextToInteger("+3", v));
    EXPECT_EQ(v, 3);
    v = -1;
    for (const char* bad : {"", "-", "+", "2.5", "1e3", "x1", "99999999999999999999", " "}) {
        EXPECT_FALSE(ivra::TextToInteger(bad, v)) << bad;
        EXPECT_EQ(v, -1);
    }
}

} // namespace
