#include "spectrum/chn_writer.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <filesystem>
#include <fstream>

#include "import/record_fields.h"
#include "platform/real_platform.h"
#include "support/memory_file_system.h"
#include "support/test_files.h"

namespace sorvane {
namespace {

// The expected bytes below are written out from the CHN layout by hand.
std::string zeros(std::size_t n) {
    return std::string(n, '\0');
}

std::string padded(std::string_view text, std::size_t width) {
    std::string out(text);
    out.resize(width, ' ');
    return out;
}

TEST(ChnWriter, WritesEveryHeaderCountAndTrailerByte) {
    Spectrum spectrum;
    ChnHeader& header = spectrum.chn_header;
    header.mca_number = 999;
    header.segment = 1;
    header.start_sec = {'0', '7'};
    header.real_time = 180000;
    header.live_time = 179950;
    assign_text(header.start_date, "14May011");
    assign_text(header.start_time, "090507");
    header.num_channels = 3;
    spectrum.counts[0] = 1;
    spectrum.counts[1] = 256;
    spectrum.counts[2] = -2;
    spectrum.counts[3] = 99;  // beyond num_channels: not written
    spectrum.chn_trailer.ecal_c0 = 0.5f;
    spectrum.chn_trailer.ecal_c1 = 1.0f;
    spectrum.chn_trailer.ecal_c2 = -0.25f;
    spectrum.chn_trailer.sample_desc_len = 63;
    assign_text(spectrum.chn_trailer.sample_desc, "Co-60 source");

    const std::string expected =
        hex_bytes("FF FF  E7 03  01 00  30 37  20 BF 02 00  EE BE 02 00") + "14May011" + "090507" +
        hex_bytes("03 00") +                                  // header, 32 bytes
        hex_bytes("01 00 00 00  00 01 00 00  FE FF FF FF") +  // three counts
        hex_bytes("00 00 00 00  00 00 00 3F  00 00 80 3F  00 00 80 BE  00 00 00 00") +
        zeros(12 + 228) + hex_bytes("00") + zeros(63) + hex_bytes("3F") +
        padded("Co-60 source", 63) + zeros(128);
    ASSERT_EQ(expected.size(), 32u + 12u + 516u);

    EXPECT_EQ(encode_chn(spectrum), expected);
}

TEST(ChnWriter, FileSizeFollowsTheChannelCount) {
    struct Case {
        int num_channels;
        std::size_t size;
    };
    for (Case c : {Case{0, 548}, Case{-5, 548}, Case{1, 552}, Case{1024, 4644}, Case{8801, 35752},
                   Case{16384, 35752}}) {
        Spectrum spectrum;
        spectrum.chn_header.num_channels = static_cast<std::int16_t>(c.num_channels);
        EXPECT_EQ(encode_chn(spectrum).size(), c.size) << c.num_channels << " channels";
    }
}

TEST(ChnWriter, CountsStartRightAfterTheHeader) {
    Spectrum spectrum;
    spectrum.chn_header.num_channels = 1024;
    for (int channel = 0; channel < 1024; ++channel) spectrum.counts[channel] = channel;
    spectrum.counts[0] = 0x01020304;
    const std::string bytes = encode_chn(spectrum);
    ASSERT_EQ(bytes.size(), 4644u);
    EXPECT_EQ(bytes.substr(30, 2), hex_bytes("00 04"));
    EXPECT_EQ(bytes.substr(32, 4), hex_bytes("04 03 02 01"));
    EXPECT_EQ(bytes.substr(36, 4), hex_bytes("01 00 00 00"));
    EXPECT_EQ(bytes.substr(32 + 4 * 1023, 4), hex_bytes("FF 03 00 00"));
    // The trailer follows the last count: two zero words, then calibration 0, 0, 0.
    EXPECT_EQ(bytes.substr(4128, 8), zeros(8));
}

TEST(ChnWriter, MoreChannelsThanTheCapacityAreCutAndTheHeaderAgrees) {
    Spectrum spectrum;
    spectrum.chn_header.num_channels = 16384;
    spectrum.counts[8800] = 7;
    const std::string bytes = encode_chn(spectrum);
    EXPECT_EQ(bytes.substr(30, 2), hex_bytes("61 22"));  // 8801
    EXPECT_EQ(bytes.substr(32 + 4 * 8800, 4), hex_bytes("07 00 00 00"));
    EXPECT_EQ(spectrum.chn_header.num_channels, 16384) << "the record itself is not changed";
}

TEST(ChnWriter, StartTimeDateAndSecondsFollowTheFieldConventions) {
    struct Case {
        int year;
        std::string_view date;
    };
    for (Case c : {Case{1999, "03Mar99 "}, Case{2005, "03Mar051"}, Case{2100, "03Mar002"}}) {
        Spectrum spectrum;
        assign_text(spectrum.chn_header.start_date, chn_date_text(3, 3, c.year));
        set_start_time(spectrum, "090507");
        const std::string bytes = encode_chn(spectrum);
        EXPECT_EQ(bytes.substr(16, 8), c.date) << c.year;
        EXPECT_EQ(bytes.substr(24, 6), "090507");
        EXPECT_EQ(bytes.substr(6, 2), hex_bytes("30 37"));
    }
}

TEST(ChnWriter, StartTimeWithBlanksGetsZeroDigits) {
    Spectrum spectrum;
    set_start_time(spectrum, "14 5 7");
    EXPECT_EQ(text_of(spectrum.chn_header.start_time), "1405 7");
    EXPECT_EQ(spectrum.chn_header.start_sec[0], '0');  // blank seconds digit
    EXPECT_EQ(spectrum.chn_header.start_sec[1], '7');
}

TEST(ChnWriter, ReaderDefaultsGiveTheIdentityCalibration) {
    Spectrum spectrum;
    reset_for_reader(spectrum, 999);
    spectrum.chn_header.num_channels = 0;
    const std::string bytes = encode_chn(spectrum);
    EXPECT_EQ(bytes.substr(32 + 4, 12), hex_bytes("00 00 00 00  00 00 80 3F  00 00 00 00"));
    EXPECT_EQ(bytes.substr(0, 6), hex_bytes("FF FF E7 03 01 00"));
}

TEST(ChnWriter, WriteSetsTheFileTypeAndReplacesALongerFileWhole) {
    TempFolder folder;
    RealFileSystem fs;
    Spectrum spectrum;
    spectrum.chn_path = folder.path() + "a.chn";
    {
        std::ofstream old(spectrum.chn_path, std::ios::binary);
        old << std::string(10000, 'x');
    }
    ASSERT_TRUE(write_chn(spectrum, fs).ok());
    EXPECT_EQ(spectrum.chn_header.file_type, -1);
    EXPECT_EQ(std::filesystem::file_size(spectrum.chn_path), 548u);
}

TEST(ChnWriter, AWriteIntoAMissingFolderFailsWithoutAFile) {
    MemoryFileSystem fs;
    Spectrum spectrum;
    spectrum.chn_path = "C:\\missing\\a.chn";
    FsResult result = write_chn(spectrum, fs);
    EXPECT_EQ(result.status, FsStatus::path_not_found);
    EXPECT_FALSE(fs.file_exists(spectrum.chn_path));
}

#ifndef _WIN32
// A disk that fills up part way: the process may write only 1000 bytes per file.
TEST(ChnWriter, AWriteThatFailsPartWayLeavesNoPartialFile) {
    TempFolder folder;
    const std::string path = folder.path() + "big.chn";
    pid_t child = ::fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{1000, 1000};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        RealFileSystem fs;
        Spectrum spectrum;
        spectrum.chn_path = path;
        spectrum.chn_header.num_channels = 1024;
        FsResult result = write_chn(spectrum, fs);
        ::_exit(!result.ok() && result.reason.find(path) != std::string::npos ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the failure was not reported with the file's name";
    EXPECT_FALSE(std::filesystem::exists(path)) << "a partial file was left";
}
#endif

}  // namespace
}  // namespace sorvane
