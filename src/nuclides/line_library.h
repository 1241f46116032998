#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sorvane::nuclides {

// The name of the entry that marks the 511 keV annihilation line: not a nuclide,
// no emission probability of its own.
inline constexpr std::string_view annihilation_name = "Annihilation-511";

// One gamma line as the library's lines file gives it (keV, photons per 100 decays).
struct GammaLine {
    std::string nuclide;
    double energy = 0.0;
    double d_energy = 0.0;
    double probability = 0.0;  // 0 for the annihilation entry
    double d_probability = 0.0;
    std::string source;
};

// One nuclide as the library's nuclides file gives it.
struct NuclideFacts {
    std::string name;
    double half_life = 0.0;  // in half_life_unit; 0 when not given
    std::string half_life_unit;
    double d_half_life = 0.0;
    std::string note;
    std::string chain;          // "U-238 series", "Th-232 series" or empty, read from the note
    std::string fed_by;         // the parent whose branch feeds it, read from the note's BRANCHING
    double fed_fraction = 1.0;  // that branch's share of the parent's decays

    // The half-life in seconds (a year of 365.2422 days, as the evaluations use), or 0.
    double half_life_seconds() const;
};

// Which file a library's lines came from and how many it gave.
struct LibraryIdentity {
    std::string path;
    std::size_t nuclides = 0;
    std::size_t lines = 0;
    std::vector<std::string> names;  // of the nuclides counted
};

struct LineLibrary {
    std::vector<GammaLine> lines;  // in energy order
    std::vector<NuclideFacts> nuclides;
    std::vector<LibraryIdentity> files;
    std::vector<std::string> problems;  // "FILE line N: why", the row skipped

    const NuclideFacts* facts(std::string_view name) const;
    std::vector<const GammaLine*> lines_of(std::string_view name) const;
    // A special entry (the annihilation line, lead X-rays): its facts are listed
    // without a half-life. It explains peaks and is never given an activity.
    bool special(std::string_view name) const;
};

// Reads the rows of a lines file (columns nuclide, energy_keV, energy_uncertainty_keV,
// emission_probability_percent, probability_uncertainty_percent, source_key) into
// `library`; a bad row is a problem naming `path` and the line, and is skipped. A row
// of a nuclide and energy already held replaces it, so a laboratory's file can
// correct a line. Returns the file's identity: how many lines and nuclides it gave.
LibraryIdentity add_gamma_lines(LineLibrary& library, std::string_view text,
                                const std::string& path);

// Reads the rows of a nuclides file (columns nuclide, half_life, half_life_unit,
// half_life_uncertainty, note); a later file's row of a known nuclide replaces it.
std::size_t add_nuclide_facts(LineLibrary& library, std::string_view text, const std::string& path);

// The fields of one CSV record: commas separate, double quotes enclose a field that
// holds commas, and "" inside quotes stands for one quote. Nothing when a quote is
// left open.
std::optional<std::vector<std::string>> csv_fields(std::string_view line);

}  // namespace sorvane::nuclides
