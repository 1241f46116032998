#include <gtest/gtest.h>

#include <sstream>

#include "run_batch.h"
#include "support/memory_file_system.h"
#include "support/test_files.h"

namespace sorvane {
namespace {

// Sixteen channels: 10 counts each, 50 in channel 8.
std::string counts_bytes() {
    std::string out;
    for (int ch = 0; ch < 16; ++ch)
        out += ch == 8 ? hex_bytes("32 00 00 00") : hex_bytes("0A 00 00 00");
    return out;
}

// Header fields shared by both layouts: type -1, MCA 999, segment 1, seconds "07",
// real time 3700 s and live time 3600 s in 20 ms ticks, date 14May01 + "1".
std::string header_start() {
    return hex_bytes(
        "FF FF  E7 03  01 00  30 37"
        "A8 D2 02 00"  // 185000
        "20 BF 02 00"  // 180000
        "31 34 4D 61 79 30 31 31");
}

// This program's layout: HHMMSS at 24..29, then the 516-byte trailer with c0..c3
// at 4, 8, 12, 16 (1.0, 0.5, 0, 0).
std::string own_layout() {
    std::string bytes = header_start() + hex_bytes("30 39 30 35 30 37  10 00") + counts_bytes();
    bytes += hex_bytes("00 00 00 00  00 00 80 3F  00 00 00 3F  00 00 00 00  00 00 00 00");
    bytes += std::string(516 - 20, '\0');
    return bytes;
}

// The published layout: HHMM at 24..27 and a channel offset 0 at 28..29; the
// 512-byte trailer starts with -102 and holds c0..c2 at 4, 8, 12.
std::string published_layout() {
    std::string bytes = header_start() + hex_bytes("30 39 30 35  00 00  10 00") + counts_bytes();
    bytes += hex_bytes("9A FF 00 00  00 00 80 3F  00 00 00 3F  00 00 00 00");
    bytes += std::string(512 - 16, '\0');
    return bytes;
}

std::string analyse(const std::string& bytes) {
    MemoryFileSystem fs(MemoryFileSystem::Flavour::posix);
    fs.add_folder("/d");
    fs.add_file("/d/s.chn", bytes);
    RunRequest request;
    request.system_dir = "/d";
    request.chn_dir = "/d/";
    request.res_dir = "/d/";
    request.base_names = {"s"};
    std::ostringstream log;
    EXPECT_EQ(run_batch(request, fs, log), run_all_analysed) << log.str();
    return fs.contents("/d/s.res").value_or("");
}

class ChnLayouts : public ::testing::TestWithParam<bool> {};

TEST_P(ChnLayouts, HeaderAndCalibrationReachTheResult) {
    const std::string bytes = GetParam() ? own_layout() : published_layout();
    ASSERT_EQ(bytes.size(), GetParam() ? 32u + 64u + 516u : 32u + 64u + 512u);
    const std::string text = analyse(bytes);
    EXPECT_NE(text.find("input = /d/s.chn\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("start = 2001-05-14 09:05:07\r\n"), std::string::npos) << text;
    EXPECT_NE(
        text.find(
            "live_time = 3600\r\nreal_time = 3700\r\nchannels = 16\r\nanalysed_range = 0 15\r\n"),
        std::string::npos);
    EXPECT_NE(text.find("energy = 1 0.5 0\r\nenergy_source = file\r\n"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Both, ChnLayouts, ::testing::Values(true, false));

TEST(ChnLayouts, APublishedFileWithoutItsMarkIsRefused) {
    std::string bytes = published_layout();
    bytes[32 + 64] = 0;  // -102 becomes another number
    MemoryFileSystem fs(MemoryFileSystem::Flavour::posix);
    fs.add_folder("/d");
    fs.add_file("/d/s.chn", bytes);
    RunRequest request;
    request.system_dir = "/d";
    request.chn_dir = request.res_dir = "/d/";
    request.base_names = {"s"};
    std::ostringstream log;
    EXPECT_EQ(run_batch(request, fs, log), run_some_failed);
    EXPECT_NE(fs.contents("/d/s.res").value_or("").find("is no CHN file"), std::string::npos);
}

}  // namespace
}  // namespace sorvane
