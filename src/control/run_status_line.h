#pragma once

#include <string>
#include <string_view>

#include "control/batch_run.h"

namespace sorvane {

// The line the window's status bar shows after "GO": what was converted and what
// failed, what became of the runtime, and where the results go.
std::string run_status_line(const BatchRequest& request, const BatchReport& report);

// Its first part: what was listed or converted, and what failed.
std::string run_files_part(const BatchRequest& request, const BatchReport& report);

// The status line when the option check stopped "GO" before anything ran.
inline constexpr std::string_view run_stopped_line = "GO: stopped by an OPTION error";

}  // namespace sorvane
