#include "peak_to_total.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <sstream>

namespace sorvane::corrections {
namespace {

constexpr double reference_kev = 1000.0;
constexpr double flat_span_kev = 10.0;  // the continuum's height just above the cut

double x_of(double energy_kev) {
    return std::log(energy_kev / reference_kev);
}

double polynomial(const std::vector<double>& a, double x) {
    double sum = 0.0;
    for (std::size_t k = a.size(); k-- > 0;) sum = sum * x + a[k];
    return sum;
}

double slope(const std::vector<double>& a, double x) {
    double sum = 0.0;
    for (std::size_t k = a.size(); k-- > 1;) sum = sum * x + static_cast<double>(k) * a[k];
    return sum;
}

// Counts of channels at or above `cut` and the mean counts per keV in cut..cut+10 keV.
struct Above {
    double counts = 0.0;
    double per_kev = 0.0;
};

Above counts_above(const ChannelCounts& s, double cut) {
    Above above;
    double near = 0.0, near_kev = 0.0;
    for (std::size_t ch = 0; ch < s.counts.size(); ++ch) {
        const double e = s.energy(static_cast<double>(ch));
        if (e < cut) continue;
        above.counts += s.counts[ch];
        if (e < cut + flat_span_kev) {
            near += s.counts[ch];
            near_kev += s.energy(ch + 0.5) - s.energy(ch - 0.5);
        }
    }
    above.per_kev = near_kev > 0.0 ? near / near_kev : 0.0;
    return above;
}

// Solves the small symmetric system m a = v in place (Gaussian elimination).
bool solve(std::vector<std::vector<double>>& m, std::vector<double>& v) {
    const std::size_t n = v.size();
    for (std::size_t i = 0; i < n; ++i) {
        if (std::abs(m[i][i]) < 1e-300) return false;
        for (std::size_t r = i + 1; r < n; ++r) {
            const double f = m[r][i] / m[i][i];
            for (std::size_t c = i; c < n; ++c) m[r][c] -= f * m[i][c];
            v[r] -= f * v[i];
        }
    }
    for (std::size_t i = n; i-- > 0;) {
        for (std::size_t c = i + 1; c < n; ++c) v[i] -= m[i][c] * v[c];
        v[i] /= m[i][i];
    }
    return true;
}

}  // namespace

std::optional<PeakToTotalPoint> peak_to_total_point(const ChannelCounts& spectrum,
                                                    const ChannelCounts* background,
                                                    const std::vector<NetPeak>& peaks,
                                                    double low_cut_kev, std::string source) {
    double area = 0.0, d_area2 = 0.0, weighted = 0.0;
    for (const auto& peak : peaks) {
        area += peak.area;
        d_area2 += peak.d_area * peak.d_area;
        weighted += peak.area * peak.energy_kev;
    }
    if (area <= 0.0 || spectrum.live_time_s <= 0.0) return std::nullopt;
    const Above gross = counts_above(spectrum, low_cut_kev);
    double total = gross.counts + gross.per_kev * low_cut_kev;
    double variance = gross.counts;
    if (background && background->live_time_s > 0.0) {
        const double scale = spectrum.live_time_s / background->live_time_s;
        const Above bg = counts_above(*background, low_cut_kev);
        total -= scale * (bg.counts + bg.per_kev * low_cut_kev);
        variance += scale * scale * bg.counts;
    }
    if (total <= area) return std::nullopt;
    const double ratio = area / total;
    // Peak counts are part of the total: var(P/T) from the peak's and the rest's counts.
    const double rest_variance = std::max(0.0, variance - area);
    const double d_ratio = std::sqrt(std::pow((total - area) / (total * total), 2.0) * d_area2 +
                                     std::pow(area / (total * total), 2.0) * rest_variance);
    return PeakToTotalPoint{std::move(source), weighted / area, ratio, d_ratio};
}

std::optional<PeakToTotalCurve> fit_peak_to_total(const std::vector<PeakToTotalPoint>& points,
                                                  int order) {
    if (points.size() < 2) return std::nullopt;
    if (points.size() < 4) order = 1;
    order = std::clamp(order, 1, 3);
    const std::size_t n = static_cast<std::size_t>(order) + 1;
    std::vector<std::vector<double>> m(n, std::vector<double>(n, 0.0));
    std::vector<double> v(n, 0.0);
    PeakToTotalCurve curve;
    curve.energy_min_kev = points.front().energy_kev;
    curve.energy_max_kev = points.front().energy_kev;
    double mean_relative = 0.0;
    for (const auto& p : points) {
        if (p.ratio <= 0.0 || p.energy_kev <= 0.0) return std::nullopt;
        const double relative = p.d_ratio > 0.0 ? p.d_ratio / p.ratio : 0.01;
        const double w = 1.0 / (relative * relative);
        const double x = x_of(p.energy_kev), y = std::log(p.ratio);
        for (std::size_t i = 0; i < n; ++i) {
            for (std::size_t j = 0; j < n; ++j) m[i][j] += w * std::pow(x, double(i + j));
            v[i] += w * y * std::pow(x, double(i));
        }
        curve.energy_min_kev = std::min(curve.energy_min_kev, p.energy_kev);
        curve.energy_max_kev = std::max(curve.energy_max_kev, p.energy_kev);
        mean_relative += relative / static_cast<double>(points.size());
    }
    if (!solve(m, v)) return std::nullopt;
    curve.coefficients = v;
    double scatter = 0.0;
    for (const auto& p : points)
        scatter += std::pow(std::log(p.ratio) - polynomial(v, x_of(p.energy_kev)), 2.0);
    const double dof = std::max(1.0, static_cast<double>(points.size() - n));
    curve.relative_uncertainty = std::max(std::sqrt(scatter / dof), mean_relative);
    curve.points = points;
    return curve;
}

double peak_to_total_at(const PeakToTotalCurve& curve, double energy_kev) {
    const double x = x_of(std::max(energy_kev, 1e-3));
    const double low = x_of(curve.energy_min_kev), high = x_of(curve.energy_max_kev);
    const double end = std::clamp(x, low, high);
    // A peak holds no more than the photons detected at all: carried beyond its
    // points the curve stops at 1.
    return std::min(1.0, std::exp(polynomial(curve.coefficients, end) +
                                  slope(curve.coefficients, end) * (x - end)));
}

std::string peak_to_total_text(const PeakToTotalCurve& curve) {
    std::ostringstream out;
    out.precision(9);
    out << "# peak-to-total curve: ln PT = sum a_k (ln(E / 1000 keV))^k\n";
    out << "order " << curve.coefficients.size() - 1 << "\n";
    out << "range " << curve.energy_min_kev << " " << curve.energy_max_kev << "\n";
    out << "relative_uncertainty " << curve.relative_uncertainty << "\n";
    out << "coefficients";
    for (double a : curve.coefficients) out << " " << a;
    out << "\n";
    for (const auto& p : curve.points)
        out << "point " << (p.source.empty() ? "-" : p.source) << " " << p.energy_kev << " "
            << p.ratio << " " << p.d_ratio << "\n";
    return out.str();
}

std::optional<PeakToTotalCurve> read_peak_to_total(std::string_view text, std::string& problem) {
    PeakToTotalCurve curve;
    std::istringstream in{std::string(text)};
    std::string line;
    int order = -1, number = 0;
    bool range = false;
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        std::istringstream words(line);
        std::string key;
        words >> key;
        bool ok = true;
        if (key == "order") {
            ok = static_cast<bool>(words >> order) && order >= 1 && order <= 3;
        } else if (key == "range") {
            ok = static_cast<bool>(words >> curve.energy_min_kev >> curve.energy_max_kev) &&
                 curve.energy_min_kev > 0.0 && curve.energy_max_kev >= curve.energy_min_kev;
            range = ok;
        } else if (key == "relative_uncertainty") {
            ok = static_cast<bool>(words >> curve.relative_uncertainty);
        } else if (key == "coefficients") {
            double a = 0.0;
            while (words >> a) curve.coefficients.push_back(a);
            ok = words.eof();
        } else if (key == "point") {
            PeakToTotalPoint p;
            ok = static_cast<bool>(words >> p.source >> p.energy_kev >> p.ratio >> p.d_ratio);
            curve.points.push_back(p);
        } else {
            ok = false;
        }
        if (!ok) {
            problem = "line " + std::to_string(number) + ": \"" + line + "\" is not understood";
            return std::nullopt;
        }
    }
    if (order < 0 || !range || curve.coefficients.size() != static_cast<std::size_t>(order) + 1) {
        problem = "the file needs an order line, a range line and order + 1 coefficients";
        return std::nullopt;
    }
    return curve;
}

}  // namespace sorvane::corrections
