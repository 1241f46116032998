#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace sorvane {

struct RawFileType;

// The raw file type of a --type value: its code or its short name; null when none.
const RawFileType* type_of_argument(const std::string& text);

// sorvanecli: the engine without a window. Arguments without the program name;
// gives the process exit status.
int run_sorvanecli(const std::vector<std::string>& args, FileSystem& fs, std::ostream& out,
                   std::ostream& err);

// sorvanecli convert --type CODE|NAME [--out DIR] FILE...
int run_convert(const std::vector<std::string>& args, FileSystem& fs, std::ostream& out,
                std::ostream& err);

// sorvanecli go [--system-dir DIR] [--type CODE|NAME] [--out DIR] [FILE...]: "GO"
// from the saved control file, or from the first-start state when there is none
int run_go(const std::vector<std::string>& args, FileSystem& fs, std::ostream& out,
           std::ostream& err);

// sorvanecli demo [--demo-dir DIR] [--out DIR] [--runtime-dir DIR]: converts and
// analyses the bundled demo spectra, printing each result's peak table
int run_demo(const std::vector<std::string>& args, FileSystem& fs, std::ostream& out,
             std::ostream& err);

// sorvanecli efficiency RESULT.res --certificate FILE.csv --out EFF.txt [--source NAME]
// [--order N] [--library DIR] [--standard NAME]: the efficiency curve of an analysed
// standard and its certificate, written as the efficiency file the runtime reads
int run_efficiency(const std::vector<std::string>& args, FileSystem& fs, std::ostream& out,
                   std::ostream& err);

// sorvanecli peak-to-total [--background BG.res] [--low-cut KEV] [--order N] --out PT.txt
// SPECTRUM.res...: the peak-to-total curve of single-photon point-source results
int run_peak_to_total(const std::vector<std::string>& args, FileSystem& fs, std::ostream& out,
                      std::ostream& err);

// sorvanecli show FILE.chn
int run_show(const std::vector<std::string>& args, const FileSystem& fs, std::ostream& out,
             std::ostream& err);

}  // namespace sorvane
