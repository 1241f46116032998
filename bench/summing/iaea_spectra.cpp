#include "iaea_spectra.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>

namespace sorvane::bench {
namespace {

// The .spe files' $MCA_CAL (E = a + b s on .spe channel s); .txt channel n is s = n + 2.
struct Setting {
    double offset, slope;
};
constexpr Setting big_setting{10.087029, 0.63404907};
constexpr Setting small_setting{7.8566102, 0.43586712};

// An HPGe width that grows with energy, for windows only: 1.0 keV at 100 keV, 1.9 keV
// at 1332 keV (typical of coaxial detectors; the windows are 3 FWHM wide).
double fwhm_kev(double energy_kev) {
    return std::sqrt(0.8 + 0.0021 * energy_kev);
}

double net(const IaeaSpectrum& s, const IaeaSpectrum* bg, long ch) {
    if (ch < 0 || ch >= static_cast<long>(s.counts.counts.size())) return 0.0;
    double value = s.counts.counts[ch];
    if (bg && ch < static_cast<long>(bg->counts.counts.size()))
        value -= bg->counts.counts[ch] * s.counts.live_time_s / bg->counts.live_time_s;
    return value;
}

// The centroid of the highest channel within `reach` channels of `predicted`.
double centroid_near(const IaeaSpectrum& s, const IaeaSpectrum* bg, double predicted, long reach) {
    long top = std::lround(predicted);
    for (long ch = std::lround(predicted) - reach; ch <= std::lround(predicted) + reach; ++ch)
        if (net(s, bg, ch) > net(s, bg, top)) top = ch;
    double sum = 0.0, weighted = 0.0;
    for (long ch = top - 1; ch <= top + 1; ++ch) {
        sum += net(s, bg, ch);
        weighted += net(s, bg, ch) * static_cast<double>(ch);
    }
    return sum > 0.0 ? weighted / sum : static_cast<double>(top);
}

}  // namespace

void calibrate_on(IaeaSpectrum& spectrum, const IaeaSpectrum* background,
                  const std::vector<double>& anchors_kev) {
    auto& c = spectrum.counts;
    std::vector<double> channels;
    for (double e : anchors_kev) {
        const double predicted = (e - c.c0) / c.c1;
        channels.push_back(centroid_near(spectrum, background, predicted,
                                         std::max(15L, std::lround(0.05 * predicted))));
    }
    if (channels.size() == 1) {
        c.c1 = (anchors_kev[0] - c.c0) / channels[0];
    } else if (channels.size() >= 2) {
        c.c1 = (anchors_kev[1] - anchors_kev[0]) / (channels[1] - channels[0]);
        c.c0 = anchors_kev[0] - c.c1 * channels[0];
    }
}

std::optional<IaeaSpectrum> read_iaea_spectrum(const std::string& folder, const std::string& name,
                                               bool big_detector) {
    IaeaSpectrum spectrum;
    std::ifstream txt(folder + "/" + name + "/" + name + ".txt");
    std::ifstream times(folder + "/" + name + "/" + name + ".times");
    if (!txt || !times) return std::nullopt;
    std::string line;
    while (std::getline(txt, line)) {
        const auto comma = line.find(',');
        if (comma == std::string::npos) continue;
        spectrum.counts.counts.push_back(std::stod(line.substr(comma + 1)));
    }
    times >> spectrum.real_time_s >> spectrum.counts.live_time_s;
    const Setting setting = big_detector ? big_setting : small_setting;
    spectrum.counts.c0 = setting.offset + 2.0 * setting.slope;
    spectrum.counts.c1 = setting.slope;
    spectrum.counts.c2 = 0.0;
    return spectrum;
}

std::optional<corrections::NetPeak> window_area(const IaeaSpectrum& spectrum,
                                                const IaeaSpectrum* background, double energy_kev) {
    const auto& c = spectrum.counts;
    const double width = fwhm_kev(energy_kev) / c.c1;
    const double predicted = (energy_kev - c.c0) / c.c1;
    if (predicted < 10.0 || predicted + 4.0 * width >= static_cast<double>(c.counts.size()))
        return std::nullopt;  // beyond the spectrum's channels
    // The centroid of the highest channel within 3 keV of where the line should be.
    long top = std::lround(predicted);
    const long reach = std::lround(3.0 / c.c1);
    for (long ch = std::lround(predicted) - reach; ch <= std::lround(predicted) + reach; ++ch)
        if (net(spectrum, background, ch) > net(spectrum, background, top)) top = ch;
    const long half = std::lround(1.5 * width);
    const long band = std::max(2L, half);
    double side = 0.0, side_variance = 0.0;
    for (long k = 1; k <= band; ++k)
        for (long ch : {top - half - k, top + half + k}) {
            side += net(spectrum, background, ch);
            side_variance += c.counts[std::clamp(ch, 0L, long(c.counts.size()) - 1)];
        }
    const double per_channel = side / (2.0 * band);
    double gross = 0.0, gross_variance = 0.0;
    for (long ch = top - half; ch <= top + half; ++ch) {
        gross += net(spectrum, background, ch);
        gross_variance += c.counts[std::clamp(ch, 0L, long(c.counts.size()) - 1)];
    }
    const double channels = 2.0 * half + 1.0;
    const double area = gross - per_channel * channels;
    const double d_area =
        std::sqrt(gross_variance + std::pow(channels / (2.0 * band), 2.0) * side_variance);
    if (area <= 0.0) return std::nullopt;
    return corrections::NetPeak{energy_kev, area, d_area};
}

}  // namespace sorvane::bench
