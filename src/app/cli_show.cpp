#include <algorithm>
#include <iomanip>
#include <numeric>
#include <ostream>

#include "app/cli.h"
#include "spectrum/chn_reader.h"

namespace sorvane {
namespace {

std::string printable(std::string_view text) {
    std::string out;
    for (char c : text) out += (c >= 32 && c < 127) ? c : '.';
    return out;
}

void print_counts(const std::vector<std::int32_t>& counts, std::ostream& out) {
    if (counts.empty()) {
        out << "counts:       none\n";
        return;
    }
    const auto peak = std::max_element(counts.begin(), counts.end());
    const std::int64_t total = std::accumulate(counts.begin(), counts.end(), std::int64_t{0});
    const auto nonzero =
        std::count_if(counts.begin(), counts.end(), [](std::int32_t c) { return c != 0; });
    out << "counts:       total " << total << ", highest " << *peak << " at channel "
        << (peak - counts.begin()) << ", " << nonzero << " channels not zero\n";
}

}  // namespace

int run_show(const std::vector<std::string>& args, const FileSystem& fs, std::ostream& out,
             std::ostream& err) {
    if (args.size() != 1) {
        err << "usage: sorvanecli show FILE.chn\n";
        return 2;
    }
    const std::string& path = args[0];
    std::string bytes;
    FsResult read = fs.read_file(path, bytes);
    if (!read.ok()) {
        err << "sorvanecli: " << path << ": " << read.reason << '\n';
        return 1;
    }
    ChnDecode decoded = decode_chn(bytes);
    if (!decoded.file) {
        err << "sorvanecli: " << path << ": not a CHN file: " << decoded.reason << '\n';
        return 1;
    }
    const ChnFile& file = *decoded.file;
    const ChnHeader& header = file.header;
    out << "file:         " << path << '\n'
        << "layout:       "
        << (file.layout == ChnLayout::own ? "this program's CHN (516-byte trailer)"
                                          : "published CHN (512-byte trailer)")
        << '\n'
        << "mca number:   " << header.mca_number << ", segment " << header.segment << '\n'
        << "start:        \"" << printable(text_of(header.start_date)) << "\" \""
        << printable(text_of(header.start_time)) << "\"\n"
        << std::fixed << std::setprecision(2) << "real time:    " << header.real_time / 50.0
        << " s (" << header.real_time << " ticks of 20 ms)\n"
        << "live time:    " << header.live_time / 50.0 << " s (" << header.live_time << " ticks)\n"
        << "channels:     " << file.counts.size() << '\n'
        << std::defaultfloat << std::setprecision(8)
        << "calibration:  " << file.energy_calibration[0] << " + " << file.energy_calibration[1]
        << " ch + " << file.energy_calibration[2] << " ch^2 + " << file.energy_calibration[3]
        << " ch^3\n"
        << "sample:       \"" << printable(file.sample_description) << "\"\n";
    print_counts(file.counts, out);
    return 0;
}

}  // namespace sorvane
