#include "raw_calibration.h"

#include <string_view>
#include <vector>

#include "raw_energy_tables.h"
#include "results/result_numbers.h"

namespace sorvane {

RawCalibration raw_table_calibration(const FileSystem& fs, const std::optional<RawSource>& source,
                                     std::span<const float> chn_terms, std::size_t channels) {
    RawCalibration out;
    const bool identity = chn_terms.size() >= 3 && chn_terms[0] == 0.0f && chn_terms[1] == 1.0f &&
                          chn_terms[2] == 0.0f;
    const EnergyTableReader reader = source ? energy_table_reader(source->type_code) : nullptr;
    if (!identity || reader == nullptr || source->raw_path.empty()) return out;
    std::string bytes;
    const FsResult read = fs.read_file(source->raw_path, bytes);
    if (!read.ok()) {
        out.message = "no energy calibration in the CHN file (0, 1, 0), and its raw file " +
                      source->raw_path + " cannot be read for a channel-energy table: " +
                      (read.reason.empty() ? std::string("file does not exist") : read.reason);
        return out;
    }
    const auto table = reader(bytes);
    if (table.empty()) return out;  // nothing to take: the spectrum stays uncalibrated
    const TableCalibration fit = calibration_from_table(table, channels);
    if (!fit.ok) {
        out.message =
            "no energy calibration in the CHN file (0, 1, 0); the channel-energy "
            "table of " +
            source->raw_path + " gives none: " + fit.reason;
        return out;
    }
    out.terms = std::array<float, 4>{static_cast<float>(fit.c0), static_cast<float>(fit.c1),
                                     static_cast<float>(fit.c2), 0.0f};
    out.message = "energy calibration from the channel-energy table of " + source->raw_path + " (" +
                  std::to_string(fit.points) + " points, residual rms " +
                  number_text(fit.residual_rms_kev) + " keV): " + number_text(fit.c0) + " " +
                  number_text(fit.c1) + " " + number_text(fit.c2) + "; the CHN file stores 0, 1, 0";
    return out;
}

}  // namespace sorvane
