#pragma once

#include <optional>
#include <string>

#include "form/file_list.h"

namespace sorvane {

// The path of a result list entry that names a result file (".res", in any case),
// or nothing for any other entry.
std::optional<std::string> result_entry_path(const FileListBox& list, std::size_t entry,
                                             char separator);

}  // namespace sorvane
