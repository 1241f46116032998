#include "cascade_files.h"

namespace sorvane::corrections {

CascadeLibrary load_cascades(const FileSystem& fs, const std::vector<std::string>& files) {
    CascadeLibrary library;
    for (const auto& path : files) {
        std::string text;
        const FsResult read = fs.read_file(path, text);
        if (!read.ok()) {
            library.problems.push_back(path + ": cannot be read (" + read.reason +
                                       "); its cascades are left out");
            continue;
        }
        add_cascades(library, text, path);
    }
    return library;
}

}  // namespace sorvane::corrections
