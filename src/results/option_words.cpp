#include "results/option_words.h"

#include <array>
#include <string_view>
#include <utility>

namespace sorvane {
namespace {

// Each option code the runtime writes, with the frame and button captions of the
// window that choose it (the codes are those the control file stores).
struct OptionWords {
    std::string_view key;
    std::string_view frame;
    std::vector<std::pair<std::string_view, std::string_view>> codes;  // code, caption
};

const std::array<OptionWords, 7>& option_words() {
    static const std::array<OptionWords, 7> table{{
        {"pk_search", "PK search", {{"0", "Auto"}, {"1", "Manual"}}},
        {"smoothing", "Smoothing", {{"0", "5 ch"}, {"1", "7 ch"}}},
        {"pk_shape", "PK shape", {{"0", "Gauss+exp"}, {"2", "Gauss"}}},
        {"fitted_data_plot", "Fitted data plot", {{"0", "none"}, {"1", "simple plot"}}},
        {"raw_data",
         "Raw Data",
         {{"1", "none"},
          {"0", "output (with area cal)"},
          {"2", "output (no area cal)"},
          {"4", "make csv file (no area cal)"}}},
        {"energy_calib", "Energy Calib.", {{"1", "Auto"}, {"0", "Manual setting"}}},
        {"cal_area", "Cal area", {{"1", "All CH"}, {"0", "Manual setting"}}},
    }};
    return table;
}

}  // namespace

std::vector<std::string> options_in_words(const NamedValues& options) {
    std::vector<std::string> lines;
    for (const auto& [name, value] : options) {
        const std::string code = name + " = " + value;
        std::string line = code;
        for (const OptionWords& words : option_words()) {
            if (words.key != name) continue;
            for (const auto& [known, caption] : words.codes)
                if (known == value)
                    line =
                        std::string(words.frame) + ": " + std::string(caption) + " (" + code + ")";
        }
        lines.push_back(line);
    }
    return lines;
}

}  // namespace sorvane
