// Timings of the window on the real file system, on Qt's offscreen platform
// unless a display is given. Targets: start-up 0.3 s, expanding a folder of
// 10,000 sub-folders 0.5 s, listing a folder of 100,000 files 0.5 s.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTreeWidget>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "browser/open_tree_at.h"
#include "form/file_list.h"
#include "platform/real_platform.h"
#include "platform/silent_ui.h"
#include "ui/qt/file_list_view.h"
#include "ui/qt/folder_tree_widget.h"
#include "ui/qt/main_window_view.h"
#include "ui/window_events.h"

namespace {

using namespace sorvane;

// A folder under /tmp made once per run and removed at the end.
class Scratch {
public:
    Scratch() {
        root_ = std::filesystem::temp_directory_path() /
                ("sorvane-bench-window-" +
                 std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
        std::filesystem::create_directories(root_ / "config" / "sorvane");
        std::filesystem::create_directories(root_ / "wide" / "big");
        for (int n = 0; n < 10000; ++n) {
            std::filesystem::create_directory(root_ / "wide" / "big" /
                                              ("d" + std::to_string(100000 + n)));
        }
        std::filesystem::create_directories(root_ / "files");
        for (int n = 0; n < 100000; ++n) {
            std::ofstream((root_ / "files" / ("s" + std::to_string(100000 + n) + ".chn")).string());
        }
    }
    ~Scratch() {
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }
    std::string path(const char* relative) const { return (root_ / relative).string(); }

private:
    std::filesystem::path root_;
};

Scratch& scratch() {
    static Scratch made;
    return made;
}

struct Machine {
    RealFileSystem fs;
    RealProcess process;
    SilentUi ui;
    Services services{fs, process, ui};
};

void BM_StartupToShownWindow(benchmark::State& state) {
    Machine machine;
    StartupEnvironment environment;
    environment.system_dir = scratch().path("config/sorvane");
    for (auto _ : state) {
        MainWindow window;
        MainWindowView view(window, machine.services, environment);
        view.start();
        QApplication::processEvents();
        benchmark::DoNotOptimize(view.isVisible());
        state.PauseTiming();
        view.close();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StartupToShownWindow)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_ExpandFolderOf10000SubFolders(benchmark::State& state) {
    Machine machine;
    const std::string wide = scratch().path("wide") + "/";
    for (auto _ : state) {
        state.PauseTiming();
        Form1 form;
        Browsers trees;
        build_drive_trees(trees, machine.fs);
        open_tree_at(form, trees, 0, wide, machine.fs);  // lists big's 10,000 sub-folders
        FolderTreeWidget view;
        view.sync(trees.TreeView1[0]);
        const int big = trees.TreeView1[0].node(trees.TreeView1[0].selected()).children.front();
        state.ResumeTiming();
        // Expanding big looks into each of its 10,000 sub-folders.
        TreeView1_Expand(trees, 0, big, machine.fs);
        view.sync(trees.TreeView1[0]);
        benchmark::DoNotOptimize(view.topLevelItemCount());
    }
}
BENCHMARK(BM_ExpandFolderOf10000SubFolders)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_ListFolderOf100000Files(benchmark::State& state) {
    Machine machine;
    const std::string files = scratch().path("files");
    for (auto _ : state) {
        state.PauseTiming();
        FileListBox list;
        list.pattern = "*.chn";
        FileListView view;
        state.ResumeTiming();
        set_file_list_folder(list, files, machine.fs);
        view.sync(list);
        benchmark::DoNotOptimize(list.count());
    }
}
BENCHMARK(BM_ListFolderOf100000Files)->Unit(benchmark::kMillisecond)->Iterations(5);

// The two halves of the above: the folder listing, and the view taking the names.
void BM_ListFolderOf100000FilesListingOnly(benchmark::State& state) {
    Machine machine;
    const std::string files = scratch().path("files");
    for (auto _ : state) {
        FileListBox list;
        list.pattern = "*.chn";
        set_file_list_folder(list, files, machine.fs);
        benchmark::DoNotOptimize(list.count());
    }
}
BENCHMARK(BM_ListFolderOf100000FilesListingOnly)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_ListFolderOf100000FilesViewOnly(benchmark::State& state) {
    Machine machine;
    FileListBox list;
    list.pattern = "*.chn";
    set_file_list_folder(list, scratch().path("files"), machine.fs);
    for (auto _ : state) {
        state.PauseTiming();
        FileListView view;
        state.ResumeTiming();
        view.sync(list);
        benchmark::DoNotOptimize(view.model());
    }
}
BENCHMARK(BM_ListFolderOf100000FilesViewOnly)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

int main(int argc, char* argv[]) {
    if (std::getenv("DISPLAY") == nullptr && std::getenv("QT_QPA_PLATFORM") == nullptr) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    scratch();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
