#include "app/cli.h"

#include <ostream>

namespace sorvane {
namespace {

constexpr const char* usage =
    "usage:\n"
    "  sorvanecli convert --type CODE|NAME [--out DIR] FILE...   raw spectra -> CHN files\n"
    "  sorvanecli show FILE.chn                                  header, trailer and counts\n"
    "  sorvanecli go [--system-dir DIR] [--type CODE|NAME] [--out DIR] [FILE...]\n"
    "                                                            \"GO\" from the saved options\n"
    "  sorvanecli demo [--out DIR]                               converts and analyses the demo "
    "spectra\n"
    "  sorvanecli efficiency RESULT.res --certificate FILE.csv --out EFF.txt\n"
    "                                                            efficiency curve of a standard\n"

    "  sorvanecli peak-to-total [--background BG.res] --out PT.txt SPECTRUM.res...\n"
    "                                                            peak-to-total curve of point "
    "sources\n";

}  // namespace

int run_sorvanecli(const std::vector<std::string>& args, FileSystem& fs, std::ostream& out,
                   std::ostream& err) {
    if (args.empty() || args[0] == "--help" || args[0] == "-h") {
        (args.empty() ? err : out) << usage;
        return args.empty() ? 2 : 0;
    }
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    if (args[0] == "convert") return run_convert(rest, fs, out, err);
    if (args[0] == "show") return run_show(rest, fs, out, err);
    if (args[0] == "go") return run_go(rest, fs, out, err);
    if (args[0] == "demo") return run_demo(rest, fs, out, err);
    if (args[0] == "efficiency") return run_efficiency(rest, fs, out, err);
    if (args[0] == "peak-to-total") return run_peak_to_total(rest, fs, out, err);
    err << "sorvanecli: unknown command \"" << args[0] << "\"\n" << usage;
    return 2;
}

}  // namespace sorvane
