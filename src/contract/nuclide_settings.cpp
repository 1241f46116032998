#include "contract/nuclide_settings.h"

#include <array>
#include <charconv>
#include <sstream>

#include "contract/number_forms.h"
#include "platform/text_helpers.h"

namespace sorvane {
namespace {

using Names = std::vector<std::string>;

Names split_blanks(std::string_view text) {
    Names names;
    std::istringstream in{std::string(text)};
    for (std::string name; in >> name;) names.push_back(name);
    return names;
}

bool read_number(std::string_view text, double low, double high, double& value) {
    double read = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), read);
    if (error != std::errc() || end != text.data() + text.size() || !(read >= low) ||
        !(read <= high))
        return false;
    value = read;
    return true;
}

bool read_flag(std::string_view text, bool& value) {
    if (text != "0" && text != "1") return false;
    value = text == "1";
    return true;
}

// One key of the file: how it is written and how it is read back; `read` returns
// false when the value cannot be used. A number must lie in low..high.
struct SettingKey {
    std::string_view key;
    void (*write)(const NuclideSettings&, std::string_view key, std::string& out);
    bool (*read)(std::string_view value, NuclideSettings&, const SettingKey&);
    double low = 0.0;
    double high = 0.0;
    bool close_geometry = false;  // of the close-geometry block
};

void line(std::string& out, std::string_view key, const std::string& value) {
    if (value.find_first_of("\r\n") != std::string::npos) return;
    out.append(key).append(" = ").append(value).append("\r\n");
}

template <bool NuclideSettings::*field>
SettingKey flag_key(std::string_view name) {
    return {name,
            [](const NuclideSettings& s, std::string_view k, std::string& out) {
                line(out, k, s.*field ? "1" : "0");
            },
            [](std::string_view v, NuclideSettings& s, const SettingKey&) {
                return read_flag(v, s.*field);
            }};
}

// A flag written only when on, so that files without it stay as they were.
template <bool NuclideSettings::*field>
SettingKey flag_key_when_on(std::string_view name) {
    SettingKey key = flag_key<field>(name);
    key.write = [](const NuclideSettings& s, std::string_view k, std::string& out) {
        if (s.*field) line(out, k, "1");
    };
    return key;
}

template <double NuclideSettings::*field>
SettingKey number_key(std::string_view name, double low, double high) {
    return {name,
            [](const NuclideSettings& s, std::string_view k, std::string& out) {
                line(out, k, ten_digit_form(s.*field));
            },
            [](std::string_view v, NuclideSettings& s, const SettingKey& key) {
                return read_number(v, key.low, key.high, s.*field);
            },
            low, high};
}

template <std::string NuclideSettings::*field>
SettingKey text_key(std::string_view name) {
    return {name,
            [](const NuclideSettings& s, std::string_view k, std::string& out) {
                line(out, k, s.*field);
            },
            [](std::string_view v, NuclideSettings& s, const SettingKey&) {
                s.*field = std::string(v);
                return true;
            }};
}

template <Names NuclideSettings::*field>
SettingKey names_key(std::string_view name) {
    return {name,
            [](const NuclideSettings& s, std::string_view k, std::string& out) {
                line(out, k, joined(s.*field));
            },
            [](std::string_view v, NuclideSettings& s, const SettingKey&) {
                s.*field = split_blanks(v);
                return true;
            }};
}

// A key of the close-geometry block: written only when a correction is on, so the
// files of laboratories that use none stay as they were.
bool corrections_on(const NuclideSettings& s) {
    return s.summing_correction || s.attenuation_correction;
}

SettingKey close_geometry(SettingKey key) {
    key.close_geometry = true;
    return key;
}

// The keys in the order they are written; the ranges are those a value must lie in.
const std::array<SettingKey, 39> setting_keys{{
    flag_key<&NuclideSettings::identify>("identify"),
    flag_key<&NuclideSettings::bundled_library>("bundled_library"),
    SettingKey{"library",
               [](const NuclideSettings& s, std::string_view k, std::string& out) {
                   for (const std::string& file : s.library_files)
                       if (!file.empty()) line(out, k, file);
               },
               [](std::string_view v, NuclideSettings& s, const SettingKey&) {
                   if (!v.empty()) s.library_files.emplace_back(v);
                   return true;
               }},
    number_key<&NuclideSettings::energy_tolerance_kev>("energy_tolerance_kev", 0.001, 100.0),
    names_key<&NuclideSettings::nuclides_of_interest>("nuclides_of_interest"),
    text_key<&NuclideSettings::efficiency_file>("efficiency_file"),
    text_key<&NuclideSettings::reference_time>("reference_time"),
    number_key<&NuclideSettings::sample_quantity>("sample_quantity", 0.0, 1e12),
    text_key<&NuclideSettings::sample_unit>("sample_unit"),
    number_key<&NuclideSettings::alpha>("alpha", 1e-6, 0.5),
    number_key<&NuclideSettings::beta>("beta", 1e-6, 0.5),
    number_key<&NuclideSettings::coverage>("coverage", 0.5, 0.999999),
    names_key<&NuclideSettings::always_report>("always_report"),
    flag_key_when_on<&NuclideSettings::chains_in_equilibrium>("chains_in_equilibrium"),
    flag_key<&NuclideSettings::write_report>("write_report"),
    // The report page's header.
    text_key<&NuclideSettings::report_laboratory>("report_laboratory"),
    text_key<&NuclideSettings::report_address>("report_address"),
    text_key<&NuclideSettings::report_accreditation>("report_accreditation"),
    text_key<&NuclideSettings::report_detector>("report_detector"),
    text_key<&NuclideSettings::report_geometry>("report_geometry"),
    text_key<&NuclideSettings::report_sample_id>("report_sample_id"),
    text_key<&NuclideSettings::report_sample_description>("report_sample_description"),
    number_key<&NuclideSettings::report_coverage_factor>("report_coverage_factor", 1.0, 3.0),
    // The background spectrum taken off every spectrum's peaks.
    text_key<&NuclideSettings::background_spectrum>("background_spectrum"),
    // Close geometries.
    close_geometry(flag_key<&NuclideSettings::summing_correction>("summing_correction")),
    close_geometry(text_key<&NuclideSettings::peak_to_total_file>("peak_to_total_file")),
    close_geometry(text_key<&NuclideSettings::cascades_file>("cascades_file")),
    close_geometry(flag_key<&NuclideSettings::attenuation_correction>("attenuation_correction")),
    close_geometry(text_key<&NuclideSettings::container>("container")),
    close_geometry(
        number_key<&NuclideSettings::container_diameter_cm>("container_diameter_cm", 0.0, 1000.0)),
    close_geometry(number_key<&NuclideSettings::fill_height_cm>("fill_height_cm", 0.0, 1000.0)),
    close_geometry(number_key<&NuclideSettings::well_diameter_cm>("well_diameter_cm", 0.0, 1000.0)),
    close_geometry(number_key<&NuclideSettings::well_height_cm>("well_height_cm", 0.0, 1000.0)),
    close_geometry(
        number_key<&NuclideSettings::detector_diameter_cm>("detector_diameter_cm", 0.0, 1000.0)),
    close_geometry(
        number_key<&NuclideSettings::detector_depth_cm>("detector_depth_cm", 0.0, 1000.0)),
    close_geometry(number_key<&NuclideSettings::sample_density>("sample_density", 0.0, 30.0)),
    close_geometry(text_key<&NuclideSettings::sample_composition>("sample_composition")),
    close_geometry(number_key<&NuclideSettings::standard_density>("standard_density", 0.0, 30.0)),
    close_geometry(text_key<&NuclideSettings::standard_composition>("standard_composition")),
}};

}  // namespace

std::string render_nuclide_settings(const NuclideSettings& settings) {
    std::string out = "[nuclides]\r\n";
    for (const SettingKey& key : setting_keys)
        if (!key.close_geometry || corrections_on(settings)) key.write(settings, key.key, out);
    return out;
}

NuclideSettingsRead parse_nuclide_settings(std::string_view text) {
    NuclideSettingsRead result;
    std::size_t at = 0;
    for (int number = 1; at < text.size(); ++number) {
        auto end = text.find('\n', at);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view whole = trimmed(text.substr(at, end - at));
        at = end + 1;
        const auto equals = whole.find('=');
        if (equals == std::string_view::npos) continue;
        const std::string_view key = trimmed(whole.substr(0, equals));
        const std::string_view value = trimmed(whole.substr(equals + 1));
        for (const SettingKey& known : setting_keys) {
            if (known.key != key) continue;
            if (!known.read(value, result.settings, known))
                result.problems.push_back("line " + std::to_string(number) + ": " +
                                          std::string(key) + " = " + std::string(value) +
                                          " cannot be used");
            break;
        }
    }
    return result;
}

}  // namespace sorvane
