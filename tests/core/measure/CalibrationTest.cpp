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

} // namespace
