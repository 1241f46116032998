#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "import/readers.h"

namespace sorvane {

using RawReader = ReadOutcome (*)(ReaderContext&);

// One kind of raw spectrum file as the type selector offers it.
struct RawFileType {
    std::string_view caption;         // the selector's entry; its pattern is derived from it
    std::int16_t code;                // the file type code that control files store
    std::string_view extension_test;  // text the full path must contain; empty: no test
    RawReader reader;                 // nullptr: nothing to convert
    std::int16_t mca_number;          // the source code the reader puts in the CHN header
    std::string_view short_name;      // the name sorvanecli accepts for --type
    bool already_chn;                 // the files are CHN files: "read" without reading
    bool busy_pointer;                // the hourglass shows while the reader runs
};

inline constexpr int last_type_position = 11;  // "All Files", which has no reader

// In selector order. The codes are not the positions: control files keep the codes.
inline constexpr std::array<RawFileType, 12> raw_file_types = {{
    {"ORTEC, SEIKO (*.chn)", 1, "", nullptr, 0, "chn", true, false},
    {"IEC1455 (IEC) (*.iec)", 10, ".iec", read_iec, 1455, "iec", false, true},
    {"CTBTO ver.2 (RMS) (*.rms)", 9, ".rms", read_rms, 556, "rms", false, true},
    {"Oxford Win (asc) (*.asc)", 2, ".asc", read_oxford_win, 444, "oxford-win", false, true},
    {"Oxford DOS (asc) (*.asc)", 3, ".asc", read_oxford_dos, 445, "oxford-dos", false, true},
    {"Oxford Mac (asc) (*.*)", 8, "", read_oxford_mac, 446, "oxford-mac", false, true},
    {"Labo (binary)(*.dat)", 4, ".dat", read_labo, 101, "labo", false, false},
    {"Labo v1.54(binary)(*.dat)", 5, ".dat", read_labo_v154, 101, "labo-v154", false, false},
    {"CANBERRA35+ RS232C(*.txt)", 6, ".txt", read_canberra35, 445, "canberra35", false, true},
    {"NAIG E-560  RS232C(*.txt)", 7, ".txt", read_naig, 560, "naig", false, false},
    {"Simple data: Ch, Count(*.*)", 30, ".asc", read_simple, 999, "simple", false, true},
    {"All Files (*.*)", 0, "", nullptr, 0, "all", false, false},
}};

// The code of the entry at a selector position; 0 outside 0..10.
std::int16_t type_code_of(int position);

// The first position whose code is `code`; 11 when none of 0..10 has it.
int position_of(int code);

// The file list pattern of an entry: the caption from its first "*." (ignoring
// case) up to, not including, its last character.
std::string pattern_of(std::string_view caption);

// The row for a code (nothing for 0 and unknown codes).
const RawFileType* type_of_code(int code);

// The row whose short name or caption is `name`, ignoring case.
const RawFileType* type_of_name(std::string_view name);

}  // namespace sorvane
