#pragma once

#include <optional>
#include <string>

#include <vector>

#include "control/batch_run.h"
#include "form/form1.h"

namespace sorvane {

// The path of a result list entry that names a result file (".res", in any case),
// or nothing for any other entry.
std::optional<std::string> result_entry_path(const FileListBox& list, std::size_t entry,
                                             char separator);

// The base names a run summary of the result list shows: its selected ".res"
// entries, or every one when none is selected.
std::vector<std::string> summary_names(const FileListBox& results);

// The base names of a "GO" that waited for its results (temporary CHN files), in the
// raw list's order; nothing when the run did not wait.
std::vector<std::string> waited_run_names(const Form1& form, const BatchReport& report);

}  // namespace sorvane
