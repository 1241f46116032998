#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sorvane::corrections {

// A spectrum as counts per channel with its energy calibration E = c0 + c1 ch + c2 ch^2.
struct ChannelCounts {
    std::vector<double> counts;
    double c0 = 0.0, c1 = 1.0, c2 = 0.0;
    double live_time_s = 0.0;

    double energy(double channel) const { return c0 + channel * (c1 + channel * c2); }
};

struct NetPeak {
    double energy_kev = 0.0;
    double area = 0.0;
    double d_area = 0.0;
};

// The peak-to-total ratio of one single-photon point source: the net area of its
// line (the sum of the given peaks, at their area-weighted energy: Co-57 122 + 136 keV)
// over the counts of the whole spectrum above `low_cut_kev`, less the background
// scaled by live time, plus the continuum below the cut taken as flat at the mean
// height of the 10 keV above it. The cut keeps the source's X-rays out of the total.
struct PeakToTotalPoint {
    std::string source;
    double energy_kev = 0.0;
    double ratio = 0.0;
    double d_ratio = 0.0;  // counting statistics of peak and total
};

std::optional<PeakToTotalPoint> peak_to_total_point(const ChannelCounts& spectrum,
                                                    const ChannelCounts* background,
                                                    const std::vector<NetPeak>& peaks,
                                                    double low_cut_kev, std::string source);

// ln PT = sum_k a_k x^k, x = ln(E / 1000 keV), by weighted least squares; order 1
// up to 3 (1 when fewer than four points). Outside the points' range the curve goes on
// linearly in ln E from its end, with the end's slope.
struct PeakToTotalCurve {
    std::vector<double> coefficients;
    double energy_min_kev = 0.0;
    double energy_max_kev = 0.0;
    double relative_uncertainty = 0.0;  // the points' scatter about the curve (rms, relative)
    std::vector<PeakToTotalPoint> points;
};

std::optional<PeakToTotalCurve> fit_peak_to_total(const std::vector<PeakToTotalPoint>& points,
                                                  int order);

double peak_to_total_at(const PeakToTotalCurve& curve, double energy_kev);

// The curve's own file, kept beside the efficiency curve: "# " comment lines, then
// "order N", "range EMIN EMAX", "relative_uncertainty U", "coefficients A0 A1 ...",
// and one "point SOURCE ENERGY RATIO D_RATIO" line per point.
std::string peak_to_total_text(const PeakToTotalCurve& curve);
std::optional<PeakToTotalCurve> read_peak_to_total(std::string_view text, std::string& problem);

}  // namespace sorvane::corrections
