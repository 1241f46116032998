#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <span>
#include <sstream>
#include <string>
#include <vector>

#include "app/cli.h"
#include "import/read_raw_file.h"
#include "support/field_case.h"
#include "support/memory_file_system.h"
#include "support/scripted_ui.h"

namespace sorvane {

// `text` right-aligned in `width` columns; a longer text is not cut.
inline std::string right_aligned(std::string_view text, std::size_t width) {
    std::string out(width > text.size() ? width - text.size() : 0, ' ');
    return out + std::string(text);
}

// The text with the first occurrence of `from` replaced; a test that names text
// the file does not hold fails here rather than passing by accident.
inline std::string replaced(std::string text, std::string_view from, std::string_view to) {
    std::size_t at = text.find(from);
    if (at == std::string::npos) {
        ADD_FAILURE() << "\"" << from << "\" is not in the file";
        return text;
    }
    return text.replace(at, from.size(), to);
}

// A copy of a text file with one to four bytes changed, dropped or added anywhere,
// the new bytes drawn from `alphabet`: for the tests that damaged files are read
// or refused, never a crash.
inline std::string damaged_copy(std::string text, std::mt19937& random, std::string_view alphabet) {
    const int edits = 1 + static_cast<int>(random() % 4);
    for (int edit = 0; edit < edits && !text.empty(); ++edit) {
        const std::size_t at = random() % text.size();
        const char byte = alphabet[random() % alphabet.size()];
        switch (random() % 3) {
            case 0:
                text[at] = byte;
                break;
            case 1:
                text.erase(at, 1);
                break;
            default:
                text.insert(at, 1, byte);
                break;
        }
    }
    return text;
}

// A Windows-like machine in memory, one record and a scripted person: what every
// reader test needs.
class ReaderTest : public ::testing::Test {
protected:
    MemoryFileSystem fs{MemoryFileSystem::Flavour::windows};
    ScriptedUi ui;
    Spectrum spectrum;
    ReaderContext context{spectrum, fs, ui};

    ReadOutcome read(int code, const std::string& path, std::string_view bytes) {
        fs.add_file(path, bytes);
        return read_raw_file(context, code, path);
    }

    // The same with the messages and pointer changes of earlier reads forgotten.
    ReadOutcome read_fresh(int code, const std::string& path, std::string_view bytes) {
        ui.messages.clear();
        ui.pointers.clear();
        return read(code, path, bytes);
    }

    // One row of a reader's failure table: the file, and a part of the reason.
    struct FailureCase {
        const char* name;
        std::string text;
        const char* reason_part;
    };

    // A refused file: the reason names what was wrong, the person sees only the one
    // format message, and the pointer is normal again.
    void expect_refused(const FailureCase& c, const ReadOutcome& outcome) {
        EXPECT_FALSE(outcome.ok()) << c.name;
        EXPECT_NE(outcome.reason.find(c.reason_part), std::string::npos)
            << c.name << ": " << outcome.reason;
        ASSERT_EQ(ui.messages.size(), 1u) << c.name << ": only the format message";
        EXPECT_EQ(ui.messages[0].text, file_not_read_text) << c.name;
        EXPECT_EQ(ui.pointer(), Pointer::normal) << c.name;
    }

    // Every field of the record a good read fills, written out by hand: the MCA
    // number, the channels, live and real time in ticks, date, time and seconds,
    // the four calibration terms, the description's length and text; then the
    // counts from channel 0 (a last 0 shows where the reader stopped).
    struct Record {
        std::int16_t mca_number;
        int num_channels;
        std::int32_t live_time, real_time;
        std::string date, time, seconds;
        float c0, c1, c2, c3;
        int description_length;
        std::string description;
    };
    void expect_record(const Record& e, const std::vector<std::int32_t>& counts) {
        const ChnHeader& header = spectrum.chn_header;
        EXPECT_EQ(header.mca_number, e.mca_number);
        EXPECT_EQ(header.segment, 1);
        EXPECT_EQ(header.num_channels, e.num_channels);
        EXPECT_EQ(header.live_time, e.live_time);
        EXPECT_EQ(header.real_time, e.real_time);
        EXPECT_EQ(text_of(header.start_date), e.date);
        EXPECT_EQ(text_of(header.start_time), e.time);
        EXPECT_EQ(text_of(header.start_sec), e.seconds);
        const ChnTrailer& trailer = spectrum.chn_trailer;
        EXPECT_EQ(trailer.ecal_c0, e.c0);
        EXPECT_EQ(trailer.ecal_c1, e.c1);
        EXPECT_EQ(trailer.ecal_c2, e.c2);
        EXPECT_EQ(trailer.ecal_c3, e.c3);
        EXPECT_EQ(trailer.sample_desc_len, e.description_length);
        EXPECT_EQ(text_of(trailer.sample_desc), e.description);
        for (std::size_t channel = 0; channel < counts.size(); ++channel)
            EXPECT_EQ(spectrum.counts[channel], counts[channel]) << "channel " << channel;
    }

    // A file read without a word to the person, the pointer an hourglass meanwhile.
    void expect_read_quietly() {
        ASSERT_FALSE(ui.pointers.empty());
        EXPECT_EQ(ui.pointers.front(), Pointer::hourglass);
        EXPECT_EQ(ui.pointer(), Pointer::normal);
        EXPECT_TRUE(ui.messages.empty());
    }

    // Each row of a field table: the good file with the row's change is read, and
    // the field it changes holds the expected value.
    template <class Read>
    void expect_fields(std::span<const FieldCase> cases, const std::string& good, Read read_text) {
        for (const FieldCase& c : cases) {
            ReadOutcome outcome = read_text(replaced(good, c.from, c.to));
            ASSERT_TRUE(outcome.ok()) << c.name << ": " << outcome.reason;
            EXPECT_EQ(c.field(spectrum), c.expected) << c.name;
        }
    }

    // 3000 damaged copies of a good text file: each is either read or refused with
    // the one format message; none may crash or write outside the record (run
    // under AddressSanitizer to see the latter).
    template <class Read>
    void expect_damaged_copies_read_or_refused(const std::string& good, unsigned seed,
                                               Read read_text) {
        std::mt19937 random(seed);
        const std::string_view alphabet = "0123456789 -+.eE#/:\r\nxA";
        for (int trial = 0; trial < 3000; ++trial) {
            const std::string text = damaged_copy(good, random, alphabet);
            ReadOutcome outcome = read_text(text);
            ASSERT_EQ(ui.messages.size(), outcome.ok() ? 0u : 1u) << text;
        }
    }
};

// What `sorvanecli convert --type TYPE --out /out RAW` did with one raw file put at
// `raw_path` on an in-memory POSIX disk: its exit status, its messages and the CHN
// file it wrote at `chn_path`, if any.
struct CliConversion {
    int status = 0;
    std::string messages;
    std::optional<std::string> chn;
};

inline CliConversion convert_with_cli(const std::string& type, const std::string& raw_path,
                                      std::string_view bytes, const std::string& chn_path) {
    MemoryFileSystem fs{MemoryFileSystem::Flavour::posix};
    fs.add_file(raw_path, bytes);
    fs.add_folder("/out");
    std::ostringstream out, err;
    CliConversion done;
    done.status =
        run_sorvanecli({"convert", "--type", type, "--out", "/out", raw_path}, fs, out, err);
    done.messages = out.str() + err.str();
    done.chn = fs.contents(chn_path);
    return done;
}

// A conversion that ended well and wrote exactly the expected CHN bytes.
inline void expect_chn(const CliConversion& done, const std::string& expected) {
    ASSERT_EQ(done.status, 0) << done.messages;
    ASSERT_TRUE(done.chn) << done.messages;
    EXPECT_EQ(*done.chn, expected);
}

}  // namespace sorvane
