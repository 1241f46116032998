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
};

struct NuclideFieldInfo {
    NuclideField field;
    std::string_view label;
    std::string_view hint;  // what the field takes, shown beside it
};

extern const std::array<NuclideFieldInfo, 11> nuclide_fields;

// The field's text for the settings (library files one per line).
std::string nuclide_field_text(NuclideField field, const NuclideSettings& settings);

// Reads the typed text into the settings. Empty when it was taken; otherwise why
// not, and the settings keep their previous value. Files are looked for in
// `files` ("not found" is a problem: the runtime would stop on it).
std::string apply_nuclide_field(NuclideField field, std::string_view text,
                                NuclideSettings& settings, const FileSystem& files);

// Problems between fields that no single field shows (a quantity without unit).
std::string nuclide_settings_problem(const NuclideSettings& settings);

}  // namespace sorvane
