#include <sstream>

#include "app/cli.h"
#include "import/reader_fixture.h"
#include "support/test_files.h"

namespace sorvane {
namespace {

constexpr int naig_code = 7;

// The 2303 bytes between the header and the marker, full of bytes that would
// mislead a reader that looked at them: "?", 127, CR LF and digits.
std::string passed_over_block(std::size_t size = 2303) {
    const std::string pattern = hex_bytes("3F 7F 0D 0A 30 20");
    std::string block;
    for (std::size_t i = 0; i < size; ++i) block += pattern[i % pattern.size()];
    return block;
}

// Header text, the byte 127, the passed-over block, the marker and the data fields.
std::string naig_dump(std::string_view header, std::string_view data,
                      std::string_view marker = "?") {
    return std::string(header) + hex_bytes("7F") + passed_over_block() + std::string(marker) +
           std::string(data);
}

// Live 3600 s, real 3650 s, four contents, then a field holding CR LF that ends
// the data before the bytes after it.
const std::string typical_data = "   3600   3650     12  123.6         122.5\r\n   9999";
std::string typical_dump() {
    return naig_dump("NAIG E-560 SOIL A-12", typical_data);
}

// n fields of seven characters: field i holds first + i.
std::string fields(std::size_t n, int first) {
    std::string data;
    for (std::size_t i = 0; i < n; ++i) {
        std::string number = std::to_string(first + static_cast<int>(i));
        data += std::string(7 - number.size(), ' ') + number;
    }
    return data;
}

class NaigReader : public ReaderTest {
protected:
    ReadOutcome read_dump(std::string_view bytes) {
        return read_fresh(naig_code, "C:\\spectra\\naig.txt", bytes);
    }
};

TEST_F(NaigReader, ReadsTheTypicalDumpIntoEveryField) {
    ASSERT_TRUE(read_dump(typical_dump()).ok());
    // No date, time or seconds in the dump: those fields stay as the cleared record
    // has them. No calibration either (its CHN bytes hold 0, 1, 0 and 0).
    expect_record(
        {560, 6, 180000, 182500, std::string(8, '\0'), std::string(6, '\0'), std::string(2, '\0'),
         0.0f, 1.0f, 0.0f, 0.0f, 63, "NAIG E-560 SOIL A-12" + std::string(43, ' ')},
        {3600, 3650, 12, 124, 0, 122, 0});
    EXPECT_TRUE(ui.pointers.empty()) << "the NAIG reader leaves the pointer alone";
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(NaigReader, FieldValues) {
    struct Case {
        std::string field;
        std::int32_t value;
    };
    const Case cases[] = {
        {"  123.6", 124},  {"  122.5", 122},   {"  123.5", 124}, {"       ", 0},
        {"1 2 3 4", 1234}, {"-    12", -12},   {"abc    ", 0},   {"  7E+02", 700},
        {"12\r3456", 12},  {"\n\n\n  45", 45}, {"   0.49", 0},   {"4.3E+07", 43000000},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(c.field.size(), 7u);
        ASSERT_TRUE(read_dump(naig_dump("x", "      1      2" + c.field + "      4")).ok())
            << c.field;
        EXPECT_EQ(spectrum.counts[2], c.value) << c.field;
        EXPECT_EQ(spectrum.counts[3], 4) << c.field;
        EXPECT_EQ(spectrum.chn_header.num_channels, 4) << c.field;
    }
}

TEST_F(NaigReader, AFieldHoldingCrLfEndsTheData) {
    for (std::size_t at = 0; at + 1 < 7; ++at) {
        std::string field(7, '5');
        field[at] = '\r';
        field[at + 1] = '\n';
        ASSERT_TRUE(read_dump(naig_dump("x", "      1      2" + field + "    999")).ok()) << at;
        EXPECT_EQ(spectrum.chn_header.num_channels, 2) << at;
        EXPECT_EQ(spectrum.counts[2], 0) << at;
    }
    // CR at the end of one field and LF at the start of the next end nothing.
    ASSERT_TRUE(read_dump(naig_dump("x", "      1      2     3\r\n     5")).ok());
    EXPECT_EQ(spectrum.chn_header.num_channels, 4);
    EXPECT_EQ(spectrum.counts[2], 3);
    EXPECT_EQ(spectrum.counts[3], 5);
}

TEST_F(NaigReader, ShortDataBlocks) {
    struct Case {
        std::string data;
        int num_channels;
        std::int32_t live;
        std::int32_t real;
    };
    const Case cases[] = {
        {"", 0, 0, 0},
        {"\r\n", 0, 0, 0},
        {"   3600", 1, 180000, 0},
        {"   3600   36", 1, 180000, 0},  // a field cut short by the end is not stored
        {"   3600\r\n   3650", 1, 180000, 0},
        {"   3600   3650", 2, 180000, 182500},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(read_dump(naig_dump("x", c.data)).ok()) << c.data;
        EXPECT_EQ(spectrum.chn_header.num_channels, c.num_channels) << c.data;
        EXPECT_EQ(spectrum.chn_header.live_time, c.live) << c.data;
        EXPECT_EQ(spectrum.chn_header.real_time, c.real) << c.data;
    }
}

TEST_F(NaigReader, FieldCountsUpToTheCapacity) {
    ASSERT_TRUE(read_dump(naig_dump("x", fields(4096, 600))).ok());
    EXPECT_EQ(spectrum.chn_header.num_channels, 4096);
    EXPECT_EQ(spectrum.counts[0], 600);
    EXPECT_EQ(spectrum.counts[1], 601);
    EXPECT_EQ(spectrum.chn_header.live_time, 30000);
    EXPECT_EQ(spectrum.chn_header.real_time, 30050);
    EXPECT_EQ(spectrum.counts[4095], 4695);

    ASSERT_TRUE(read_dump(naig_dump("x", fields(8801, 1))).ok());
    EXPECT_EQ(spectrum.chn_header.num_channels, 8801);
    EXPECT_EQ(spectrum.counts[8800], 8801);

    EXPECT_FALSE(read_dump(naig_dump("x", fields(8802, 1))).ok());
}

TEST_F(NaigReader, TheHeaderTextGivesTheDescription) {
    struct Case {
        std::string header;
        std::string description;
    };
    const Case cases[] = {
        {std::string(70, 'h'), std::string(63, 'h')},
        {"", std::string(63, ' ')},
        {"E-560\r\nSOIL", "E-560\r\nSOIL" + std::string(52, ' ')},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(read_dump(naig_dump(c.header, typical_data)).ok()) << c.header;
        EXPECT_EQ(text_of(spectrum.chn_trailer.sample_desc), c.description);
    }
}

TEST_F(NaigReader, DumpsThatAreNotRead) {
    const std::string header = "NAIG E-560 SOIL A-12";
    // Any reason will do (an empty part is in every one).
    const FailureCase cases[] = {
        {"empty", "", ""},
        {"no byte 127", header + std::string(2304, '.') + "?" + typical_data, ""},
        {"another marker", naig_dump(header, typical_data, "!"), ""},
        {"ends after the byte 127", header + hex_bytes("7F"), ""},
        {"ends inside the block", header + hex_bytes("7F") + passed_over_block(1000), ""},
        {"ends before the marker", header + hex_bytes("7F") + passed_over_block(), ""},
        {"block one byte short",
         header + hex_bytes("7F") + passed_over_block(2302) + "?" + typical_data, ""},
        {"live time too large as ticks", naig_dump(header, "4.3E+07   3650"), ""},
        {"real time too large as ticks", naig_dump(header, "   3600-4.3E07"), ""},
        {"a count too large", naig_dump(header, "   3600   3650     129.9E+99"), ""},
        {"more fields than channels", naig_dump(header, fields(8802, 1)), ""},
    };
    for (const FailureCase& c : cases) expect_refused(c, read_dump(c.text));
}

TEST_F(NaigReader, EveryCutOfTheDumpReadsOnlyItsWholeFields) {
    const std::string whole = typical_dump();
    const std::size_t data_start = 20 + 1 + 2303 + 1;
    ASSERT_EQ(whole[data_start - 1], '?');
    for (std::size_t length = 0; length <= whole.size(); ++length) {
        ReadOutcome outcome = read_dump(std::string_view(whole).substr(0, length));
        ASSERT_EQ(outcome.ok(), length >= data_start) << length << " bytes";
        if (!outcome.ok()) continue;
        const std::size_t whole_fields = std::min<std::size_t>((length - data_start) / 7, 6);
        EXPECT_EQ(spectrum.chn_header.num_channels, static_cast<int>(whole_fields)) << length;
    }
}

TEST(NaigConvert, TheTypicalDumpGivesTheChnBytes) {
    const CliConversion done =
        convert_with_cli("naig", "/raw/soil.txt", typical_dump(), "/out/soil.chn");
    // Written out from the CHN layout by hand: 560, no start seconds, real 182500
    // and live 180000 ticks, no date or time, six channels, calibration 0, 1, 0.
    const std::string expected =
        hex_bytes("FF FF  30 02  01 00  00 00  E4 C8 02 00  20 BF 02 00") +
        std::string(8 + 6, '\0') + hex_bytes("06 00") +
        hex_bytes("10 0E 00 00  42 0E 00 00  0C 00 00 00  7C 00 00 00  00 00 00 00  7A 00 00 00") +
        hex_bytes("00 00 00 00  00 00 00 00  00 00 80 3F  00 00 00 00  00 00 00 00") +
        std::string(12 + 228 + 1 + 63, '\0') + hex_bytes("3F") + "NAIG E-560 SOIL A-12" +
        std::string(43, ' ') + std::string(128, '\0');
    ASSERT_EQ(expected.size(), 32u + 24u + 516u);
    expect_chn(done, expected);
}

}  // namespace
}  // namespace sorvane
