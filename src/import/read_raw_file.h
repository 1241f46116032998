#pragma once

#include <string>

#include "import/reader_context.h"

namespace sorvane {

// The text of the box shown for every file that was not read.
inline constexpr std::string_view file_not_read_text =
    "File does not read.\r\nDifferent format ?!   Check file type !!";

// Reads the raw file at `path` with the reader of the file type code into the
// record (which starts cleared, so nothing of an earlier file stays). CHN input
// (code 1) counts as read without reading. When the file is not read, the pointer
// goes back to normal and the "File does not read." box is shown.
ReadOutcome read_raw_file(ReaderContext& context, int code, const std::string& path);

}  // namespace sorvane
