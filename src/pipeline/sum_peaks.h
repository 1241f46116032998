#pragma once

#include <span>
#include <string>
#include <vector>

#include "nuclides/identification.h"

namespace sorvane {

// A peak one decay of a nuclide is expected to give, in counts per decay: a gamma
// line's full-energy peak (its summing included) or a sum peak of photons of one
// decay (Co-60 1173.2 + 1332.5 keV).
struct ExpectedPeak {
    double energy_kev = 0.0;
    double counts_per_decay = 0.0;
    std::string made_of;  // "1173.2 + 1332.5"; empty for a line
};

struct CascadePeaks {
    std::string nuclide;
    std::vector<ExpectedPeak> lines;
    std::vector<ExpectedPeak> sums;
    std::vector<ExpectedPeak> xrays;  // the daughters' K X-rays
};

// How an unexplained peak is named when it is a sum peak of `nuclide`.
std::string sum_peak_name(const std::string& nuclide);

// A peak given to a cascade as its sum peak, and the counts predicted there.
struct ClaimedSumPeak {
    int peak = -1;
    double expected = 0.0;
    double d_expected = 0.0;  // the prediction's own uncertainty
};

struct SumPeakClaims {
    std::vector<ClaimedSumPeak> peaks;
    std::vector<std::string> messages;  // one for each
};

// Gives to an identified nuclide the peaks that lie at one of its sum peaks and hold
// the counts its found lines predict there (with every sum within a FWHM, which the
// peak cannot resolve) (within three standard deviations, the
// prediction taken as 25 % uncertain: the angular correlation is neglected and the
// efficiency carried beyond the lines), so that a sum peak is never an unexplained
// peak. A peak is taken so from another nuclide only when that nuclide has no other
// found line, or none but at the cascade's K X-ray peaks (Bi-212 39.9 keV among Eu-152's
// Sm X-rays): it is then not identified.
SumPeakClaims claim_sum_peaks(std::span<const CascadePeaks> cascades,
                              std::span<const nuclides::PeakForMatch> peaks,
                              nuclides::Identification& identification);

}  // namespace sorvane
