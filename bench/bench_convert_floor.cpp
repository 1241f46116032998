// CPU and wall time per file of reading raw spectra (the reader alone, and with the
// CHN file written), beside plainly reading the same bytes: the public IEC samples (1,200 files,
// copies of the six) and every demo file (200 copies each). Each pass is run several times and the
// fastest is kept, as other programs share the machine. With --cold every file is
// dropped from the page cache before each pass, so the read comes from the disk.
// CPU is user and system time together; "of it user" is the program's own part.
//   bench_convert_floor [--cold] [--only TEXT] [ROUNDS]   (TEXT: part of the files' name)
#include <fcntl.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/console_ui.h"
#include "import/raw_file_types.h"
#include "import/read_raw_file.h"
#include "platform/posix_file_system.h"
#include "spectrum/chn_writer.h"

namespace sorvane {
namespace {

constexpr double iec_cpu_target_us = 70.0;

struct Group {
    std::string name;
    int code;
    std::vector<std::string> sources;
    int copies;
    bool has_target;
};

struct PassTime {
    double wall_us = 1e300;  // per file, the fastest round
    double cpu_us = 1e300;
    double user_us = 1e300;  // of that round's CPU, in the program itself
};

// User and system CPU seconds of this process so far.
std::pair<double, double> cpu_seconds() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& t) { return double(t.tv_sec) + 1e-6 * double(t.tv_usec); };
    return {seconds(usage.ru_utime), seconds(usage.ru_stime)};
}

// The page cache forgets a file, so the next read comes from the disk.
void drop_from_cache(const std::vector<std::string>& paths) {
    for (const auto& path : paths) {
        const int fd = ::open(path.c_str(), O_RDONLY);
        if (fd < 0) continue;
        ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
        ::close(fd);
    }
}

template <typename Pass>
void time_pass(PassTime& best, std::size_t files, Pass pass) {
    const auto wall_start = std::chrono::steady_clock::now();
    const auto [user_start, system_start] = cpu_seconds();
    pass();
    const auto [user_end, system_end] = cpu_seconds();
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - wall_start).count();
    const double cpu = (user_end - user_start) + (system_end - system_start);
    best.wall_us = std::min(best.wall_us, 1e6 * wall / double(files));
    if (1e6 * cpu / double(files) < best.cpu_us) {
        best.cpu_us = 1e6 * cpu / double(files);
        best.user_us = 1e6 * (user_end - user_start) / double(files);
    }
}

void measure(const Group& group, const std::string& folder, int rounds, bool cold) {
    PosixFileSystem fs;
    std::vector<std::string> paths;
    std::vector<std::string> outputs;
    std::filesystem::create_directories(folder + "raw");
    std::filesystem::create_directories(folder + "chn");
    for (int copy = 0; copy < group.copies; ++copy) {
        for (std::size_t s = 0; s < group.sources.size(); ++s) {
            const std::string name = "f" + std::to_string(copy) + "_" + std::to_string(s);
            paths.push_back(folder + "raw/" + name +
                            std::filesystem::path(group.sources[s]).extension().string());
            outputs.push_back(folder + "chn/" + name + ".chn");
            std::filesystem::copy_file(group.sources[s], paths.back(),
                                       std::filesystem::copy_options::overwrite_existing);
        }
    }
    std::ostringstream sink;
    ConsoleUi ui(sink);
    Spectrum spectrum;
    ReaderContext context{spectrum, fs, ui};
    PassTime read, parse, convert;
    bool converted = true;
    for (int round = 0; round < rounds; ++round) {
        if (cold) drop_from_cache(paths);
        time_pass(read, paths.size(), [&] {
            std::string bytes;
            for (const auto& path : paths) fs.read_file(path, bytes);
        });
        if (cold) drop_from_cache(paths);
        time_pass(parse, paths.size(), [&] {
            for (const auto& path : paths)
                converted = read_raw_file(context, group.code, path).ok() && converted;
        });
        if (cold) drop_from_cache(paths);
        time_pass(convert, paths.size(), [&] {
            for (std::size_t i = 0; i < paths.size(); ++i) {
                converted = read_raw_file(context, group.code, paths[i]).ok() && converted;
                spectrum.chn_path = outputs[i];
                converted = write_chn(spectrum, fs).ok() && converted;
            }
        });
    }
    char target[32] = "-";
    if (group.has_target)
        std::snprintf(target, sizeof target, "%.2f", parse.cpu_us / iec_cpu_target_us);
    std::printf("%-34s %5zu %8.1f %8.1f %8.1f %8.1f | %8.1f %8.1f %8.1f | %7s %7.2f%s\n",
                group.name.c_str(), paths.size(), read.cpu_us, parse.cpu_us, parse.user_us,
                convert.cpu_us, read.wall_us, parse.wall_us, convert.wall_us, target,
                parse.wall_us / read.wall_us, converted ? "" : "  (some not converted)");
    std::filesystem::remove_all(folder);
}

std::vector<Group> groups() {
    std::vector<Group> all;
    Group iec{"public IEC samples", type_of_name("iec")->code, {}, 200, true};
    for (const auto& entry :
         std::filesystem::directory_iterator(std::string(SORVANE_TEST_DATA) + "/realdata/iec"))
        iec.sources.push_back(entry.path().string());
    std::sort(iec.sources.begin(), iec.sources.end());
    all.push_back(iec);
    std::ifstream list(std::string(SORVANE_DEMO_DIR) + "/demo.list");
    for (std::string type_name, file_name; list >> type_name;) {
        if (type_name[0] == '#') {
            std::getline(list, file_name);
            continue;
        }
        list >> file_name;
        if (const RawFileType* type = type_of_name(type_name))
            all.push_back({"demo " + file_name,
                           type->code,
                           {std::string(SORVANE_DEMO_DIR) + "/" + file_name},
                           200,
                           false});
    }
    return all;
}

}  // namespace
}  // namespace sorvane

int main(int argc, char** argv) {
    bool cold = false;
    int rounds = 5;
    std::string only;
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--cold")
            cold = true;
        else if (std::string(argv[i]) == "--only" && i + 1 < argc)
            only = argv[++i];
        else
            rounds = std::max(1, std::atoi(argv[i]));
    }
    std::string pattern =
        (std::filesystem::temp_directory_path() / "sorvane-bench-XXXXXX").string();
    const std::string folder = std::string(::mkdtemp(pattern.data())) + "/";
    std::printf(
        "microseconds per file, fastest of %d rounds%s.\n"
        "read: the plain read of the bytes; parse: the reader (its read included); conv: "
        "the reader and the CHN file written.\n"
        "parse/70: the reader's CPU over 70 us; parse/read: its wall time over the plain "
        "read's.\n",
        rounds, cold ? ", page cache dropped before each pass" : "");
    std::printf("%-34s %5s %35s | %26s | %15s\n", "", "", "CPU (user+system)", "wall", "ratios");
    std::printf("%-34s %5s %8s %8s %8s %8s | %8s %8s %8s | %7s %7s\n", "files", "count", "read",
                "parse", "(user)", "conv", "read", "parse", "conv", "parse/70", "p./read");
    int index = 0;
    for (const auto& group : sorvane::groups())
        if (group.name.find(only) != std::string::npos)
            sorvane::measure(group, folder + std::to_string(index++) + "/", rounds, cold);
    std::filesystem::remove_all(folder);
    return 0;
}
