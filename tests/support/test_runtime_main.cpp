// A stand-in for the analysis runtime in the end-to-end tests of "GO": it reads
// the control file as the real one does, writes the receipt, and writes a small
// B.res for each listed base name whose B.chn it finds. SYSTEM_DIR/test_runtime.cfg
// may hold "receipt_delay_ms=N", "result_delay_ms=N" and "skip=B" lines.
#include <chrono>
#include <fstream>
#include <iostream>
#include <set>
#include <sstream>
#include <thread>

#include "contract/control_file_format.h"
#include "platform/real_platform.h"

namespace {

struct Behaviour {
    int receipt_delay_ms = 0;
    int result_delay_ms = 0;
    std::set<std::string> skipped;
};

Behaviour behaviour_in(const std::string& system_dir) {
    Behaviour behaviour;
    std::ifstream config(system_dir + "/test_runtime.cfg");
    for (std::string line; std::getline(config, line);) {
        const std::size_t equals = line.find('=');
        if (equals == std::string::npos) continue;
        const std::string key = line.substr(0, equals);
        const std::string value = line.substr(equals + 1);
        if (key == "receipt_delay_ms") behaviour.receipt_delay_ms = std::stoi(value);
        if (key == "result_delay_ms") behaviour.result_delay_ms = std::stoi(value);
        if (key == "skip") behaviour.skipped.insert(value);
    }
    return behaviour;
}

void pause_ms(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    const std::string system_dir = argv[1];
    sorvane::RealFileSystem fs;
    std::string bytes;
    if (!fs.read_file(system_dir + "/sorvane.inf", bytes).ok()) return 2;
    sorvane::AnalysisSettings settings;
    sorvane::parse_control_file(bytes, settings);
    const std::vector<std::string> names = sorvane::read_file_name_section(bytes);

    const Behaviour behaviour = behaviour_in(system_dir);
    pause_ms(behaviour.receipt_delay_ms);
    fs.write_file(system_dir + "/sorvane.inf.read", "test runtime\r\n");
    for (const std::string& base : names) {
        if (base.empty() || behaviour.skipped.count(base)) continue;
        pause_ms(behaviour.result_delay_ms);
        std::string chn;
        const std::string chn_path = settings.chn_dir + base + ".chn";
        std::ostringstream result;
        result << "read " << chn_path << ": "
               << (fs.read_file(chn_path, chn).ok() ? std::to_string(chn.size()) + " bytes"
                                                    : "missing")
               << "\r\n";
        const std::string res_path = settings.res_dir + base + ".res";
        fs.write_file(res_path + ".tmp", result.str());
        fs.rename_file(res_path + ".tmp", res_path);
    }
    return 0;
}
