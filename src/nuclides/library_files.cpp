#include "library_files.h"

namespace sorvane::nuclides {
namespace {

// Reads one lines file and, when it exists, the nuclides file beside it.
void add_files(LineLibrary& library, const FileSystem& fs, const std::string& lines_path,
               const std::string& nuclides_path, bool nuclides_required) {
    std::string text;
    const FsResult read = fs.read_file(lines_path, text);
    if (!read.ok()) {
        library.problems.push_back(
            "cannot read the line library " + lines_path + ": " +
            (read.reason.empty() ? std::string("file does not exist") : read.reason));
        return;
    }
    library.files.push_back(add_gamma_lines(library, text, lines_path));
    std::string facts;
    if (fs.file_exists(nuclides_path) || nuclides_required) {
        const FsResult facts_read = fs.read_file(nuclides_path, facts);
        if (facts_read.ok()) {
            add_nuclide_facts(library, facts, nuclides_path);
            // A special entry the facts name (lead X-rays) is no nuclide to count.
            LibraryIdentity& identity = library.files.back();
            std::erase_if(identity.names,
                          [&](const std::string& name) { return library.special(name); });
            identity.nuclides = identity.names.size();
        } else
            library.problems.push_back("cannot read the half-lives " + nuclides_path + ": " +
                                       (facts_read.reason.empty()
                                            ? std::string("file does not exist")
                                            : facts_read.reason));
    }
}

}  // namespace

std::string find_bundled_library(const FileSystem& fs, const std::vector<std::string>& candidates) {
    for (const auto& folder : candidates)
        if (!folder.empty() && fs.file_exists(folder + std::string(bundled_lines_file)))
            return folder;
    return {};
}

std::string nuclides_file_beside(const std::string& lines_file) {
    const std::string stem =
        lines_file.size() > 4 && lines_file.compare(lines_file.size() - 4, 4, ".csv") == 0
            ? lines_file.substr(0, lines_file.size() - 4)
            : lines_file;
    return stem + ".nuclides.csv";
}

LineLibrary load_line_library(const FileSystem& fs, const NuclideSettings& settings,
                              const std::string& bundled_folder) {
    LineLibrary library;
    if (settings.bundled_library) {
        if (bundled_folder.empty())
            library.problems.push_back(
                "the line library shipped with the program was not found (folder nuclides "
                "beside the runtime, or share/sorvane/nuclides)");
        else
            add_files(library, fs, bundled_folder + std::string(bundled_lines_file),
                      bundled_folder + std::string(bundled_nuclides_file), true);
    }
    for (const auto& file : settings.library_files)
        add_files(library, fs, file, nuclides_file_beside(file), false);
    return library;
}

}  // namespace sorvane::nuclides
