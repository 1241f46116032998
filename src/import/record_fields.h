#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "spectrum/spectrum.h"

namespace sorvane {

// How every reader fills the shared fields of the record, so the CHN files of all
// formats agree on them.

// Seconds to 20 ms ticks, rounded half to even; throws ReadFault when out of range.
std::int32_t ticks_of_seconds(double seconds);

// "ddMmmyy" + century character: " " for 19xx, "1" for 20xx, "2" for 21xx.
// Month names are English with a capital first letter ("14May01 ").
std::string chn_date_text(int day, int month, int year);

// The century character alone for a four-digit year.
char century_character(int year);

// Stores HHMMSS in start_time (a blank first minute digit becomes "0") and the
// seconds digits in start_sec (blanks and other non-digits give "0").
void set_start_time(Spectrum& spectrum, std::string_view hhmmss);

// The reader contract's first settings: calibration 0, 1, 0, the reader's own
// mca_number, segment 1 and no channels yet.
void reset_for_reader(Spectrum& spectrum, std::int16_t mca_number);

// First 64 characters of a description line, of which 63 are kept space-padded,
// with sample_desc_len 63.
void set_sample_description(Spectrum& spectrum, std::string_view line);

// Where the numbers of a data line of fixed columns stand (columns from 1): the
// first channel's number, then five counts, one every 10 columns.
struct CountColumns {
    std::size_t channel_column;
    std::size_t channel_width;
    std::size_t first_count_column;
    std::size_t count_width;
};

// Stores the five counts of one data line, for its channel and the four after it.
// With `stop_at`, the line's counts end with that channel's. A channel outside 0
// to 8800 is a ReadFault.
void store_count_line(std::string_view line, const CountColumns& layout, Spectrum& spectrum,
                      std::optional<std::int64_t> stop_at = std::nullopt);

}  // namespace sorvane
