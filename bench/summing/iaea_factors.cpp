// Peak-to-total curves of the IAEA 2002 detectors from their single-nuclide point
// sources, peak-efficiency curves from the calibration standards (picbig on BIG,
// maricsmall on SMALL, with their certificates; Y-88 corrected for summing by
// iteration), and the summing factors of Cs-134 and Y-88 (pillbox, BIG) and of Bi-214
// and Tl-208 (Marinelli, SMALL) beside the published Monte-Carlo ones (GESPECOR, Table
// 2 of the 2002 intercomparison paper, as the issue lists them), with the samples'
// mean efficiencies and averaged over the pillbox's volume; then what the model leaves
// out, measured: the disk's depth from the QCD1 point source, the angular correlation's
// gain, the end cap's total efficiency by the Co-60 sum peak, photons scattered in the
// pillbox's matrix into the detector, and the Marinelli beaker seen by a crystal with
// its side.
// Usage: iaea_factors IAEA2002_FOLDER NUCLIDE_DATA_FOLDER [PT_OUT_FOLDER]
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "activity/decay.h"
#include "activity/efficiency_curve.h"
#include "corrections/cascade_data.h"
#include "corrections/coincidence_summing.h"
#include "corrections/mass_attenuation.h"
#include "corrections/peak_to_total.h"
#include "corrections/self_attenuation.h"
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
    corrections::Container container;
    corrections::DetectorDisk disk;
};

// Assumed sizes (the set gives none). The pillbox: 100 mL in a 125 mL jar of 5.0 cm
// inner diameter (fill height 5.09 cm), BIG as a disk 7.0 cm across 1.0 cm below the
// jar's bottom (as iaea_attenuation). The Marinelli: a 500 mL beaker of 10.5 cm inner
// diameter with a well 7.7 cm across and 7.5 cm deep, filled to 500 mL (9.81 cm);
// SMALL as a disk 5.0 cm across 1.0 cm below the well's top.
const corrections::Container pillbox{corrections::Container::Kind::cylinder, 5.0,
                                     100.0 / (3.14159265358979 * 2.5 * 2.5)};
const corrections::Container marinelli{
    corrections::Container::Kind::marinelli, 10.5,
    (500.0 / 3.14159265358979 + 3.85 * 3.85 * 7.5) / (5.25 * 5.25), 7.7, 7.5};

// Pairs of a cascade's photons whose volume ratio K = <w1 w2> / (<w1> <w2>) is shown.
struct Pair {
    const char* nuclide;
    double first_kev, second_kev;
};
const std::vector<Pair> pairs = {{"Cs-134", 604.721, 795.864},  {"Cs-134", 569.331, 604.721},
                                 {"Y-88", 898.042, 1836.07},    {"Co-60", 1173.228, 1332.492},
                                 {"Bi-214", 609.312, 1120.287}, {"Tl-208", 583.187, 2614.511},
                                 {"Tl-208", 860.557, 2614.511}};

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

// The share of all directions from a point `height_cm` above a disk's plane and
// `off_axis_cm` from its axis that meet the disk, weighted by |cos theta| as the
// self-attenuation integrand weights them (the disk's solid angle over 4 pi).
double disk_fraction(double off_axis_cm, double height_cm, double disk_diameter_cm) {
    const int radii = 60, angles = 90;
    const double r = disk_diameter_cm / 2.0;
    double sum = 0.0;
    for (int k = 0; k < radii; ++k) {
        const double rd = r * (k + 0.5) / radii;
        for (int b = 0; b < angles; ++b) {
            const double phi = 2.0 * 3.14159265358979 * (b + 0.5) / angles;
            const double dx = rd * std::cos(phi) - off_axis_cm, dy = rd * std::sin(phi);
            const double s2 = dx * dx + dy * dy + height_cm * height_cm;
            sum += rd * height_cm / (s2 * std::sqrt(s2));
        }
    }
    return sum * (r / radii) * (2.0 * 3.14159265358979 / angles) / (4.0 * 3.14159265358979);
}

// The mean of disk_fraction over a cylinder standing on a plane `gap_cm` above the disk.
double cylinder_fraction(double diameter_cm, double height_cm, double disk_diameter_cm,
                         double gap_cm) {
    const int radii = 12, heights = 12;
    double sum = 0.0, volume = 0.0;
    for (int i = 0; i < radii; ++i) {
        const double r = diameter_cm / 2.0 * (i + 0.5) / radii;
        for (int j = 0; j < heights; ++j) {
            const double z = height_cm * (j + 0.5) / heights;
            sum += r * disk_fraction(r, z + gap_cm, disk_diameter_cm);
            volume += r;
        }
    }
    return sum / volume;
}

// The gain of coincidences from the angular correlation W(theta) = 1 + a2 cos^2 +
// a4 cos^4 of a cascade's two photons when both reach the disk: the mean of W over
// pairs of the disk's points seen from each point of the cylinder (each weighted by
// its solid angle), over the cylinder's volume, divided by W's mean over the sphere
// (1 + a2 / 3 + a4 / 5).
double correlation_gain(double diameter_cm, double height_cm, double disk_diameter_cm,
                        double gap_cm, double a2, double a4) {
    const int radii = 10, heights = 10, disk_radii = 8, disk_angles = 24;
    const double pi = 3.14159265358979;
    double with = 0.0, without = 0.0;
    for (int i = 0; i < radii; ++i) {
        const double r = diameter_cm / 2.0 * (i + 0.5) / radii;
        for (int j = 0; j < heights; ++j) {
            const double z = height_cm * (j + 0.5) / heights + gap_cm;
            struct Ray {
                double x, y, z, w;
            };
            std::vector<Ray> rays;
            for (int k = 0; k < disk_radii; ++k) {
                const double rd = disk_diameter_cm / 2.0 * (k + 0.5) / disk_radii;
                for (int b = 0; b < disk_angles; ++b) {
                    const double phi = 2.0 * pi * (b + 0.5) / disk_angles;
                    const double dx = rd * std::cos(phi) - r, dy = rd * std::sin(phi);
                    const double s = std::sqrt(dx * dx + dy * dy + z * z);
                    rays.push_back({dx / s, dy / s, -z / s, rd * z / (s * s * s)});
                }
            }
            double pair_w = 0.0, pair = 0.0;
            for (const auto& u : rays)
                for (const auto& v : rays) {
                    const double c = u.x * v.x + u.y * v.y + u.z * v.z;
                    pair_w += u.w * v.w * (1.0 + a2 * c * c + a4 * c * c * c * c);
                    pair += u.w * v.w;
                }
            with += r * pair_w;
            without += r * pair;
        }
    }
    return with / without / (1.0 + a2 / 3.0 + a4 / 5.0);
}

// Photons scattered once in the sample that still reach the disk, against those that
// reach it unscattered, from a cylinder of diameter D and height H standing `gap_cm`
// above the disk (diameter d): each photon leaves an even point in an even direction,
// interacts in the sample at the distance exp(-mu s) gives (every interaction a Compton
// scattering by the Klein-Nishina cross section), and its scattered ray is followed,
// attenuated at its new energy, to the disk. A fixed seed keeps the figures.
struct ScatterShare {
    double direct = 0.0;     // per photon: reaches the disk unscattered
    double scattered = 0.0;  // per photon: scattered once, then reaches the disk
};
ScatterShare scattered_into_disk(double diameter_cm, double height_cm, double disk_diameter_cm,
                                 double gap_cm, double energy_kev,
                                 const std::function<double(double)>& mu, int photons) {
    std::mt19937_64 random(20021101);
    std::uniform_real_distribution<double> uniform(0.0, 1.0);
    const double pi = 3.14159265358979, radius = diameter_cm / 2.0, disk = disk_diameter_cm / 2.0;
    // the path from (x, y, z) along unit (u, v, w) inside the cylinder
    const auto inside = [&](double x, double y, double z, double u, double v, double w) {
        double t = 1e30;
        if (w > 0) t = std::min(t, (height_cm - z) / w);
        if (w < 0) t = std::min(t, -z / w);
        const double a = u * u + v * v, b = x * u + y * v, c = x * x + y * y - radius * radius;
        if (a > 1e-12) t = std::min(t, (-b + std::sqrt(std::max(0.0, b * b - a * c))) / a);
        return std::max(0.0, t);
    };
    // whether the ray from (x, y, z) along (u, v, w) meets the disk at z = -gap
    const auto hits = [&](double x, double y, double z, double u, double v, double w) {
        if (w >= 0.0) return false;
        const double t = (-gap_cm - z) / w;
        const double hx = x + t * u, hy = y + t * v;
        return hx * hx + hy * hy <= disk * disk;
    };
    ScatterShare out;
    const double mu0 = mu(energy_kev);
    for (int n = 0; n < photons; ++n) {
        double x, y;
        do {
            x = radius * (2.0 * uniform(random) - 1.0);
            y = radius * (2.0 * uniform(random) - 1.0);
        } while (x * x + y * y > radius * radius);
        const double z = height_cm * uniform(random);
        const double w = 2.0 * uniform(random) - 1.0, phi = 2.0 * pi * uniform(random);
        const double sw = std::sqrt(1.0 - w * w), u = sw * std::cos(phi), v = sw * std::sin(phi);
        const double path = inside(x, y, z, u, v, w);
        const double depth = -std::log(1.0 - uniform(random)) / mu0;
        if (depth >= path) {
            if (hits(x, y, z, u, v, w)) out.direct += 1.0;
            continue;
        }
        // Compton scattering at the interaction point, Klein-Nishina by rejection
        const double px = x + depth * u, py = y + depth * v, pz = z + depth * w;
        const double k = energy_kev / 510.99895;
        double c, ratio;
        do {
            c = 2.0 * uniform(random) - 1.0;
            ratio = 1.0 / (1.0 + k * (1.0 - c));
        } while (uniform(random) * 2.0 > ratio * ratio * (ratio + 1.0 / ratio - (1.0 - c * c)));
        const double turn = 2.0 * pi * uniform(random), sc = std::sqrt(1.0 - c * c);
        // a frame about (u, v, w)
        double ax = -v, ay = u, az = 0.0;
        double an = std::sqrt(ax * ax + ay * ay);
        if (an < 1e-9) ax = 1.0, ay = 0.0, an = 1.0;
        ax /= an, ay /= an;
        const double bx = v * az - w * ay, by = w * ax - u * az, bz = u * ay - v * ax;
        const double nu = c * u + sc * (std::cos(turn) * ax + std::sin(turn) * bx);
        const double nv = c * v + sc * (std::cos(turn) * ay + std::sin(turn) * by);
        const double nw = c * w + sc * (std::cos(turn) * az + std::sin(turn) * bz);
        if (!hits(px, py, pz, nu, nv, nw)) continue;
        out.scattered += std::exp(-mu(energy_kev * ratio) * inside(px, py, pz, nu, nv, nw));
    }
    out.direct /= photons;
    out.scattered /= photons;
    return out;
}

// The solid angle over 4 pi of a cylindrical crystal (diameter d, length l, its top face
// at z = top) from the point (x, 0, z): the faces it sees, top and side (the bottom is
// hidden in the cryostat), each as the integral of (n . (p - a)) / |p - a|^3 dA.
double crystal_fraction(double x, double z, double diameter_cm, double length_cm, double top_cm) {
    const double pi = 3.14159265358979, r = diameter_cm / 2.0;
    double sum = 0.0;
    if (z > top_cm) sum += disk_fraction(x, z - top_cm, diameter_cm) * 4.0 * pi;
    if (x > r) {
        const int angles = 90, heights = 40;
        for (int b = 0; b < angles; ++b) {
            const double phi = 2.0 * pi * (b + 0.5) / angles;
            const double facing = x * std::cos(phi) - r;
            if (facing <= 0.0) continue;
            for (int h = 0; h < heights; ++h) {
                const double az = top_cm - length_cm * (h + 0.5) / heights;
                const double dx = x - r * std::cos(phi), dy = -r * std::sin(phi), dz = z - az;
                const double s2 = dx * dx + dy * dy + dz * dz;
                sum +=
                    facing / (s2 * std::sqrt(s2)) * r * (2.0 * pi / angles) * (length_cm / heights);
            }
        }
    }
    return sum / (4.0 * pi);
}

// K = <Omega^2> / <Omega>^2 over a Marinelli beaker's sample (no attenuation), the
// crystal's top `gap_cm` below the well's top.
double marinelli_k(const corrections::Container& beaker, double diameter_cm, double length_cm,
                   double gap_cm) {
    const int radii = 24, heights = 24;
    const double top = beaker.well_height_cm - gap_cm;
    double one = 0.0, two = 0.0, volume = 0.0;
    for (int i = 0; i < radii; ++i) {
        const double r = beaker.inner_diameter_cm / 2.0 * (i + 0.5) / radii;
        for (int j = 0; j < heights; ++j) {
            const double z = beaker.fill_height_cm * (j + 0.5) / heights;
            if (r < beaker.well_diameter_cm / 2.0 && z < beaker.well_height_cm) continue;
            const double w = crystal_fraction(r, z, diameter_cm, length_cm, top);
            one += r * w;
            two += r * w * w;
            volume += r;
        }
    }
    return two * volume / (one * one);
}

// The QCD1 point source's Cs-137 661.7 keV peak efficiency (2819 gamma/s on
// 2001-05-01 12:00 GMT, certificate) in two counts of one detector, the point-source
// background taken off; 0 where a spectrum cannot be read.
std::array<double, 2> qcd_cs137_efficiencies(const std::string& folder,
                                             const nuclides::LineLibrary& lines, bool big,
                                             const std::array<const char*, 2>& names,
                                             const std::array<const char*, 2>& starts) {
    const double qcd_reference = *activity::seconds_of_date("2001-05-01 12:00:00");
    const auto* cs137 = lines.facts("Cs-137");
    const auto background =
        bench::read_iaea_spectrum(folder, big ? "BGBIGPOINT" : "BGSMALLPOINT", big);
    std::array<double, 2> eps{0.0, 0.0};
    for (std::size_t i = 0; i < 2; ++i) {
        auto spectrum = bench::read_iaea_spectrum(folder, names[i], big);
        if (!spectrum || !cs137) continue;
        bench::calibrate_on(*spectrum, background ? &*background : nullptr, {661.6553});
        const auto peak =
            bench::window_area(*spectrum, background ? &*background : nullptr, 661.6553);
        const auto decay = activity::decay_correction(
            {cs137->half_life_seconds(), 0.0, *activity::seconds_of_date(starts[i]) - qcd_reference,
             spectrum->real_time_s});
        if (peak) eps[i] = peak->area / (spectrum->counts.live_time_s * 2819.0 * decay.factor);
    }
    return eps;
}

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
    const Standard standards[] = {{"picbig",
                                   "BGBIGPOINT",
                                   true,
                                   "2002-11-26 06:16:11",
                                   "pillbox 100 mL on the end cap, BIG",
                                   pillbox,
                                   {7.0, 2.0}},
                                  {"maricsmall",
                                   "BGSMALLMARI",
                                   false,
                                   "2002-11-22 14:08:39",
                                   "Marinelli 500 mL, SMALL",
                                   marinelli,
                                   {5.0, 1.0}}};
    // The standards' matrix (both 1.15 g/mL, C 72.1 %, H 6.0 %, O 21.9 % by mass)
    // attenuates the rays from the cells to the disk.
    std::string why;
    const auto table = corrections::read_attenuation_table(
        file_text(data + "/" + std::string(corrections::bundled_attenuation_file)),
        "mass_attenuation.csv", why);
    const auto polymer = corrections::composition_by_mass("C 72.1, H 6.0, O 21.9", why);
    if (!table || !polymer) {
        std::fprintf(stderr, "%s\n", why.c_str());
        return 1;
    }
    const auto mu = [&table, &polymer](double e) {
        return 1.15 * mass_attenuation(*table, *polymer, e).cm2_per_g.value_or(0.0);
    };
    const double reference = *activity::seconds_of_date("2002-11-01 17:00:00");
    double pillbox_661 = 0.0, marinelli_661 = 0.0;
    corrections::DetectorEfficiencies pillbox_detector;  // the mean-efficiency curve
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
        const corrections::SampleCells cells(standard.container, standard.disk, mu);
        // The curve with Y-88 divided by its own factor, iterated five times; with `volume`
        // the factors are the volume-averaged ones (its own curve, then, too).
        const auto calibrated = [&](bool volume, std::vector<double>& y88_factor) {
            corrections::DetectorEfficiencies detector;
            y88_factor.assign(raw.size(), 1.0);
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
                const auto curve = fit.curve;
                detector.peak = [curve](double e) { return peak_efficiency(curve, e); };
                detector.total = [curve, curve_pt](double e) {
                    return peak_efficiency(curve, e) / corrections::peak_to_total_at(*curve_pt, e);
                };
                detector.peak_relative_uncertainty = 0.03;
                detector.total_relative_uncertainty = curve_pt->relative_uncertainty;
                const auto& y88 = *cascades.find("Y-88");
                const auto factors = volume ? corrections::summing_factors(y88, detector, cells)
                                            : corrections::summing_factors(y88, detector);
                for (std::size_t i = 0; i < raw.size(); ++i)
                    if (raw[i].nuclide == "Y-88")
                        y88_factor[i] =
                            corrections::factor_near(factors, raw[i].energy_kev, 0.5)->factor;
            }
            return detector;
        };
        std::vector<double> y88_factor, y88_factor_volume;
        const auto detector = calibrated(false, y88_factor);
        const auto detector_volume = calibrated(true, y88_factor_volume);
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
        (standard.big ? pillbox_661 : marinelli_661) = detector.peak(661.6553);
        if (standard.big) pillbox_detector = detector;
        std::printf(
            "\nVolume ratio K = <w1 w2> / (<w1> <w2>) over %zu cells (container %.2f cm x %.2f "
            "cm%s, disk %.1f cm across %.1f cm below)\n\n| nuclide | keV | keV | K |\n"
            "|---|---|---|---|\n",
            cells.size(), standard.container.inner_diameter_cm, standard.container.fill_height_cm,
            standard.big ? "" : ", well 7.7 cm x 7.5 cm", standard.disk.diameter_cm,
            standard.disk.depth_cm);
        for (const auto& pair : pairs) {
            const auto a = cells.relative_efficiencies(pair.first_kev);
            const auto b = cells.relative_efficiencies(pair.second_kev);
            double k = 0.0;
            for (std::size_t c = 0; c < cells.size(); ++c) k += cells.share(c) * a[c] * b[c];
            std::printf("| %s | %.1f | %.1f | %.3f |\n", pair.nuclide, pair.first_kev,
                        pair.second_kev, k);
        }
        if (!standard.big) {
            // The library keeps a Marinelli beaker's factors at the mean efficiencies (its
            // disk misses the crystal's side); to first order a volume ratio K makes a line's
            // loss or gain K times larger: C' = 1 + K (C - 1). K of the disk (583.2-2614.5
            // keV above) and of a 5.0 x 5.0 cm crystal 1.5 cm below the well's top, side
            // included (section 8; it meets the measured end cap / Marinelli ratio).
            const auto a = cells.relative_efficiencies(583.187);
            const auto b = cells.relative_efficiencies(2614.511);
            double k_disk = 0.0;
            for (std::size_t c = 0; c < cells.size(); ++c) k_disk += cells.share(c) * a[c] * b[c];
            const double k_crystal = marinelli_k(marinelli, 5.0, 5.0, 1.5);
            std::printf(
                "\n| nuclide | keV | mean efficiencies | GESPECOR | ratio | K %.2f (disk) | ratio "
                "| "
                "K %.2f (crystal) | ratio |\n|---|---|---|---|---|---|---|---|---|\n",
                k_disk, k_crystal);
            double worst = 0.0, worst_disk = 0.0, worst_crystal = 0.0;
            for (const auto& p : published) {
                const auto* cascade = cascades.find(p.nuclide);
                if (!cascade) continue;
                const auto factors = corrections::summing_factors(*cascade, detector);
                const auto* f = corrections::factor_near(factors, p.energy_kev, 0.6);
                if (!f) continue;
                const double disk = 1.0 + k_disk * (f->factor - 1.0);
                const double crystal = 1.0 + k_crystal * (f->factor - 1.0);
                std::printf("| %s | %.1f | %.3f | %.3f | %.3f | %.3f | %.3f | %.3f | %.3f |\n",
                            p.nuclide, p.energy_kev, f->factor, p.factor, f->factor / p.factor,
                            disk, disk / p.factor, crystal, crystal / p.factor);
                worst = std::max(worst, std::abs(f->factor / p.factor - 1.0));
                worst_disk = std::max(worst_disk, std::abs(disk / p.factor - 1.0));
                worst_crystal = std::max(worst_crystal, std::abs(crystal / p.factor - 1.0));
            }
            std::printf(
                "\nlargest difference %.1f %% (mean efficiencies), %.1f %% (K of the disk), %.1f "
                "%% "
                "(K of the crystal)\n",
                100.0 * worst, 100.0 * worst_disk, 100.0 * worst_crystal);
            continue;
        }
        std::printf(
            "\n| nuclide | keV | mean efficiencies | ratio | volume-averaged | u | GESPECOR | "
            "ratio |\n|---|---|---|---|---|---|---|---|\n");
        double worst = 0.0, worst_volume = 0.0;
        for (const auto& p : published) {
            const auto* cascade = cascades.find(p.nuclide);
            if (!cascade) continue;
            const auto factors = corrections::summing_factors(*cascade, detector);
            const auto averaged = corrections::summing_factors(*cascade, detector_volume, cells);
            const auto* f = corrections::factor_near(factors, p.energy_kev, 0.6);
            const auto* v = corrections::factor_near(averaged, p.energy_kev, 0.6);
            if (!f || !v) continue;
            std::printf("| %s | %.1f | %.3f | %.3f | %.3f | %.3f | %.3f | %.3f |\n", p.nuclide,
                        p.energy_kev, f->factor, f->factor / p.factor, v->factor, v->d_factor,
                        p.factor, v->factor / p.factor);
            worst = std::max(worst, std::abs(f->factor / p.factor - 1.0));
            worst_volume = std::max(worst_volume, std::abs(v->factor / p.factor - 1.0));
        }
        std::printf("\nlargest difference %.1f %% (mean efficiencies), %.1f %% (volume-averaged)\n",
                    100.0 * worst, 100.0 * worst_volume);
    }

    // 4. The disk's depth seen by the QCD1 point source on BIG's end cap and at 20 cm,
    // against the pillbox standard: Cs-137 661.7 keV (2819 gamma/s on 2001-05-01 12:00
    // GMT, certificate), a single line.
    {
        const auto eps = qcd_cs137_efficiencies(folder, lines, true, {"QCDBIG0", "QCDBIG20"},
                                                {"2002-11-11 09:24:31", "2002-11-12 11:38:07"});
        std::printf(
            "\n### The disk's depth: QCD1 point source on BIG, Cs-137 661.7 keV\n\n"
            "measured: end cap %.5f, 20 cm %.6f, pillbox standard (curve) %.5f; "
            "end cap / pillbox %.3f, 20 cm / end cap %.4f\n\n"
            "| disk depth cm | end cap / pillbox | 20 cm / end cap | K 604.7-795.9 keV | C 563.2 "
            "| C 604.7 | C 795.9 | C 898.0 | C 1836.1 |\n|---|---|---|---|---|---|---|---|---|\n",
            eps[0], eps[1], pillbox_661, eps[0] / pillbox_661, eps[1] / eps[0]);
        for (double depth : {0.5, 1.0, 1.5, 2.0, 2.5, 3.0, 4.0}) {
            const double end_cap = disk_fraction(0.0, depth, 7.0);
            const double far = disk_fraction(0.0, depth + 20.0, 7.0);
            const double jar = cylinder_fraction(5.0, pillbox.fill_height_cm, 7.0, depth) *
                               corrections::self_attenuation(pillbox, {7.0, depth}, mu(661.6553));
            const corrections::SampleCells cells(pillbox, {7.0, depth}, mu);
            const auto a = cells.relative_efficiencies(604.721);
            const auto b = cells.relative_efficiencies(795.864);
            double k = 0.0;
            for (std::size_t c = 0; c < cells.size(); ++c) k += cells.share(c) * a[c] * b[c];
            // the volume-averaged factors on the mean-efficiency curve (GESPECOR 0.736,
            // 0.830, 0.831, 0.886, 0.872)
            double c[5] = {0, 0, 0, 0, 0};
            if (pillbox_detector.peak) {
                const auto cs =
                    corrections::summing_factors(*cascades.find("Cs-134"), pillbox_detector, cells);
                const auto y =
                    corrections::summing_factors(*cascades.find("Y-88"), pillbox_detector, cells);
                const double at[5] = {563.246, 604.721, 795.864, 898.042, 1836.07};
                for (int i = 0; i < 5; ++i)
                    if (const auto* f = corrections::factor_near(i < 3 ? cs : y, at[i], 0.6))
                        c[i] = f->factor;
            }
            std::printf("| %.1f | %.3f | %.4f | %.3f | %.3f | %.3f | %.3f | %.3f | %.3f |\n", depth,
                        end_cap / jar, far / end_cap, k, c[0], c[1], c[2], c[3], c[4]);
        }
    }

    // 5. Angular correlation: Cs-134 604.7-795.9 keV (4+ -> 2+ -> 0+, a2 0.1020, a4
    // 0.0091) and Co-60 1173.2-1332.5 keV (4+ -> 2+ -> 0+, E2 E2: a2 0.125, a4 0.0417).
    std::printf(
        "\n### Angular correlation: coincidence gain <W>_pairs / <W>_sphere (BIG as a disk 7.0 "
        "cm across 2.0 cm below)\n\n| cascade | pillbox 100 mL | point on the end cap |\n"
        "|---|---|---|\n");
    const double pillbox_height = pillbox.fill_height_cm;
    std::printf("| Cs-134 604.7-795.9 keV | %.4f | %.4f |\n",
                correlation_gain(5.0, pillbox_height, 7.0, 2.0, 0.1020, 0.0091),
                correlation_gain(0.01, 0.01, 7.0, 2.0, 0.1020, 0.0091));
    const double co60_gain = correlation_gain(0.01, 0.01, 7.0, 2.0, 0.125, 0.0417);
    std::printf("| Co-60 1173.2-1332.5 keV | %.4f | %.4f |\n",
                correlation_gain(5.0, pillbox_height, 7.0, 2.0, 0.125, 0.0417), co60_gain);

    // 6. The total efficiency of the QCD1 point source on BIG's end cap by the sum-peak
    // method (Co-60): N1 = A p1 e1 (1 - W t2), N2 = A p2 e2 (1 - W t1), N12 = A p1 e1 e2 W
    // give (1 - W t1)(1 - W t2) = W N1 N2 / (N12 A p2), e1 = N12 p2 (1 - W t1) / (N2 p1 W)
    // and e2 = N12 (1 - W t2) / (N1 W); t1 / t2 from the curves (eps_p ~ E^-0.55). A p = 3794 /
    // 3797 gamma/s on 2001-05-01 12:00 GMT.
    {
        const auto* co60 = lines.facts("Co-60");
        const auto background = bench::read_iaea_spectrum(folder, "BGBIGPOINT", true);
        auto spectrum = bench::read_iaea_spectrum(folder, "QCDBIG0", true);
        const auto* curve_pt = pt_of(pt, true);
        if (co60 && spectrum && curve_pt) {
            const auto* bg = background ? &*background : nullptr;
            bench::calibrate_on(*spectrum, bg, {661.6553, 1332.492});
            const auto n1 = bench::window_area(*spectrum, bg, 1173.228);
            const auto n2 = bench::window_area(*spectrum, bg, 1332.492);
            const auto n12 = bench::window_area(*spectrum, bg, 2505.72);
            const auto decay =
                activity::decay_correction({co60->half_life_seconds(), 0.0,
                                            *activity::seconds_of_date("2002-11-11 09:24:31") -
                                                *activity::seconds_of_date("2001-05-01 12:00:00"),
                                            spectrum->real_time_s});
            const double live = spectrum->counts.live_time_s;
            if (n1 && n2 && n12) {
                const double r1 = n1->area / live, r2 = n2->area / live, r12 = n12->area / live;
                const double ap1 = 3794.0 * decay.factor, ap2 = 3797.0 * decay.factor;
                const double w = co60_gain;
                const double product = w * r1 * r2 / (r12 * ap2);  // (1 - W t1)(1 - W t2)
                // t1 = qq t2, qq = (e1 / e2) (PT2 / PT1) from the curves (e_p ~ E^-0.55):
                // solve (1 - W qq t)(1 - W t) = product
                const double q = corrections::peak_to_total_at(*curve_pt, 1332.492) /
                                 corrections::peak_to_total_at(*curve_pt, 1173.228);
                const double ratio_pe = std::pow(1173.228 / 1332.492, -0.55);
                const double qq = q * ratio_pe;
                const double a = w * w * qq, b = -w * (1.0 + qq), c = 1.0 - product;
                const double t2 = (-b - std::sqrt(b * b - 4.0 * a * c)) / (2.0 * a);
                const double t1 = qq * t2;
                // N12 / N2 = e1 W / (1 - W t1) (p2 / p1), N12 / N1 = e2 W / (1 - W t2)
                const double e1_true = r12 / r2 * (ap2 / ap1) * (1.0 - w * t1) / w;
                const double e2_true = r12 / r1 * (1.0 - w * t2) / w;
                std::printf(
                    "\n### Total efficiency on BIG's end cap by the Co-60 sum peak (QCDBIG0, "
                    "angular gain %.4f)\n\nnet rates /s: 1173.2 keV %.3f, 1332.5 keV %.3f, "
                    "2505.7 keV %.4f (+-%.1f %%)\n\n| keV | e_p | e_t | P/T end cap | P/T curve "
                    "(20 cm) |\n|---|---|---|---|---|\n",
                    w, r1, r2, r12, 100.0 * n12->d_area / n12->area);
                std::printf("| 1173.2 | %.4f | %.4f | %.3f | %.3f |\n", e1_true, t1, e1_true / t1,
                            corrections::peak_to_total_at(*curve_pt, 1173.228));
                std::printf("| 1332.5 | %.4f | %.4f | %.3f | %.3f |\n", e2_true, t2, e2_true / t2,
                            corrections::peak_to_total_at(*curve_pt, 1332.492));
            } else {
                std::printf("\nQCDBIG0: a Co-60 peak not found (%d %d %d)\n", !!n1, !!n2, !!n12);
            }
        }
    }

    // 7. Photons the pillbox's matrix scatters into the detector: they add to its total
    // efficiency but not to its peak efficiency, which the model's eps_p / PT leaves out.
    std::printf(
        "\n### Scattered once in the pillbox's matrix (1.15 g/mL) and still reaching BIG's disk "
        "(7.0 cm, 2.0 cm below)\n\n| keV | unscattered | scattered | scattered / unscattered "
        "|\n|---|---|---|---|\n");
    for (double e : {604.721, 795.864, 898.042, 1836.07}) {
        const auto share =
            scattered_into_disk(5.0, pillbox.fill_height_cm, 7.0, 2.0, e, mu, 2000000);
        std::printf("| %.1f | %.4f | %.4f | %.3f |\n", e, share.direct, share.scattered,
                    share.scattered / share.direct);
    }

    // 8. The Marinelli beaker seen by a cylindrical crystal, its side included, beside the
    // disk model (which sees the beaker only from above the disk): the QCD1 point source
    // on SMALL's end cap and at 10 cm, Cs-137 661.7 keV, against the Marinelli standard.
    {
        const auto eps = qcd_cs137_efficiencies(folder, lines, false, {"QCDSMALL0", "QCDSMALL10"},
                                                {"2002-11-11 13:34:31", "2002-11-14 10:40:00"});
        std::printf(
            "\n### The Marinelli beaker and SMALL: QCD1 point source, Cs-137 661.7 keV\n\n"
            "measured: end cap %.5f, 10 cm %.5f, Marinelli standard (curve) %.5f; end cap / "
            "Marinelli %.3f, 10 cm / end cap %.4f\n\n"
            "| crystal (cylinder) | end cap / Marinelli | 10 cm / end cap | K (no attenuation) "
            "|\n|---|---|---|---|\n",
            eps[0], eps[1], marinelli_661, eps[0] / marinelli_661, eps[1] / eps[0]);
        struct Crystal {
            double diameter, length, gap;
        };
        for (const Crystal& c :
             {Crystal{5.0, 5.0, 1.0}, Crystal{5.0, 5.0, 1.5}, Crystal{5.5, 5.5, 1.0},
              Crystal{6.0, 6.0, 1.5}, Crystal{5.0, 5.0, 2.0}, Crystal{4.5, 4.5, 1.0}}) {
            const double end_cap = crystal_fraction(0.0, c.gap, c.diameter, c.length, 0.0);
            const double far = crystal_fraction(0.0, c.gap + 10.0, c.diameter, c.length, 0.0);
            // the beaker's mean, the crystal's top c.gap below the well's top
            const int radii = 24, heights = 24;
            double one = 0.0, volume = 0.0;
            for (int i = 0; i < radii; ++i) {
                const double r = marinelli.inner_diameter_cm / 2.0 * (i + 0.5) / radii;
                for (int j = 0; j < heights; ++j) {
                    const double z = marinelli.fill_height_cm * (j + 0.5) / heights;
                    if (r < marinelli.well_diameter_cm / 2.0 && z < marinelli.well_height_cm)
                        continue;
                    one += r * crystal_fraction(r, z, c.diameter, c.length,
                                                marinelli.well_height_cm - c.gap);
                    volume += r;
                }
            }
            const double beaker =
                one / volume *
                corrections::self_attenuation(marinelli, {c.diameter, c.gap}, mu(661.6553));
            std::printf("| %.1f x %.1f cm, %.1f cm below | %.3f | %.4f | %.3f |\n", c.diameter,
                        c.length, c.gap, end_cap / beaker, far / end_cap,
                        marinelli_k(marinelli, c.diameter, c.length, c.gap));
        }
    }
    return 0;
}
