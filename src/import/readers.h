#pragma once

#include "import/reader_context.h"

namespace sorvane {

// One reader per raw format. Each follows the same contract: it fills the record
// from the file named by input_path and gives back read (-1) or not read (0).
ReadOutcome read_simple(ReaderContext& context);

}  // namespace sorvane
