// Timings of the result view on a 16,384-channel result with 60 fitted peaks:
// opening it (reading, building the picture and the table, first paint) and
// redrawing the plot after a zoom. Targets: open 150 ms, redraw 16 ms.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>

#include "pipeline/analyse_spectrum.h"
#include "pipeline/result_building.h"
#include "platform/real_platform.h"
#include "platform/silent_ui.h"
#include "results/result_writer.h"
#include "ui/qt/result_plot_widget.h"
#include "ui/qt/result_view.h"

namespace {

using namespace sorvane;

// A Poisson spectrum of 16,384 channels, analysed by the runtime's own code and
// written as the runtime writes it.
std::string big_result_path() {
    static const std::string path = [] {
        constexpr int channels = 16384;
        std::mt19937 random(16384);
        std::vector<double> counts(channels);
        for (int ch = 0; ch < channels; ++ch) {
            double mean = 2000.0 * std::exp(-ch / 4000.0) + 20.0;
            for (int p = 0; p < 60; ++p) {
                const double centre = 200.0 + p * 270.0;
                const double sigma = std::sqrt(4.0 + 0.0008 * centre) / 2.3548;
                const double area = 2000.0 + 1000.0 * (p % 7);
                mean += area * std::exp(-0.5 * std::pow((ch - centre) / sigma, 2)) /
                        (sigma * 2.5066282746);
            }
            counts[static_cast<std::size_t>(ch)] = std::poisson_distribution<int>(mean)(random);
        }
        analysis::AnalysisOptions options;
        options.low = {200, 100, std::sqrt(4.0 + 0.16)};
        options.high = {16000, 8000, std::sqrt(4.0 + 12.8)};
        const std::vector<float> terms{0.0f, 0.5f, 0.0f};
        const SpectrumAnalysis analysis = analyse_spectrum(counts, terms, options);
        SpectrumFacts facts;
        facts.input_path = "big.chn";
        facts.live_time = 3600;
        facts.channels = channels;
        const std::string file =
            (std::filesystem::temp_directory_path() / "sorvane-bench-16384.res").string();
        std::ofstream(file, std::ios::binary)
            << write_result(analysed_result(facts, options, analysis, counts));
        return file;
    }();
    return path;
}

void BM_OpenResultOf16384Channels(benchmark::State& state) {
    RealFileSystem fs;
    SilentUi ui;
    const std::string path = big_result_path();
    for (auto _ : state) {
        std::unique_ptr<ResultView> view(show_result(path, fs, ui));
        view->setAttribute(Qt::WA_DeleteOnClose, false);
        view->plot()->repaint();  // the first picture on the screen
        state.counters["peaks"] = static_cast<double>(view->opened().picture.marks.size());
    }
}
BENCHMARK(BM_OpenResultOf16384Channels)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_RedrawAfterZoom(benchmark::State& state) {
    RealFileSystem fs;
    SilentUi ui;
    std::unique_ptr<ResultView> view(show_result(big_result_path(), fs, ui));
    view->setAttribute(Qt::WA_DeleteOnClose, false);
    view->resize(1600, 1000);
    QApplication::processEvents();
    const Range whole = view->opened().picture.whole;
    bool in = true;
    for (auto _ : state) {
        // Alternately the whole spectrum and a tenth of it, so each draw has work.
        if (in)
            view->plot()->view()->zoom_x((whole.low + whole.high) / 2, 0.1);
        else
            view->plot()->view()->reset();
        in = !in;
        view->plot()->repaint();
    }
}
BENCHMARK(BM_RedrawAfterZoom)->Unit(benchmark::kMillisecond)->Iterations(50);

}  // namespace

int main(int argc, char* argv[]) {
    if (std::getenv("DISPLAY") == nullptr && std::getenv("QT_QPA_PLATFORM") == nullptr) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    big_result_path();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
