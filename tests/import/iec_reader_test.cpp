#include <numeric>
#include <sstream>

#include "app/cli.h"
#include "import/reader_fixture.h"
#include "support/memory_file_system.h"
#include "support/test_files.h"

namespace sorvane {
namespace {

// tests/data/iec/eu152_short.iec, written by hand: header line 2 with live
// time 600.00 s, real time 603.50 s and 18 channels; line 3 with the date
// 15.10.98 and the time 13:26:07; line 4 with the calibration -0.5, 0.5, 2^-12, 0
// written without a blank before the minus sign; 54 further header lines; four
// data lines for channels 0 to 19.
const std::string eu152 = test_data("iec/eu152_short.iec");

const std::string fixture_times = "A004      600.00      603.50    18";
const std::string fixture_start = "A00415.10.98 13:26:07 15.10.98 13:00:00";
const std::string fixture_calibration =
    "A004-5.00000000E-01 5.00000000E-01 2.44140625E-04 0.00000000E+00";

// A data line: the mark, the channel in columns 5-10, five counts of 10 columns.
std::string data_line(int channel, std::array<int, 5> counts) {
    std::string line = "A004" + right_aligned(std::to_string(channel), 6);
    for (int count : counts) line += right_aligned(std::to_string(count), 10);
    return line;
}

const std::string last_fixture_line = data_line(15, {9, 8, 7, 99, 99});

class IecReader : public ReaderTest {
protected:
    ReadOutcome read_text(std::string_view bytes) {
        return read_fresh(10, "C:\\spectra\\eu.iec", bytes);
    }
};

TEST_F(IecReader, ReadsEveryFieldOfTheHandWrittenFile) {
    ReadOutcome outcome = read_text(eu152);
    ASSERT_TRUE(outcome.ok()) << outcome.reason;
    // Live 600.00 s and real 603.50 s x 50; 98 is above 80: 1998, a blank century;
    // c2 is 2^-12, the sum 0.000244 not below 0.0001. Channel 18 is stored, then the
    // line's last count is left out: 18 reached the length. The format carries no
    // description.
    expect_record({1455, 18, 30000, 30175, "15Oct98 ", "132607", "07", -0.5f, 0.5f, 0.000244140625f,
                   0.0f, 0, std::string(63, '\0')},
                  {10, 12, 11, 13, 40, 180, 420, 175, 38, 15, 14, 12, 13, 11, 10, 9, 8, 7, 99, 0});
    expect_read_quietly();
}

std::string times_field(const Spectrum& s) {
    return std::to_string(s.chn_header.live_time) + " " + std::to_string(s.chn_header.real_time) +
           " " + std::to_string(s.chn_header.num_channels);
}
std::string date_field(const Spectrum& s) {
    return std::string(text_of(s.chn_header.start_date));
}
std::string time_field(const Spectrum& s) {
    return std::string(text_of(s.chn_header.start_time)) + " " + s.chn_header.start_sec[0] +
           s.chn_header.start_sec[1];
}
std::string calibration_field(const Spectrum& s) {
    std::ostringstream text;
    text << s.chn_trailer.ecal_c0 << " " << s.chn_trailer.ecal_c1 << " " << s.chn_trailer.ecal_c2
         << " " << s.chn_trailer.ecal_c3;
    return text.str();
}

TEST_F(IecReader, HeaderFieldsTable) {
    const FieldCase cases[] = {
        {"times and length", fixture_times, "A004     1800.00     1800.50  4096", times_field,
         "90000 90025 4096"},
        {"times glued to the mark", fixture_times, "A004 1800 1800.25 18", times_field,
         "90000 90012 18"},
        {"slashes", "15.10.98 13", "15/10/98 13", date_field, "15Oct98 "},
        {"year 05 is 2005", "15.10.98 13", "01/02/05 13", date_field, "01Feb051"},
        {"year 80 is 2080", "15.10.98 13", "01/02/80 13", date_field, "01Feb801"},
        {"year 81 is 1981", "15.10.98 13", "01/02/81 13", date_field, "01Feb81 "},
        {"dashes become slashes", "15.10.98 13", "15-10-98 13", date_field, "15Oct98 "},
        {"day first when both readings are dates", "15.10.98 13", "03/04/98 13", date_field,
         "03Apr98 "},
        {"month first when only that is a date", "15.10.98 13", "08/25/21 13", date_field,
         "25Aug211"},
        {"blank after the mark", fixture_start, "A004 15.10.98 13:26:07", date_field, "15Oct98 "},
        {"time", "13:26:07", "09:05:42", time_field, "090542 42"},
        {"glued minus signs", fixture_calibration, "A004-1.5E+00-2.5E-01-1.0E-02 4.0E+00",
         calibration_field, "-1.5 -0.25 -0.01 4"},
        {"all zero means no calibration", fixture_calibration,
         "A004 0.0E+00 0.0E+00 0.0E+00 0.0E+00", calibration_field, "0 1 0 0"},
        {"a fourth coefficient of 1 keeps the line", fixture_calibration, "A004 0 0 0 1",
         calibration_field, "0 0 0 1"},
        // The test is on the sum, so a large negative offset also counts as no calibration.
        {"negative sum", fixture_calibration, "A004-10.0 0.5 0 0", calibration_field, "0 1 0 0"},
        {"missing coefficients are 0", fixture_calibration, "A004 1.0 2.0", calibration_field,
         "1 2 0 0"},
        {"exponent letter D", fixture_calibration, "A004 1D+01 2.0D-01 0 0", calibration_field,
         "10 0.2 0 0"},
    };
    expect_fields(cases, eu152, [this](std::string_view bytes) { return read_text(bytes); });
}

TEST_F(IecReader, DataLinesStopAtTheLengthAndNeedNoMark) {
    // Channel 4095 of 4096 stores 4095 and 4096 and leaves out the other three.
    std::string text = replaced(eu152, fixture_times, "A004      600.00      603.50  4096");
    text = replaced(text, last_fixture_line, data_line(4095, {1, 2, 3, 4, 5}));
    ASSERT_TRUE(read_text(text).ok());
    EXPECT_EQ(spectrum.counts[4095], 1);
    EXPECT_EQ(spectrum.counts[4096], 2);
    EXPECT_EQ(spectrum.counts[4097], 0);

    // Data lines are not checked for the mark; channel 8800 is the last the record holds.
    text = replaced(eu152, last_fixture_line, "    " + data_line(8800, {6, 7, 8, 9, 10}).substr(4));
    ASSERT_TRUE(read_text(text).ok());
    EXPECT_EQ(spectrum.counts[8800], 6);

    // A line after the data with a count but no channel number writes from channel 0.
    ASSERT_TRUE(read_text(eu152 + "A004  end        77\r\n").ok());
    EXPECT_EQ(spectrum.counts[0], 77);
}

TEST_F(IecReader, LinesWithoutAnyDigitDoNotOverwriteChannelsZeroToFour) {
    // An empty last line, a line of blanks and a DOS end-of-file byte carry no data.
    for (const std::string& tail :
         {std::string("\r\n"), std::string("A004      \r\n"), std::string("\x1a")}) {
        ASSERT_TRUE(read_text(eu152 + tail).ok());
        EXPECT_EQ(spectrum.counts[0], 10);
        EXPECT_EQ(spectrum.counts[4], 40);
    }
}

std::string first_lines(const std::string& text, int count) {
    std::size_t at = 0;
    for (int i = 0; i < count; ++i) at = text.find("\r\n", at) + 2;
    return text.substr(0, at);
}

TEST_F(IecReader, FailureTable) {
    const FailureCase cases[] = {
        {"no mark at all", "IEC 1455\r\nno records\r\n", "A004"},
        {"empty file", "", "A004"},
        {"header line 2 without the mark", replaced(eu152, fixture_times, "B004 600 603 18"),
         "line 2"},
        {"header line 3 without the mark", replaced(eu152, fixture_start, "15.10.98 13:26:07"),
         "line 3"},
        {"header line 4 without the mark", replaced(eu152, fixture_calibration, "-0.5 0.5"),
         "line 4"},
        {"only one header line", "A004 HPGE\r\n", "end of file"},
        {"57 header lines", first_lines(eu152, 57), "end of file"},
        {"day and month 31", replaced(eu152, "15.10.98", "31.31.98"), "date"},
        {"no such day", replaced(eu152, "15.10.98", "29/02/99"), "date"},
        {"a one-digit day", replaced(eu152, "15.10.98", "5/10/98"), "date"},
        {"no date", replaced(eu152, fixture_start, "A004"), "date"},
        {"channel above 8800", replaced(eu152, last_fixture_line, data_line(8801, {1, 2, 3, 4, 5})),
         "8801"},
        {"negative channel", replaced(eu152, last_fixture_line, data_line(-3, {1, 2, 3, 4, 5})),
         "-3"},
        {"length beyond 16 bits", replaced(eu152, fixture_times, "A004 600 603 40000"), "16 bits"},
        {"count beyond 32 bits",
         replaced(eu152, last_fixture_line,
                  data_line(15, {1, 2, 3, 4, 5}) + "\r\nA004    15 9.999E+99"),
         "32 bits"},
    };
    for (const FailureCase& c : cases) expect_refused(c, read_text(c.text));
}

// Damaged files: a few bytes changed, dropped or added anywhere.
TEST_F(IecReader, DamagedFilesAreReadOrRefusedWithoutACrash) {
    expect_damaged_copies_read_or_refused(
        eu152, 1455, [this](std::string_view bytes) { return read_text(bytes); });
}

// The six IEC 1455 spectra of tests/data/realdata/iec, written by another program.
// Every value below was read off the files themselves:
// - line 2 "A004     3564.00     3600.00  2048": live 3564 s = 178200 ticks, real
//   3600 s = 180000 ticks, 2048 channels;
// - line 3 "A00409/12/21 10:54:31 ...": 9 December 2021 read day first, 10:54:31;
// - line 4 of 01, 02a and 02b "A004-1.55656000E-02 8.00000000E-01-2.97939000E-08
//   0.00000000E+00": four coefficients once each minus sign starts a number; 03
//   to 05 write four zeros, which means no calibration (0, 1, 0, 0);
// - data lines 59 to 468 (channels 0 to 2049), the same in all six files:
//   "A004     0     40680     41390 ..." gives channels 0 and 1; "A004  1000     45200"
//   channel 1000; "A004  1465    993779   1499345 ..." the highest count, channel
//   1466; "A004  2045         0 ..." channel 2047; the 2048 channels add up to 74305419.
struct RealFile {
    const char* name;
    float c0, c1, c2;
};

TEST_F(IecReader, RealFilesOfAnotherProgramConvert) {
    const RealFile files[] = {
        {"hpge_dummy_test_01.iec", -1.55656e-02f, 0.8f, -2.97939e-08f},
        {"hpge_dummy_test_02a.iec", -1.55656e-02f, 0.8f, -2.97939e-08f},
        {"hpge_dummy_test_02b.iec", -1.55656e-02f, 0.8f, -2.97939e-08f},
        {"hpge_dummy_test_03.iec", 0.0f, 1.0f, 0.0f},
        {"hpge_dummy_test_04.iec", 0.0f, 1.0f, 0.0f},
        {"hpge_dummy_test_05.iec", 0.0f, 1.0f, 0.0f},
    };
    for (const RealFile& file : files) {
        ReadOutcome outcome = read_text(test_data(std::string("realdata/iec/") + file.name));
        ASSERT_TRUE(outcome.ok()) << file.name << ": " << outcome.reason;
        const ChnHeader& header = spectrum.chn_header;
        EXPECT_EQ(header.live_time, 178200) << file.name;
        EXPECT_EQ(header.real_time, 180000) << file.name;
        EXPECT_EQ(header.num_channels, 2048) << file.name;
        EXPECT_EQ(text_of(header.start_date), "09Dec211") << file.name;
        EXPECT_EQ(text_of(header.start_time), "105431") << file.name;
        EXPECT_EQ(header.start_sec[0], '3') << file.name;
        EXPECT_EQ(header.start_sec[1], '1') << file.name;
        EXPECT_EQ(spectrum.chn_trailer.ecal_c0, file.c0) << file.name;
        EXPECT_EQ(spectrum.chn_trailer.ecal_c1, file.c1) << file.name;
        EXPECT_EQ(spectrum.chn_trailer.ecal_c2, file.c2) << file.name;
        EXPECT_EQ(spectrum.chn_trailer.ecal_c3, 0.0f) << file.name;
        EXPECT_EQ(spectrum.counts[0], 40680) << file.name;
        EXPECT_EQ(spectrum.counts[1], 41390) << file.name;
        EXPECT_EQ(spectrum.counts[1000], 45200) << file.name;
        EXPECT_EQ(spectrum.counts[1466], 1499345) << file.name;
        EXPECT_EQ(spectrum.counts[2047], 0) << file.name;
        const auto first = spectrum.counts.begin();
        EXPECT_EQ(std::accumulate(first, first + 2048, std::int64_t{0}), 74305419) << file.name;
    }
}

TEST(IecConversion, TheChnFileHoldsTheSpectrumByteForByte) {
    const CliConversion done = convert_with_cli("iec", "/raw/eu152.iec", eu152, "/out/eu152.chn");
    const std::string expected =
        // file type -1, mca 1455, segment 1, seconds "07", real 30175, live 30000
        hex_bytes("FF FF  AF 05  01 00  30 37  DF 75 00 00  30 75 00 00") + "15Oct98 " + "132607" +
        hex_bytes("12 00") +  // 18 channels
        hex_bytes(
            "0A 00 00 00  0C 00 00 00  0B 00 00 00  0D 00 00 00  28 00 00 00"
            "B4 00 00 00  A4 01 00 00  AF 00 00 00  26 00 00 00  0F 00 00 00"
            "0E 00 00 00  0C 00 00 00  0D 00 00 00  0B 00 00 00  0A 00 00 00"
            "09 00 00 00  08 00 00 00  07 00 00 00") +
        // two zero words; calibration -0.5, 0.5, 2^-12, 0
        hex_bytes("00 00 00 00  00 00 00 BF  00 00 00 3F  00 00 80 39  00 00 00 00") +
        std::string(12 + 228, '\0') + hex_bytes("00") + std::string(63, '\0') + hex_bytes("00") +
        std::string(63, '\0') + std::string(128, '\0');
    ASSERT_EQ(expected.size(), 32u + 4u * 18u + 516u);
    expect_chn(done, expected);
}

}  // namespace
}  // namespace sorvane
