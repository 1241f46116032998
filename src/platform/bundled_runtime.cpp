#include "platform/bundled_runtime.h"

#include "platform/file_system.h"

namespace sorvane {

std::string bundled_runtime_dir(const FileSystem& files, const RuntimePlaces& places) {
    for (std::string folder : {places.program_folder, places.build_runtime_folder}) {
        if (folder.empty()) continue;
        if (folder.back() != files.separator() && folder.back() != '/') folder += files.separator();
        const std::optional<std::string> found =
            files.find_ignoring_case(folder, runtime_program_name);
        if (found && files.file_exists(folder + *found)) return folder;
    }
    return {};
}

}  // namespace sorvane
