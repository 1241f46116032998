#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "contract/analysis_settings.h"
#include "contract/result_schema.h"
#include "form/form1.h"

namespace sorvane {

class FileSystem;
class Ui;

// The run file's name inside `system_dir`.
inline constexpr std::string_view control_file_name = result_schema::control_file_name;

// `system_dir` followed by the separator and the run file's name.
std::string run_file_path(const AnalysisSettings& settings, const FileSystem& files);

// The base names of the selected entries of the raw list, in list order.
std::vector<std::string> selected_base_names(const Form1& form);

// Writes the record and the selected raw files to `control_file_path`: first to
// a temporary file beside it, then renamed over it, so a failed write never
// leaves a cut file. A failure is shown in a message box naming the file and
// the reason; the result says whether the file was written.
bool write_control_file(const Form1& form, const AnalysisSettings& settings,
                        const std::string& control_file_path, FileSystem& files, Ui& ui);

// -1 when a file was found under `control_file_path` and read (whatever it held),
// then its values are shown; 0 when there is none, and nothing changes. A
// "[system dir]" naming no existing folder is ignored.
std::int16_t read_control_file(Form1& form, AnalysisSettings& settings,
                               const std::string& control_file_path, const FileSystem& files);

}  // namespace sorvane
