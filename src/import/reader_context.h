#pragma once

#include <functional>
#include <string>

#include "import/read_fault.h"
#include "import/text_conventions.h"
#include "platform/file_system.h"
#include "platform/ui.h"
#include "spectrum/spectrum.h"

namespace sorvane {

// What a reader works with: the record it fills (its input_path names the raw
// file), the files, and the person (pointer and the "File does not exist." box).
struct ReaderContext {
    Spectrum& spectrum;
    const FileSystem& fs;
    Ui& ui;
};

// The one error guard that every reader runs its steps under: a missing folder
// shows "File does not exist." and gives "not read"; every other fault gives "not
// read" silently. No exception leaves a reader.
ReadOutcome guarded_read(ReaderContext& context, const std::function<ReadOutcome()>& steps);

// The bytes of the file named by input_path; a missing folder is PathNotFound,
// every other failure a ReadFault.
std::string read_input_bytes(const ReaderContext& context);

// The same file as lines.
TextLines read_input_lines(const ReaderContext& context);

}  // namespace sorvane
