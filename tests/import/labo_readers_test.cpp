#include <sstream>

#include "app/cli.h"
#include "import/reader_fixture.h"
#include "support/test_files.h"

namespace sorvane {
namespace {

constexpr int labo_code = 4;
constexpr int labo_v154_code = 5;

// A Labo file from a hand listing: 1024 header bytes, zero but for the fields
// placed, then the channel contents.
class LaboFile {
public:
    LaboFile& put(std::size_t offset, std::string_view listing) {
        return text(offset, hex_bytes(listing));
    }
    LaboFile& text(std::size_t offset, std::string_view text) {
        bytes_.replace(offset, text.size(), text);
        return *this;
    }
    LaboFile& counts(std::string_view listing) {
        bytes_ += hex_bytes(listing);
        return *this;
    }
    const std::string& bytes() const { return bytes_; }

private:
    std::string bytes_ = std::string(1024, '\0');
};

// Four channels, calibration -0.25 + 0.5 x + 2 x^2, 7 March 98 09:05:03, live
// 3600 s, real 3700 s; the maker's text placed by the caller.
LaboFile typical_fields() {
    return LaboFile()
        .put(54, "04 00")                      // 4 channels
        .put(64, "00 00 00 40")                // quadratic term 2.0
        .put(68, "00 00 00 3F")                // linear term 0.5
        .put(72, "00 00 80 BE")                // constant term -0.25
        .put(80, "62 00  03 00  07 00")        // year 98, month 3, day 7
        .put(88, "09 00  05 00  03 00")        // 09:05:03
        .put(712, "10 0E 00 00  74 0E 00 00")  // live 3600 s, real 3700 s
        .text(774, "Soil sample A-12")
        .counts("05 00 00 00  00 01 00 00  00 00 01 00  FF FF FF FF");  // 5, 256, 65536, -1
}

std::string typical_labo() {
    return typical_fields().text(864, "Laboratory Equipment").bytes();
}
std::string typical_labo_v154() {
    return typical_fields().text(0, "LABORATORY EQUIPMENT").put(80, "D5 07").bytes();  // year 2005
}

class LaboReaders : public ReaderTest {
protected:
    ReadOutcome read_labo_bytes(int code, std::string_view bytes) {
        return read_fresh(code, "C:\\spectra\\s.dat", bytes);
    }
};

TEST_F(LaboReaders, ReadsEveryHeaderFieldAndTheCounts) {
    ASSERT_TRUE(read_labo_bytes(labo_code, typical_labo()).ok());
    expect_record({101, 4, 180000, 185000, "07MAR98 ", "090503", "03", -0.25f, 0.5f, 2.0f, 0.0f, 63,
                   "Soil sample A-12" + std::string(47, ' ')},
                  {5, 256, 65536, -1, 0});
    EXPECT_TRUE(ui.pointers.empty()) << "the Labo readers leave the pointer alone";
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(LaboReaders, Version154TakesTheYearAfter1999Minus2000) {
    ASSERT_TRUE(read_labo_bytes(labo_v154_code, typical_labo_v154()).ok());
    EXPECT_EQ(text_of(spectrum.chn_header.start_date), "07MAR051");
    EXPECT_EQ(text_of(spectrum.chn_header.start_time), "090503");
    EXPECT_EQ(spectrum.chn_header.num_channels, 4);
    EXPECT_EQ(spectrum.counts[3], -1);
    EXPECT_TRUE(ui.pointers.empty());
}

TEST_F(LaboReaders, EachVersionLooksForTheMakersTextInItsOwnPlace) {
    struct Case {
        int code;
        std::size_t offset;
        std::string_view text;
        bool reads;
    };
    const Case cases[] = {
        {labo_code, 864, "Laboratory Equipment", true},
        {labo_code, 864, "laboratory equipment", true},
        {labo_code, 1004, "Laboratory Equipment", true},  // the last 20 header bytes
        {labo_code, 900, "Mfg. by LABORATORY EQUIPMENT Co.", true},
        {labo_code, 0, "Laboratory Equipment", false},
        {labo_code, 864, "Laboratory  Equipment", false},
        {labo_v154_code, 0, "Laboratory Equipment", true},
        {labo_v154_code, 30, "lABORATORY eQUIPMENT", true},   // ends at byte 50
        {labo_v154_code, 31, "Laboratory Equipment", false},  // runs past the 50 bytes
        {labo_v154_code, 864, "Laboratory Equipment", false},
        {labo_v154_code, 0, "Laboratory Equipmen", false},
    };
    for (const Case& c : cases) {
        ReadOutcome outcome =
            read_labo_bytes(c.code, typical_fields().text(c.offset, c.text).bytes());
        EXPECT_EQ(outcome.ok(), c.reads) << c.code << " at " << c.offset << " " << c.text;
        if (!c.reads) {
            ASSERT_EQ(ui.messages.size(), 1u);
            EXPECT_EQ(ui.messages[0].text, file_not_read_text);
            EXPECT_NE(outcome.reason.find("Laboratory Equipment"), std::string::npos)
                << outcome.reason;
        }
    }
}

TEST_F(LaboReaders, YearDigitsAndCenturyCharacter) {
    struct Case {
        int code;
        std::string_view year;  // int16 listing at offset 80
        std::string_view date;
    };
    const Case cases[] = {
        {labo_v154_code, "D5 07", "07MAR051"},  // 2005 - 2000 = 5
        {labo_v154_code, "D0 07", "07MAR001"},  // 2000
        {labo_v154_code, "62 00", "07MAR98 "},  // 98 as stored
        {labo_v154_code, "CF 07", "07MAR99 "},  // 1999: last two digits, 19xx
        {labo_v154_code, "CE 07", "07MAR98 "},  // 1998
        {labo_v154_code, "1B 08", "07MAR75 "},  // 2075 - 2000 = 75, read as 1975
        {labo_code, "1B 08", "07MAR751"},       // 2075 as stored
        {labo_code, "05 00", "07MAR051"},      {labo_code, "00 00", "07MAR001"},
        {labo_code, "45 00", "07MAR691"},  // 69: 20xx
        {labo_code, "46 00", "07MAR70 "},  // 70: 19xx
        {labo_code, "D5 07", "07MAR051"},  // a four-digit 2005 keeps 05
        {labo_code, "CE 07", "07MAR98 "},
    };
    for (const Case& c : cases) {
        LaboFile file = typical_fields().put(80, c.year);
        file.text(c.code == labo_code ? 864 : 0, "Laboratory Equipment");
        ASSERT_TRUE(read_labo_bytes(c.code, file.bytes()).ok()) << c.year;
        EXPECT_EQ(text_of(spectrum.chn_header.start_date), c.date) << c.code << " " << c.year;
        // The time keeps its columns whatever the year.
        EXPECT_EQ(text_of(spectrum.chn_header.start_time), "090503") << c.year;
    }
}

TEST_F(LaboReaders, MonthNamesAndTimesFromTheHeaderValues) {
    struct Case {
        std::string_view day_month;  // month at 82, day at 84
        std::string_view time;       // hour, minute, second at 88
        std::string_view date;
        std::string_view hhmmss;
        char seconds_tens;
        char seconds_units;
    };
    const Case cases[] = {
        {"0C 00  1F 00", "17 00  3B 00  3B 00", "31DEC98 ", "235959", '5', '9'},
        {"01 00  01 00", "00 00  00 00  00 00", "01JAN98 ", "000000", '0', '0'},
        {"0D 00  07 00", "09 00  05 00  03 00", "0798    ", "090503", '0', '3'},  // no month 13
        {"00 00  07 00", "0A 00  1E 00  2A 00", "0798    ", "103042", '4', '2'},
    };
    for (const Case& c : cases) {
        const std::string bytes = typical_fields()
                                      .put(82, c.day_month)
                                      .put(88, c.time)
                                      .text(864, "Laboratory Equipment")
                                      .bytes();
        ASSERT_TRUE(read_labo_bytes(labo_code, bytes).ok()) << c.date;
        EXPECT_EQ(text_of(spectrum.chn_header.start_date), c.date);
        EXPECT_EQ(text_of(spectrum.chn_header.start_time), c.hhmmss);
        EXPECT_EQ(spectrum.chn_header.start_sec[0], c.seconds_tens) << c.hhmmss;
        EXPECT_EQ(spectrum.chn_header.start_sec[1], c.seconds_units) << c.hhmmss;
    }
}

TEST_F(LaboReaders, ChannelCountsFromNoneToTheCapacity) {
    struct Case {
        std::string_view channels;
        std::size_t data_bytes;
        bool reads;
        int num_channels;
    };
    const Case cases[] = {
        {"00 00", 0, true, 0},         {"FD FF", 0, true, -3},  // negative: nothing is read
        {"01 00", 4, true, 1},         {"61 22", 4 * 8801, true, 8801},
        {"62 22", 4 * 8802, false, 0},  // 8802 channels do not fit the record
        {"FF 7F", 4 * 8802, false, 0},
    };
    for (const Case& c : cases) {
        std::string bytes =
            LaboFile().put(54, c.channels).text(864, "Laboratory Equipment").bytes();
        for (std::size_t i = 0; i < c.data_bytes; ++i)
            bytes += static_cast<char>(i % 4 == 0 ? 7 : 0);
        ReadOutcome outcome = read_labo_bytes(labo_code, bytes);
        EXPECT_EQ(outcome.ok(), c.reads) << c.channels << ": " << outcome.reason;
        if (c.reads) {
            EXPECT_EQ(spectrum.chn_header.num_channels, c.num_channels) << c.channels;
        }
    }
    ASSERT_TRUE(read_labo_bytes(labo_code, LaboFile()
                                               .put(54, "61 22")
                                               .text(864, "Laboratory Equipment")
                                               .counts(std::string(8 * 8800, '0') + "01 02 03 04")
                                               .bytes())
                    .ok());
    EXPECT_EQ(spectrum.counts[8800], 0x04030201);
}

TEST_F(LaboReaders, EveryFileCutBeforeItsLastChannelIsNotRead) {
    for (int code : {labo_code, labo_v154_code}) {
        const std::string whole = code == labo_code ? typical_labo() : typical_labo_v154();
        ASSERT_EQ(whole.size(), 1040u);
        for (std::size_t length = 0; length < whole.size(); ++length) {
            ReadOutcome outcome = read_labo_bytes(code, std::string_view(whole).substr(0, length));
            ASSERT_FALSE(outcome.ok()) << code << ": " << length << " bytes";
            ASSERT_EQ(ui.messages.size(), 1u) << length;
            EXPECT_EQ(ui.messages[0].text, file_not_read_text);
        }
        EXPECT_TRUE(read_labo_bytes(code, whole).ok());
        EXPECT_TRUE(read_labo_bytes(code, whole + "trailing bytes").ok());
    }
}

TEST_F(LaboReaders, TimesWhoseTicksDoNotFit32BitsAreNotRead) {
    struct Case {
        std::size_t offset;
        std::string_view seconds;
        bool reads;
    };
    const Case cases[] = {
        {712, "28 5C 8F 02", true},   // 42949672 s: 2147483600 ticks
        {712, "29 5C 8F 02", false},  // 42949673 s
        {712, "D8 A3 70 FD", true},   // -42949672 s
        {712, "D7 A3 70 FD", false},  // -42949673 s
        {716, "28 5C 8F 02", true},  {716, "29 5C 8F 02", false},
    };
    for (const Case& c : cases) {
        const std::string bytes =
            typical_fields().put(c.offset, c.seconds).text(864, "Laboratory Equipment").bytes();
        EXPECT_EQ(read_labo_bytes(labo_code, bytes).ok(), c.reads) << c.offset << " " << c.seconds;
    }
    ASSERT_TRUE(
        read_labo_bytes(
            labo_code,
            typical_fields().put(712, "28 5C 8F 02").text(864, "Laboratory Equipment").bytes())
            .ok());
    EXPECT_EQ(spectrum.chn_header.live_time, 2147483600);
}

TEST_F(LaboReaders, TheDescriptionKeeps63CharactersAndEndsAtANul) {
    const std::string long_text(64, 'x');
    ASSERT_TRUE(read_labo_bytes(
                    labo_code,
                    typical_fields().text(774, long_text).text(864, "Laboratory Equipment").bytes())
                    .ok());
    EXPECT_EQ(text_of(spectrum.chn_trailer.sample_desc), std::string(63, 'x'));

    const std::string with_nul("Co-60\0stale bytes", 17);
    ASSERT_TRUE(read_labo_bytes(
                    labo_code,
                    typical_fields().text(774, with_nul).text(864, "Laboratory Equipment").bytes())
                    .ok());
    EXPECT_EQ(text_of(spectrum.chn_trailer.sample_desc), "Co-60" + std::string(58, ' '));
    EXPECT_EQ(spectrum.chn_trailer.sample_desc_len, 63);
}

TEST_F(LaboReaders, WrongExtension) {
    fs.add_folder("C:\\data");
    ui.messages.clear();
    EXPECT_FALSE(read(labo_code, "C:\\data\\s.bin", typical_labo()).ok());
    EXPECT_EQ(spectrum.chn_header.mca_number, 0) << "the reader did not run";
}

// The CHN file of the typical file, written out from the CHN layout by hand.
std::string expected_chn(std::string_view date) {
    return hex_bytes("FF FF  65 00  01 00  30 33  A8 D2 02 00  20 BF 02 00") + std::string(date) +
           "090503" + hex_bytes("04 00") +
           hex_bytes("05 00 00 00  00 01 00 00  00 00 01 00  FF FF FF FF") +
           hex_bytes("00 00 00 00  00 00 80 BE  00 00 00 3F  00 00 00 40  00 00 00 00") +
           std::string(12 + 228 + 1 + 63, '\0') + hex_bytes("3F") + "Soil sample A-12" +
           std::string(47, ' ') + std::string(128, '\0');
}

TEST(LaboConvert, BothVersionsGiveTheChnBytes) {
    struct Case {
        std::string type;
        std::string bytes;
        std::string_view date;
    };
    const Case cases[] = {{"labo", typical_labo(), "07MAR98 "},
                          {"5", typical_labo_v154(), "07MAR051"}};
    for (const Case& c : cases) {
        const CliConversion done =
            convert_with_cli(c.type, "/raw/soil.dat", c.bytes, "/out/soil.chn");
        ASSERT_EQ(done.status, 0) << done.messages;
        ASSERT_TRUE(done.chn);
        const std::string expected = expected_chn(c.date);
        ASSERT_EQ(expected.size(), 32u + 16u + 516u);
        EXPECT_EQ(*done.chn, expected) << c.type;
    }
}

}  // namespace
}  // namespace sorvane
