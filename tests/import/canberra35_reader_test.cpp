#include <sstream>

#include "app/cli.h"
#include "import/reader_fixture.h"
#include "support/test_files.h"

namespace sorvane {
namespace {

constexpr int canberra35_code = 6;

// The fixture's lines: identification, true and live time, tag, memory date, the
// "CHANNEL#" heading at line 8 (index 7) and two rows.
std::vector<std::string> fixture_lines() {
    const std::string text = test_data("canberra35/two_rows.txt");
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = text.find("\r\n", start);
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}
constexpr std::size_t heading_index = 7;

std::string joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    return text;
}

// A table row as the analyser prints it: the label in columns 2 to 6, then eight
// contents right-aligned in seven columns from column 12, every nine columns.
std::string row(std::string_view label, std::initializer_list<std::string_view> values) {
    std::string line = " " + std::string(label) + "     ";
    for (std::string_view value : values) {
        line += std::string(7 - value.size(), ' ') + std::string(value) + "  ";
    }
    return line;
}

// The fixture with its two rows replaced by `rows` rows labelled 0, 8, 16 ...,
// row r holding r, r + 1, ..., r + 7.
std::string dump_with_rows(std::size_t rows) {
    std::vector<std::string> lines = fixture_lines();
    lines.resize(heading_index + 1);
    for (std::size_t r = 0; r < rows; ++r) {
        char label[8];
        std::snprintf(label, sizeof label, "%05zu", 8 * r);
        std::vector<std::string> values;
        for (std::size_t k = 0; k < 8; ++k) values.push_back(std::to_string((r + k) % 10000));
        lines.push_back(row(label, {values[0], values[1], values[2], values[3], values[4],
                                    values[5], values[6], values[7]}));
    }
    return joined(lines);
}

class Canberra35Reader : public ReaderTest {
protected:
    ReadOutcome read_dump(std::string_view bytes) {
        return read_fresh(canberra35_code, "C:\\spectra\\dump.txt", bytes);
    }
};

TEST_F(Canberra35Reader, ReadsTheFixtureIntoEveryField) {
    ASSERT_TRUE(read_dump(test_data("canberra35/two_rows.txt")).ok());
    // Live 3600.0 s, real 3650.4 s; no calibration in the dump (its CHN bytes hold
    // 0, 1, 0 and 0).
    expect_record({445, 16, 180000, 182520, "07MAR98 ", "090500", "00", 0.0f, 1.0f, 0.0f, 0.0f, 63,
                   " TAG NO. = 000123  SOIL SAMPLE A-12" + std::string(28, ' ')},
                  {0, 5, 12, 100, 255, 256, 1000, 65536, 70000, 3, 2, 1, 0, 0, 7, 9, 0});
    EXPECT_EQ(ui.pointers, (std::vector<Pointer>{Pointer::hourglass, Pointer::normal}));
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(Canberra35Reader, EachKeywordLineMustBePresent) {
    struct Case {
        std::size_t line;
        std::string replacement;
        bool reads;
    };
    const Case cases[] = {
        {0, "  canberra series 35+  v-2.00", true},
        {0, "  CANBERRA SERIES 35+ V-2.00", false},  // one blank before V
        {0, "  CANBERRA SERIES 35+  V-2.01", false},
        {2, " ELAPSED", false},  // no "TRUE TIME="
        {3, " ELAPSED", false},  // no "LIVE TIME="
        {4, " TAG NO.= 000123", false},
        {5, " MEMORY 1/1", false},
        {heading_index, " CHANNEL    DATA", false},
    };
    for (const Case& c : cases) {
        std::vector<std::string> lines = fixture_lines();
        lines[c.line] = c.replacement;
        ReadOutcome outcome = read_dump(joined(lines));
        EXPECT_EQ(outcome.ok(), c.reads) << c.replacement;
        if (!c.reads) {
            ASSERT_EQ(ui.messages.size(), 1u) << c.replacement;
            EXPECT_EQ(ui.messages[0].text, file_not_read_text);
            EXPECT_EQ(ui.pointer(), Pointer::normal);
        }
    }
}

TEST_F(Canberra35Reader, MemoryLineGivesDateTimeAndCentury) {
    struct Case {
        std::string_view stamp;  // from column 59
        std::string_view date;
        std::string_view time;
    };
    const Case cases[] = {
        {"07-MAR-98  09:05", "07MAR98 ", "090500"},
        {"14-May-05  23:59", "14May051", "235900"},  // month name as printed
        {"01-JAN-69  00:00", "01JAN691", "000000"},
        {"01-JAN-70  00:00", "01JAN70 ", "000000"},
        {"01-JAN- 5  09: 5", "01JAN051", "090500"},  // blank year and minute digits
        {"01-JAN-98", "01JAN98 ", "000   "},         // no time: "00" and a zero minute digit
    };
    for (const Case& c : cases) {
        std::vector<std::string> lines = fixture_lines();
        lines[5] = " MEMORY= 1/1" + std::string(46, ' ') + std::string(c.stamp);
        ASSERT_TRUE(read_dump(joined(lines)).ok()) << c.stamp;
        EXPECT_EQ(text_of(spectrum.chn_header.start_date), c.date) << c.stamp;
        EXPECT_EQ(text_of(spectrum.chn_header.start_time), c.time) << c.stamp;
        EXPECT_EQ(spectrum.chn_header.start_sec[1], '0');
    }
}

TEST_F(Canberra35Reader, TimesAreRoundedTicks) {
    struct Case {
        std::size_t line;
        std::string text;
        bool reads;
        std::int32_t live;
        std::int32_t real;
    };
    const Case cases[] = {
        {3, " ELAPSED       LIVE TIME=    0.01", true, 0, 182520},      // 0.5 ticks: even 0
        {3, " ELAPSED       LIVE TIME=    0.03", true, 2, 182520},      // 1.5 ticks: even 2
        {3, " ELAPSED       LIVE TIME= 1 2 3 4", true, 61700, 182520},  // blanks ignored
        {3, " ELAPSED       LIVE TIME=", true, 0, 182520},
        {3, " ELAPSED       LIVE TIME= 9.9E+99", false, 0, 0},
        {3, " ELAPSED       LIVE TIME= 4.3E+07", false, 0, 0},  // fits, but not as ticks
        {2, " ELAPSED                            TRUE TIME=     1E3", true, 180000, 50000},
    };
    for (const Case& c : cases) {
        std::vector<std::string> lines = fixture_lines();
        lines[c.line] = c.text;
        ReadOutcome outcome = read_dump(joined(lines));
        ASSERT_EQ(outcome.ok(), c.reads) << c.text << ": " << outcome.reason;
        if (!c.reads) continue;
        EXPECT_EQ(spectrum.chn_header.live_time, c.live) << c.text;
        EXPECT_EQ(spectrum.chn_header.real_time, c.real) << c.text;
    }
}

TEST_F(Canberra35Reader, RowsAfterTheHeadingNeedAPositiveLabelExceptTheFirst) {
    std::vector<std::string> lines = fixture_lines();
    lines.resize(heading_index + 1);
    const std::vector<std::string> table = {
        row("     ", {"11", "12", "13", "14", "15", "16", "17", "18"}),  // row 0, label blank
        "",
        " CHANNEL#    DATA",
        row("00000", {"99", "99", "99", "99", "99", "99", "99", "99"}),  // label 0: passed over
        row("-0008", {"99", "99", "99", "99", "99", "99", "99", "99"}),  // negative label too
        row("00008", {"21", "22", "23", "24", "25"}),                    // five values
        row("00999", {"31", "32", "33", "34", "35", "36", "37", "38"}),  // label only tested
        " 00024",
    };
    lines.insert(lines.end(), table.begin(), table.end());
    ASSERT_TRUE(read_dump(joined(lines)).ok());
    EXPECT_EQ(spectrum.chn_header.num_channels, 32);
    const std::array<std::int32_t, 33> counts = {11, 12, 13, 14, 15, 16, 17, 18, 21, 22, 23,
                                                 24, 25, 0,  0,  0,  31, 32, 33, 34, 35, 36,
                                                 37, 38, 0,  0,  0,  0,  0,  0,  0,  0,  0};
    for (std::size_t channel = 0; channel < counts.size(); ++channel) {
        EXPECT_EQ(spectrum.counts[channel], counts[channel]) << "channel " << channel;
    }
}

TEST_F(Canberra35Reader, TableSizesUpToTheCapacity) {
    struct Case {
        std::size_t rows;
        bool reads;
    };
    for (Case c : {Case{1, true}, Case{512, true}, Case{1100, true}, Case{1101, false}}) {
        ReadOutcome outcome = read_dump(dump_with_rows(c.rows));
        ASSERT_EQ(outcome.ok(), c.reads) << c.rows << " rows: " << outcome.reason;
        if (!c.reads) continue;
        EXPECT_EQ(spectrum.chn_header.num_channels, static_cast<int>(8 * c.rows));
        const std::size_t last = c.rows - 1;
        EXPECT_EQ(spectrum.counts[8 * last + 7], static_cast<std::int32_t>((last + 7) % 10000));
    }
}

TEST_F(Canberra35Reader, BadTablesAreNotRead) {
    std::vector<std::string> heading_last = fixture_lines();
    heading_last.resize(heading_index + 1);
    std::vector<std::string> huge = fixture_lines();
    huge.push_back(row("00016", {"1", "2", "9.9E+99"}));
    std::vector<std::string> too_big = fixture_lines();
    too_big.push_back(row("00016", {"3.0E+09"}));
    for (const std::vector<std::string>* lines : {&heading_last, &huge, &too_big}) {
        ReadOutcome outcome = read_dump(joined(*lines));
        EXPECT_FALSE(outcome.ok()) << lines->back();
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0].text, file_not_read_text);
    }
}

TEST_F(Canberra35Reader, EveryDumpCutBeforeItsFirstRowIsNotRead) {
    const std::string whole = test_data("canberra35/two_rows.txt");
    const std::size_t first_row = whole.find(" 00000");
    ASSERT_NE(first_row, std::string::npos);
    for (std::size_t length = 0; length <= whole.size(); ++length) {
        ReadOutcome outcome = read_dump(std::string_view(whole).substr(0, length));
        ASSERT_EQ(outcome.ok(), length > first_row) << length << " bytes: " << outcome.reason;
        if (outcome.ok()) {
            EXPECT_EQ(spectrum.chn_header.num_channels,
                      length >= whole.find(" 00008") + 6 ? 16 : 8);
        }
    }
}

TEST(Canberra35Convert, TheFixtureGivesTheChnBytes) {
    const CliConversion done =
        convert_with_cli("canberra35", "/raw/two_rows.txt", test_data("canberra35/two_rows.txt"),
                         "/out/two_rows.chn");
    // Written out from the CHN layout by hand: 445, seconds "00", real 182520 and
    // live 180000 ticks, 16 channels, calibration 0, 1, 0, the tag line.
    const std::string expected =
        hex_bytes("FF FF  BD 01  01 00  30 30  F8 C8 02 00  20 BF 02 00") + "07MAR98 " + "090500" +
        hex_bytes("10 00") +
        hex_bytes(
            "00 00 00 00  05 00 00 00  0C 00 00 00  64 00 00 00"
            "FF 00 00 00  00 01 00 00  E8 03 00 00  00 00 01 00"
            "70 11 01 00  03 00 00 00  02 00 00 00  01 00 00 00"
            "00 00 00 00  00 00 00 00  07 00 00 00  09 00 00 00") +
        hex_bytes("00 00 00 00  00 00 00 00  00 00 80 3F  00 00 00 00  00 00 00 00") +
        std::string(12 + 228 + 1 + 63, '\0') + hex_bytes("3F") +
        " TAG NO. = 000123  SOIL SAMPLE A-12" + std::string(28, ' ') + std::string(128, '\0');
    ASSERT_EQ(expected.size(), 32u + 64u + 516u);
    expect_chn(done, expected);
}

}  // namespace
}  // namespace sorvane
