#include <numeric>

#include "import/reader_fixture.h"
#include "support/test_files.h"

namespace sorvane {
namespace {

// "ch, count" lines for channels first..last with count = 1000 + channel.
std::string channel_list(int first, int last) {
    std::string text;
    for (int channel = first; channel <= last; ++channel) {
        text += std::to_string(channel) + ", " + std::to_string(1000 + channel) + "\r\n";
    }
    return text;
}

class SimpleReader : public ReaderTest {
protected:
    ReadOutcome read_text(std::string_view bytes) { return read(30, "C:\\spectra\\s.asc", bytes); }
};

TEST_F(SimpleReader, ListWithoutHeaderFromChannelZero) {
    ASSERT_TRUE(read_text(channel_list(0, 1023)).ok());
    const ChnHeader& header = spectrum.chn_header;
    EXPECT_EQ(header.num_channels, 1024);
    EXPECT_EQ(header.mca_number, 999);
    EXPECT_EQ(header.segment, 1);
    EXPECT_EQ(header.live_time, 50 * 1000);  // channel 0 holds the live time in seconds
    EXPECT_EQ(header.real_time, 50 * 1001);  // channel 1 the real time
    EXPECT_EQ(text_of(header.start_date), "        ");
    EXPECT_EQ(text_of(header.start_time), "      ");
    EXPECT_EQ(spectrum.counts[0], 1000);
    EXPECT_EQ(spectrum.counts[1023], 2023);
    EXPECT_EQ(spectrum.chn_trailer.ecal_c0, 0.0f);
    EXPECT_EQ(spectrum.chn_trailer.ecal_c1, 1.0f);
    EXPECT_EQ(spectrum.chn_trailer.ecal_c2, 0.0f);
    EXPECT_EQ(ui.pointer(), Pointer::normal);
}

TEST_F(SimpleReader, ListFromChannelOneIsReadFromItsFirstLine) {
    ASSERT_TRUE(read_text(channel_list(1, 600)).ok());
    EXPECT_EQ(spectrum.counts[1], 1001);
    EXPECT_EQ(spectrum.counts[0], 0);
    EXPECT_EQ(spectrum.chn_header.live_time, 0);
    EXPECT_EQ(spectrum.chn_header.real_time, 50 * 1001);
}

TEST_F(SimpleReader, HeaderLinesBeforeTheListAreSkippedExceptTheOneJustBefore) {
    // The run 0,1,2,3 ends at line 7, so reading restarts at line 3, the blank line:
    // a blank line before the first nonzero channel does not end the list.
    std::string text = crlf_lines({"Spectrum export", "Date 2001", ""}) + channel_list(0, 40);
    ASSERT_TRUE(read_text(text).ok());
    EXPECT_EQ(spectrum.counts[0], 1000);
    EXPECT_EQ(spectrum.counts[40], 1040);
}

TEST_F(SimpleReader, AReReadHeaderLineWritesItsSecondFieldToChannelZero) {
    // Run at line 4 (window 0,0,0,1 / 0,0,1,2 / 0,1,2,3): reading restarts at
    // line 1, whose number value is channel 0 and whose second field is 120.
    std::string text = crlf_lines({"Live 120"}) + channel_list(1, 10);
    ASSERT_TRUE(read_text(text).ok());
    EXPECT_EQ(spectrum.counts[0], 120);
    EXPECT_EQ(spectrum.chn_header.live_time, 6000);
}

TEST_F(SimpleReader, TheFirstZeroChannelAfterTheListEndsIt) {
    for (const char* after : {"", "end of data", "0, 5"}) {
        std::string text = channel_list(0, 20) + crlf_lines({after}) + channel_list(30, 40);
        ASSERT_TRUE(read_text(text).ok()) << after;
        EXPECT_EQ(spectrum.counts[20], 1020) << after;
        EXPECT_EQ(spectrum.counts[30], 0) << '"' << after << "\" did not end the list";
    }
}

TEST_F(SimpleReader, LengthIsThePowerOfTwoMultipleOf1024ThatHoldsTheHighestChannel) {
    struct Case {
        int highest;
        int length;
    };
    for (Case c : {Case{3, 1024}, Case{1024, 1024}, Case{1025, 2048}, Case{4096, 4096},
                   Case{4097, 8192}, Case{8192, 8192}, Case{8193, 16384}, Case{8800, 16384}}) {
        ASSERT_TRUE(read_text(channel_list(0, c.highest)).ok()) << c.highest;
        EXPECT_EQ(spectrum.chn_header.num_channels, c.length) << c.highest;
    }
    // The count of channel 1024 is read, though a 1024-channel file does not hold it.
    ASSERT_TRUE(read_text(channel_list(0, 1024)).ok());
    EXPECT_EQ(spectrum.counts[1024], 2024);
}

TEST_F(SimpleReader, LinesWithoutTheCommaAndBlankReadAsTheFormatSays) {
    // "17,2533": no second field, so the count is the number value of the whole line.
    std::string with_comma_only =
        channel_list(0, 16) + crlf_lines({"17,2533"}) + channel_list(18, 30);
    ASSERT_TRUE(read_text(with_comma_only).ok());
    EXPECT_EQ(spectrum.counts[17], 17);
    EXPECT_EQ(spectrum.counts[18], 1018);

    // A tab runs the two numbers together into channel 172533: out of range, not read.
    std::string with_tab = channel_list(0, 16) + crlf_lines({"17\t2533"});
    ReadOutcome outcome = read_text(with_tab);
    EXPECT_FALSE(outcome.ok());
    EXPECT_NE(outcome.reason.find("172533"), std::string::npos) << outcome.reason;
}

TEST_F(SimpleReader, FilesWithoutFourConsecutiveChannelsAreNotRead) {
    struct Case {
        const char* name;
        std::string bytes;
    };
    const Case cases[] = {
        {"empty", ""},
        {"text only", crlf_lines({"no", "numbers", "here", "at all"})},
        {"gaps", crlf_lines({"0, 1", "2, 1", "4, 1", "6, 1"})},
        // Line feeds alone do not end lines: the whole file is one line.
        {"line feeds only", "0, 5\n1, 6\n2, 7\n3, 8\n4, 9\n"},
    };
    for (const Case& c : cases) {
        ReadOutcome outcome = read_text(c.bytes);
        EXPECT_FALSE(outcome.ok()) << c.name;
        EXPECT_EQ(ui.messages.back().text, file_not_read_text) << c.name;
    }
}

TEST_F(SimpleReader, ChannelsOutsideTheRecordAndHugeNumbersAreFaultsNotCrashes) {
    for (const std::string& bad : {crlf_lines({"8801, 5"}), crlf_lines({"-3, 5"}),
                                   crlf_lines({"5, 99999999999"}), crlf_lines({"5, 1E999"})}) {
        ui.messages.clear();
        ReadOutcome outcome = read_text(channel_list(0, 4) + bad);
        EXPECT_FALSE(outcome.ok()) << bad;
        ASSERT_EQ(ui.messages.size(), 1u) << "only the format message, no other box";
    }
}

}  // namespace
}  // namespace sorvane
