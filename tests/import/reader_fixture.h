#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <sstream>
#include <string>

#include "app/cli.h"
#include "import/read_raw_file.h"
#include "support/memory_file_system.h"
#include "support/scripted_ui.h"

namespace sorvane {

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
};

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

}  // namespace sorvane
