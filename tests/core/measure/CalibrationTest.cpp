#include "core/measure/Calibration.h"

#include "core/Error.h"
#include "core/io/FileIO.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include <filesystem>
#include <string>
#include <unistd.h>

using namespace ivra;

namespace {

std::string TempPath(const std::string& name) {
    return (std::filesystem::temp_directory_path() / ("ivra_cal_" + std::to_string(::getpid()) + "_" + name)).string();
}

std::string ReadText(const std::string& path) {
    auto b = ReadWholeFile(path);
    return std::string(b.begin(), b.end());
}

TEST(CalibrationFactor, FromLabelAndLength) {
    EXPECT_EQ(ComputeCalibrationFactor("200", "50"), 0.25f);
    EXPECT_EQ(ComputeCalibrationFactor("3", "1"), float(1.0 / 3.0));
    EXPECT_EQ(ComputeCalibrationFactor("4", "1,5"), 0.375f);
    EXPECT_EQ(ComputeCalibrationFactor("4", "1.5"), 0.375f);
    EXPECT_EQ(ComputeCalibrationFactor("200", "0"), 0.0f); // accepted: lengths become 0
    // No line measured yet, or a pixel length of 0: nothing happens.
    EXPECT_FALSE(ComputeCalibrationFactor("????", "50").has_value());
    EXPECT_FALSE(ComputeCalibrationFactor("????", "").has_value());
    EXPECT_FALSE(ComputeCalibrationFactor("0", "50").has_value());
    // A length that is not a number fails.
    for (const char* bad : {"", ".", ",", "1..2", "abc", "1e"})
        EXPECT_THROW(ComputeCalibrationFactor("200", bad), Error) << bad;
}

TEST(CalibrationFactor, LengthKeys) {
    for (char32_t k : {U'0', U'5', U'9', U'\b', U'.'}) EXPECT_TRUE(AcceptLengthKey(k, '.'));
    for (char32_t k : {U',', U'a', U'-', U' ', U'e', U'\r', U'\u00e9'}) EXPECT_FALSE(AcceptLengthKey(k, '.'));
    EXPECT_TRUE(AcceptLengthKey(U',', ','));
    EXPECT_FALSE(AcceptLengthKey(U'.', ','));
}

TEST(CalibrationFile, SavesOneLineAndLoadsIt) {
    const std::string path = TempPath("a.cnv");
    SaveCalibrationFile(path, 0.25f);
    EXPECT_EQ(ReadText(path), "0.25000\r\n");
    EXPECT_EQ(LoadCalibrationFile(path), 0.25f);
    SaveCalibrationFile(path, 0.25f, ',');
    EXPECT_EQ(ReadText(path), "0,25000\r\n");
    EXPECT_EQ(LoadCalibrationFile(path), 0.25f);
    std::filesystem::remove(path);
}

TEST(CalibrationFile, ReadsTheFirstLineOnly) {
    const std::string path = TempPath("b.cnv");
    struct {
        const char* text;
        float factor;
    } cases[] = {{"1.5", 1.5f}, {" 2,75 \r\nanything else\r\n", 2.75f}, {"0.00100\n", 0.001f}, {"3\rx", 3.0f}};
    for (auto& c : cases) {
        WriteFileAtomically(path, std::string(c.text));
        EXPECT_EQ(LoadCalibrationFile(path), c.factor) << c.text;
    }
    std::filesystem::remove(path);
}

TEST(CalibrationFile, RefusesWhatIsNotAFactor) {
    const std::string path = TempPath("c.cnv");
    for (const char* text : {"", "\r\n0.5\r\n", "abc\r\n", "0.5 units\r\n", "nan\r\n", "1e60\r\n", "0.00000\r\n",
                             "-2\r\n", "1e10\r\n"}) {
        WriteFileAtomically(path, std::string(text));
        try {
            LoadCalibrationFile(path);
            FAIL() << "accepted \"" << text << "\"";
        } catch (const Error& e) {
            EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
        }
    }
    std::filesystem::remove(path);
    try {
        LoadCalibrationFile(path);
        FAIL() << "a missing file was accepted";
    } catch (const Error& e) {
        EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
    }
}

TEST(CalibrationFactor, OnlyUsableFactorsPass) {
    struct {
        double factor;
        const char* reason;  // nullptr: accepted
    } cases[] = {
        {1.0, nullptr},
        {MinCalibrationFactor, nullptr},
        {MaxCalibrationFactor, nullptr},
        {0.25, nullptr},
        {0.0, "not positive"},
        {-0.0, "not positive"},
        {-1.0, "not positive"},
        {1e-320, "too small"},
        {1e-19, "too small"},
        {1.5e9, "too large"},
        {1e300, "too large"},
        {std::numeric_limits<double>::infinity(), "not a finite number"},
        {-std::numeric_limits<double>::infinity(), "not a finite number"},
        {std::numeric_limits<double>::quiet_NaN(), "not a finite number"},
    };
    for (auto& c : cases) {
        if (!c.reason) {
            EXPECT_EQ(CheckCalibrationFactor(c.factor), float(c.factor)) << c.factor;
            continue;
        }
        try {
            CheckCalibrationFactor(c.factor);
            ADD_FAILURE() << "accepted " << c.factor;
        } catch (const Error& e) {
            EXPECT_NE(std::string(e.what()).find(c.reason), std::string::npos) << e.what();
        }
    }
    // At the bounds, the largest area of 32-bit coordinates and the smallest
    // of one pixel stay finite, non-zero singles.
    const double largestArea = 3.14159265 * 2.0 * 4294967296.0 * 4294967296.0;
    EXPECT_TRUE(std::isfinite(float(largestArea * MaxCalibrationFactor * MaxCalibrationFactor)));
    EXPECT_GE(float(0.5 * MinCalibrationFactor * MinCalibrationFactor), std::numeric_limits<float>::min());
}


TEST(CalibrationUnit, NamesUpToSixteenCharacters) {
    struct {
        std::string unit;
        const char* result;  // nullptr: refused
    } cases[] = {
        {"", ""},
        {"  \xC2\xB5m ", "\xC2\xB5m"},
        {std::string(16, 'x'), "xxxxxxxxxxxxxxxx"},
        {std::string(17, 'x'), nullptr},
        // 16 characters of two bytes each are 32 bytes, still 16 characters.
        {[] { std::string s; for (int i = 0; i < 16; ++i) s += "\xC2\xB5"; return s; }(), nullptr},
        {"m\r\nunit=x", nullptr},
        {"m\tm", nullptr},
        {"\xC2", nullptr},           // cut short
        {"\xC0\xB5", nullptr},       // overlong
        {"\xED\xA0\x80", nullptr},   // surrogate
    };
    cases[4].result = cases[4].unit.c_str();
    for (auto& c : cases) {
        if (c.result) {
            EXPECT_EQ(CheckCalibrationUnit(c.unit), c.result) << c.unit;
        } else {
            EXPECT_THROW(CheckCalibrationUnit(c.unit), Error) << c.unit;
        }
    }
}

TEST(CalibrationUnit, SuffixesAreEmptyWithoutAUnit) {
    EXPECT_EQ(LengthUnitSuffix(""), "");
    EXPECT_EQ(AreaUnitSuffix(""), "");
    EXPECT_EQ(LengthUnitSuffix("\xC2\xB5m"), " \xC2\xB5m");
    EXPECT_EQ(AreaUnitSuffix("\xC2\xB5m"), " \xC2\xB5m\xC2\xB2");
}

TEST(CalibrationFile, KeepsTheUnitOnASecondLine) {
    const std::string path = TempPath("u.cnv");
    SaveCalibrationFile(path, 0.25f, '.', "\xC2\xB5m");
    EXPECT_EQ(ReadText(path), "0.25000\r\nunit=\xC2\xB5m\r\n");
    EXPECT_EQ(LoadCalibrationFile(path), 0.25f);  // readers of the first line alone
    TCalibration c = ReadCalibrationFile(path);
    EXPECT_EQ(c.Factor, 0.25f);
    EXPECT_EQ(c.Unit, "\xC2\xB5m");
    SaveCalibrationFile(path, 0.5f);
    EXPECT_EQ(ReadText(path), "0.50000\r\n");
    c = ReadCalibrationFile(path);
    EXPECT_EQ(c.Unit, "");
    EXPECT_THROW(SaveCalibrationFile(path, 2.0f, '.', std::string(17, 'm')), Error);
    EXPECT_EQ(ReadText(path), "0.50000\r\n");
    std::filesystem::remove(path);
}

TEST(CalibrationFile, ReadsOrRefusesTheUnitLine) {
    const std::string path = TempPath("v.cnv");
    struct {
        const char* text;
        const char* unit;  // nullptr: refused
    } cases[] = {
        {"0.5", ""},
        {"0.5\r\nunit=mm", "mm"},
        {"0.5\nunit=mm\n\n", "mm"},
        {"0.5\r\nunit=\r\n", ""},
        {"0.5\r\n\r\n", ""},
        {"0.5\r\nunits=mm\r\n", nullptr},
        {"0.5\r\nanything else\r\n", nullptr},
        {"0.5\r\nunit=mm\r\nunit=cm\r\n", nullptr},
        {"0.5\r\nunit=abcdefghijklmnopq\r\n", nullptr},
        {"0\r\nunit=mm\r\n", nullptr},
    };
    for (auto& c : cases) {
        WriteFileAtomically(path, std::string(c.text));
        if (c.unit) {
            EXPECT_EQ(ReadCalibrationFile(path).Unit, c.unit) << c.text;
        } else {
            try {
                ReadCalibrationFile(path);
                FAIL() << "accepted \"" << c.text << "\"";
            } catch (const Error& e) {
                EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
            }
        }
    }
    std::filesystem::remove(path);
}

} // namespace
