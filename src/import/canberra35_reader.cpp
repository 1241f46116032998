#include "import/readers.h"

namespace sorvane {

ReadOutcome read_canberra35(ReaderContext&) { return ReadOutcome::failed("this format is not read yet"); }

}  // namespace sorvane
