#pragma once

#include <array>
#include <string>
#include <string_view>

#include "contract/nuclide_settings.h"

namespace sorvane {

class FileSystem;

// The typed fields of the nuclide settings dialog, each with its label and the
// check it gets as the user types.
enum class NuclideField {
    library_files,
    energy_tolerance,
    nuclides_of_interest,
    efficiency_file,
    reference_time,
    sample_quantity,
    sample_unit,
    alpha,
    beta,
    coverage,
    always_report,
    // The report page's header.
    report_laboratory,
    report_address,
    report_accreditation,
    report_detector,
    report_geometry,
    report_sample_id,
    report_sample_description,
    report_coverage_factor,
    // The background spectrum taken off every spectrum's peaks.
    background_spectrum,
    // Close geometries: the summing and self-attenuation corrections' inputs.
    peak_to_total_file,
    cascades_file,
    container,
    container_diameter,
    fill_height,
    well_diameter,
    well_height,
    detector_diameter,
    detector_depth,
    sample_density,
    sample_composition,
    standard_density,
    standard_composition,
};

struct NuclideFieldInfo {
    NuclideField field;
    std::string_view label;
    std::string_view hint;  // what the field takes, shown beside it
};

extern const std::array<NuclideFieldInfo, 33> nuclide_fields;

// The fields of the dialog's "Report" part, in order.
inline constexpr std::array<NuclideField, 8> report_fields{
    NuclideField::report_laboratory,         NuclideField::report_address,
    NuclideField::report_accreditation,      NuclideField::report_detector,
    NuclideField::report_geometry,           NuclideField::report_sample_id,
    NuclideField::report_sample_description, NuclideField::report_coverage_factor};

// The fields of the dialog's "Close geometry" part, in order.
inline constexpr std::array<NuclideField, 13> close_geometry_fields{
    NuclideField::peak_to_total_file,  NuclideField::cascades_file,
    NuclideField::container,           NuclideField::container_diameter,
    NuclideField::fill_height,         NuclideField::well_diameter,
    NuclideField::well_height,         NuclideField::detector_diameter,
    NuclideField::detector_depth,      NuclideField::sample_density,
    NuclideField::sample_composition,  NuclideField::standard_density,
    NuclideField::standard_composition};

// The field's text for the settings (library files one per line).
std::string nuclide_field_text(NuclideField field, const NuclideSettings& settings);

// Reads the typed text into the settings. Empty when it was taken; otherwise why
// not, and the settings keep their previous value. Files are looked for in
// `files` ("not found" is a problem: the runtime would stop on it).
std::string apply_nuclide_field(NuclideField field, std::string_view text,
                                NuclideSettings& settings, const FileSystem& files);

// What a number field shows beside it once its typed text was taken but does not
// read as the value taken ("2,5" is used as 2.5): "used as 2.5"; empty when they
// agree, and for text fields.
std::string taken_value_note(NuclideField field, std::string_view typed,
                             const NuclideSettings& settings);

// Problems between fields that no single field shows (a quantity without unit).
std::string nuclide_settings_problem(const NuclideSettings& settings);

}  // namespace sorvane
