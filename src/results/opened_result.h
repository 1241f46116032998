#pragma once

#include <string>
#include <vector>

#include "results/peak_table.h"
#include "results/plot_picture.h"
#include "results/result_file.h"

namespace sorvane {

class FileSystem;

// A result file read for the result view, with notes on what it cannot show.
struct OpenedResult {
    std::string path;
    std::string name;   // the file name without folder and extension
    std::string error;  // why nothing can be shown; empty when the file was read
    ResultModel result;
    PlotPicture picture;
    PeakTable table;
    std::vector<std::string> notes;
};

OpenedResult open_result(const FileSystem& fs, const std::string& path);
// The same from the file's text (the notes and the picture, without the reading).
OpenedResult opened_from_text(const std::string& path, std::string_view text);

}  // namespace sorvane
