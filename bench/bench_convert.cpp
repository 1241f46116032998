// Conversion speed of the "Simple data" reader: files per second over 1000
// spectra of 4096 channels, beside the time of plainly reading the same bytes.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "app/console_ui.h"
#include "import/raw_file_types.h"
#include "import/read_raw_file.h"
#include "platform/posix_file_system.h"
#include "spectrum/chn_writer.h"

namespace sorvane {
namespace {

constexpr int file_count = 1000;
constexpr int channel_count = 4096;

// 1000 made-up spectra in a temporary folder, written once for all benchmarks.
class SpectrumFolder {
public:
    SpectrumFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "sorvane-bench-XXXXXX").string();
        folder_ = std::string(::mkdtemp(pattern.data())) + "/";
        std::filesystem::create_directory(folder_ + "out");
        std::mt19937 random(7);
        std::poisson_distribution<int> counts(800);
        for (int file = 0; file < file_count; ++file) {
            std::string path = folder_ + "s" + std::to_string(file) + ".asc";
            std::ofstream out(path, std::ios::binary);
            out << "Simple spectrum " << file << "\r\n";
            for (int channel = 0; channel < channel_count; ++channel) {
                out << channel << ", " << counts(random) << "\r\n";
            }
            paths_.push_back(path);
        }
    }
    ~SpectrumFolder() { std::filesystem::remove_all(folder_); }
    const std::vector<std::string>& paths() const { return paths_; }
    std::string out_path(int file) const {
        return folder_ + "out/s" + std::to_string(file) + ".chn";
    }

private:
    std::string folder_;
    std::vector<std::string> paths_;
};

const SpectrumFolder& spectra() {
    static const SpectrumFolder folder;
    return folder;
}

void BM_PlainReadOfTheSameBytes(benchmark::State& state) {
    PosixFileSystem fs;
    std::string bytes;
    for (auto _ : state) {
        for (const std::string& path : spectra().paths()) {
            fs.read_file(path, bytes);
            benchmark::DoNotOptimize(bytes.data());
        }
    }
    state.SetItemsProcessed(state.iterations() * file_count);
}

void BM_ReadSimpleOnly(benchmark::State& state) {
    PosixFileSystem fs;
    std::ostringstream sink;
    ConsoleUi ui(sink);
    Spectrum spectrum;
    ReaderContext context{spectrum, fs, ui};
    for (auto _ : state) {
        for (const std::string& path : spectra().paths()) {
            if (!read_raw_file(context, 30, path).ok()) state.SkipWithError("not read");
        }
    }
    state.SetItemsProcessed(state.iterations() * file_count);
}

void BM_ConvertSimpleToChn(benchmark::State& state) {
    PosixFileSystem fs;
    std::ostringstream sink;
    ConsoleUi ui(sink);
    Spectrum spectrum;
    ReaderContext context{spectrum, fs, ui};
    for (auto _ : state) {
        for (int file = 0; file < file_count; ++file) {
            if (!read_raw_file(context, 30, spectra().paths()[file]).ok())
                state.SkipWithError("not read");
            spectrum.chn_path = spectra().out_path(file);
            if (!write_chn(spectrum, fs).ok()) state.SkipWithError("not written");
        }
    }
    state.SetItemsProcessed(state.iterations() * file_count);
}

BENCHMARK(BM_PlainReadOfTheSameBytes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadSimpleOnly)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ConvertSimpleToChn)->Unit(benchmark::kMillisecond);

// Every format: its demo file converted again and again, and the plain read of
// the same bytes as the floor. "channels" tells how long each demo spectrum is.
void convert_demo_file(benchmark::State& state, int code, const std::string& path) {
    PosixFileSystem fs;
    std::ostringstream sink;
    ConsoleUi ui(sink);
    Spectrum spectrum;
    ReaderContext context{spectrum, fs, ui};
    spectrum.chn_path =
        (std::filesystem::temp_directory_path() / "sorvane-bench-demo.chn").string();
    for (auto _ : state) {
        if (!read_raw_file(context, code, path).ok()) state.SkipWithError("not read");
        write_chn(spectrum, fs);
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["channels"] = spectrum.chn_header.num_channels;
}

void plain_read_demo_file(benchmark::State& state, const std::string& path) {
    PosixFileSystem fs;
    std::string bytes;
    for (auto _ : state) {
        fs.read_file(path, bytes);
        benchmark::DoNotOptimize(bytes.data());
    }
    state.SetItemsProcessed(state.iterations());
}

void register_demo_benchmarks() {
    std::ifstream list(std::string(SORVANE_DEMO_DIR) + "/demo.list");
    for (std::string type_name, file_name; list >> type_name;) {
        if (type_name[0] == '#') {
            std::getline(list, file_name);
            continue;
        }
        list >> file_name;
        const RawFileType* type = type_of_name(type_name);
        if (type == nullptr) continue;
        const std::string path = std::string(SORVANE_DEMO_DIR) + "/" + file_name;
        benchmark::RegisterBenchmark(("BM_Convert/" + type_name).c_str(), convert_demo_file,
                                     type->code, path)
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark(("BM_PlainRead/" + type_name).c_str(), plain_read_demo_file,
                                     path)
            ->Unit(benchmark::kMicrosecond);
    }
}

}  // namespace
}  // namespace sorvane

int main(int argc, char** argv) {
    sorvane::register_demo_benchmarks();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
