#include "import/read_raw_file.h"

#include "import/raw_file_types.h"

#include "import/reader_fixture.h"
#include "support/test_files.h"

namespace sorvane {
namespace {

const std::string simple_list = crlf_lines({"0, 100", "1, 120", "2, 5", "3, 6"});

class ReadRawFile : public ReaderTest {};

TEST_F(ReadRawFile, ChnInputCountsAsReadWithoutOpeningAnything) {
    EXPECT_TRUE(read_raw_file(context, 1, "C:\\nowhere\\a.chn").ok());
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(ReadRawFile, ExtensionTestIsASubstringOfTheWholePathIgnoringCase) {
    struct Case {
        const char* path;
        bool reader_runs;
    };
    const Case cases[] = {
        {"C:\\data\\a.asc", true},     {"C:\\data\\B.ASC", true},
        {"C:\\DATA.ASC\\c.txt", true},  // the folder name passes the test
        {"C:\\data\\d.txt", false},    {"C:\\asc\\e.txt", false},  // ".asc" needs the dot
        {"C:\\data\\f.ascii", true},
    };
    for (const Case& c : cases) {
        ui.messages.clear();
        ReadOutcome outcome = read(30, c.path, simple_list);
        EXPECT_EQ(outcome.ok(), c.reader_runs) << c.path << ": " << outcome.reason;
        // The reader puts its own source code in the header; without it the record stays cleared.
        EXPECT_EQ(spectrum.chn_header.mca_number, c.reader_runs ? 999 : 0) << c.path;
        EXPECT_EQ(ui.messages.size(), c.reader_runs ? 0u : 1u) << c.path;
    }
}

TEST_F(ReadRawFile, ANotReadFileShowsTheFixedMessageAndResetsThePointer) {
    for (int code : {0, 12, -1, 30}) {
        ui.messages.clear();
        ui.pointers.clear();
        ui.set_pointer(Pointer::hourglass);
        EXPECT_FALSE(read(code, "C:\\data\\x.txt", "").ok()) << code;
        ASSERT_EQ(ui.messages.size(), 1u) << code;
        EXPECT_EQ(ui.messages[0].text,
                  "File does not read.\r\nDifferent format ?!   Check file type !!");
        EXPECT_EQ(ui.messages[0].title, "Sorvane2006");
        EXPECT_EQ(ui.messages[0].buttons, Buttons::ok);
        EXPECT_EQ(ui.pointer(), Pointer::normal) << code;
    }
}

// Every reader runs under the one error guard: only a missing folder is told as
// such, before the format message; a missing file gets the format message alone.
TEST_F(ReadRawFile, OnlyAMissingFolderIsToldAsSuchByEveryReader) {
    fs.add_folder("C:\\data");
    for (const RawFileType& type : raw_file_types) {
        if (type.reader == nullptr) continue;
        const std::string name = "gone" + std::string(type.extension_test);
        ui.messages.clear();
        ReadOutcome outcome = read_raw_file(context, type.code, "C:\\nowhere\\" + name);
        EXPECT_FALSE(outcome.ok()) << type.caption;
        ASSERT_EQ(ui.messages.size(), 2u) << type.caption;
        EXPECT_EQ(ui.messages[0].text, "File does not exist.") << type.caption;
        EXPECT_EQ(ui.messages[0].title, "Sorvane2006") << type.caption;
        EXPECT_EQ(ui.messages[0].buttons, Buttons::ok) << type.caption;
        EXPECT_EQ(ui.messages[1].text, file_not_read_text) << type.caption;
        EXPECT_EQ(ui.pointer(), Pointer::normal) << type.caption;

        ui.messages.clear();
        outcome = read_raw_file(context, type.code, "C:\\data\\" + name);
        EXPECT_FALSE(outcome.ok()) << type.caption;
        ASSERT_EQ(ui.messages.size(), 1u) << type.caption;
        EXPECT_EQ(ui.messages[0].text, file_not_read_text) << type.caption;
        EXPECT_NE(outcome.reason.find(name), std::string::npos) << outcome.reason;
    }
}

TEST_F(ReadRawFile, EveryConversionStartsFromAClearedRecord) {
    // What an earlier file of another format left behind.
    spectrum.chn_trailer.ecal_c3 = 5.0f;
    spectrum.chn_trailer.sample_desc_len = 63;
    assign_text(spectrum.chn_trailer.sample_desc, "earlier sample");
    spectrum.chn_header.start_sec = {'4', '2'};
    spectrum.counts[2000] = 77;

    ASSERT_TRUE(read(30, "C:\\data\\a.asc", simple_list).ok());
    EXPECT_EQ(spectrum.chn_trailer.ecal_c3, 0.0f);
    EXPECT_EQ(spectrum.chn_trailer.sample_desc_len, 0);
    EXPECT_EQ(text_of(spectrum.chn_trailer.sample_desc), std::string(63, '\0'));
    EXPECT_EQ(spectrum.chn_header.start_sec[0], '\0');
    EXPECT_EQ(spectrum.counts[2000], 0);
    EXPECT_EQ(spectrum.input_path, "C:\\data\\a.asc");
}

}  // namespace
}  // namespace sorvane
