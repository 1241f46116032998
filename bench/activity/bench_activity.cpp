// Activities on synthetic spectra of known truth, through the runtime's own steps
// (analyse_spectrum, identification, the activity step):
//   A. mixtures of 1 to 4 nuclides at random activities: bias and z^2 of the
//      activities, the efficiency curve and emission probabilities of each spectrum's
//      truth drawn within their stated uncertainties;
//   B. blank spectra (continuum only): the share of results above the decision
//      threshold for the nuclides asked for;
//   C. a round trip: an efficiency file fitted to a synthetic mixed standard, then
//      samples of other nuclides measured with it.
// Usage: bench_activity SOURCE_DIR [SPECTRA BLANKS ROUND_TRIPS]
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <map>
#include <random>

#include "activity/efficiency_storage.h"
#include "activity/standard_points.h"
#include "nuclides/library_files.h"
#include "pipeline/activity_step.h"
#include "platform/posix_file_system.h"
#include "synthetic_source.h"

namespace {

using namespace sorvane;

struct Tally {
    int n = 0;
    double bias = 0.0;  // sum of A / A_true - 1
    double bias2 = 0.0;
    double z2 = 0.0;
    void add(double measured, double truth, double u) {
        const double r = measured / truth - 1.0;
        ++n;
        bias += r;
        bias2 += r * r;
        z2 += std::pow((measured - truth) / u, 2);
    }
    double mean_bias() const { return n ? bias / n : 0.0; }
    double bias_error() const {
        return n > 1 ? std::sqrt((bias2 / n - std::pow(bias / n, 2)) / (n - 1)) : 0.0;
    }
    double mean_z2() const { return n ? z2 / n : 0.0; }
};

struct Bench {
    nuclides::LineLibrary library;
    activity::EfficiencyCurve stated;  // the curve the analysis is given
    bench::Detector detector;
    analysis::AnalysisOptions options;
    std::vector<float> terms{0.2f, 0.35f, -1e-8f};
    std::mt19937_64 rng{20261208};

    Bench() {
        const auto fwhm_ch = [this](double ch) {
            return detector.fwhm_kev(detector.energy.energy(ch)) / detector.energy.slope(ch);
        };
        options.low = {200.0, detector.energy.energy(200.0), fwhm_ch(200.0)};
        options.high = {3000.0, detector.energy.energy(3000.0), fwhm_ch(3000.0)};
    }

    double normal() { return std::normal_distribution<double>(0.0, 1.0)(rng); }

    // A curve drawn from the stated one's covariance (Cholesky of the diagonal-heavy
    // 3 x 3 or larger matrix).
    activity::EfficiencyCurve drawn_curve(const activity::EfficiencyCurve& c) {
        const std::size_t n = c.coefficients.size();
        std::vector<double> l(n * n, 0.0);
        for (std::size_t j = 0; j < n; ++j) {
            double d = c.covariance[j * n + j];
            for (std::size_t k = 0; k < j; ++k) d -= l[j * n + k] * l[j * n + k];
            l[j * n + j] = std::sqrt(std::max(d, 0.0));
            for (std::size_t i = j + 1; i < n; ++i) {
                double s = c.covariance[i * n + j];
                for (std::size_t k = 0; k < j; ++k) s -= l[i * n + k] * l[j * n + k];
                l[i * n + j] = l[j * n + j] > 0.0 ? s / l[j * n + j] : 0.0;
            }
        }
        std::vector<double> z(n);
        for (double& v : z) v = normal();
        activity::EfficiencyCurve out = c;
        for (std::size_t i = 0; i < n; ++i)
            for (std::size_t k = 0; k <= i; ++k) out.coefficients[i] += l[i * n + k] * z[k];
        return out;
    }

    // Each library line's emission probability drawn within its uncertainty, in the
    // order add_sources takes the lines.
    std::vector<double> drawn_probabilities(const std::vector<bench::TrueSource>& sources) {
        std::vector<double> scale;
        for (const auto& s : sources)
            for (const auto* line : library.lines_of(s.nuclide))
                scale.push_back(line->probability > 0.0
                                    ? 1.0 + line->d_probability / line->probability * normal()
                                    : 1.0);
        return scale;
    }

    ActivityResult analyse(const std::vector<double>& counts, NuclideSettings settings,
                           const LoadedCurve& curve, SpectrumAnalysis& analysis,
                           NuclideFindings* findings_out = nullptr) {
        analysis = analyse_spectrum(counts, terms, options);
        NuclideRun run;
        run.active = true;
        settings.identify = true;
        run.settings = settings;
        run.library = library;
        NuclideFindings found = find_nuclides(run, analysis, counts, options,
                                              relative_efficiency(curve), efficiency_range(curve));
        ActivitySpectrum spectrum{
            &analysis, counts, detector.live_time_s, detector.real_time_s, "2026-01-01 00:00:00",
            {}};
        if (found.recalibration.done) {
            const auto& e = found.recalibration.energy;
            spectrum.energy = analysis::EnergyCalibration{e.c0, e.c1, e.c2, false};
        }
        ActivityResult result =
            activity_step(activity_candidates(run, found), spectrum, settings, curve);
        if (findings_out) *findings_out = std::move(found);
        return result;
    }
};

const NuclideActivityRow* row_of(const ActivityResult& r, const std::string& name) {
    for (const auto& row : r.nuclides)
        if (row.nuclide == name) return &row;
    return nullptr;
}

// The largest significance (area / d_area) of a nuclide's found lines.
double best_significance(const NuclideActivityRow& row, const SpectrumAnalysis& analysis) {
    double best = 0.0;
    for (const auto& line : row.lines)
        if (line.activity && line.activity->d_activity > 0.0)
            for (const auto& p : analysis.peaks)
                if (std::abs(p.energy - line.energy_kev) < 1.0 && p.fit.d_area > 0.0)
                    best = std::max(best, p.fit.area / p.fit.d_area);
    return best;
}

void part_a(Bench& b, int spectra) {
    const std::vector<std::string> pool = {"Am-241", "Co-57",  "Ba-133", "Cs-137", "Mn-54",
                                           "Co-60",  "Zn-65",  "Eu-152", "Na-22",  "Sn-113",
                                           "Ce-139", "Hg-203", "Cr-51",  "Sr-85",  "K-40"};
    LoadedCurve curve{b.stated, "stated", {}};
    Tally strong, weaker;
    std::map<std::string, Tally> by_nuclide;
    int present = 0, detected = 0, false_detections = 0, reported_detected = 0;
    for (int s = 0; s < spectra; ++s) {
        std::vector<std::string> names = pool;
        std::shuffle(names.begin(), names.end(), b.rng);
        names.resize(1 + b.rng() % 4);
        std::vector<bench::TrueSource> sources;
        for (const auto& name : names)
            sources.push_back({name,
                               std::exp(std::uniform_real_distribution<double>(
                                   std::log(300.0), std::log(60000.0))(b.rng)),
                               0.0});
        const auto mu =
            bench::expected_spectrum(b.detector, sources, b.library, b.drawn_curve(b.stated),
                                     b.drawn_probabilities(sources));
        const auto counts = bench::poisson_counts(mu, b.rng);
        NuclideSettings settings;
        settings.efficiency_file = "stated";
        settings.reference_time = "2026-01-01 00:00:00";
        SpectrumAnalysis analysis;
        NuclideFindings found;
        const ActivityResult result = b.analyse(counts, settings, curve, analysis, &found);
        for (const auto& row : result.nuclides) {
            if (row.verdict != Verdict::detected) continue;
            ++reported_detected;
            if (std::none_of(sources.begin(), sources.end(),
                             [&](const auto& t) { return t.nuclide == row.nuclide; }))
                ++false_detections;
        }
        for (const auto& truth : sources) {
            ++present;
            const NuclideActivityRow* row = row_of(result, truth.nuclide);
            if (!row || row->verdict != Verdict::detected) continue;
            ++detected;
            const double a = row->activity->activity, u = row->activity->d_activity;
            (best_significance(*row, analysis) >= 30.0 ? strong : weaker)
                .add(a, truth.activity_bq, u);
            by_nuclide[truth.nuclide].add(a, truth.activity_bq, u);
        }
    }
    std::printf("\n## A. Activities of mixtures (%d spectra, %d nuclides present)\n\n", spectra,
                present);
    std::printf(
        "| group | nuclides | bias (mean A/A_true - 1) | its standard error | mean z^2 "
        "|\n|---|---|---|---|---|\n");
    auto line = [](const char* name, const Tally& t) {
        std::printf("| %s | %d | %+.3f %% | %.3f %% | %.3f |\n", name, t.n, 100 * t.mean_bias(),
                    100 * t.bias_error(), t.mean_z2());
    };
    line("a line above 30 sigma", strong);
    line("detected, all lines below 30 sigma", weaker);
    std::printf("\nDetected %d of %d present; %d of %d reported detections not present.\n\n",
                detected, present, false_detections, reported_detected);
    std::printf("| nuclide | detected | bias | mean z^2 |\n|---|---|---|---|\n");
    for (const auto& [name, t] : by_nuclide)
        std::printf("| %s | %d | %+.2f %% | %.2f |\n", name.c_str(), t.n, 100 * t.mean_bias(),
                    t.mean_z2());
}

void part_b(Bench& b, int blanks) {
    const std::vector<std::string> asked = {"Cs-137", "Co-60", "Mn-54", "Cr-51", "Hg-203"};
    LoadedCurve curve{b.stated, "stated", {}};
    std::map<std::string, std::pair<int, int>> above;  // nuclide: above y*, trials
    int above_all = 0, trials = 0, detected = 0;
    const auto mu = bench::expected_spectrum(b.detector, {}, b.library, b.stated);
    for (int s = 0; s < blanks; ++s) {
        const auto counts = bench::poisson_counts(mu, b.rng);
        NuclideSettings settings;
        settings.efficiency_file = "stated";
        settings.nuclides_of_interest = asked;
        settings.always_report = asked;
        SpectrumAnalysis analysis;
        const ActivityResult result = b.analyse(counts, settings, curve, analysis);
        for (const auto& name : asked) {
            const NuclideActivityRow* row = row_of(result, name);
            if (!row || !row->identifying_value || !row->decision_threshold) continue;
            const bool is_above = *row->identifying_value > *row->decision_threshold;
            above[name].first += is_above;
            above[name].second += 1;
            above_all += is_above;
            ++trials;
            detected += row->verdict == Verdict::detected;
        }
    }
    std::printf("\n## B. Blank spectra (%d spectra, continuum only)\n\n", blanks);
    std::printf(
        "| nuclide (identifying line) | trials | above the decision threshold | binomial standard "
        "error |\n|---|---|---|---|\n");
    for (const auto& [name, c] : above) {
        const double p = static_cast<double>(c.first) / c.second;
        std::printf("| %s | %d | %.2f %% | %.2f %% |\n", name.c_str(), c.second, 100 * p,
                    100 * std::sqrt(p * (1 - p) / c.second));
    }
    const double p = trials ? static_cast<double>(above_all) / trials : 0.0;
    std::printf("| all | %d | %.2f %% | %.2f %% |\n", trials, 100 * p,
                100 * std::sqrt(p * (1 - p) / std::max(trials, 1)));
    std::printf("\nReported detected (identified and above the threshold): %d of %d.\n", detected,
                trials);
}

void part_c(Bench& b, int round_trips) {
    struct Certified {
        const char* nuclide;
        double activity;
    };
    const std::vector<Certified> standard = {{"Am-241", 4000}, {"Co-57", 1500},  {"Ce-139", 2000},
                                             {"Hg-203", 3000}, {"Sn-113", 4000}, {"Sr-85", 4000},
                                             {"Cs-137", 3000}, {"Y-88", 5000},   {"Co-60", 4000}};
    const std::vector<std::string> samples = {"Eu-152", "Mn-54", "Zn-65", "Ba-133"};
    constexpr double certificate_u = 0.015;
    Tally tally;
    std::map<std::string, Tally> by_nuclide;
    struct RoundTrip {
        int n = 0;
        double relative_sum = 0.0, z2_sum = 0.0;
    };
    RoundTrip standard_again[2];
    int fitted = 0;
    double chi2r_sum = 0.0;
    for (int r = 0; r < round_trips; ++r) {
        // The standard's true activities stand off the certificate by its uncertainty.
        std::vector<bench::TrueSource> truth;
        for (const auto& c : standard)
            truth.push_back({c.nuclide, c.activity * (1.0 + certificate_u * b.normal()), 0.0});
        std::vector<bench::TrueSource> all = truth;
        for (const auto& s : samples) all.push_back({s, 1.0, 0.0});
        const auto scale = b.drawn_probabilities(all);
        bench::Detector standard_detector = b.detector;
        const auto mu =
            bench::expected_spectrum(standard_detector, truth, b.library, b.stated, scale);
        const auto counts = bench::poisson_counts(mu, b.rng);
        NuclideSettings settings;
        settings.efficiency_file = "stated";
        SpectrumAnalysis analysis;
        NuclideFindings found;
        LoadedCurve rough{b.stated, "stated", {}};
        b.analyse(counts, settings, rough, analysis, &found);
        std::vector<activity::EfficiencyPoint> points;
        for (const auto& n : found.identification.nuclides) {
            const auto cert = std::find_if(standard.begin(), standard.end(),
                                           [&](const Certified& c) { return n.name == c.nuclide; });
            if (cert == standard.end() || !n.identified) continue;
            const auto* facts = b.library.facts(n.name);
            for (const auto& l : n.lines) {
                if (l.peak < 0 || l.status != nuclides::LineStatus::found) continue;
                activity::StandardLine line;
                line.nuclide = n.name;
                line.energy_kev = l.line->energy;
                line.net_area = analysis.peaks[l.peak].fit.area;
                line.d_area = analysis.peaks[l.peak].fit.d_area;
                line.live_time_s = b.detector.live_time_s;
                line.real_time_s = b.detector.real_time_s;
                line.certified_activity_bq = cert->activity;
                line.d_certified_activity_bq = cert->activity * certificate_u;
                line.emission_probability = l.line->probability / 100.0;
                line.d_emission_probability = l.line->d_probability / 100.0;
                line.half_life_s = facts ? facts->half_life_seconds() : 0.0;
                line.d_half_life_s = facts && facts->half_life > 0
                                         ? facts->d_half_life * line.half_life_s / facts->half_life
                                         : 0.0;
                points.push_back(activity::standard_efficiency_point(line));
            }
        }
        const activity::EfficiencyFit fit =
            activity::fit_efficiency(points, 3, "synthetic mixed standard");
        if (!fit.problem.empty()) {
            std::printf("round trip %d: %s\n", r, fit.problem.c_str());
            continue;
        }
        ++fitted;
        chi2r_sum += fit.curve.chi2_reduced;
        const LoadedCurve measured{fit.curve, "fitted", {}};
        // The standard analysed again with its own curve, once fitted with its lines'
        // shared certificate error and once with the points taken as independent (as
        // the fit did before): its activities' uncertainty against the certificate's.
        std::vector<activity::EfficiencyPoint> independent = points;
        for (auto& p : independent) p.common_relative = 0.0;
        const activity::EfficiencyFit loose =
            activity::fit_efficiency(independent, 3, "synthetic mixed standard");
        for (int variant = 0; variant < 2; ++variant) {
            const LoadedCurve curve{variant == 0 ? fit.curve : loose.curve, "fitted", {}};
            SpectrumAnalysis again;
            const ActivityResult result = b.analyse(counts, settings, curve, again);
            for (std::size_t i = 0; i < standard.size(); ++i) {
                const NuclideActivityRow* row = row_of(result, standard[i].nuclide);
                if (!row || !row->activity) continue;
                RoundTrip& t = standard_again[variant];
                t.relative_sum += row->activity->d_activity / row->activity->activity;
                t.z2_sum += std::pow(
                    (row->activity->activity - truth[i].activity_bq) / row->activity->d_activity,
                    2);
                ++t.n;
            }
        }
        for (const auto& name : samples) {
            const double a = std::exp(
                std::uniform_real_distribution<double>(std::log(2000.0), std::log(40000.0))(b.rng));
            std::vector<bench::TrueSource> sample = {{name, a, 0.0}};
            // The same drawn probabilities as the standard's spectrum: one truth.
            std::vector<double> sample_scale;
            std::size_t at = 0;
            for (const auto& s : all) {
                const std::size_t lines = b.library.lines_of(s.nuclide).size();
                if (s.nuclide == name)
                    sample_scale.assign(scale.begin() + at, scale.begin() + at + lines);
                at += lines;
            }
            const auto sample_counts = bench::poisson_counts(
                bench::expected_spectrum(b.detector, sample, b.library, b.stated, sample_scale),
                b.rng);
            SpectrumAnalysis sample_analysis;
            const ActivityResult result =
                b.analyse(sample_counts, settings, measured, sample_analysis);
            const NuclideActivityRow* row = row_of(result, name);
            if (!row || row->verdict != Verdict::detected) continue;
            tally.add(row->activity->activity, a, row->activity->d_activity);
            by_nuclide[name].add(row->activity->activity, a, row->activity->d_activity);
        }
    }
    std::printf("\n## C. Standard-to-sample round trip (%d standards fitted of %d, order 3)\n\n",
                fitted, round_trips);
    std::printf("Mean reduced chi^2 of the standards' curves: %.2f\n\n",
                fitted ? chi2r_sum / fitted : 0.0);
    std::printf("| sample nuclide | measured | bias | mean z^2 |\n|---|---|---|---|\n");
    for (const auto& [name, t] : by_nuclide)
        std::printf("| %s | %d | %+.2f %% | %.2f |\n", name.c_str(), t.n, 100 * t.mean_bias(),
                    t.mean_z2());
    std::printf("| all | %d | %+.2f %% (+- %.2f %%) | %.3f |\n", tally.n, 100 * tally.mean_bias(),
                100 * tally.bias_error(), tally.mean_z2());
    std::printf("\nThe standard analysed again with its own curve (certificate %.1f %%):\n\n",
                100 * certificate_u);
    std::printf(
        "| curve fitted with | nuclides | mean relative uncertainty | mean z^2 against the "
        "true activity |\n|---|---|---|---|\n");
    const char* variants[] = {"the certificate's error shared by its lines",
                              "the points independent"};
    for (int v = 0; v < 2; ++v) {
        const RoundTrip& t = standard_again[v];
        std::printf("| %s | %d | %.2f %% | %.2f |\n", variants[v], t.n,
                    t.n ? 100 * t.relative_sum / t.n : 0.0, t.n ? t.z2_sum / t.n : 0.0);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 && argc != 5) {
        std::cerr << "usage: bench_activity SOURCE_DIR [SPECTRA BLANKS ROUND_TRIPS]\n";
        return 2;
    }
    const std::string root = std::string(argv[1]) + "/";
    const int spectra = argc == 5 ? std::stoi(argv[2]) : 400;
    const int blanks = argc == 5 ? std::stoi(argv[3]) : 2000;
    const int round_trips = argc == 5 ? std::stoi(argv[4]) : 40;
    PosixFileSystem fs;
    Bench b;
    b.library = nuclides::load_line_library(fs, NuclideSettings{}, root + "data/nuclides/");
    const auto loaded = activity::load_efficiency_file(fs, root + "demo/iec_eu152_efficiency.txt");
    if (!loaded.curve || b.library.lines.empty()) {
        std::cerr << "cannot read the library or the demo's curve\n";
        return 1;
    }
    b.stated = *loaded.curve;
    b.stated.energy_min_kev = 50.0;  // the bench's lines reach down to Am-241
    part_a(b, spectra);
    part_b(b, blanks);
    part_c(b, round_trips);
    return 0;
}
