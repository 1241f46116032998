#include <sstream>

#include "app/cli.h"
#include "import/reader_fixture.h"
#include "support/memory_file_system.h"
#include "support/test_files.h"

namespace sorvane {
namespace {

// tests/data/rms/ba133_short.rms, written by hand: "MSG_TYPE DATA", an
// "#Acquisition" line of 2001/05/14 12:05:09.0 with real time 603.000 s in
// columns 27-36 and live time 600.250 s in columns 42-51, five Ba-133
// calibration points, a "#Spectrum" of 20 channels in four lines, and "STOP".
const std::string ba133 = test_data("rms/ba133_short.rms");

// An "#Energy" row: energy in columns 9-15, channel in 26-32, uncertainty in 43-49.
std::string energy_row(std::string_view e, std::string_view c, std::string_view u) {
    return std::string(8, ' ') + right_aligned(e, 7) + std::string(10, ' ') + right_aligned(c, 7) +
           std::string(10, ' ') + right_aligned(u, 7);
}

// The line after "#Acquisition": start date and time from column 1, then the real
// time in the 10 columns from d + 26 and the live time in those from d + 41.
std::string acquisition_line(std::string_view start, std::string_view real, std::string_view live,
                             std::size_t d = 1) {
    std::string line(start);
    line.resize(25 + d, ' ');
    return line + right_aligned(real, 10) + std::string(5, ' ') + right_aligned(live, 10);
}

const std::string fixture_acquisition =
    acquisition_line("2001/05/14 12:05:09.0", "603.000", "600.250");

// The fixture with its "#Energy" rows replaced by `rows` (each ended by CR LF).
std::string with_energy_rows(const std::string& rows) {
    std::size_t begin = ba133.find("#Energy\r\n") + 9;
    std::size_t end = ba133.find("#Spectrum");
    std::string text = ba133;
    return text.replace(begin, end - begin, rows);
}

std::string repeated_rows(int count) {
    const std::array<std::string, 5> rows = {
        energy_row("81.00", "162.31", "0.050"), energy_row("276.40", "553.12", "0.040"),
        energy_row("302.85", "605.97", "0.030"), energy_row("356.01", "712.30", "0.020"),
        energy_row("383.85", "767.96", "0.040")};
    std::string text;
    for (int i = 0; i < count; ++i)
        text += rows[static_cast<std::size_t>(i) % rows.size()] + "\r\n";
    return text;
}

// A counts line: channel in columns 1-5, five counts of 10 columns each.
std::string counts_line(int channel, std::array<int, 5> counts) {
    std::string line = right_aligned(std::to_string(channel), 5);
    for (int count : counts) line += right_aligned(std::to_string(count), 10);
    return line;
}

class RmsReader : public ReaderTest {
protected:
    ReadOutcome read_text(std::string_view bytes) {
        return read_fresh(9, "C:\\spectra\\msg.rms", bytes);
    }
};

TEST_F(RmsReader, ReadsEveryFieldOfTheHandWrittenMessage) {
    ReadOutcome outcome = read_text(ba133);
    ASSERT_TRUE(outcome.ok()) << outcome.reason;
    // 20 channels ("   20" under "#Spectrum"); real 603.000 s x 50; live 600.250 s x
    // 50 = 30012.5, the even neighbour. The calibration points only decide whether
    // the message is read: no calibration is stored.
    expect_record({556, 20, 30012, 30150, "14May011", "120509", "09", 0.0f, 1.0f, 0.0f, 0.0f, 63,
                   "MSG_TYPE DATA" + std::string(50, ' ')},
                  {0, 0, 3, 5, 4, 6, 5, 7, 9, 30, 120, 250, 118, 28, 9, 5, 4, 6, 3, 1, 0});
    expect_read_quietly();
}

std::string live_ticks(const Spectrum& s) {
    return std::to_string(s.chn_header.live_time);
}
std::string real_ticks(const Spectrum& s) {
    return std::to_string(s.chn_header.real_time);
}
std::string date_field(const Spectrum& s) {
    return std::string(text_of(s.chn_header.start_date));
}
std::string time_field(const Spectrum& s) {
    return std::string(text_of(s.chn_header.start_time));
}
std::string length_field(const Spectrum& s) {
    return std::to_string(s.chn_header.num_channels);
}
std::string seconds_field(const Spectrum& s) {
    return {s.chn_header.start_sec[0], s.chn_header.start_sec[1]};
}
std::string description_field(const Spectrum& s) {
    return std::string(text_of(s.chn_trailer.sample_desc)) + "|" +
           std::to_string(s.chn_trailer.sample_desc_len);
}

TEST_F(RmsReader, RecordFieldsFollowTheirColumns) {
    const std::string start = "2001/05/14 12:05:09.0";
    const FieldCase cases[] = {
        {"live 86000.0 s", fixture_acquisition, acquisition_line(start, "603.000", "86000.0"),
         live_ticks, "4300000"},
        {"live 0.25 s: 12.5 ticks round to the even 12", fixture_acquisition,
         acquisition_line(start, "603.000", "0.25"), live_ticks, "12"},
        {"live 0.75 s: 37.5 ticks round to 38", fixture_acquisition,
         acquisition_line(start, "603.000", "0.75"), live_ticks, "38"},
        {"real 3600 s", fixture_acquisition, acquisition_line(start, "3600", "600.250"), real_ticks,
         "180000"},
        // Digits in columns 52 on are no part of the live time: 600.250 s, not 600.25099 s.
        {"live cut at column 51", fixture_acquisition, fixture_acquisition + "99", live_ticks,
         "30012"},
        {"1999 has a blank century", "2001/05/14", "1999/12/31", date_field, "31Dec99 "},
        {"leap day", "2001/05/14", "2000/02/29", date_field, "29Feb001"},
        {"blank minute digit", "12:05:09", "12: 5:09", time_field, "120509"},
        {"seconds bytes", "12:05:09", "08:30:47", seconds_field, "47"},
        {"count running past five columns", "   20   2720.0", "  4096", length_field, "4096"},
        {"count standing in five columns", "   20   2720.0", " 4096   2720.0", length_field,
         "4096"},
        {"long description is cut", "MSG_TYPE DATA",
         "MSG_TYPE DATA " + std::string(40, 'x') + "0123456789abcdefghij", description_field,
         "MSG_TYPE DATA " + std::string(40, 'x') + "012345678|63"},
    };
    expect_fields(cases, ba133, [this](std::string_view bytes) { return read_text(bytes); });
}

TEST_F(RmsReader, ColumnsCountFromWhereTheKeywordStands) {
    // "#Acquisition" at column 3: real time in columns 29-38, live time in 44-53.
    std::string text = replaced(ba133, "#Acquisition", "  #Acquisition");
    text = replaced(text, fixture_acquisition,
                    acquisition_line("2001/05/14 12:05:09.0", "7654321.50", "1234567.25", 3));
    // "#Spectrum" at column 4: the channel count stands in columns 4-8.
    text = replaced(text, "#Spectrum\r\n   20", "   #Spectrum\r\n      20");
    ReadOutcome outcome = read_text(text);
    ASSERT_TRUE(outcome.ok()) << outcome.reason;
    // Both fill their ten columns, so columns counted from 1 would give other numbers.
    EXPECT_EQ(spectrum.chn_header.real_time, 382716075);  // 7654321.50 s x 50
    EXPECT_EQ(spectrum.chn_header.live_time, 61728362);   // 1234567.25 s x 50 = ...62.5, to even
    EXPECT_EQ(spectrum.chn_header.num_channels, 20);
    EXPECT_EQ(text_of(spectrum.chn_header.start_date), "14May011") << "the date stays at column 1";
}

TEST_F(RmsReader, KeywordsAreFoundIgnoringCase) {
    std::string text = replaced(ba133, "#Energy", "#energy");
    text = replaced(text, "#Acquisition", "#ACQUISITION");
    text = replaced(text, "BEGIN RMS2.0", "begin rms2.0");
    EXPECT_TRUE(read_text(text).ok());
}

TEST_F(RmsReader, CountsLinesEndAtStopOrAfterTheChannelCountInLines) {
    // STOP after two lines: channels 10 to 19 are not given.
    std::string text = replaced(ba133, counts_line(10, {120, 250, 118, 28, 9}), "STOP");
    ASSERT_TRUE(read_text(text).ok());
    EXPECT_EQ(spectrum.counts[9], 30);
    EXPECT_EQ(spectrum.counts[10], 0);

    // A count of 4 means at most four lines, so no STOP is needed; the fourth
    // line's channels 15 to 19 are stored though only 4 channels are written.
    text = replaced(replaced(ba133, "\r\nSTOP", ""), "   20   2720.0", "    4   2720.0");
    ReadOutcome outcome = read_text(text);
    ASSERT_TRUE(outcome.ok()) << outcome.reason;
    EXPECT_EQ(spectrum.chn_header.num_channels, 4);
    EXPECT_EQ(spectrum.counts[19], 1);

    // Channel 4095 of a 4096-channel spectrum fills 4095 to 4099.
    text = replaced(ba133, "   20   2720.0", " 4096   2720.0");
    text =
        replaced(text, counts_line(15, {5, 4, 6, 3, 1}), counts_line(4095, {11, 12, 13, 14, 15}));
    ASSERT_TRUE(read_text(text).ok());
    EXPECT_EQ(spectrum.counts[4095], 11);
    EXPECT_EQ(spectrum.counts[4099], 15);

    // The last channel the record holds is 8800.
    text = replaced(ba133, counts_line(15, {5, 4, 6, 3, 1}), counts_line(8796, {1, 2, 3, 4, 5}));
    ASSERT_TRUE(read_text(text).ok());
    EXPECT_EQ(spectrum.counts[8800], 5);
}

TEST_F(RmsReader, CalibrationPointsThatCanBeFittedAreRead) {
    struct Case {
        const char* name;
        std::string rows;
    };
    const Case cases[] = {
        {"exactly four points", repeated_rows(4)},
        {"33 rows, the most the table holds", repeated_rows(33)},
        // Rows of zero or negative energy take no part in the fit, whatever they hold.
        {"four points and ignored rows", repeated_rows(4) + energy_row("0.00", "0.00", "0.000") +
                                             "\r\n" + energy_row("-5.00", "1.00", "0.000") +
                                             "\r\n\r\n"},
    };
    for (const Case& c : cases) {
        ReadOutcome outcome = read_text(with_energy_rows(c.rows));
        EXPECT_TRUE(outcome.ok()) << c.name << ": " << outcome.reason;
    }
}

TEST_F(RmsReader, FailureTable) {
    const std::string same_energy = energy_row("2.00", "1.00", "1.00") + "\r\n";
    const FailureCase cases[] = {
        {"no BEGIN RMS2.0", replaced(ba133, "BEGIN RMS2.0", "BEGIN RMS1.0"), "BEGIN RMS2.0"},
        {"no #Spectrum", replaced(ba133, "#Spectrum", "#Spectra"), "#Spectrum"},
        {"no #Acquisition", replaced(ba133, "#Acquisition", "#Acquired"), "#Acquisition"},
        {"no MSG_TYPE", replaced(ba133, "MSG_TYPE", "MSG-TYPE"), "MSG_TYPE"},
        {"no #Energy", replaced(ba133, "#Energy", "#Energies"), "#Energy"},
        {"channel count 0", replaced(ba133, "   20   2720.0", "    0   2720.0"), "count is 0"},
        {"negative channel count", replaced(ba133, "   20   2720.0", "   -5   2720.0"), "negative"},
        {"channel count beyond 16 bits", replaced(ba133, "   20   2720.0", "40000"), "16 bits"},
        {"34 energy rows", with_energy_rows(repeated_rows(34)), "33"},
        {"three energy points", with_energy_rows(repeated_rows(3)), "at least 4"},
        {"no energy rows", with_energy_rows(""), "at least 4"},
        {"a point at channel 0",
         with_energy_rows(repeated_rows(4) + energy_row("500.00", "0.00", "0.050") + "\r\n"),
         "channel 0"},
        {"a point of uncertainty 0",
         with_energy_rows(repeated_rows(4) + energy_row("500.00", "1000.00", "0.000") + "\r\n"),
         "division by zero"},
        // w = 1, e = 2 four times: the second pivot is 16 - 0.5 x 32 = 0 exactly.
        {"four points at one energy",
         with_energy_rows(same_energy + same_energy + same_energy + same_energy), "singular"},
        {"channel above 8800",
         replaced(ba133, counts_line(15, {5, 4, 6, 3, 1}), counts_line(8797, {1, 2, 3, 4, 5})),
         "8801"},
        {"negative channel",
         replaced(ba133, counts_line(15, {5, 4, 6, 3, 1}), counts_line(-1, {1, 2, 3, 4, 5})), "-1"},
        {"fewer lines than the count and no STOP", replaced(ba133, "\r\nSTOP", ""), "end of file"},
        {"no line after #Spectrum", ba133.substr(0, ba133.find("#Spectrum") + 11), "end of file"},
        {"a month 13", replaced(ba133, "2001/05/14", "2001/13/14"), "date"},
        {"day first", replaced(ba133, "2001/05/14", "14/05/2001"), "date"},
        {"no such day", replaced(ba133, "2001/05/14", "2001/02/29"), "date"},
        {"empty file", "", "BEGIN RMS2.0"},
    };
    for (const FailureCase& c : cases) expect_refused(c, read_text(c.text));
}

// Damaged files: a few bytes changed, dropped or added anywhere.
TEST_F(RmsReader, DamagedFilesAreReadOrRefusedWithoutACrash) {
    expect_damaged_copies_read_or_refused(
        ba133, 556, [this](std::string_view bytes) { return read_text(bytes); });
}

TEST_F(RmsReader, OnlyPathsContainingDotRmsReachTheReader) {
    EXPECT_TRUE(read(9, "C:\\spectra\\MSG.RMS", ba133).ok());
    ui.messages.clear();
    EXPECT_FALSE(read(9, "C:\\rms\\msg.txt", ba133).ok());
    EXPECT_EQ(spectrum.chn_header.mca_number, 0) << "the reader did not run";
}

TEST(RmsConversion, TheChnFileHoldsTheMessageByteForByte) {
    const CliConversion done = convert_with_cli("rms", "/raw/ba133.rms", ba133, "/out/ba133.chn");
    const std::string expected =
        // file type -1, mca 556, segment 1, seconds "09", real 30150, live 30012
        hex_bytes("FF FF  2C 02  01 00  30 39  C6 75 00 00  3C 75 00 00") + "14May011" + "120509" +
        hex_bytes("14 00") +  // 20 channels
        hex_bytes(
            "00 00 00 00  00 00 00 00  03 00 00 00  05 00 00 00  04 00 00 00"
            "06 00 00 00  05 00 00 00  07 00 00 00  09 00 00 00  1E 00 00 00"
            "78 00 00 00  FA 00 00 00  76 00 00 00  1C 00 00 00  09 00 00 00"
            "05 00 00 00  04 00 00 00  06 00 00 00  03 00 00 00  01 00 00 00") +
        // two zero words, calibration 0, 1.0, 0, fourth coefficient 0
        hex_bytes("00 00 00 00  00 00 00 00  00 00 80 3F  00 00 00 00  00 00 00 00") +
        std::string(12 + 228, '\0') + hex_bytes("00") + std::string(63, '\0') + hex_bytes("3F") +
        "MSG_TYPE DATA" + std::string(50, ' ') + std::string(128, '\0');
    ASSERT_EQ(expected.size(), 32u + 4u * 20u + 516u);
    expect_chn(done, expected);
}

}  // namespace
}  // namespace sorvane
