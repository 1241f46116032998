#include "import/readers.h"

namespace sorvane {

ReadOutcome read_rms(ReaderContext&) { return ReadOutcome::failed("this format is not read yet"); }

}  // namespace sorvane
