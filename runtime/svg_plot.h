#pragma once

#include <string>

#include "results/result_model.h"

namespace sorvane {

// B.svg: the picture the window's result view draws of a result at full view,
// drawn from the model the result file is written from, so that the two cannot differ.
std::string plot_svg(const std::string& name, const ResultModel& model);

}  // namespace sorvane
