#include "control/nuclide_settings_fields.h"

#include <gtest/gtest.h>

#include "control/nuclide_settings_store.h"
#include "support/memory_file_system.h"

namespace sorvane {
namespace {

// A typed text, the value the settings then show as text ("" with a problem: the
// previous value stays), and whether the field gets a problem.
struct TypedRow {
    NuclideField field;
    const char* typed;
    const char* shown;
    bool problem;
};

class TypedField : public ::testing::TestWithParam<TypedRow> {};

TEST_P(TypedField, IsTakenOrMarkedAndTheOldValueStays) {
    MemoryFileSystem files;
    files.add_file("C:\\lab\\extra.csv", "x");
    files.add_file("C:\\lab\\hpge.eff", "x");
    files.add_file("C:\\lab\\background.chn", "x");
    NuclideSettings settings;
    const std::string before = nuclide_field_text(GetParam().field, settings);
    const std::string problem =
        apply_nuclide_field(GetParam().field, GetParam().typed, settings, files);
    EXPECT_EQ(!problem.empty(), GetParam().problem) << problem;
    EXPECT_EQ(nuclide_field_text(GetParam().field, settings),
              GetParam().problem ? before : std::string(GetParam().shown));
}

using F = NuclideField;
INSTANTIATE_TEST_SUITE_P(
    Table, TypedField,
    ::testing::Values(
        TypedRow{F::energy_tolerance, "0,8", "0.8", false},
        TypedRow{F::energy_tolerance, "0.001", "0.001", false},
        TypedRow{F::energy_tolerance, "0.0009", "", true},
        TypedRow{F::energy_tolerance, "100.1", "", true},
        TypedRow{F::energy_tolerance, "1 keV", "", true},
        TypedRow{F::energy_tolerance, "", "", true},
        TypedRow{F::nuclides_of_interest, "Cs-137, Co-60;Pa-234m", "Cs-137 Co-60 Pa-234m", false},
        TypedRow{F::nuclides_of_interest, "", "", false},
        TypedRow{F::nuclides_of_interest, "Cs_137", "", true},
        TypedRow{F::always_report, " Am-241 ", "Am-241", false},
        TypedRow{F::library_files, "C:\\lab\\extra.csv\n\n", "C:\\lab\\extra.csv", false},
        TypedRow{F::library_files, "C:\\lab\\extra.csv\nC:\\lab\\gone.csv", "", true},
        TypedRow{F::efficiency_file, " C:\\lab\\hpge.eff ", "C:\\lab\\hpge.eff", false},
        TypedRow{F::efficiency_file, "C:\\lab\\none.eff", "", true},
        TypedRow{F::background_spectrum, " C:\\lab\\background.chn ", "C:\\lab\\background.chn",
                 false},
        TypedRow{F::background_spectrum, "C:\\lab\\none.chn", "", true},
        TypedRow{F::reference_time, "2026-02-28 23:59:59", "2026-02-28 23:59:59", false},
        TypedRow{F::reference_time, "2024-02-29T08:00:00", "2024-02-29 08:00:00", false},
        TypedRow{F::reference_time, "2024-03-01", "2024-03-01 00:00:00", false},
        TypedRow{F::reference_time, "", "", false},
        TypedRow{F::reference_time, "2026-02-29 12:00:00", "", true},
        TypedRow{F::reference_time, "2026-04-31", "", true},
        TypedRow{F::reference_time, "2026-01-01 24:00:00", "", true},
        TypedRow{F::reference_time, "01.02.2026 10:00", "", true},
        TypedRow{F::reference_time, "2026-01-01 10:00:00x", "", true},
        TypedRow{F::sample_quantity, "0", "0", false},
        TypedRow{F::sample_quantity, "0,25", "0.25", false},
        TypedRow{F::sample_quantity, "-1", "", true}, TypedRow{F::sample_unit, " kg ", "kg", false},
        TypedRow{F::sample_unit, "dry kg", "", true}, TypedRow{F::alpha, "0.5", "0.5", false},
        TypedRow{F::alpha, "0.6", "", true}, TypedRow{F::beta, "0", "", true},
        TypedRow{F::coverage, "0.999999", "0.999999", false}, TypedRow{F::coverage, "1", "", true},
        // The report page's header: one line of text each, k from 1 to 3.
        TypedRow{F::report_laboratory, " Radiation Lab ", "Radiation Lab", false},
        TypedRow{F::report_address, "1 Main St, Town", "1 Main St, Town", false},
        TypedRow{F::report_accreditation, "line one\nline two", "", true},
        TypedRow{F::report_detector, "", "", false},
        TypedRow{F::report_geometry, "Marinelli 500 mL", "Marinelli 500 mL", false},
        TypedRow{F::report_sample_id, "S-001", "S-001", false},
        TypedRow{F::report_sample_description, "soil, dried", "soil, dried", false},
        TypedRow{F::report_coverage_factor, "2", "2", false},
        TypedRow{F::report_coverage_factor, "1,96", "1.96", false},
        TypedRow{F::report_coverage_factor, "0.5", "", true},
        TypedRow{F::report_coverage_factor, "4", "", true},
        // Close geometries: files that exist, the two containers, lengths of 0-1000 cm,
        // densities of 0-30 g/mL.
        TypedRow{F::peak_to_total_file, "C:\\lab\\hpge.eff", "C:\\lab\\hpge.eff", false},
        TypedRow{F::peak_to_total_file, "C:\\lab\\pt.txt", "", true},
        TypedRow{F::cascades_file, "", "", false},
        TypedRow{F::container, " marinelli ", "marinelli", false},
        TypedRow{F::container, "beaker", "", true},
        TypedRow{F::container_diameter, "7,5", "7.5", false},
        TypedRow{F::fill_height, "1001", "", true},
        TypedRow{F::detector_depth, "0.5", "0.5", false},
        TypedRow{F::sample_density, "1.15", "1.15", false},
        TypedRow{F::standard_density, "31", "", true},
        TypedRow{F::sample_composition, "Ca 40, C 12, O 48", "Ca 40, C 12, O 48", false}));

struct WholeRow {
    NuclideSettings settings;
    bool problem;
};

NuclideSettings with(void (*change)(NuclideSettings&)) {
    NuclideSettings settings;
    change(settings);
    return settings;
}

class WholeSettings : public ::testing::TestWithParam<WholeRow> {};

TEST_P(WholeSettings, ProblemsBetweenFieldsStopOk) {
    EXPECT_EQ(!nuclide_settings_problem(GetParam().settings).empty(), GetParam().problem);
}

INSTANTIATE_TEST_SUITE_P(
    Table, WholeSettings,
    ::testing::Values(WholeRow{NuclideSettings{}, false},
                      WholeRow{with([](NuclideSettings& s) { s.sample_quantity = 2; }), true},
                      WholeRow{with([](NuclideSettings& s) {
                                   s.sample_quantity = 2;
                                   s.sample_unit = "kg";
                               }),
                               false},
                      WholeRow{with([](NuclideSettings& s) {
                                   s.identify = true;
                                   s.bundled_library = false;
                               }),
                               true},
                      WholeRow{with([](NuclideSettings& s) {
                                   s.identify = true;
                                   s.bundled_library = false;
                                   s.library_files = {"C:\\lab\\extra.csv"};
                               }),
                               false},
                      // A correction turned on without what it needs.
                      WholeRow{with([](NuclideSettings& s) { s.summing_correction = true; }), true},
                      WholeRow{with([](NuclideSettings& s) {
                                   s.summing_correction = true;
                                   s.peak_to_total_file = "PT.txt";
                               }),
                               false},
                      WholeRow{with([](NuclideSettings& s) {
                                   s.attenuation_correction = true;
                                   s.container_diameter_cm = 7;
                                   s.fill_height_cm = 3;
                                   s.detector_diameter_cm = 6;
                               }),
                               true},
                      WholeRow{with([](NuclideSettings& s) {
                                   s.attenuation_correction = true;
                                   s.container_diameter_cm = 7;
                                   s.fill_height_cm = 3;
                                   s.detector_diameter_cm = 6;
                                   s.sample_density = s.standard_density = 1;
                                   s.sample_composition = s.standard_composition = "water";
                               }),
                               false}));

const std::string path = "C:\\WINDOWS\\sorvane.inf.nuclides";

TEST(NuclideSettingsStore, NoFileGivesTheDefaultsAndNoWord) {
    MemoryFileSystem files;
    files.add_folder("C:\\WINDOWS");
    EXPECT_EQ(nuclide_settings_path("C:\\WINDOWS", files), path);
    const NuclideSettingsLoad load = load_nuclide_settings(path, files);
    EXPECT_FALSE(load.found);
    EXPECT_EQ(load.problem, "");
    EXPECT_EQ(load.settings, NuclideSettings{});
}

TEST(NuclideSettingsStore, AValueThatCannotBeUsedIsNamedWithTheFileAndLine) {
    MemoryFileSystem files;
    files.add_file(path, "[nuclides]\r\nidentify = 1\r\nalpha = 7\r\n");
    const NuclideSettingsLoad load = load_nuclide_settings(path, files);
    EXPECT_TRUE(load.found);
    EXPECT_TRUE(load.settings.identify);
    EXPECT_EQ(load.settings.alpha, 0.05);
    EXPECT_NE(load.problem.find(path), std::string::npos) << load.problem;
    EXPECT_NE(load.problem.find("line 3: alpha = 7"), std::string::npos) << load.problem;
}

TEST(NuclideSettingsStore, SavedFileHoldsTheKeysAndAFailedWriteKeepsTheOldOne) {
    MemoryFileSystem files;
    NuclideSettings settings;
    settings.identify = true;
    settings.nuclides_of_interest = {"Cs-137", "K-40"};
    ASSERT_TRUE(save_nuclide_settings(path, settings, files).ok()) << "the folder is made";
    const std::string saved = *files.contents(path);
    EXPECT_NE(saved.find("identify = 1\r\n"), std::string::npos) << saved;
    EXPECT_NE(saved.find("nuclides_of_interest = Cs-137 K-40\r\n"), std::string::npos) << saved;
    EXPECT_EQ(load_nuclide_settings(path, files).settings, settings);

    files.limit_file_size(10);
    EXPECT_FALSE(save_nuclide_settings(path, NuclideSettings{}, files).ok());
    EXPECT_EQ(*files.contents(path), saved);
    EXPECT_FALSE(files.file_exists(path + ".tmp"));
}

}  // namespace
}  // namespace sorvane

namespace sorvane {
namespace {

// A number typed otherwise than the value it gives says what was used, beside it;
// the dialog keeps taking "," and "." as the decimal mark.
TEST(TakenValueNote, ANumberNotTakenAsTypedSaysWhatWasUsed) {
    struct Case {
        NuclideField field;
        const char* typed;
        const char* note;
    };
    const Case cases[] = {
        {NuclideField::energy_tolerance, "0,8", "used as 0.8"},
        {NuclideField::energy_tolerance, "0.8", ""},
        {NuclideField::energy_tolerance, " 0.8 ", ""},
        {NuclideField::sample_quantity, "2,5", "used as 2.5"},
        {NuclideField::alpha, "5e-2", "used as 0.05"},
        {NuclideField::report_coverage_factor, "1,96", "used as 1.96"},
        {NuclideField::report_laboratory, "Lab, East", ""},  // a text is taken as typed
    };
    MemoryFileSystem files;
    for (const Case& c : cases) {
        NuclideSettings settings;
        ASSERT_EQ(apply_nuclide_field(c.field, c.typed, settings, files), "") << c.typed;
        EXPECT_EQ(taken_value_note(c.field, c.typed, settings), c.note) << c.typed;
    }
}

}  // namespace
}  // namespace sorvane
