#pragma once

#include <string>

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

}  // namespace sorvane
