#include "raw_energy_tables.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "import/raw_file_types.h"
#include "support/test_files.h"

namespace sorvane {
namespace {

// The runtime knows the IEC 1455 and RMS 2.0 type codes by number: they must be
// those of the type table that "GO" writes into the raw-source side file.
TEST(RawEnergyTables, ReadersByTheTypeCodes) {
    struct Case {
        const char* type;
        EnergyTableReader reader;
    };
    const Case cases[] = {{"iec", iec_energy_table},
                          {"rms", rms_energy_table},
                          {"chn", nullptr},
                          {"simple", nullptr},
                          {"naig", nullptr}};
    for (const Case& c : cases) {
        const RawFileType* type = type_of_name(c.type);
        ASSERT_NE(type, nullptr) << c.type;
        EXPECT_EQ(energy_table_reader(type->code), c.reader) << c.type;
    }
}

TEST(IecEnergyTable, RecordNumbersWithGluedSigns) {
    const std::vector<double> numbers =
        iec_record_numbers("A004-1.55656000E-02 8.00000000E-01-2.97939000E-08 0.00000000E+00");
    ASSERT_EQ(numbers.size(), 4u);
    EXPECT_DOUBLE_EQ(numbers[0], -0.0155656);
    EXPECT_DOUBLE_EQ(numbers[1], 0.8);
    EXPECT_DOUBLE_EQ(numbers[2], -2.97939e-08);
    EXPECT_DOUBLE_EQ(numbers[3], 0.0);
    EXPECT_TRUE(iec_record_numbers("no mark here 1 2").empty());
}

// The real samples' header records 11 on, as printed from the files: 01 has none;
// 03 "1.173228E+03 1.465035E+03 1.332492E+03 1.665109E+03"; 04 adds record 12
// "4.0E+02 5.0E+02 0 0"; 05 records 12 and 13 "4.0E+02 5.0E+02 2.0E+02 2.5E+02" and
// "1.875E+00 1.5E+00 0 0". Every later header record is zeros.
TEST(IecEnergyTable, TableOfTheRealSamples) {
    struct Case {
        const char* file;
        std::vector<EnergyChannelPoint> points;
    };
    const Case cases[] = {
        {"hpge_dummy_test_01.iec", {}},
        {"hpge_dummy_test_03.iec", {{1173.228, 1465.035}, {1332.492, 1665.109}}},
        {"hpge_dummy_test_04.iec", {{1173.228, 1465.035}, {1332.492, 1665.109}, {400, 500}}},
        {"hpge_dummy_test_05.iec",
         {{1173.228, 1465.035}, {1332.492, 1665.109}, {400, 500}, {200, 250}, {1.875, 1.5}}},
    };
    for (const Case& c : cases) {
        const auto table = iec_energy_table(test_data(std::string("realdata/iec/") + c.file));
        ASSERT_EQ(table.size(), c.points.size()) << c.file;
        for (std::size_t i = 0; i < table.size(); ++i) {
            EXPECT_DOUBLE_EQ(table[i].energy_kev, c.points[i].energy_kev) << c.file << " " << i;
            EXPECT_DOUBLE_EQ(table[i].channel, c.points[i].channel) << c.file << " " << i;
        }
    }
}

// Worked by hand (exact fractions): two points give the line, slope 159.264 / 200.074
// = 0.79602547 keV a channel and 1173.228 - 1465.035 slope = 7.0228247 keV; three
// the quadratic through them; five the least-squares quadratic (residual rms 0.37627
// keV). (100, 100), (200, 200), (300, 210) would turn down (c2 = -90 / 2e4) before
// channel 2047: the least-squares line, slope 11000 / 20000, c0 = 170 - 0.55 200,
// residuals -15, 30, -15.
TEST(IecEnergyTable, CalibrationFromThePoints) {
    struct Case {
        const char* what;
        std::vector<EnergyChannelPoint> points;
        bool ok;
        double c0, c1, c2, rms;
    };
    const Case cases[] = {
        {"two points (sample 03)",
         {{1173.228, 1465.035}, {1332.492, 1665.109}},
         true,
         7.02282471485534,
         0.796025470575887,
         0.0,
         0.0},
        {"three points (sample 04)",
         {{1173.228, 1465.035}, {1332.492, 1665.109}, {400, 500}},
         true,
         -3.9023608449143024,
         0.8100440004353919,
         -4.478557491126558e-06,
         0.0},
        {"five points (sample 05)",
         {{1173.228, 1465.035}, {1332.492, 1665.109}, {400, 500}, {200, 250}, {1.875, 1.5}},
         true,
         0.43019595430958446,
         0.7990996192247078,
         6.926951761112798e-07,
         0.3762688867302372},
        {"a quadratic that would turn down",
         {{100, 100}, {200, 200}, {210, 300}},
         true,
         60.0,
         0.55,
         0.0,
         21.213203435596427},
        {"one point", {{661.657, 800}}, false, 0, 0, 0, 0},
        {"energy falling with the channel", {{100, 200}, {50, 400}}, false, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        const TableCalibration t = calibration_from_table(c.points, 2048);
        EXPECT_EQ(t.ok, c.ok) << c.what;
        EXPECT_EQ(t.points, static_cast<int>(c.points.size())) << c.what;
        if (!c.ok) {
            EXPECT_FALSE(t.reason.empty()) << c.what;
            continue;
        }
        EXPECT_NEAR(t.c0, c.c0, 1e-7) << c.what;
        EXPECT_NEAR(t.c1, c.c1, 1e-10) << c.what;
        EXPECT_NEAR(t.c2, c.c2, 1e-13) << c.what;
        EXPECT_NEAR(t.residual_rms_kev, c.rms, 1e-7) << c.what;
    }
}

// demo/rms_cs137_co60.rms's "#Energy" block, as printed from the file: five rows of
// energy, centroid channel and its uncertainty. A text that is no RMS 2.0 file and one
// without the block hold no table.
TEST(RmsEnergyTable, RowsOfTheEnergyBlock) {
    const std::string demo = test_data_path("../../demo/rms_cs137_co60.rms");
    std::string text;
    {
        std::ifstream in(demo, std::ios::binary);
        text.assign(std::istreambuf_iterator<char>(in), {});
    }
    ASSERT_FALSE(text.empty()) << demo;
    struct Case {
        const char* what;
        std::string text;
        std::vector<EnergyChannelPoint> points;
    };
    const Case cases[] = {
        {"the demo file",
         text,
         {{59.54, 89.22},
          {661.66, 996.02},
          {1173.23, 1766.46},
          {1332.49, 2006.31},
          {1460.82, 2199.58}}},
        {"no RMS 2.0 file", "#Energy\n          59.54            89.22            0.050\n", {}},
        {"no energy block", "BEGIN RMS2.0\n#Spectrum\n", {}},
    };
    for (const Case& c : cases) {
        const auto table = rms_energy_table(c.text);
        ASSERT_EQ(table.size(), c.points.size()) << c.what;
        for (std::size_t i = 0; i < table.size(); ++i) {
            EXPECT_DOUBLE_EQ(table[i].energy_kev, c.points[i].energy_kev) << c.what << " " << i;
            EXPECT_DOUBLE_EQ(table[i].channel, c.points[i].channel) << c.what << " " << i;
        }
    }
}

}  // namespace
}  // namespace sorvane
