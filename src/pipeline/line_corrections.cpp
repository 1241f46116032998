#include "pipeline/line_corrections.h"

#include <algorithm>
#include <memory>

#include "corrections/cascade_files.h"
#include "corrections/coincidence_summing.h"
#include "corrections/mass_attenuation.h"
#include "corrections/peak_to_total.h"
#include "corrections/self_attenuation.h"
#include "results/summing_calibration.h"

namespace sorvane {
namespace {

// A cascade's lines are matched to the library's within this.
constexpr double line_match_kev = 0.5;

std::string resolved(const FileSystem& fs, const std::string& system_dir, const std::string& path) {
    return path_from_folder(system_dir, path, fs.separator());
}

// Every nuclide's factors for this detector, worked out once.
struct SummingTable {
    corrections::CascadeLibrary cascades;
    std::vector<std::pair<std::string, std::vector<corrections::LineSummingFactor>>> factors;
    std::vector<CascadePeaks> peaks;
};

// Sum peaks below this many counts per decay are too weak to show in any spectrum.
constexpr double least_sum_per_decay = 1e-7;

std::shared_ptr<const SummingTable> summing_table(
    const FileSystem& fs, const std::string& system_dir, const std::string& bundled_folder,
    const NuclideSettings& settings, const activity::EfficiencyCurve& curve,
    const corrections::SampleCells* cells, std::vector<std::string>& problems) {
    if (settings.peak_to_total_file.empty()) {
        problems.push_back("summing correction: no peak_to_total_file; no summing correction");
        return nullptr;
    }
    const std::string pt_path = resolved(fs, system_dir, settings.peak_to_total_file);
    std::string text, why;
    const FsResult read = fs.read_file(pt_path, text);
    const auto pt = read.ok() ? corrections::read_peak_to_total(text, why) : std::nullopt;
    if (!pt) {
        problems.push_back(pt_path + ": " + (read.ok() ? why : read.reason) +
                           "; no summing correction");
        return nullptr;
    }
    std::vector<std::string> files;
    if (!bundled_folder.empty())
        files.push_back(bundled_folder + std::string(corrections::bundled_cascades_file));
    if (!settings.cascades_file.empty())
        files.push_back(resolved(fs, system_dir, settings.cascades_file));
    auto table = std::make_shared<SummingTable>();
    table->cascades = corrections::load_cascades(fs, files);
    problems.insert(problems.end(), table->cascades.problems.begin(),
                    table->cascades.problems.end());
    // Beyond the curve's range (K X-rays, 2.6 MeV) the curve goes on at its end slope,
    // as the standard's summing correction continues it.
    const auto peak = [curve](double e) { return extended_efficiency(curve, e); };
    corrections::DetectorEfficiencies detector{
        peak, [peak, pt = *pt](double e) { return peak(e) / corrections::peak_to_total_at(pt, e); },
        0.0, pt->relative_uncertainty};
    for (const auto& cascade : table->cascades.cascades) {
        table->factors.emplace_back(cascade.nuclide,
                                    cells ? corrections::summing_factors(cascade, detector, *cells)
                                          : corrections::summing_factors(cascade, detector));
        CascadePeaks expected{cascade.nuclide, {}, {}, {}};
        for (const auto& branch : cascade.branches)
            for (const auto& xray : branch.k_xrays)
                expected.xrays.push_back(
                    {xray.energy_kev, xray.photons * peak(xray.energy_kev), {}});
        for (const auto& line : table->factors.back().second)
            expected.lines.push_back(
                {line.energy_kev, line.photons * peak(line.energy_kev) * line.factor, {}});
        for (const auto& sum :
             cells ? corrections::sum_peaks(cascade, detector, least_sum_per_decay, *cells)
                   : corrections::sum_peaks(cascade, detector, least_sum_per_decay))
            expected.sums.push_back({sum.energy_kev, sum.counts_per_decay, sum.made_of});
        table->peaks.push_back(std::move(expected));
    }
    return table;
}

std::optional<corrections::SampleMatter> matter_of(double density, const std::string& words,
                                                   const char* which,
                                                   std::vector<std::string>& problems) {
    std::string why;
    auto composition = corrections::named_composition(words);
    if (!composition) composition = corrections::composition_by_mass(words, why);
    if (!composition || !(density > 0.0)) {
        problems.push_back(std::string("self-attenuation: the ") + which +
                           " needs a density above 0 and a composition (" +
                           (why.empty() ? "water, soil or elements by mass" : why) +
                           "); no self-attenuation correction");
        return std::nullopt;
    }
    return corrections::SampleMatter{density, *composition};
}

corrections::Container container_of(const NuclideSettings& settings) {
    corrections::Container container;
    container.kind = settings.container == "marinelli" ? corrections::Container::Kind::marinelli
                                                       : corrections::Container::Kind::cylinder;
    container.inner_diameter_cm = settings.container_diameter_cm;
    container.fill_height_cm = settings.fill_height_cm;
    container.well_diameter_cm = settings.well_diameter_cm;
    container.well_height_cm = settings.well_height_cm;
    return container;
}

bool sized(const NuclideSettings& settings) {
    return settings.container_diameter_cm > 0.0 && settings.fill_height_cm > 0.0 &&
           settings.detector_diameter_cm > 0.0;
}

}  // namespace

std::optional<corrections::AttenuationTable> read_bundled_attenuation(
    const FileSystem& fs, const std::string& bundled_folder, std::string& problem) {
    if (bundled_folder.empty()) {
        problem = "no bundled library folder";
        return std::nullopt;
    }
    const std::string path = bundled_folder + std::string(corrections::bundled_attenuation_file);
    std::string text, why;
    const FsResult read = fs.read_file(path, text);
    auto table = read.ok() ? corrections::read_attenuation_table(text, path, why) : std::nullopt;
    if (!table) problem = read.ok() ? why : path + ": " + read.reason;
    return table;
}

std::shared_ptr<const corrections::SampleCells> jar_cells(
    const NuclideSettings& settings, double density, const std::string& composition,
    const std::optional<corrections::AttenuationTable>& table) {
    const corrections::Container container = container_of(settings);
    if (container.kind != corrections::Container::Kind::cylinder || !sized(settings))
        return nullptr;
    std::vector<std::string> unsaid;  // without matter the cells weigh geometry alone
    const auto matter = matter_of(density, composition, "sample", unsaid);
    std::function<double(double)> mu = [](double) { return 0.0; };
    if (table && matter)
        mu = [table = *table, matter = *matter](double e) {
            return matter.density_g_cm3 *
                   corrections::mass_attenuation(table, matter.composition, e)
                       .cm2_per_g.value_or(0.0);
        };
    return std::make_shared<const corrections::SampleCells>(
        container,
        corrections::DetectorDisk{settings.detector_diameter_cm, settings.detector_depth_cm},
        std::move(mu));
}

std::shared_ptr<const corrections::SampleCells> standard_jar_cells(
    const FileSystem& fs, const std::string& bundled_folder, const NuclideSettings& settings,
    std::string& table_problem) {
    std::string why;
    const auto table = read_bundled_attenuation(fs, bundled_folder, why);
    auto cells =
        jar_cells(settings, settings.standard_density, settings.standard_composition, table);
    // The standard's matter weighs the cells only through the attenuation table.
    if (cells && !table && !settings.standard_composition.empty()) {
        table_problem = why;
        return nullptr;
    }
    return cells;
}

LoadedCorrections load_line_corrections(const FileSystem& fs, const std::string& system_dir,
                                        const std::string& bundled_folder,
                                        const NuclideSettings& settings,
                                        const activity::EfficiencyCurve& curve) {
    LoadedCorrections out;
    const corrections::Container container = container_of(settings);
    const corrections::DetectorDisk disk{settings.detector_diameter_cm, settings.detector_depth_cm};
    // A sized jar on the end cap: its summing is averaged over the sample's volume, where
    // the efficiencies of a cascade's photons are high together near the detector.
    const bool volume_summing = settings.summing_correction && sized(settings) &&
                                container.kind == corrections::Container::Kind::cylinder;
    std::optional<corrections::AttenuationTable> table;
    std::string table_problem;
    if (settings.attenuation_correction || volume_summing)
        table = read_bundled_attenuation(fs, bundled_folder, table_problem);
    const auto cells = volume_summing ? jar_cells(settings, settings.sample_density,
                                                  settings.sample_composition, table)
                                      : nullptr;
    if (volume_summing && !table && !settings.attenuation_correction)
        out.problems.push_back("summing over the sample's volume: " + table_problem +
                               "; the sample's own absorption is left out of it");
    std::shared_ptr<const SummingTable> summing;
    if (settings.summing_correction)
        summing = summing_table(fs, system_dir, bundled_folder, settings, curve, cells.get(),
                                out.problems);
    std::optional<corrections::SampleMatter> sample, standard;
    if (settings.attenuation_correction) {
        if (!table) {
            out.problems.push_back("self-attenuation is not available: " + table_problem);
        } else if (!sized(settings)) {
            out.problems.push_back(
                "self-attenuation: container_diameter_cm, fill_height_cm and detector_diameter_cm "
                "must be above 0; no self-attenuation correction");
        } else {
            sample = matter_of(settings.sample_density, settings.sample_composition, "sample",
                               out.problems);
            standard = matter_of(settings.standard_density, settings.standard_composition,
                                 "standard", out.problems);
        }
    }
    if (summing) out.cascade_peaks = summing->peaks;
    const bool attenuation = sample && standard;
    if (!summing && !attenuation) {
        out.description = "no cascade-summing or self-absorption correction";
        return out;
    }
    out.description =
        std::string(summing ? "cascade summing (matrix method over the cascades, "
                              "total efficiency from " +
                                  settings.peak_to_total_file +
                                  (cells ? ", averaged over the sample's volume" : "") + ")"
                            : "no cascade-summing correction") +
        "; " +
        (attenuation ? "self-absorption (" + settings.container + ", sample " +
                           settings.sample_composition + " against standard " +
                           settings.standard_composition + ")"
                     : "no self-absorption correction");
    auto shared_table =
        std::make_shared<const std::optional<corrections::AttenuationTable>>(std::move(table));
    out.correction = [summing, attenuation, sample, standard, container, disk, shared_table](
                         std::string_view nuclide, double energy_kev) {
        LineCorrection c;
        if (summing)
            for (const auto& [name, factors] : summing->factors)
                if (name == nuclide)
                    if (const auto* f =
                            corrections::factor_near(factors, energy_kev, line_match_kev)) {
                        c.summing = f->factor;
                        c.d_summing = f->d_factor;
                    }
        if (attenuation)
            if (const auto t = corrections::attenuation_transfer(**shared_table, container, disk,
                                                                 *sample, *standard, energy_kev);
                t.factor)
                c.attenuation = *t.factor;
        return c;
    };
    return out;
}

}  // namespace sorvane
