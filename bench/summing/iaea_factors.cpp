// Peak-to-total curves of the IAEA 2002 detectors from their single-nuclide point
// sources, peak-efficiency curves from the calibration standards (picbig on BIG,
// maricsmall on SMALL, with their certificates; Y-88 corrected for summing by
// iteration), and the summing factors of Cs-134 and Y-88 (pillbox, BIG) and of Bi-214
// and Tl-208 (Marinelli, SMALL) beside the published Monte-Carlo ones (GESPECOR, Table
// 2 of the 2002 intercomparison paper, as the issue lists them).
// Usage: iaea_factors IAEA2002_FOLDER NUCLIDE_DATA_FOLDER [PT_OUT_FOLDER]
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "activity/decay.h"
#include "activity/efficiency_curve.h"
#include "corrections/cascade_data.h"
#include "corrections/coincidence_summing.h"
#include "corrections/peak_to_total.h"
#include "iaea_spectra.h"
#include "nuclides/line_library.h"

using namespace sorvane;

namespace {

std::string file_text(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

struct PointSource {
    const char* name;
    std::vector<double> lines;  // keV: their areas make the peak
};

// The single-nuclide sources and the lines that make their peaks (Co-57 122 + 136 keV).
const std::vector<PointSource> point_sources = {
    {"Am241", {59.5409}}, {"Cd109", {88.0336}},  {"Co57", {122.06065, 136.47356}},
    {"Sn113", {391.698}}, {"Cs137", {661.6553}}, {"Mn54", {834.848}},
    {"Zn65", {1115.539}}};

std::string detector_name(const char* source, bool big) {
    std::string name = std::string(source) + (big ? "BIG" : "SMALL");
    if (std::string(source) == "Am241") name = big ? "Am241big" : "Am241small";
    return name;
}

// The standards' single-photon lines and Y-88's two; the activities (Bq at 2002-11-01
// 12:00 EST = 17:00 UTC) are read from the set's calibration_certificates.csv (total
// uncertainty 5.0 % at 99 %: about 1.7 % standard, as the test41 paper takes it).
struct CalibrationLine {
    const char* nuclide;
    double energy_kev;
};
const std::vector<CalibrationLine> calibration_lines = {
    {"Am-241", 59.5409},  {"Cd-109", 88.0336}, {"Co-57", 122.06065}, {"Ce-139", 165.8575},
    {"Hg-203", 279.1952}, {"Sn-113", 391.698}, {"Cs-137", 661.6553}, {"Mn-54", 834.848},
    {"Y-88", 898.042},    {"Zn-65", 1115.539}, {"Y-88", 1836.070}};

// "PIC Cs-137" -> Bq, from the certificate table's source, nuclide and value columns.
std::map<std::string, double> certified_activities(const std::string& text) {
    std::map<std::string, double> bq;
    std::istringstream in(text);
    std::string line;
    std::getline(in, line);
    while (std::getline(in, line)) {
        const auto fields = nuclides::csv_fields(line);
        if (!fields || fields->size() < 8) continue;
        bq[(*fields)[0] + " " + (*fields)[5]] = std::atof((*fields)[7].c_str());
    }
    return bq;
}

struct Standard {
    const char* spectrum;
    const char* background;
    bool big;
    const char* start_utc;  // the measurement's start (measurements.csv)
    const char* geometry;
};

const corrections::PeakToTotalCurve* pt_of(const std::map<bool, corrections::PeakToTotalCurve>& m,
                                           bool big) {
    const auto at = m.find(big);
    return at == m.end() ? nullptr : &at->second;
}

// The efficiency curve, held beyond its last point at the slope of ln eff there.
double peak_efficiency(const activity::EfficiencyCurve& curve, double e) {
    const double top = curve.energy_max_kev, bottom = curve.energy_min_kev;
    if (e <= top && e >= bottom) return activity::evaluate_efficiency(curve, e).efficiency;
    const double end = e > top ? top : bottom;
    const double step = end * 0.02;
    const double a = activity::evaluate_efficiency(curve, end).efficiency;
    const double b =
        activity::evaluate_efficiency(curve, e > top ? end - step : end + step).efficiency;
    const double slope = std::log(a / b) / std::log(end / (e > top ? end - step : end + step));
    return a * std::pow(e / end, slope);
}

struct Published {
    const char* nuclide;
    double energy_kev;
    double factor;
};
// GESPECOR factors (observed / alone) as the issue transcribes Table 2.
const std::vector<Published> pillbox_big = {
    {"Cs-134", 242.738, 0.731}, {"Cs-134", 326.589, 0.679}, {"Cs-134", 475.365, 0.752},
    {"Cs-134", 563.246, 0.736}, {"Cs-134", 569.331, 0.736}, {"Cs-134", 604.721, 0.83},
    {"Cs-134", 795.864, 0.831}, {"Cs-134", 801.953, 0.754}, {"Cs-134", 1038.61, 0.934},
    {"Cs-134", 1167.97, 1.136}, {"Cs-134", 1365.19, 1.26},  {"Y-88", 898.042, 0.886},
    {"Y-88", 1836.07, 0.872}};
const std::vector<Published> marinelli_small = {
    {"Bi-214", 609.312, 0.922},  {"Bi-214", 768.356, 0.903},  {"Bi-214", 934.061, 0.909},
    {"Bi-214", 1120.287, 0.911}, {"Bi-214", 1238.111, 0.915}, {"Bi-214", 1377.669, 1.028},
    {"Bi-214", 1729.595, 1.154}, {"Bi-214", 1764.494, 1.003}, {"Tl-208", 510.77, 0.854},
    {"Tl-208", 583.187, 0.903},  {"Tl-208", 860.557, 0.971},  {"Tl-208", 2614.511, 0.884}};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: iaea_factors IAEA2002_FOLDER NUCLIDE_DATA_FOLDER [PT_OUT]\n");
        return 2;
    }
    const std::string folder = argv[1], data = argv[2];
    nuclides::LineLibrary lines;
    nuclides::add_gamma_lines(lines, file_text(data + "/gamma_lines.csv"), "gamma_lines.csv");
    nuclides::add_nuclide_facts(lines, file_text(data + "/nuclides.csv"), "nuclides.csv");
    corrections::CascadeLibrary cascades;
    corrections::add_cascades(cascades, file_text(data + "/cascades.csv"), "cascades.csv");

    // 1. Peak-to-total curves.
    std::map<bool, corrections::PeakToTotalCurve> pt;
    for (const bool big : {true, false}) {
        const auto background =
            bench::read_iaea_spectrum(folder, big ? "BGBIGPOINT" : "BGSMALLPOINT", big);
        std::vector<corrections::PeakToTotalPoint> points;
        std::printf("\n### Peak-to-total, %s detector (low cut 40 keV, background %s)\n\n",
                    big ? "BIG" : "SMALL", big ? "BGBIGPOINT" : "BGSMALLPOINT");
        std::printf("| spectrum | energy keV | net peak | P/T | u(P/T) |\n|---|---|---|---|---|\n");
        for (const auto& source : point_sources) {
            const std::string name = detector_name(source.name, big);
            auto spectrum = bench::read_iaea_spectrum(folder, name, big);
            if (!spectrum) continue;
            bench::calibrate_on(*spectrum, background ? &*background : nullptr,
                                {source.lines.front()});
            std::vector<corrections::NetPeak> peaks;
            for (double e : source.lines)
                if (auto p = bench::window_area(*spectrum, background ? &*background : nullptr, e))
                    peaks.push_back(*p);
            const auto point = corrections::peak_to_total_point(
                spectrum->counts, background ? &background->counts : nullptr, peaks, 40.0, name);
            if (!point) continue;
            double area = 0.0;
            for (const auto& p : peaks) area += p.area;
            // Am-241: the Ge escape peak of 59.5 keV (49.6 keV) lies in the band that sets
            // the continuum below the cut, so its ratio is shown but not fitted
            const bool fitted = point->energy_kev > 80.0;
            std::printf("| %s | %.1f | %.0f | %.4f | %.4f |%s\n", name.c_str(), point->energy_kev,
                        area, point->ratio, point->d_ratio, fitted ? "" : " (not fitted)");
            if (fitted) points.push_back(*point);
        }
        const auto curve = corrections::fit_peak_to_total(points, 3);
        if (!curve) continue;
        pt[big] = *curve;
        std::printf(
            "\nln PT = %.4f %+.4f x %+.4f x^2 %+.4f x^3, x = ln(E/1000 keV); scatter %.1f %%; "
            "PT(100) %.3f, PT(500) %.3f, PT(1000) %.3f, PT(2000) %.3f\n",
            curve->coefficients[0], curve->coefficients[1],
            curve->coefficients.size() > 2 ? curve->coefficients[2] : 0.0,
            curve->coefficients.size() > 3 ? curve->coefficients[3] : 0.0,
            100.0 * curve->relative_uncertainty, corrections::peak_to_total_at(*curve, 100),
            corrections::peak_to_total_at(*curve, 500), corrections::peak_to_total_at(*curve, 1000),
            corrections::peak_to_total_at(*curve, 2000));
        if (argc > 3) {
            std::ofstream out(std::string(argv[3]) + (big ? "/PT-BIG.txt" : "/PT-SMALL.txt"));
            out << corrections::peak_to_total_text(*curve);
        }
    }

    // 2. Peak efficiencies of the standards, Y-88 corrected by iteration; 3. factors.
    const Standard standards[] = {
        {"picbig", "BGBIGPOINT", true, "2002-11-26 06:16:11", "pillbox 100 mL on the end cap, BIG"},
        {"maricsmall", "BGSMALLMARI", false, "2002-11-22 14:08:39", "Marinelli 500 mL, SMALL"}};
    const double reference = *activity::seconds_of_date("2002-11-01 17:00:00");
    auto activities = certified_activities(file_text(folder + "/calibration_certificates.csv"));
    for (const auto& standard : standards) {
        const auto* curve_pt = pt_of(pt, standard.big);
        auto spectrum = bench::read_iaea_spectrum(folder, standard.spectrum, standard.big);
        const auto background =
            bench::read_iaea_spectrum(folder, standard.background, standard.big);
        if (!curve_pt || !spectrum) continue;
        // SMALL's spectra end near 1.8 MeV: its second anchor is Zn-65's line
        bench::calibrate_on(*spectrum, background ? &*background : nullptr,
                            {661.6553, standard.big ? 1836.070 : 1115.539});
        const double start = *activity::seconds_of_date(standard.start_utc);
        std::vector<activity::EfficiencyPoint> raw;
        for (const auto& c : calibration_lines) {
            const auto peak =
                bench::window_area(*spectrum, background ? &*background : nullptr, c.energy_kev);
            const auto* facts = lines.facts(c.nuclide);
            double probability = 0.0;
            for (const auto* l : lines.lines_of(c.nuclide))
                if (std::abs(l->energy - c.energy_kev) < 0.5) probability = l->probability / 100.0;
            if (!peak || !facts || probability <= 0.0 ||
                !activities.count(std::string(standard.big ? "PIC " : "MARIC ") + c.nuclide))
                continue;
            const auto decay = activity::decay_correction(
                {facts->half_life_seconds(), 0.0, start - reference, spectrum->real_time_s});
            const double bq = activities[std::string(standard.big ? "PIC " : "MARIC ") + c.nuclide];
            const double eff =
                peak->area / (spectrum->counts.live_time_s * bq * probability * decay.factor);
            const double rel = std::hypot(peak->d_area / peak->area, 0.017);
            raw.push_back({c.nuclide, c.energy_kev, eff, eff * rel, 0.017});
        }
        corrections::DetectorEfficiencies detector;
        activity::EfficiencyCurve curve;
        std::vector<double> y88_factor(raw.size(), 1.0);
        for (int iteration = 0; iteration < 5; ++iteration) {
            auto points = raw;
            for (std::size_t i = 0; i < points.size(); ++i) {
                points[i].efficiency /= y88_factor[i];
                points[i].d_efficiency /= y88_factor[i];
            }
            const auto fit = activity::fit_efficiency(points, 3, standard.spectrum);
            if (!fit.problem.empty()) {
                std::fprintf(stderr, "%s: %s\n", standard.spectrum, fit.problem.c_str());
                break;
            }
            curve = fit.curve;
            detector.peak = [curve](double e) { return peak_efficiency(curve, e); };
            detector.total = [curve, curve_pt](double e) {
                return peak_efficiency(curve, e) / corrections::peak_to_total_at(*curve_pt, e);
            };
            detector.peak_relative_uncertainty = 0.03;
            detector.total_relative_uncertainty = curve_pt->relative_uncertainty;
            const auto factors = corrections::summing_factors(*cascades.find("Y-88"), detector);
            for (std::size_t i = 0; i < raw.size(); ++i)
                if (raw[i].nuclide == "Y-88")
                    y88_factor[i] =
                        corrections::factor_near(factors, raw[i].energy_kev, 0.5)->factor;
        }
        std::printf("\n### %s: peak efficiency (order 3 in ln E; Y-88 corrected)\n\n",
                    standard.geometry);
        std::printf(
            "| nuclide | keV | eps_p measured | eps_p curve | eps_t (eps_p / PT) |\n"
            "|---|---|---|---|---|\n");
        for (std::size_t i = 0; i < raw.size(); ++i)
            std::printf("| %s | %.1f | %.5f | %.5f | %.4f |\n", raw[i].nuclide.c_str(),
                        raw[i].energy_kev, raw[i].efficiency / y88_factor[i],
                        detector.peak(raw[i].energy_kev), detector.total(raw[i].energy_kev));
        const auto& published = standard.big ? pillbox_big : marinelli_small;
        std::printf(
            "\n| nuclide | keV | this program | u | GESPECOR | ratio |\n"
            "|---|---|---|---|---|---|\n");
        double worst = 0.0;
        for (const auto& p : published) {
            const auto* cascade = cascades.find(p.nuclide);
            if (!cascade) continue;
            const auto factors = corrections::summing_factors(*cascade, detector);
            const auto* f = corrections::factor_near(factors, p.energy_kev, 0.6);
            if (!f) continue;
            std::printf("| %s | %.1f | %.3f | %.3f | %.3f | %.3f |\n", p.nuclide, p.energy_kev,
                        f->factor, f->d_factor, p.factor, f->factor / p.factor);
            worst = std::max(worst, std::abs(f->factor / p.factor - 1.0));
        }
        std::printf("\nlargest difference %.1f %%\n", 100.0 * worst);
    }
    return 0;
}
