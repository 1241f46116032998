#pragma once

#include <array>
#include <optional>
#include <span>
#include <string>

#include "contract/raw_sources.h"
#include "platform/file_system.h"

namespace sorvane {

// What the result's [calibration] names as the energy calibration's source when it
// came from the raw file's channel-energy table.
inline constexpr std::string_view table_energy_source = "raw_file_energy_table";

// A CHN file that stores the identity (0, 1, 0) has no energy calibration: it is what
// the conversion stores for an IEC 1455 file whose calibration line is all zeros, and
// for an RMS 2.0 file, whose "#Energy" table the reader fits but does not store.
// Where the raw file named in the raw-source side file is such a file and carries a
// channel-energy table, the analysis takes the calibration that table gives; the
// CHN file stays as it was written.
struct RawCalibration {
    std::optional<std::array<float, 4>> terms;  // c0..c3 in place of the CHN file's
    std::string message;  // what was taken, or why the table could not be used
};
RawCalibration raw_table_calibration(const FileSystem& fs, const std::optional<RawSource>& source,
                                     std::span<const float> chn_terms, std::size_t channels);

}  // namespace sorvane
