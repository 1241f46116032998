#include "activity/efficiency_storage.h"

#include "activity/efficiency_file.h"

namespace sorvane::activity {

FsResult save_efficiency_file(FileSystem& fs, const std::string& path,
                              const EfficiencyCurve& curve) {
    const std::string temporary = path + ".tmp";
    FsResult written = fs.write_file(temporary, render_efficiency_file(curve));
    if (!written.ok()) return written;
    FsResult renamed = fs.rename_file(temporary, path);
    if (!renamed.ok()) fs.remove_file(temporary);
    return renamed;
}

LoadedEfficiency load_efficiency_file(const FileSystem& fs, const std::string& path) {
    LoadedEfficiency out;
    std::string text;
    const FsResult read = fs.read_file(path, text);
    if (!read.ok()) {
        out.problems.push_back(
            "cannot read " + path + ": " +
            (read.reason.empty() ? std::string("file does not exist") : read.reason));
        return out;
    }
    EfficiencyFileRead parsed = parse_efficiency_file(text, path);
    out.curve = std::move(parsed.curve);
    out.problems = std::move(parsed.problems);
    return out;
}

}  // namespace sorvane::activity
