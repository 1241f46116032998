// The front end's cost while it waits for the runtime: CPU time spent during a
// 10-second wait for one result, and how soon after the result appears the wait
// notices it. The runtime here is a shell script that sleeps, then writes the result.
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <thread>

#include "app/console_ui.h"
#include "control/batch_run.h"
#include "platform/posix_file_system.h"
#include "platform/posix_process.h"

namespace {

double cpu_seconds() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double wall_seconds() {
    return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

}  // namespace

int main(int argc, char** argv) {
    const int wait_seconds = argc > 1 ? std::atoi(argv[1]) : 10;
    // "--busy" looks without pausing, as a plain polling loop would: the reference.
    const bool busy = argc > 2 && std::string(argv[2]) == "--busy";
    namespace fs = std::filesystem;
    char pattern[] = "/tmp/sorvane-wait-XXXXXX";
    const std::string root = std::string(::mkdtemp(pattern)) + "/";
    fs::create_directories(root + "raw.asc");
    fs::create_directories(root + "res");
    fs::create_directories(root + "sys");
    std::ofstream(root + "raw.asc/a.asc", std::ios::binary) << "0, 1\r\n1, 1\r\n2, 1\r\n3, 1\r\n";
    const std::string runtime = root + "run_Tovalu.exe";
    {
        std::ofstream script(runtime);
        script << "#!/bin/sh\n"
               << "touch \"$1/sorvane.inf.read\"\n"
               << "sleep " << wait_seconds << "\n"
               << "date +%s.%N > " << root << "res/a.res.tmp\n"
               << "mv " << root << "res/a.res.tmp " << root << "res/a.res\n";
    }
    fs::permissions(runtime, fs::perms::owner_all);

    sorvane::PosixFileSystem files;
    sorvane::PosixProcess process;
    sorvane::ConsoleUi ui(std::cerr);
    sorvane::Spectrum spectrum;
    sorvane::BatchTiming timing;
    if (busy) timing.poll = std::chrono::milliseconds(0);
    sorvane::BatchRun run(spectrum, files, process, ui, timing);
    sorvane::BatchRequest request{30,
                                  sorvane::ChnConversion::temporary,
                                  root + "raw.asc/",
                                  root + "res/",
                                  root + "sys",
                                  runtime,
                                  {"a.asc"}};

    const double cpu_before = cpu_seconds();
    const double wall_before = wall_seconds();
    sorvane::BatchReport report = run.run(request, [](const std::string&) { return true; });
    const double noticed = wall_seconds();
    const double cpu = cpu_seconds() - cpu_before;
    const double wall = noticed - wall_before;

    double written = 0;
    std::ifstream(root + "res/a.res") >> written;
    fs::remove_all(root);
    if (report.converted != 1 || !report.missing_results.empty()) {
        std::cerr << "the wait did not end with the result\n";
        return 1;
    }
    std::printf(busy ? "busy loop, " : "pausing 50 ms, ");
    std::printf(
        "wait of %.2f s: CPU %.4f s = %.3f %% of one core; result noticed %.1f ms after it "
        "appeared\n",
        wall, cpu, 100.0 * cpu / wall, 1000.0 * (noticed - written));
    return 0;
}
