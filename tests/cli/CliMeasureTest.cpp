// ivra-cli measure and sheet-roundtrip, run as the real program.

#include "core/io/FileIO.h"

#include "CliRunner.h"

#include <gtest/gtest.h>

#include "../TestNames.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using ivra::testing::RunCli;
using ivra::testing::RunResult;
using ivra::testing::ReadText;

std::string TempPath(const std::string& name) { return ivra::testing::CliTempPath("climeasure", name); }

struct MeasureCase {
    const char* args;
    const char* output;
};

class CliMeasureTable : public ::testing::TestWithParam<MeasureCase> {};

TEST_P(CliMeasureTable, PrintsTheToolMessages) {
    const MeasureCase& c = GetParam();
    RunResult r = RunCli(std::string("measure ") + c.args);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, c.output) << c.args;
}

INSTANTIATE_TEST_SUITE_P(
    ToolExamples, CliMeasureTable,
    ::testing::Values(
        MeasureCase{"line 10 10 13 14", "Distance: 5.00\n"},
        MeasureCase{"--factor 0.5 rect 0 0 10 20", "Rectangle: a=5.00 b=10.00\nArea= 50.00\n"},
        MeasureCase{"rect --factor 0.25 0 0 10 10", "Rectangle: a=2.50 b=2.50\nArea= 6.25\n"},
        MeasureCase{"--factor 0.25 line 0 0 0 40", "Distance: 10.00\n"},
        MeasureCase{"ellipse 100 100 110 105", "Elipsis: W=20.00 H=10.00\nArea= 157\n"},
        MeasureCase{"circle 100 100 110 105", "Circle: r=10.00\nPerimeter=62.83\nArea= 314\n"},
        MeasureCase{"circle 0 0 3 4", "Circle: r=4.00\nPerimeter=25.13\nArea= 50\n"},
        MeasureCase{"angle 10 0 0 0 0 10", "Angle: 90.00\n"},
        MeasureCase{"--factor 7 angle 10 0 0 0 -10 0", "Angle: 180.00\n"},
        MeasureCase{"angle 10 0 0 0 10 0", "Angle: 0.00\n"},
        // The right press (last pair) is drawn but not part of the area.
        MeasureCase{"polygon 0 0 10 0 10 10 0 10", "Area: 50.00\n"},
        MeasureCase{"polygon 0 0 10 0 10 1 1 1 1 10 0 10 0 10", "Area: 19.00\n"},
        MeasureCase{"polygon 5 5 9 9", ""},
        MeasureCase{"polyline 0 0 3 4 3 10", "PolyLength:11.00\n"},
        MeasureCase{"polyline 0 0 3 4 3 4 3 10", "PolyLength:11.00\n"},
        MeasureCase{"polyline 7 7", "PolyLength:0.00\n"},
        MeasureCase{"--factor 2 polyline -3 0 0 -4", "PolyLength:10.00\n"},
        // With a unit: lengths end with it, areas with its square, angles stay bare.
        MeasureCase{"--factor 0.25 --unit \xC2\xB5m line 0 0 0 40", "Distance: 10.00 \xC2\xB5m\n"},
        MeasureCase{"--unit mm --factor 0.25 rect 0 0 10 10", "Rectangle: a=2.50 mm b=2.50 mm\nArea= 6.25 mm\xC2\xB2\n"},
        MeasureCase{"--unit in circle 0 0 3 4", "Circle: r=4.00 in\nPerimeter=25.13 in\nArea= 50 in\xC2\xB2\n"},
        MeasureCase{"--unit mm angle 10 0 0 0 0 10", "Angle: 90.00\n"}),
    ivra::test::NameFrom([](const MeasureCase& c) { return std::string(c.args); }));

TEST(CliMeasure, ErrorsAndUsage) {
    RunResult undefined = RunCli("measure angle 10 0 0 0 0 0");
    EXPECT_EQ(undefined.exitCode, 1);
    EXPECT_EQ(undefined.out, "");
    EXPECT_NE(undefined.err.find("Angle is undefined: two of its points coincide."), std::string::npos);

    for (const char* bad : {"measure", "measure line 1 2 3", "measure line 1 2 3 4 5 6", "measure square 0 0 1 1",
                            "measure line a 2 3 4", "measure --factor x line 0 0 1 1", "measure --factor",
                            "measure --zoom 2 line 0 0 1 1", "measure polygon", "measure angle 0 0 1 1",
                            "measure --factor 1e300 line 0 0 1 1", "measure --factor 0 line 0 0 1 1",
                            "measure --unit abcdefghijklmnopq line 0 0 1 1", "measure --unit", "sheet-roundtrip onlyone"}) {
        RunResult r = RunCli(bad);
        EXPECT_EQ(r.exitCode, 2) << bad << ": " << r.err;
        EXPECT_NE(r.err.find("Usage"), std::string::npos) << bad;
    }
}

TEST(CliSheetRoundtrip, LoadsAndSaves) {
    const std::string in = TempPath("in.txt"), out = TempPath("out.txt");
    ivra::WriteFileAtomically(in, std::string("5.00\t7.25\t\t\r\n3\t\t\t\r\n"));
    RunResult r = RunCli("sheet-roundtrip " + in + " " + out);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    // Ten columns wide (A to I) as a fresh sheet is; two data rows.
    EXPECT_EQ(ReadText(out), "5.00\t7.25\t\t\t\t\t\t\t\t\r\n3\t\t\t\t\t\t\t\t\t\r\n");

    // A missing input: exit 1 naming the file, the output is left alone.
    const std::string missing = TempPath("missing.txt");
    RunResult m = RunCli("sheet-roundtrip " + missing + " " + out);
    EXPECT_EQ(m.exitCode, 1);
    EXPECT_NE(m.err.find(missing), std::string::npos);
    EXPECT_EQ(ReadText(out), "5.00\t7.25\t\t\t\t\t\t\t\t\r\n3\t\t\t\t\t\t\t\t\t\r\n");

    // An unwritable output: exit 1.
    RunResult w = RunCli("sheet-roundtrip " + in + " /nonexistent-dir/out.txt");
    EXPECT_EQ(w.exitCode, 1);
    EXPECT_NE(w.err.find("/nonexistent-dir/out.txt"), std::string::npos);
    std::filesystem::remove(in);
    std::filesystem::remove(out);
}

} // namespace
