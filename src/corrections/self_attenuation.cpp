#include "self_attenuation.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <utility>

#include "mass_attenuation.h"

namespace sorvane::corrections {
namespace {

constexpr int sample_radii = 12, sample_heights = 12, angles = 16, disk_radii = 6;

struct Point {
    double x, y, z;
};

// The part of the segment p + t (q - p), t in [0, 1], inside the finite cylinder of
// radius r about the z axis between z0 and z1, as a length of t.
double inside_cylinder(const Point& p, const Point& q, double r, double z0, double z1) {
    double low = 0.0, high = 1.0;
    const double dz = q.z - p.z;
    if (std::abs(dz) < 1e-12) {
        if (p.z < z0 || p.z > z1) return 0.0;
    } else {
        double ta = (z0 - p.z) / dz, tb = (z1 - p.z) / dz;
        if (ta > tb) std::swap(ta, tb);
        low = std::max(low, ta);
        high = std::min(high, tb);
    }
    const double dx = q.x - p.x, dy = q.y - p.y;
    const double a = dx * dx + dy * dy;
    const double b = 2.0 * (p.x * dx + p.y * dy);
    const double c = p.x * p.x + p.y * p.y - r * r;
    if (a < 1e-12) {
        if (c > 0.0) return 0.0;
    } else {
        const double disc = b * b - 4.0 * a * c;
        if (disc <= 0.0) return 0.0;
        const double root = std::sqrt(disc);
        low = std::max(low, (-b - root) / (2.0 * a));
        high = std::min(high, (-b + root) / (2.0 * a));
    }
    return std::max(0.0, high - low);
}

// The sample and the disk in one frame: the sample from z = 0 up, the disk below it
// (below the well's top for a Marinelli beaker).
struct Geometry {
    bool marinelli = false;
    double outer = 0.0, well = 0.0, well_top = 0.0, height = 0.0, disk_z = 0.0, disk_r = 0.0;

    Geometry(const Container& container, const DetectorDisk& detector)
        : marinelli(container.kind == Container::Kind::marinelli),
          outer(container.inner_diameter_cm / 2.0),
          well(marinelli ? container.well_diameter_cm / 2.0 : 0.0),
          well_top(marinelli ? container.well_height_cm : 0.0),
          height(container.fill_height_cm),
          disk_z((marinelli ? container.well_height_cm : 0.0) - detector.depth_cm),
          disk_r(detector.diameter_cm / 2.0) {}

    // The cell centres of the sample, ring by ring: radius and height.
    template <typename Visit>
    void each_cell(Visit visit) const {
        for (int i = 0; i < sample_radii; ++i) {
            const double r = outer * (i + 0.5) / sample_radii;
            for (int j = 0; j < sample_heights; ++j) {
                const double z = height * (j + 0.5) / sample_heights;
                if (r < well && z < well_top) continue;  // the well holds no sample
                visit(r, z);
            }
        }
    }

    // From p to each element of the disk: |cos theta| / s^2 times the element's
    // radius, and the path through the sample.
    template <typename Visit>
    void each_ray(const Point& p, Visit visit) const {
        const double step_angle = 2.0 * std::numbers::pi / angles;
        for (int k = 0; k < disk_radii; ++k) {
            const double rd = disk_r * (k + 0.5) / disk_radii;
            for (int b = 0; b < angles; ++b) {
                const Point q{rd * std::cos((b + 0.5) * step_angle),
                              rd * std::sin((b + 0.5) * step_angle), disk_z};
                const double dx = q.x - p.x, dy = q.y - p.y, dz = q.z - p.z;
                const double s2 = dx * dx + dy * dy + dz * dz;
                const double s = std::sqrt(s2);
                double path = inside_cylinder(p, q, outer, 0.0, height);
                if (marinelli) path -= inside_cylinder(p, q, well, 0.0, well_top);
                visit(rd * std::abs(dz) / (s2 * s), path * s);
            }
        }
    }
};

}  // namespace

double self_attenuation(const Container& container, const DetectorDisk& detector,
                        double mu_per_cm) {
    const Geometry g(container, detector);
    const double step_angle = 2.0 * std::numbers::pi / angles;
    double seen = 0.0, all = 0.0;
    g.each_cell([&](double r, double z) {
        for (int a = 0; a < angles; ++a) {
            const Point p{r * std::cos(a * step_angle), r * std::sin(a * step_angle), z};
            // volume element r dr dz dphi, disk element rd drd dphi
            g.each_ray(p, [&](double weight, double path_cm) {
                seen += r * weight * std::exp(-mu_per_cm * path_cm);
                all += r * weight;
            });
        }
    });
    return all > 0.0 ? seen / all : 1.0;
}

SampleCells::SampleCells(const Container& container, const DetectorDisk& detector,
                         std::function<double(double)> mu_per_cm)
    : marinelli_(container.kind == Container::Kind::marinelli), mu_per_cm_(std::move(mu_per_cm)) {
    const Geometry g(container, detector);
    double volume = 0.0;
    g.each_cell([&](double r, double z) {
        // one point per ring: the sum over the disk's angles is the same at every
        // angle of the ring
        std::vector<Ray> rays;
        g.each_ray({r, 0.0, z}, [&](double weight, double path_cm) {
            rays.push_back({weight, path_cm});
        });
        rays_.push_back(std::move(rays));
        share_.push_back(r);
        volume += r;
    });
    for (auto& share : share_) share /= volume;
}

std::vector<double> SampleCells::relative_efficiencies(double energy_kev) const {
    const double mu = mu_per_cm_ ? mu_per_cm_(energy_kev) : 0.0;
    std::vector<double> out;
    double mean = 0.0;
    for (std::size_t c = 0; c < rays_.size(); ++c) {
        double w = 0.0;
        for (const auto& ray : rays_[c]) w += ray.weight * std::exp(-mu * ray.path_cm);
        out.push_back(w);
        mean += share_[c] * w;
    }
    for (auto& w : out) w = mean > 0.0 ? w / mean : 1.0;
    return out;
}

TransferFactor attenuation_transfer(const AttenuationTable& table, const Container& container,
                                    const DetectorDisk& detector, const SampleMatter& sample,
                                    const SampleMatter& standard, double energy_kev) {
    const auto sample_mu = mass_attenuation(table, sample.composition, energy_kev);
    const auto standard_mu = mass_attenuation(table, standard.composition, energy_kev);
    if (!sample_mu.cm2_per_g) return {std::nullopt, sample_mu.problem};
    if (!standard_mu.cm2_per_g) return {std::nullopt, standard_mu.problem};
    const double f_sample =
        self_attenuation(container, detector, *sample_mu.cm2_per_g * sample.density_g_cm3);
    const double f_standard =
        self_attenuation(container, detector, *standard_mu.cm2_per_g * standard.density_g_cm3);
    return {f_sample / f_standard, {}};
}

}  // namespace sorvane::corrections
