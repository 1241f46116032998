#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sorvane::activity {

// What a certificate certifies: a nuclide's activity, or the photon emission rate
// of one of its lines (point sources such as a QCD1 are certified per line).
enum class CertifiedQuantity { activity, photon_rate };

// One row of a certificate file, read and converted: Bq or photons per second, with
// a standard uncertainty (k = 1) in the same unit.
struct CertifiedValue {
    int line = 0;                      // line of the file, the header being line 1
    std::string source;                // the "source" column; empty when there is none
    std::vector<std::string> spectra;  // the "spectra" column's words: who it is for
    std::string nuclide;
    std::optional<double> energy_kev;  // the line a photon rate belongs to
    CertifiedQuantity quantity = CertifiedQuantity::activity;
    double value = 0.0;
    double standard_uncertainty = 0.0;
    double coverage_factor = 1.0;  // what the stated uncertainty was divided by
    std::string taken;             // how the stated uncertainty became a standard one
    std::string reference_time;    // "YYYY-MM-DD HH:MM:SS"
    std::string time_zone;         // as the file names it ("EST", "GMT"); may be empty
    std::string problem;           // "FILE line N: why"; the row is unusable when set
};

struct CertificateRead {
    std::vector<CertifiedValue> values;  // every row, the unusable ones with their problem
    std::string problem;                 // "FILE: why" when nothing could be read at all
    std::string file_name;
};

// Reads a CSV certificate file by its header's column names (any order, any case):
// nuclide, value, unit, reference_datetime; optional uncertainty, uncertainty_unit
// ("%" or a unit of the value; empty: the value's), uncertainty_kind, coverage,
// energy_keV (needed for a photon rate), source, spectra. A row's problem stays with
// the row, so that one bad row of another source does not spoil the file.
CertificateRead parse_certificate_file(std::string_view text, const std::string& file_name);

// The coverage factor of an uncertainty from the words of its kind and coverage
// columns: a stated "k = N"; else a confidence level (68 %: 1, 95 %: 2, 99 %: 3, the
// factor the 2002 IAEA intercomparison took for certificates stating only 99 %);
// else 1 for a standard uncertainty. Nothing for an expanded one without either.
struct CoverageFactor {
    double k = 1.0;
    std::string reason;  // "k = 2 stated", "99 % confidence without k: k = 3 taken"
};
std::optional<CoverageFactor> coverage_factor_of(std::string_view kind, std::string_view coverage);

struct CertificateChoice {
    std::vector<CertifiedValue> values;
    std::string problem;  // empty when the choice is usable
};

// The rows that certify `spectrum` (a result's base name): those of `source` when
// one is named, else those whose spectra column names the spectrum (case aside),
// else every row when the file gives no spectra at all. A chosen row with a problem,
// no row, or a nuclide (or line) certified twice make the choice unusable.
CertificateChoice choose_certificate(const CertificateRead& read, const std::string& spectrum,
                                     const std::string& source);

}  // namespace sorvane::activity
