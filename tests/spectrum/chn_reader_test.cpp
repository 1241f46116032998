#include "spectrum/chn_reader.h"

#include <gtest/gtest.h>

#include <numeric>

#include "spectrum/chn_writer.h"
#include "support/test_files.h"

namespace sorvane {
namespace {

TEST(ChnReader, ReadsBackWhatTheWriterWrote) {
    Spectrum spectrum;
    spectrum.chn_header.file_type = -1;
    spectrum.chn_header.mca_number = 1455;
    spectrum.chn_header.live_time = 123;
    assign_text(spectrum.chn_header.start_time, "235959");
    spectrum.chn_header.num_channels = 4;
    spectrum.counts[3] = 42;
    spectrum.chn_trailer.ecal_c3 = 2.5f;
    spectrum.chn_trailer.sample_desc_len = 63;
    assign_text(spectrum.chn_trailer.sample_desc, "soil");

    ChnDecode decoded = decode_chn(encode_chn(spectrum));
    ASSERT_TRUE(decoded.file) << decoded.reason;
    EXPECT_EQ(decoded.file->layout, ChnLayout::own);
    EXPECT_EQ(decoded.file->header.mca_number, 1455);
    EXPECT_EQ(decoded.file->header.live_time, 123);
    EXPECT_EQ(text_of(decoded.file->header.start_time), "235959");
    EXPECT_EQ(decoded.file->counts, (std::vector<std::int32_t>{0, 0, 0, 42}));
    EXPECT_EQ(decoded.file->energy_calibration[3], 2.5f);
    EXPECT_EQ(decoded.file->sample_description, "soil" + std::string(59, ' '));
}

// Files written by another program in the published layout. The expected values
// were read from the files with the published layout by hand (a separate script).
TEST(ChnReader, ReadsPublishedChnFilesOfRealMeasurements) {
    struct Case {
        const char* file;
        std::size_t channels;
        std::int32_t real_time, live_time;
        const char* date;
        const char* time;
        float c1;
        std::int64_t total;
        const char* sample;
    };
    const Case cases[] = {
        {"Alcatraz14.CHN", 8192, 45271, 45000, "17Sep121", "134107", 0.37443596f, 132978,
         "Description: Alcatraz14"},
        {"1110C_NAA_cave_pottery.CHN", 16384, 827850, 827150, "25Apr171", "125427", 0.1828039f,
         304706, "No sample description was entered."},
    };
    for (const Case& c : cases) {
        ChnDecode decoded = decode_chn(test_data(std::string("realdata/chn/") + c.file));
        ASSERT_TRUE(decoded.file) << c.file << ": " << decoded.reason;
        const ChnFile& file = *decoded.file;
        EXPECT_EQ(file.layout, ChnLayout::published) << c.file;
        EXPECT_EQ(file.counts.size(), c.channels) << c.file;
        EXPECT_EQ(file.header.real_time, c.real_time) << c.file;
        EXPECT_EQ(file.header.live_time, c.live_time) << c.file;
        EXPECT_EQ(text_of(file.header.start_date), c.date) << c.file;
        EXPECT_EQ(text_of(file.header.start_time), c.time) << c.file;
        EXPECT_FLOAT_EQ(file.energy_calibration[1], c.c1) << c.file;
        EXPECT_EQ(std::accumulate(file.counts.begin(), file.counts.end(), std::int64_t{0}), c.total)
            << c.file;
        EXPECT_EQ(file.sample_description, c.sample) << c.file;
    }
}

TEST(ChnReader, RefusesWhatIsNoChnFile) {
    struct Case {
        std::string bytes;
        const char* reason_part;
    };
    Spectrum empty;
    empty.chn_header.file_type = -1;
    std::string own = encode_chn(empty);
    std::string wrong_type = own;
    wrong_type[0] = 0;
    const Case cases[] = {
        {"", "shorter"},
        {std::string(31, '\xFF'), "shorter"},
        {wrong_type, "file type -256"} /* bytes 00 FF */,
        {own + "x", "fit neither"},
        {own.substr(0, 544), "fit neither"},  // published size, but no -102 mark
    };
    for (const Case& c : cases) {
        ChnDecode decoded = decode_chn(c.bytes);
        EXPECT_FALSE(decoded.file) << c.reason_part;
        EXPECT_NE(decoded.reason.find(c.reason_part), std::string::npos) << decoded.reason;
    }
}

}  // namespace
}  // namespace sorvane
