#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "mass_attenuation.h"
#include "sample_matter.h"

namespace sorvane::corrections {

// The container, in cm, with z = 0 at the inside of its bottom. A cylinder stands on
// the end cap; a Marinelli beaker is a cylinder with a well from its bottom that the
// detector sits in (the sample fills the cylinder up to `fill_height_cm` around and
// above the well).
struct Container {
    enum class Kind { cylinder, marinelli } kind = Kind::cylinder;
    double inner_diameter_cm = 0.0;
    double fill_height_cm = 0.0;
    double well_diameter_cm = 0.0;  // Marinelli only
    double well_height_cm = 0.0;    // Marinelli only
};

// The detector as a disk at its effective interaction depth: its diameter and where
// the disk lies, `depth_cm` below the container's bottom (a cylinder) or below the
// top of the well (a Marinelli beaker): end-cap gap plus the mean depth of
// interaction in the crystal.
struct DetectorDisk {
    double diameter_cm = 0.0;
    double depth_cm = 0.0;
};

struct SampleMatter {
    double density_g_cm3 = 0.0;
    Composition composition;
};

// The self-attenuation factor of photons of one linear attenuation coefficient mu
// (1/cm) in `container`: the mean of exp(-mu l) over the sample volume and the disk,
// each pair of points weighted by the disk's solid angle |cos theta| / s^2, l the
// path of the ray in the sample (container walls are the same for sample and
// standard and left out). Midpoint sums: 12 radii x 12 heights x 16 angles of the
// sample, 6 radii x 16 angles of the disk.
double self_attenuation(const Container& container, const DetectorDisk& detector, double mu_per_cm);

// The sample of `container` in the cells of the grid above (12 radii x 12 heights; the
// angle sums out by symmetry), each with its share of the activity (its volume) and,
// at each energy, its point efficiency relative to the sample's mean: w / <w>, w the
// sum over the disk of |cos theta| / s^2 exp(-mu l), the same integrand as
// self_attenuation's, so that the share-weighted mean of w(mu) / w(0) is its factor.
// `mu_per_cm` gives the sample's linear attenuation coefficient at an energy (keV).
class SampleCells {
public:
    SampleCells(const Container& container, const DetectorDisk& detector,
                std::function<double(double)> mu_per_cm);

    // A Marinelli beaker's disk sees the sample only from above its plane, not the
    // crystal's side the beaker surrounds: its cells are no point efficiencies to use.
    bool marinelli() const { return marinelli_; }
    std::size_t size() const { return share_.size(); }
    double share(std::size_t cell) const { return share_[cell]; }
    // w / <w> of every cell at one energy; their share-weighted mean is 1
    std::vector<double> relative_efficiencies(double energy_kev) const;

private:
    struct Ray {
        double weight = 0.0;   // |cos theta| / s^2 times the disk element
        double path_cm = 0.0;  // in the sample
    };
    bool marinelli_ = false;
    std::vector<double> share_;
    std::vector<std::vector<Ray>> rays_;
    std::function<double(double)> mu_per_cm_;
};

struct TransferFactor {
    std::optional<double> factor;  // eff(sample) = eff(standard) * factor
    std::string problem;
};

// The ratio of the sample's self-attenuation to the standard's, at one energy, in the
// same container and detector.
TransferFactor attenuation_transfer(const AttenuationTable& table, const Container& container,
                                    const DetectorDisk& detector, const SampleMatter& sample,
                                    const SampleMatter& standard, double energy_kev);

}  // namespace sorvane::corrections
