#include "import/rms_energy_table.h"

#include <string>

#include "contract/number_text.h"
#include "import/text_conventions.h"

namespace sorvane {

std::vector<EnergyChannelPoint> rms_energy_table(std::string_view text) {
    constexpr std::size_t most_rows = 33;  // what the reader accepts
    std::vector<EnergyChannelPoint> table;
    TextLines lines{std::string(text)};
    if (!lines.find_from_top("BEGIN RMS2.0") || !lines.find_from_top("#Energy")) return table;
    for (std::size_t row = 0; row < most_rows && !lines.at_end(); ++row) {
        const std::string_view line = lines.read_line();
        if (contains_keyword(line, "#")) break;
        try {
            const double energy = number_value(columns(line, 9, 7));
            const double channel = number_value(columns(line, 26, 7));
            if (energy > 0.0 && channel > 0.0) table.push_back({energy, channel});
        } catch (const ReadFault&) {  // a number beyond a double is no point
        }
    }
    return table;
}

}  // namespace sorvane
