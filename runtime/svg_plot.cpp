#include "svg_plot.h"

#include "results/plot_picture.h"
#include "results/result_file.h"
#include "results/svg_picture.h"

namespace sorvane {

std::string plot_svg(const std::string& name, const SpectrumFacts& facts,
                     const analysis::AnalysisOptions& options, const SpectrumAnalysis& analysis,
                     std::span<const double> counts) {
    const ResultFile result = read_result(format_result(facts, options, analysis, counts));
    return picture_svg(make_picture(result, name));
}

}  // namespace sorvane
