#pragma once

#include <functional>
#include <span>
#include <string>
#include <vector>

#include "line_library.h"

namespace sorvane::nuclides {

// A peak as identification sees it: its energy under the recalibrated scale.
struct PeakForMatch {
    double energy = 0.0;
    double d_energy = 0.0;  // the peak's and the calibration's, combined
    double area = 0.0;
    double d_area = 0.0;
    double fwhm_kev = 0.0;
    // The background spectrum's line, not this sample's: no line is matched to it,
    // though it may still hide a missing line beside it.
    bool background = false;
};

struct IdentifyOptions {
    double energy_tolerance_kev = 0.5;  // floor of the matching tolerance
    double low_kev = 0.0;               // the analysed range
    double high_kev = 0.0;
    std::vector<std::string> nuclides_of_interest;  // empty: all
    // The detection efficiency at an energy relative to any other; empty while none
    // is known, and then a missing line is only expected from found lines at or above
    // its energy (above the efficiency maximum efficiency falls with energy).
    std::function<double(double)> relative_efficiency;
    // The smallest area a line at this energy could have and still be seen.
    std::function<double(double)> detectable_area;
    // The efficiency curve's range: a missing line outside it is not expected (the
    // curve says nothing there; low lines are often absorbed). 0, 0 while none is known.
    double efficiency_low_kev = 0.0;
    double efficiency_high_kev = 0.0;
};

enum class LineStatus { found, missing, shared };

struct LineOutcome {
    const GammaLine* line = nullptr;
    int peak = -1;  // index into the peaks, -1 for none
    double peak_energy = 0.0;
    double difference = 0.0;  // peak minus library energy, keV
    LineStatus status = LineStatus::missing;
    bool required = false;  // missing although it should have been seen
};

struct NuclideOutcome {
    std::string name;
    bool identified = false;
    // The found share of the expected evidence: weight (probability times relative
    // efficiency) of the found lines over that of every line in the analysed range
    // and the curve's, so one line of six does not score like six.
    double score = 0.0;
    int found = 0;
    int expected = 0;  // lines in the analysed range
    std::vector<int> peaks{};
    std::vector<std::pair<int, std::string>> interferences{};  // peak, other nuclide
    std::vector<LineOutcome> lines{};
};

struct Identification {
    std::vector<NuclideOutcome> nuclides;   // candidates and nuclides of interest
    std::vector<std::string> peak_nuclide;  // per peak, empty when none explains it
    std::vector<std::string> chains;        // "U-238 series: Ra-226 Pb-214 Bi-214"
};

// Matches the peaks to the library's lines, gives each shared peak to a nuclide
// whose other lines can explain its area (a weak line of one nuclide never takes the
// peak of a strong line of another) and, among those, to the one the other lines
// favour, and decides for each candidate whether it is present: it is not when a
// line expected from its found lines well above what could be seen, inside the
// analysed range and the efficiency curve's, and not beside a found peak (an
// unresolved neighbour), is missing, be it stronger or weaker than those found.
Identification identify(std::span<const PeakForMatch> peaks, const LineLibrary& library,
                        const IdentifyOptions& options);

}  // namespace sorvane::nuclides
