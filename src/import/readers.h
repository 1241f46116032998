#pragma once

#include "import/reader_context.h"

namespace sorvane {

// One reader per raw format: the steps of its format, filling the record from the
// file named by input_path and giving back read (-1) or not read (0). They run only
// through read_raw_file, which resets the record with the type's MCA number, shows
// the pointer and catches every fault (a reader may throw).
ReadOutcome read_simple(ReaderContext& context);
ReadOutcome read_rms(ReaderContext& context);
ReadOutcome read_iec(ReaderContext& context);
ReadOutcome read_oxford_win(ReaderContext& context);
ReadOutcome read_oxford_dos(ReaderContext& context);
ReadOutcome read_oxford_mac(ReaderContext& context);
ReadOutcome read_labo(ReaderContext& context);
ReadOutcome read_labo_v154(ReaderContext& context);
ReadOutcome read_canberra35(ReaderContext& context);
ReadOutcome read_naig(ReaderContext& context);

}  // namespace sorvane
