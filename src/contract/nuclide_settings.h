#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace sorvane {

// The side file the window writes beside the control file for the nuclide work:
// identification against the line library, and the activities with their limits.
// The control file keeps its own format; with no such file, or with identification
// off, the runtime analyses as it always did.
inline constexpr std::string_view nuclide_settings_file_name = "sorvane.inf.nuclides";

struct NuclideSettings {
    // Identification.
    bool identify = false;
    bool bundled_library = true;                    // the line library shipped with the program
    std::vector<std::string> library_files;         // a laboratory's own files of the same columns
    double energy_tolerance_kev = 0.5;              // floor of the matching tolerance
    std::vector<std::string> nuclides_of_interest;  // empty: every library nuclide

    // Activities.
    std::string efficiency_file;             // empty: no activities
    std::string reference_time;              // "YYYY-MM-DD HH:MM:SS"; empty: the spectrum's start
    double sample_quantity = 0.0;            // 0: activities per sample, not per unit
    std::string sample_unit;                 // for example "kg", "g", "L"
    double alpha = 0.05;                     // probability of a false detection
    double beta = 0.05;                      // probability of a missed detection
    double coverage = 0.95;                  // probability of the coverage interval
    std::vector<std::string> always_report;  // nuclides whose limits are always given
    // The samples' natural chains are in secular equilibrium: a short-lived member
    // (Bi-214, Tl-208 ...) is decay-corrected with its long-lived parent's half-life.
    bool chains_in_equilibrium = false;
    bool write_report = false;  // the printable page beside each result

    // The printable page's header: who issues it and what was measured. Empty
    // fields are left off the page.
    std::string report_laboratory;
    std::string report_address;
    std::string report_accreditation;  // for example "Accredited to ISO/IEC 17025, No. 1234"
    std::string report_detector;
    std::string report_geometry;
    std::string report_sample_id;
    std::string report_sample_description;  // empty: the spectrum file's own description
    double report_coverage_factor = 1.0;    // k of the uncertainties the page gives

    // The background: a CHN file of the same detector and geometry without a sample,
    // whose peaks are taken off, rate for rate, every spectrum's peaks before their
    // activities. Empty: none.
    std::string background_spectrum;
    // Close geometries: each line's coincidence-summing factor from the decay cascades
    // and the detector's peak-to-total curve, and the self-attenuation of the sample
    // against the standard the efficiency curve came from. Written only when one of
    // the two is on. Relative paths are taken from the control file's folder.
    bool summing_correction = false;
    std::string peak_to_total_file;  // as `sorvanecli peak-to-total` writes it
    std::string cascades_file;       // a laboratory's cascades beside the bundled ones
    bool attenuation_correction = false;
    std::string container = "cylinder";  // or "marinelli"
    double container_diameter_cm = 0.0;  // inside
    double fill_height_cm = 0.0;
    double well_diameter_cm = 0.0;      // Marinelli only
    double well_height_cm = 0.0;        // Marinelli only
    double detector_diameter_cm = 0.0;  // the disk of the effective interaction depth
    double detector_depth_cm = 0.0;     // below the container's bottom (the well's top)
    double sample_density = 0.0;        // g/mL
    std::string sample_composition;     // "water", "soil" or "Ca 40, C 12, O 48" by mass
    double standard_density = 0.0;
    std::string standard_composition;

    bool operator==(const NuclideSettings&) const = default;
};

// "[nuclides]" and one "key = value" per line, CR LF; a key that may repeat
// (library) is written once per value. Paths holding a line end are left out, as
// they could not be read back.
std::string render_nuclide_settings(const NuclideSettings& settings);

struct NuclideSettingsRead {
    NuclideSettings settings;
    std::vector<std::string> problems;  // "line N: why", the field kept at its default
};

// Unknown keys and lines are skipped without a word (a newer window may write
// more); a value that cannot be read, or lies outside its range, is a problem.
NuclideSettingsRead parse_nuclide_settings(std::string_view text);

}  // namespace sorvane
