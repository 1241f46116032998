#pragma once

#include <string>

namespace sorvane::nuclides {

// What identification needs of one fitted peak.
struct PeakEvidence {
    double channel = 0.0;
    double d_channel = 0.0;
    double area = 0.0;
    double d_area = 0.0;
    double fwhm_kev = 0.0;
    std::string flags;  // the runtime's letters, "-" for none

    double significance() const { return d_area > 0.0 ? area / d_area : 0.0; }
    bool flagged(char letter) const { return flags.find(letter) != std::string::npos; }
};

// Energy (keV) of a channel: c0 + c1 ch + c2 ch^2, with the covariance of the
// three terms when they were fitted (zero when they came without uncertainty).
struct QuadraticEnergy {
    double c0 = 0.0;
    double c1 = 1.0;
    double c2 = 0.0;
    double covariance[3][3] = {};

    double energy(double channel) const { return c0 + (c1 + c2 * channel) * channel; }
    double slope(double channel) const { return c1 + 2.0 * c2 * channel; }
    // keV = channel: no calibration at all, not one to start from.
    bool is_identity() const { return c0 == 0.0 && c1 == 1.0 && c2 == 0.0; }
    // One standard deviation of the calibration's energy at a channel.
    double d_energy(double channel) const;
    // The channel of an energy (the root nearest the linear one).
    double channel(double energy) const;
};

// How far a peak may stand from a library line and still be that line: three
// standard deviations of the combined uncertainty (peak, calibration, library),
// never less than the floor.
double match_tolerance(double d_peak_kev, double d_calibration_kev, double d_line_kev,
                       double floor_kev);

}  // namespace sorvane::nuclides
