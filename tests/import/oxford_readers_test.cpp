#include <cstdio>
#include <sstream>
#include <stdexcept>

#include "app/cli.h"
#include "import/reader_fixture.h"
#include "support/test_files.h"

namespace sorvane {
namespace {

// The three hand-written exports in tests/data/oxford hold the same 16 counts.
constexpr std::array<std::int32_t, 16> fixture_counts = {12, 15, 11, 14, 30, 95, 1234, 98,
                                                         33, 13, 10, 12, 9,  11, 40,   8};

std::string fixture(std::string_view name) {
    return test_data("oxford/" + std::string(name));
}

// The export with one whole line replaced by another.
std::string line_replaced(std::string bytes, std::string_view line, std::string_view replacement) {
    const std::string whole = std::string(line) + "\r\n";
    std::size_t at = bytes.find(whole);
    while (at != std::string::npos && at != 0 && bytes[at - 1] != '\n')
        at = bytes.find(whole, at + 1);
    if (at == std::string::npos)
        throw std::invalid_argument("no line \"" + std::string(line) + "\"");
    return bytes.replace(at, whole.size() - 2, replacement);
}

// The first n lines of an export.
std::string head_lines(const std::string& bytes, int n) {
    std::size_t end = 0;
    for (int i = 0; i < n; ++i) end = bytes.find("\r\n", end) + 2;
    return bytes.substr(0, end);
}

std::string padded(std::string_view text, std::size_t width) {
    std::string out(text);
    out.resize(width, ' ');
    return out;
}

// How each variant's fixture is laid out, for files made from it.
struct Variant {
    const char* name;
    int code;
    const char* file;
    const char* path;
    const char* gain_line;
    std::string (*gain_with)(int channels);
    int head;  // lines before the first count line
    const char* count_format;
};

std::string printed(const char* format, int a, int b = 0) {
    char text[64];
    std::snprintf(text, sizeof text, format, a, b);
    return text;
}

const Variant variants[] = {
    {"Win", 2, "soil_win.asc", "C:\\spectra\\soil_win.asc", "Conversion Gain:          16",
     [](int n) { return printed("Conversion Gain:          %d", n); }, 15, "%6d %8d"},
    {"DOS", 3, "soil_dos.asc", "C:\\spectra\\soil_dos.asc",
     "Conversion Gain: 1024  Channels stored:     16",
     [](int n) { return printed("Conversion Gain: 1024  Channels stored:  %5d", n); }, 7,
     "%5d %8d"},
    {"Mac", 8, "soil_mac", "C:\\spectra\\soil_mac", "ADC  Conversion Gain: 16    Offset: 0",
     [](int n) { return printed("ADC  Conversion Gain:%5d", n); }, 6, "%5d %9d"},
};
const Variant& win = variants[0];
const Variant& dos = variants[1];
const Variant& mac = variants[2];

// The variant's fixture with `channels` in its gain line and `lines` count lines
// holding count = channel % 1000 + 1.
std::string with_counts(const Variant& v, int channels, int lines) {
    std::string bytes =
        line_replaced(head_lines(fixture(v.file), v.head), v.gain_line, v.gain_with(channels));
    for (int channel = 0; channel < lines; ++channel) {
        bytes += printed(v.count_format, channel, channel % 1000 + 1) + "\r\n";
    }
    return bytes;
}

class OxfordReader : public ReaderTest {
protected:
    ReadOutcome read_variant(const Variant& v, std::string_view bytes) {
        return read(v.code, v.path, bytes);
    }

    void expect_only_the_format_message(const ReadOutcome& outcome, const std::string& what) {
        EXPECT_FALSE(outcome.ok()) << what;
        ASSERT_EQ(ui.messages.size(), 1u) << what;
        EXPECT_EQ(ui.messages[0].text, file_not_read_text) << what;
        EXPECT_EQ(ui.messages[0].title, "Sorvane2006") << what;
        ui.messages.clear();
    }
};

TEST_F(OxfordReader, EachFixtureFillsEveryFieldOfTheRecord) {
    struct Expected {
        const Variant& variant;
        std::int16_t mca_number;
        std::string_view date, time, seconds, description;
        float c0, c1, c2;
    };
    const Expected cases[] = {
        {win, 444, "14May011", "210500", "00", " Soil sample 7", -1.25f, 0.5f,
         1.1920928955078125e-07f},
        {dos, 445, "14May011", "210507", "07", "ID: Soil core 7", 0.0f, 1.0f, 0.0f},
        {mac, 446, " 3Jan99 ", "092618", "18", "Zoomed  Soil sample 7", 0.0f, 1.0f, 0.0f},
    };
    for (const Expected& e : cases) {
        const std::string name = e.variant.name;
        ui.pointers.clear();
        ASSERT_TRUE(read_variant(e.variant, fixture(e.variant.file)).ok()) << name;
        const ChnHeader& header = spectrum.chn_header;
        EXPECT_EQ(header.mca_number, e.mca_number) << name;
        EXPECT_EQ(header.segment, 1) << name;
        EXPECT_EQ(header.num_channels, 16) << name;
        EXPECT_EQ(header.live_time, 5025) << name;  // 100.5 s
        EXPECT_EQ(header.real_time, 5112) << name;  // 102.25 s = 5112.5 ticks, half to even
        EXPECT_EQ(text_of(header.start_date), e.date) << name;
        EXPECT_EQ(text_of(header.start_time), e.time) << name;
        EXPECT_EQ(text_of(header.start_sec), e.seconds) << name;
        EXPECT_EQ(text_of(spectrum.chn_trailer.sample_desc), padded(e.description, 63)) << name;
        EXPECT_EQ(spectrum.chn_trailer.sample_desc_len, 63) << name;
        EXPECT_EQ(spectrum.chn_trailer.ecal_c0, e.c0) << name;
        EXPECT_EQ(spectrum.chn_trailer.ecal_c1, e.c1) << name;
        EXPECT_EQ(spectrum.chn_trailer.ecal_c2, e.c2) << name;
        EXPECT_EQ(spectrum.chn_trailer.ecal_c3, 0.0f) << name;
        for (std::size_t channel = 0; channel < fixture_counts.size(); ++channel) {
            EXPECT_EQ(spectrum.counts[channel], fixture_counts[channel])
                << name << " channel " << channel;
        }
        EXPECT_EQ(spectrum.counts[16], 0) << name;
        EXPECT_TRUE(ui.messages.empty()) << name;
        EXPECT_EQ(ui.pointers, (std::vector<Pointer>{Pointer::hourglass, Pointer::normal})) << name;
    }
}

TEST_F(OxfordReader, TwelveHourDateLinesGiveTwoDigit24HourTimes) {
    struct Case {
        std::string_view line;
        std::string_view date, time, seconds;
    };
    const Case cases[] = {
        {"May 14 2001      3:05:07 pm", "14May011", "150507", "07"},
        {"May 14 2001     10:05:07 pm", "14May011", "220507", "07"},
        {"May 14 2001     12:05:07 pm", "14May011", "120507", "07"},
        {"May 14 2001     15:05:07 pm", "14May011", "150507", "07"},
        {"May 14 2001     11:59:59 PM", "14May011", "235959", "59"},
        {"May 14 2001      9:05:07 am", "14May011", "090507", "07"},
        {"May 14 2001     12:00:30 am", "14May011", "120030", "30"},
        {"Dec 31 1999     08:15:00 am", "31Dec99 ", "081500", "00"},
        {"MAY  4 2001      9:05:07 am", " 4May011", "090507", "07"},
        {"may 14 2001     09:05:07 am", "14May011", "090507", "07"},
        // Already at the columns (a number of ten or more from column 19): no blank in front.
        {" May 14 2001     09 05 07 pm", "14May011", "210507", "07"},
        // A blank first minute digit becomes "0".
        {"May 14 2001     09: 5: 7 am", "14May011", "0905 7", "07"},
    };
    for (const Variant* v : {&dos, &mac}) {
        const std::string original =
            v == &dos ? "May 14 2001     09:05:07 pm" : "Jan  3 1999      9:26:18 am";
        for (const Case& c : cases) {
            const std::string what = std::string(v->name) + " \"" + std::string(c.line) + "\"";
            ASSERT_TRUE(read_variant(*v, line_replaced(fixture(v->file), original, c.line)).ok())
                << what;
            EXPECT_EQ(text_of(spectrum.chn_header.start_date), c.date) << what;
            EXPECT_EQ(text_of(spectrum.chn_header.start_time), c.time) << what;
            EXPECT_EQ(text_of(spectrum.chn_header.start_sec), c.seconds) << what;
        }
    }
}

TEST_F(OxfordReader, TheFirstLineWithAmOrPmIsTheDateLineWhateverItHolds) {
    // " Sample ID 7" after the blank: day "le", month "Sam", year " 7", century
    // "ID" = 0 - 19; hour, minutes and seconds are empty.
    std::string bytes = line_replaced(fixture(dos.file), "SPECTRUM FILE", "Sample ID 7");
    ASSERT_TRUE(read_variant(dos, bytes).ok());
    EXPECT_EQ(text_of(spectrum.chn_header.start_date), "leSam 7-");
    EXPECT_EQ(text_of(spectrum.chn_header.start_time), "000   ");
    EXPECT_EQ(text_of(spectrum.chn_header.start_sec), "00");
}

TEST_F(OxfordReader, TheEndKeywordBeforeAnyDateLineLeavesTheDateUnset) {
    struct Case {
        const Variant& variant;
        std::string bytes;
    };
    const Case cases[] = {
        {dos, line_replaced(fixture(dos.file), "SPECTRUM FILE", "No Acq Date")},
        // The "Zoomed" line moved above the date line; the description still comes from it.
        {mac, line_replaced(line_replaced(fixture(mac.file), "Zoomed  Soil sample 7",
                                          "Jan  3 1999      9:26:18 am"),
                            "Jan  3 1999      9:26:18 am", "Zoomed  Soil sample 7")},
    };
    for (const Case& c : cases) {
        assign_text(spectrum.chn_header.start_date, "01Jan001");  // an earlier file's date
        ASSERT_TRUE(read_variant(c.variant, c.bytes).ok()) << c.variant.name;
        EXPECT_EQ(text_of(spectrum.chn_header.start_date), std::string(8, '\0')) << c.variant.name;
        EXPECT_EQ(text_of(spectrum.chn_header.start_time), std::string(6, '\0')) << c.variant.name;
        EXPECT_EQ(spectrum.chn_header.num_channels, 16) << c.variant.name;
    }
}

TEST_F(OxfordReader, WinDateLineWithAOneDigitDayIsMovedToItsColumns) {
    std::string bytes = line_replaced(fixture(win.file), "Acquisition Date:  14-May-2001 21:05",
                                      "Acquisition Date:  4-MAY-1998 07:30");
    ASSERT_TRUE(read_variant(win, bytes).ok());
    EXPECT_EQ(text_of(spectrum.chn_header.start_date), " 4May98 ");
    EXPECT_EQ(text_of(spectrum.chn_header.start_time), "073000");
}

TEST_F(OxfordReader, KeywordsAreFoundInAnyCaseAndWinCountsStartAtLine16) {
    for (const Variant& v : variants) {
        std::string line = v.gain_line;
        line.replace(line.find("Conversion Gain:"), 16, "CONVERSION GAIN:");
        ASSERT_TRUE(read_variant(v, line_replaced(fixture(v.file), v.gain_line, line)).ok())
            << v.name;
        EXPECT_EQ(spectrum.chn_header.num_channels, 16) << v.name;
    }
    // Numbers in the first 15 lines are never counts.
    std::string bytes = line_replaced(fixture(win.file), "------ ---------", "    99      777");
    ASSERT_TRUE(read_variant(win, bytes).ok());
    EXPECT_EQ(spectrum.counts[0], 12);
}

TEST_F(OxfordReader, ValuesAreCutFromTheirColumns) {
    // DOS: columns 42 to 46 whatever stands before them; Mac: the five characters
    // after the keyword wherever it stands.
    const std::string dos_line = "Group 1   Conversion Gain: 8192" + std::string(10, ' ') + "   12";
    ASSERT_TRUE(read_variant(dos, line_replaced(fixture(dos.file), dos.gain_line, dos_line)).ok());
    EXPECT_EQ(spectrum.chn_header.num_channels, 12);

    // " 1 2 ": blanks inside a number are ignored, the rest of the line is not read.
    const std::string mac_line = "Gain setting Conversion Gain: 1 2  (of 4096)";
    ASSERT_TRUE(read_variant(mac, line_replaced(fixture(mac.file), mac.gain_line, mac_line)).ok());
    EXPECT_EQ(spectrum.chn_header.num_channels, 12);
    EXPECT_EQ(spectrum.counts[11], 12);
    EXPECT_EQ(spectrum.counts[12], 0);
}

TEST_F(OxfordReader, DescriptionKeepsTheFirst63CharactersFromItsColumn) {
    const std::string long_id = "ID: " + std::string(60, 'x') + "0123456789";
    ASSERT_TRUE(
        read_variant(win, line_replaced(fixture(win.file), "ID: Soil sample 7", long_id)).ok());
    EXPECT_EQ(text_of(spectrum.chn_trailer.sample_desc), " " + std::string(60, 'x') + "01");
}

TEST_F(OxfordReader, CapacityIs8801Channels) {
    for (const Variant& v : variants) {
        ASSERT_TRUE(read_variant(v, with_counts(v, 4096, 4096)).ok()) << v.name;
        EXPECT_EQ(spectrum.chn_header.num_channels, 4096) << v.name;
        EXPECT_EQ(spectrum.counts[4095], 96) << v.name;

        ASSERT_TRUE(read_variant(v, with_counts(v, 8801, 8801)).ok()) << v.name;
        EXPECT_EQ(spectrum.chn_header.num_channels, 8801) << v.name;
        EXPECT_EQ(spectrum.counts[8800], 801) << v.name;

        expect_only_the_format_message(read_variant(v, with_counts(v, 8802, 8802)), v.name);
        expect_only_the_format_message(read_variant(v, with_counts(v, 40000, 0)), v.name);
    }
}

TEST_F(OxfordReader, FilesWithAMissingItemOrABadValueAreNotRead) {
    struct Case {
        const Variant& variant;
        std::string_view line;
        std::string_view replacement;
    };
    const Case cases[] = {
        {win, "Conversion Gain:          16", ""},
        {win, "Elapsed Live Time: 100.5 sec", "Live Time: 100.5 sec"},
        {win, "Elapsed Real Time: 102.25 sec", ""},
        {win, "ID: Soil sample 7", "Soil sample 7"},
        {win, "Acquisition Date:  14-May-2001 21:05", "Acquired  14-May-2001 21:05"},
        {win, "  Quadratic coefficient A =                          1.1920928955078125E-07", ""},
        {win, "  Linear coefficient    B =                          0.5", ""},
        {win, "  Offset                C =                          -1.25", ""},
        {win, "  Offset                C =                          -1.25",
         "  Offset                C =                          1E39"},
        {win, "Conversion Gain:          16", "Conversion Gain:          0"},
        {win, "Conversion Gain:          16", "Conversion Gain:          -16"},
        {win, "Conversion Gain:          16", "Conversion Gain:          17"},
        {win, "Elapsed Live Time: 100.5 sec", "Elapsed Live Time: 1E99"},
        {win, "     6     1234", "     6 99999999999"},
        {dos, "Conversion Gain: 1024  Channels stored:     16", "Conversion Gain: 1024"},
        {dos, "Live Time  Elt:                       100.5   Real Time:         102.25",
         "Live Time  Elt:                       100.5"},
        {dos, "Live Time  Elt:                       100.5   Real Time:         102.25",
         "Live Time                             100.5   Real Time:         102.25"},
        {dos, "  ID: Soil core 7", "  Soil core 7"},
        {dos, "May 14 2001     09:05:07 pm", "14.05.2001 21:05:07"},
        {dos, "May 14 2001     09:05:07 pm", "May 14 2001     -1:05:07 pm"},
        {dos, "Chn    Counts", "Chn   Counts"},
        {mac, "ADC  Conversion Gain: 16    Offset: 0", "ADC  Conversion Gain:40000"},
        {mac, "ADC  Conversion Gain: 16    Offset: 0", "ADC  Conversion Gain: 17    Offset: 0"},
        {mac, "Elt: 100.5 sec", "Elapsed 100.5 sec"},
        {mac, "Ert: 102.25 sec", ""},
        {mac, "Zoomed  Soil sample 7", "Soil sample 7"},
        {mac, "Chn     Counts", "Chn    Counts"},
    };
    for (const Case& c : cases) {
        const std::string what =
            std::string(c.variant.name) + " \"" + std::string(c.replacement) + "\"";
        ReadOutcome outcome =
            read_variant(c.variant, line_replaced(fixture(c.variant.file), c.line, c.replacement));
        EXPECT_FALSE(outcome.reason.empty()) << what;
        expect_only_the_format_message(outcome, what);
    }
}

std::string without(std::string bytes, char removed) {
    std::erase(bytes, removed);
    return bytes;
}

TEST_F(OxfordReader, LinesEndAtACarriageReturnWithOrWithoutLineFeed) {
    // Carriage returns alone, and a last line without any line end, still read.
    for (const std::string& bytes : {without(fixture(mac.file), '\n'),
                                     fixture(mac.file).substr(0, fixture(mac.file).size() - 2)}) {
        ASSERT_TRUE(read_variant(mac, bytes).ok());
        EXPECT_EQ(spectrum.chn_header.num_channels, 16);
        EXPECT_EQ(spectrum.counts[15], 8);
        EXPECT_EQ(text_of(spectrum.chn_header.start_time), "092618");
    }
    // Line feeds alone do not end lines: the whole file is one line without counts after it.
    expect_only_the_format_message(read_variant(mac, without(fixture(mac.file), '\r')),
                                   "line feeds only");
}

TEST_F(OxfordReader, MacRunsForAnyNameWinAndDosOnlyForAsc) {
    ASSERT_TRUE(read(8, "C:\\spectra\\soil_mac", fixture(mac.file)).ok());
    EXPECT_EQ(spectrum.chn_header.mca_number, 446);
    ASSERT_TRUE(read(8, "C:\\spectra\\soil.txt", fixture(mac.file)).ok());
    EXPECT_EQ(spectrum.chn_header.mca_number, 446);
    for (const Variant* v : {&win, &dos}) {
        ui.messages.clear();
        expect_only_the_format_message(read(v->code, "C:\\spectra\\soil.txt", fixture(v->file)),
                                       v->name);
        EXPECT_EQ(spectrum.chn_header.mca_number, 0) << v->name << ": the reader did not run";
        EXPECT_TRUE(read(v->code, "C:\\spectra\\SOIL.ASC", fixture(v->file)).ok()) << v->name;
    }
}

// CHN files written out from the layout by hand: header, 16 counts, trailer.
std::string expected_chn(std::string_view mca_and_segment, std::string_view seconds,
                         std::string_view date, std::string_view time, std::string_view calibration,
                         std::string_view description) {
    return hex_bytes("FF FF") + hex_bytes(mca_and_segment) + std::string(seconds) +
           hex_bytes("F8 13 00 00  A1 13 00 00") + std::string(date) + std::string(time) +
           hex_bytes("10 00") +
           hex_bytes(
               "0C 00 00 00  0F 00 00 00  0B 00 00 00  0E 00 00 00"
               "1E 00 00 00  5F 00 00 00  D2 04 00 00  62 00 00 00"
               "21 00 00 00  0D 00 00 00  0A 00 00 00  0C 00 00 00"
               "09 00 00 00  0B 00 00 00  28 00 00 00  08 00 00 00") +
           hex_bytes("00 00 00 00") + hex_bytes(calibration) + hex_bytes("00 00 00 00") +
           std::string(12 + 228 + 1 + 63, '\0') + hex_bytes("3F") + padded(description, 63) +
           std::string(128, '\0');
}

TEST(OxfordConvert, EachFixtureBecomesTheChnFileWrittenOutByHand) {
    struct Case {
        const char* type;
        const char* input;
        const char* output;
        std::string expected;
    };
    const Case cases[] = {
        {"oxford-win", "/raw/soil_win.asc", "/out/soil_win.chn",
         expected_chn("BC 01 01 00", "00", "14May011", "210500",
                      "00 00 A0 BF  00 00 00 3F  00 00 00 34", " Soil sample 7")},
        {"oxford-dos", "/raw/soil_dos.asc", "/out/soil_dos.chn",
         expected_chn("BD 01 01 00", "07", "14May011", "210507",
                      "00 00 00 00  00 00 80 3F  00 00 00 00", "ID: Soil core 7")},
        // A name of any form: its base name is all but the last four characters.
        {"oxford-mac", "/raw/soil_mac", "/out/soil.chn",
         expected_chn("BE 01 01 00", "18", " 3Jan99 ", "092618",
                      "00 00 00 00  00 00 80 3F  00 00 00 00", "Zoomed  Soil sample 7")},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(c.expected.size(), 32u + 4u * 16u + 516u);
        const CliConversion done =
            convert_with_cli(c.type, c.input, fixture(std::string(c.input).substr(5)), c.output);
        EXPECT_EQ(done.status, 0) << done.messages;
        ASSERT_TRUE(done.chn) << c.output << "\n" << done.messages;
        EXPECT_EQ(*done.chn, c.expected) << c.type;
    }
}

}  // namespace
}  // namespace sorvane
