#include "control/nuclide_settings_fields.h"

#include <algorithm>

#include <charconv>
#include <cstdio>
#include <sstream>

#include "contract/number_forms.h"
#include "platform/file_system.h"
#include "platform/text_helpers.h"

namespace sorvane {
namespace {

using Names = std::vector<std::string>;

// A decimal number with "." or "," as its decimal mark, as the window's fields take it.
std::string read_number(std::string_view typed, double low, double high, double& value) {
    std::string text(trimmed(typed, " \t\r\n"));
    for (char& c : text)
        if (c == ',') c = '.';
    double read = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), read);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return "not a number";
    if (!(read >= low) || !(read <= high))
        return "must lie from " + ten_digit_form(low) + " to " + ten_digit_form(high);
    value = read;
    return {};
}

bool name_character(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-';
}

// Nuclide names separated by blanks or commas ("Cs-137, Co-60").
std::string read_names(std::string_view text, Names& names) {
    Names read;
    std::string name;
    auto close = [&] {
        if (!name.empty()) read.push_back(name);
        name.clear();
    };
    for (char c : text) {
        if (c == ' ' || c == ',' || c == '\t' || c == ';') {
            close();
        } else if (!name_character(c)) {
            return std::string("\"") + c + "\" is not part of a nuclide name (e.g. Cs-137)";
        } else {
            name += c;
        }
    }
    close();
    names = std::move(read);
    return {};
}

bool leap_year(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

// "YYYY-MM-DD HH:MM:SS", "YYYY-MM-DDTHH:MM:SS" or "YYYY-MM-DD" (midnight); empty
// is the spectrum's start.
std::string read_time(std::string_view typed, std::string& value) {
    const std::string text(trimmed(typed, " \t\r\n"));
    if (text.empty()) {
        value.clear();
        return {};
    }
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    char separator = ' ';
    int used = 0;
    const bool date_only = text.size() == 10;
    const int fields = date_only
                           ? std::sscanf(text.c_str(), "%4d-%2d-%2d%n", &year, &month, &day, &used)
                           : std::sscanf(text.c_str(), "%4d-%2d-%2d%c%2d:%2d:%2d%n", &year, &month,
                                         &day, &separator, &hour, &minute, &second, &used);
    if (fields != (date_only ? 3 : 7) || used != static_cast<int>(text.size()) ||
        (separator != ' ' && separator != 'T') || text[4] != '-' || text[7] != '-')
        return "write it as YYYY-MM-DD HH:MM:SS";
    static constexpr int month_days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year < 1900 || year > 2200 || month < 1 || month > 12) return "no such date";
    const int days = month_days[month - 1] + (month == 2 && leap_year(year) ? 1 : 0);
    if (day < 1 || day > days) return "no such date";
    if (hour > 23 || minute > 59 || second > 59) return "no such time of day";
    char normal[64];
    std::snprintf(normal, sizeof normal, "%04d-%02d-%02d %02d:%02d:%02d", year, month, day, hour,
                  minute, second);
    value = normal;
    return {};
}

std::string existing_file(std::string_view typed, const FileSystem& files, std::string& value) {
    const std::string path(trimmed(typed, " \t\r\n"));
    if (!path.empty() && !files.file_exists(path)) return "file not found: " + path;
    value = path;
    return {};
}

std::string read_library_files(std::string_view text, const FileSystem& files, Names& value) {
    Names paths;
    std::istringstream lines{std::string(text)};
    for (std::string line; std::getline(lines, line);) {
        std::string path;
        if (std::string problem = existing_file(line, files, path); !problem.empty())
            return problem;
        if (!path.empty()) paths.push_back(path);
    }
    value = std::move(paths);
    return {};
}

std::string read_unit(std::string_view typed, std::string& value) {
    const std::string unit(trimmed(typed, " \t\r\n"));
    if (unit.find_first_of(" \t") != std::string::npos) return "one word, e.g. kg or L";
    if (unit.size() > 16) return "at most 16 characters";
    value = unit;
    return {};
}

// A header text of the report page, one line as the settings file keeps it.
std::string read_line(std::string_view typed, std::string& value) {
    const std::string text(trimmed(typed, " \t\r\n"));
    if (text.find_first_of("\r\n") != std::string::npos) return "one line only";
    value = text;
    return {};
}

// The report's text fields by their field.
std::string NuclideSettings::*report_text(NuclideField field) {
    switch (field) {
        case NuclideField::report_laboratory:
            return &NuclideSettings::report_laboratory;
        case NuclideField::report_address:
            return &NuclideSettings::report_address;
        case NuclideField::report_accreditation:
            return &NuclideSettings::report_accreditation;
        case NuclideField::report_detector:
            return &NuclideSettings::report_detector;
        case NuclideField::report_geometry:
            return &NuclideSettings::report_geometry;
        case NuclideField::report_sample_id:
            return &NuclideSettings::report_sample_id;
        case NuclideField::report_sample_description:
            return &NuclideSettings::report_sample_description;
        default:
            return nullptr;
    }
}

// The close-geometry fields: a number in a range, a file that must exist, or a line
// of text; the ranges are those the settings file takes.
struct CloseGeometryRow {
    NuclideField field;
    double NuclideSettings::*number;
    std::string NuclideSettings::*text;
    bool file;
    double low, high;
};

constexpr std::array<CloseGeometryRow, 13> close_geometry_rows{{
    {NuclideField::peak_to_total_file, nullptr, &NuclideSettings::peak_to_total_file, true, 0, 0},
    {NuclideField::cascades_file, nullptr, &NuclideSettings::cascades_file, true, 0, 0},
    {NuclideField::container, nullptr, &NuclideSettings::container, false, 0, 0},
    {NuclideField::container_diameter, &NuclideSettings::container_diameter_cm, nullptr, false, 0,
     1000},
    {NuclideField::fill_height, &NuclideSettings::fill_height_cm, nullptr, false, 0, 1000},
    {NuclideField::well_diameter, &NuclideSettings::well_diameter_cm, nullptr, false, 0, 1000},
    {NuclideField::well_height, &NuclideSettings::well_height_cm, nullptr, false, 0, 1000},
    {NuclideField::detector_diameter, &NuclideSettings::detector_diameter_cm, nullptr, false, 0,
     1000},
    {NuclideField::detector_depth, &NuclideSettings::detector_depth_cm, nullptr, false, 0, 1000},
    {NuclideField::sample_density, &NuclideSettings::sample_density, nullptr, false, 0, 30},
    {NuclideField::sample_composition, nullptr, &NuclideSettings::sample_composition, false, 0, 0},
    {NuclideField::standard_density, &NuclideSettings::standard_density, nullptr, false, 0, 30},
    {NuclideField::standard_composition, nullptr, &NuclideSettings::standard_composition, false, 0,
     0},
}};

const CloseGeometryRow* close_geometry_row(NuclideField field) {
    for (const CloseGeometryRow& row : close_geometry_rows)
        if (row.field == field) return &row;
    return nullptr;
}

std::string read_container(std::string_view typed, std::string& value) {
    const std::string text(trimmed(typed, " \t\r\n"));
    if (text != "cylinder" && text != "marinelli") return "cylinder or marinelli";
    value = text;
    return {};
}

std::string apply_close_geometry(const CloseGeometryRow& row, std::string_view text,
                                 NuclideSettings& s, const FileSystem& files) {
    if (row.number) return read_number(text, row.low, row.high, s.*row.number);
    if (row.file) return existing_file(text, files, s.*row.text);
    if (row.field == NuclideField::container) return read_container(text, s.*row.text);
    return read_line(text, s.*row.text);
}

}  // namespace

const std::array<NuclideFieldInfo, 33> nuclide_fields{{
    {NuclideField::library_files, "Added library files", "one file a line, same columns"},
    {NuclideField::energy_tolerance, "Energy tolerance floor", "keV (0.001-100)"},
    {NuclideField::nuclides_of_interest, "Nuclides of interest", "e.g. Cs-137 Co-60; empty: all"},
    {NuclideField::efficiency_file, "Efficiency file", "empty: no activities"},
    {NuclideField::reference_time, "Reference date and time",
     "YYYY-MM-DD HH:MM:SS; empty: the spectrum's start"},
    {NuclideField::sample_quantity, "Sample quantity", "0: per sample"},
    {NuclideField::sample_unit, "Sample unit", "e.g. kg, g, L"},
    {NuclideField::alpha, "Alpha", "false detection (0.000001-0.5)"},
    {NuclideField::beta, "Beta", "missed detection (0.000001-0.5)"},
    {NuclideField::coverage, "Coverage", "probability (0.5-0.999999)"},
    {NuclideField::always_report, "Always reported", "nuclides whose limits are always given"},
    {NuclideField::report_laboratory, "Laboratory", "its name, as the page's header"},
    {NuclideField::report_address, "Address", "one line"},
    {NuclideField::report_accreditation, "Accreditation", "e.g. ISO/IEC 17025, No. 1234"},
    {NuclideField::report_detector, "Detector", "e.g. HPGe, 40 % relative efficiency"},
    {NuclideField::report_geometry, "Geometry", "e.g. 500 mL Marinelli beaker"},
    {NuclideField::report_sample_id, "Sample identifier", "the laboratory's code"},
    {NuclideField::report_sample_description, "Sample description", "empty: the spectrum file's"},
    {NuclideField::report_coverage_factor, "Coverage factor k",
     "of the page's uncertainties (1-3)"},
    {NuclideField::background_spectrum, "Background spectrum",
     "CHN file of the detector without a sample; empty: none"},
    {NuclideField::peak_to_total_file, "Peak-to-total file", "from sorvanecli peak-to-total"},
    {NuclideField::cascades_file, "Added cascades file", "empty: the bundled cascades only"},
    {NuclideField::container, "Container", "cylinder or marinelli"},
    {NuclideField::container_diameter, "Inner diameter", "cm"},
    {NuclideField::fill_height, "Fill height", "cm"},
    {NuclideField::well_diameter, "Well diameter", "cm, Marinelli only"},
    {NuclideField::well_height, "Well height", "cm, Marinelli only"},
    {NuclideField::detector_diameter, "Detector diameter", "cm, at the interaction depth"},
    {NuclideField::detector_depth, "Interaction depth", "cm below the container's bottom"},
    {NuclideField::sample_density, "Sample density", "g/mL (0-30)"},
    {NuclideField::sample_composition, "Sample matter", "water, soil or e.g. Ca 40, C 12, O 48"},
    {NuclideField::standard_density, "Standard density", "g/mL (0-30)"},
    {NuclideField::standard_composition, "Standard matter",
     "water, soil or e.g. Ca 40, C 12, O 48"},
}};

std::string nuclide_field_text(NuclideField field, const NuclideSettings& s) {
    if (const CloseGeometryRow* row = close_geometry_row(field))
        return row->number ? ten_digit_form(s.*row->number) : s.*row->text;
    switch (field) {
        case NuclideField::library_files:
            return joined(s.library_files, "\n");
        case NuclideField::energy_tolerance:
            return ten_digit_form(s.energy_tolerance_kev);
        case NuclideField::nuclides_of_interest:
            return joined(s.nuclides_of_interest, " ");
        case NuclideField::efficiency_file:
            return s.efficiency_file;
        case NuclideField::background_spectrum:
            return s.background_spectrum;
        case NuclideField::reference_time:
            return s.reference_time;
        case NuclideField::sample_quantity:
            return ten_digit_form(s.sample_quantity);
        case NuclideField::sample_unit:
            return s.sample_unit;
        case NuclideField::alpha:
            return ten_digit_form(s.alpha);
        case NuclideField::beta:
            return ten_digit_form(s.beta);
        case NuclideField::coverage:
            return ten_digit_form(s.coverage);
        case NuclideField::always_report:
            return joined(s.always_report, " ");
        case NuclideField::report_coverage_factor:
            return ten_digit_form(s.report_coverage_factor);
        default:
            return s.*report_text(field);
    }
}

std::string apply_nuclide_field(NuclideField field, std::string_view text, NuclideSettings& s,
                                const FileSystem& files) {
    if (const CloseGeometryRow* row = close_geometry_row(field))
        return apply_close_geometry(*row, text, s, files);
    switch (field) {
        case NuclideField::library_files:
            return read_library_files(text, files, s.library_files);
        case NuclideField::energy_tolerance:
            return read_number(text, 0.001, 100.0, s.energy_tolerance_kev);
        case NuclideField::nuclides_of_interest:
            return read_names(text, s.nuclides_of_interest);
        case NuclideField::efficiency_file:
            return existing_file(text, files, s.efficiency_file);
        case NuclideField::background_spectrum:
            return existing_file(text, files, s.background_spectrum);
        case NuclideField::reference_time:
            return read_time(text, s.reference_time);
        case NuclideField::sample_quantity:
            return read_number(text, 0.0, 1e12, s.sample_quantity);
        case NuclideField::sample_unit:
            return read_unit(text, s.sample_unit);
        case NuclideField::alpha:
            return read_number(text, 1e-6, 0.5, s.alpha);
        case NuclideField::beta:
            return read_number(text, 1e-6, 0.5, s.beta);
        case NuclideField::coverage:
            return read_number(text, 0.5, 0.999999, s.coverage);
        case NuclideField::always_report:
            return read_names(text, s.always_report);
        case NuclideField::report_coverage_factor:
            return read_number(text, 1.0, 3.0, s.report_coverage_factor);
        default:
            return read_line(text, s.*report_text(field));
    }
}

std::string taken_value_note(NuclideField field, std::string_view typed,
                             const NuclideSettings& settings) {
    constexpr std::array numbers{NuclideField::energy_tolerance,
                                 NuclideField::sample_quantity,
                                 NuclideField::alpha,
                                 NuclideField::beta,
                                 NuclideField::coverage,
                                 NuclideField::report_coverage_factor};
    const CloseGeometryRow* row = close_geometry_row(field);
    if (std::find(numbers.begin(), numbers.end(), field) == numbers.end() && !(row && row->number))
        return {};
    const std::string shown = nuclide_field_text(field, settings);
    return trimmed(typed, " \t\r\n") == shown ? std::string() : "used as " + shown;
}

std::string nuclide_settings_problem(const NuclideSettings& s) {
    if (s.sample_quantity > 0.0 && s.sample_unit.empty())
        return "A sample quantity needs its unit (e.g. kg).";
    if (s.identify && !s.bundled_library && s.library_files.empty())
        return "Identification needs a line library: the bundled one or a file of your own.";
    if (s.summing_correction && s.peak_to_total_file.empty())
        return "The summing correction needs a peak-to-total file (sorvanecli peak-to-total).";
    if (s.attenuation_correction &&
        !(s.container_diameter_cm > 0.0 && s.fill_height_cm > 0.0 && s.detector_diameter_cm > 0.0))
        return "The self-attenuation correction needs the container's inner diameter, its fill "
               "height and the detector's diameter.";
    if (s.attenuation_correction && (!(s.sample_density > 0.0) || s.sample_composition.empty() ||
                                     !(s.standard_density > 0.0) || s.standard_composition.empty()))
        return "The self-attenuation correction needs the density and matter of the sample and "
               "of the standard.";
    return {};
}

}  // namespace sorvane
