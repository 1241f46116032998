#include "import/raw_file_types.h"

#include <gtest/gtest.h>

namespace sorvane {
namespace {

// The selector's table as the program must show and store it.
struct Row {
    const char* caption;
    const char* pattern;
    int code;
    const char* extension_test;
    int mca_number;
};
const Row expected_rows[] = {
    {"ORTEC, SEIKO (*.chn)", "*.chn", 1, "", 0},
    {"IEC1455 (IEC) (*.iec)", "*.iec", 10, ".iec", 1455},
    {"CTBTO ver.2 (RMS) (*.rms)", "*.rms", 9, ".rms", 556},
    {"Oxford Win (asc) (*.asc)", "*.asc", 2, ".asc", 444},
    {"Oxford DOS (asc) (*.asc)", "*.asc", 3, ".asc", 445},
    {"Oxford Mac (asc) (*.*)", "*.*", 8, "", 446},
    {"Labo (binary)(*.dat)", "*.dat", 4, ".dat", 101},
    {"Labo v1.54(binary)(*.dat)", "*.dat", 5, ".dat", 101},
    {"CANBERRA35+ RS232C(*.txt)", "*.txt", 6, ".txt", 445},
    {"NAIG E-560  RS232C(*.txt)", "*.txt", 7, ".txt", 560},
    {"Simple data: Ch, Count(*.*)", "*.*", 30, ".asc", 999},
    {"All Files (*.*)", "*.*", 0, "", 0},
};

TEST(RawFileTypes, TableHoldsTheCaptionsCodesAndPatterns) {
    ASSERT_EQ(raw_file_types.size(), std::size(expected_rows));
    for (std::size_t position = 0; position < raw_file_types.size(); ++position) {
        const Row& row = expected_rows[position];
        const RawFileType& type = raw_file_types[position];
        EXPECT_EQ(type.caption, row.caption) << position;
        EXPECT_EQ(pattern_of(type.caption), row.pattern) << position;
        EXPECT_EQ(type.code, row.code) << position;
        EXPECT_EQ(type.extension_test, row.extension_test) << position;
        if (row.mca_number != 0) {
            EXPECT_EQ(type.mca_number, row.mca_number) << position;
        }
        EXPECT_EQ(type_code_of(static_cast<int>(position)), position < 11 ? row.code : 0)
            << position;
    }
}

TEST(RawFileTypes, PositionsAndCodesTranslateBothWays) {
    EXPECT_EQ(type_code_of(11), 0);
    EXPECT_EQ(type_code_of(-1), 0);
    EXPECT_EQ(type_code_of(12), 0);
    EXPECT_EQ(position_of(30), 10);
    EXPECT_EQ(position_of(1), 0);
    EXPECT_EQ(position_of(12), 11);
    EXPECT_EQ(position_of(0), 11);
    EXPECT_EQ(position_of(8), 5);
    for (int position = 0; position < 11; ++position)
        EXPECT_EQ(position_of(type_code_of(position)), position);
}

TEST(RawFileTypes, PatternIsCutFromTheCaption) {
    EXPECT_EQ(pattern_of("Anything (*.XyZ)"), "*.XyZ");
    EXPECT_EQ(pattern_of("a *.b (*.c)"), "*.b (*.c");  // from the first "*." on
    EXPECT_EQ(pattern_of("no pattern"), "");
}

TEST(RawFileTypes, NamesForTheCommandLine) {
    EXPECT_EQ(type_of_name("simple")->code, 30);
    EXPECT_EQ(type_of_name("IEC")->code, 10);
    EXPECT_EQ(type_of_name("naig e-560  rs232c(*.txt)")->code, 7);
    EXPECT_EQ(type_of_name("nothing"), nullptr);
    EXPECT_EQ(type_of_code(9)->short_name, "rms");
    EXPECT_EQ(type_of_code(0), nullptr);
}

}  // namespace
}  // namespace sorvane
