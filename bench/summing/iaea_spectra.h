#pragma once

#include <optional>
#include <string>
#include <vector>

#include "corrections/peak_to_total.h"

namespace sorvane::bench {

// One spectrum of the IAEA 2002 set from its folder: NAME.txt ("channel, count"),
// NAME.times ("real_s live_s"), with an energy calibration of the detector's setting
// (the .spe files' $MCA_CAL of BIG and SMALL, shifted by the two channels the .txt
// files drop; see the set's PROVENANCE.md).
struct IaeaSpectrum {
    corrections::ChannelCounts counts;
    double real_time_s = 0.0;
};

std::optional<IaeaSpectrum> read_iaea_spectrum(const std::string& folder, const std::string& name,
                                               bool big_detector);

// Sets the spectrum's calibration from its own strong lines: each anchor's highest
// channel within 5 % of where the detector's setting puts it (its 3-channel centroid);
// one anchor scales the slope, two give offset and slope.
void calibrate_on(IaeaSpectrum& spectrum, const IaeaSpectrum* background,
                  const std::vector<double>& anchors_kev);

// A net peak area by windows: the counts within +-1.5 FWHM of the peak's centroid
// (found near `energy_kev`) less a straight background from the bands 1.5-3 FWHM on
// either side; `background` (scaled by live time) is taken off channel by channel.
std::optional<corrections::NetPeak> window_area(const IaeaSpectrum& spectrum,
                                                const IaeaSpectrum* background, double energy_kev);

}  // namespace sorvane::bench
