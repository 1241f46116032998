#include "svg_plot.h"

#include "results/plot_picture.h"
#include "results/svg_picture.h"

namespace sorvane {

std::string plot_svg(const std::string& name, const ResultModel& model) {
    return picture_svg(make_picture(model, name));
}

}  // namespace sorvane
