#include "ui/result_entry.h"

#include <algorithm>
#include <cctype>

#include "form/option_groups.h"
#include "form/type_selector.h"
#include "import/base_name.h"

namespace sorvane {
namespace {

bool is_result_name(const std::string& name) {
    if (name.size() < 5) return false;
    std::string extension = name.substr(name.size() - 4);
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension == ".res";
}

}  // namespace

std::optional<std::string> result_entry_path(const FileListBox& list, std::size_t entry,
                                             char separator) {
    if (entry >= list.entries.size()) return std::nullopt;
    const std::string& name = list.entries[entry];
    if (!is_result_name(name)) return std::nullopt;
    // The folder as the list itself reads it: "C:" is the drive's root.
    std::string folder = list.folder;
    if (!folder.empty() && folder.back() != separator) folder += separator;
    return folder + name;
}

std::vector<std::string> summary_names(const FileListBox& results) {
    std::vector<std::string> names;
    const auto selected = results.selected_names();
    for (const std::string& name : selected.empty() ? results.entries : selected)
        if (is_result_name(name)) names.push_back(base_name_of(name));
    return names;
}

std::vector<std::string> waited_run_names(const Form1& form, const BatchReport& report) {
    const bool waited = report.runtime_started && !report.cancelled &&
                        selected_type_code(form) > 1 &&
                        selected_option(form, OptionGroup::Option8) == 1;
    std::vector<std::string> names;
    if (!waited) return names;
    for (const std::string& name : form.File1[0].selected_names()) {
        const std::string base = base_name_of(name);
        if (!base.empty() && std::find(names.begin(), names.end(), base) == names.end())
            names.push_back(base);
    }
    return names;
}

}  // namespace sorvane
