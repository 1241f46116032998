#include "import/readers.h"

namespace sorvane {

ReadOutcome read_labo(ReaderContext&) { return ReadOutcome::failed("this format is not read yet"); }
ReadOutcome read_labo_v154(ReaderContext&) { return ReadOutcome::failed("this format is not read yet"); }

}  // namespace sorvane
