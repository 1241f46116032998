#include "control/nuclide_settings_store.h"

namespace sorvane {

std::string nuclide_settings_path(const std::string& system_dir, const FileSystem& files) {
    std::string path = system_dir;
    if (!path.empty() && path.back() != files.separator()) path += files.separator();
    return path + std::string(nuclide_settings_file_name);
}

NuclideSettingsLoad load_nuclide_settings(const std::string& path, const FileSystem& files) {
    NuclideSettingsLoad load;
    if (!files.file_exists(path)) return load;
    load.found = true;
    std::string bytes;
    const FsResult read = files.read_file(path, bytes);
    if (!read.ok()) {
        load.problem = "The nuclide settings file " + path + " could not be read.\r\n" +
                       read.reason + "\r\nThe defaults are shown; the file is left as it is " +
                       "until you press OK.";
        return load;
    }
    NuclideSettingsRead parsed = parse_nuclide_settings(bytes);
    load.settings = std::move(parsed.settings);
    if (!parsed.problems.empty()) {
        load.problem = "The nuclide settings file " + path +
                       " holds values that cannot be used; their defaults are shown:";
        for (const std::string& problem : parsed.problems) load.problem += "\r\n" + problem;
    }
    return load;
}

FsResult save_nuclide_settings(const std::string& path, const NuclideSettings& settings,
                               FileSystem& files) {
    const std::string temporary = path + ".tmp";
    FsResult result = files.create_folder(folder_of_path(path, files.separator()));
    if (result.ok()) result = files.write_file(temporary, render_nuclide_settings(settings));
    if (result.ok()) {
        result = files.rename_file(temporary, path);
        if (!result.ok()) files.remove_file(temporary);
    }
    return result;
}

}  // namespace sorvane
