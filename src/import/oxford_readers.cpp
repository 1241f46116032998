#include "import/readers.h"

namespace sorvane {

ReadOutcome read_oxford_win(ReaderContext&) { return ReadOutcome::failed("this format is not read yet"); }
ReadOutcome read_oxford_dos(ReaderContext&) { return ReadOutcome::failed("this format is not read yet"); }
ReadOutcome read_oxford_mac(ReaderContext&) { return ReadOutcome::failed("this format is not read yet"); }

}  // namespace sorvane
