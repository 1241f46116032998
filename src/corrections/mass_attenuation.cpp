#include "mass_attenuation.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <sstream>

namespace sorvane::corrections {
namespace {

constexpr double electron_kev = 510.99895;

// One element's value at `energy_kev`, or nothing below its table.
std::optional<double> element_value(const std::vector<AttenuationTable::Point>& points,
                                    double energy_kev) {
    if (points.empty() || energy_kev < points.front().energy_kev) return std::nullopt;
    const auto& last = points.back();
    if (energy_kev >= last.energy_kev)
        return last.cm2_per_g * klein_nishina(energy_kev) / klein_nishina(last.energy_kev);
    const auto upper = std::upper_bound(
        points.begin(), points.end(), energy_kev,
        [](double e, const AttenuationTable::Point& p) { return e < p.energy_kev; });
    const auto lower = upper - 1;
    const double t =
        std::log(energy_kev / lower->energy_kev) / std::log(upper->energy_kev / lower->energy_kev);
    return std::exp(std::log(lower->cm2_per_g) +
                    t * (std::log(upper->cm2_per_g) - std::log(lower->cm2_per_g)));
}

}  // namespace

double klein_nishina(double energy_kev) {
    const double k = energy_kev / electron_kev;
    const double l = std::log(1.0 + 2.0 * k);
    return (1.0 + k) / (k * k) * (2.0 * (1.0 + k) / (1.0 + 2.0 * k) - l / k) + l / (2.0 * k) -
           (1.0 + 3.0 * k) / ((1.0 + 2.0 * k) * (1.0 + 2.0 * k));
}

std::optional<AttenuationTable> read_attenuation_table(std::string_view text,
                                                       const std::string& path,
                                                       std::string& problem) {
    AttenuationTable table;
    table.by_z.resize(93);
    std::istringstream in{std::string(text)};
    std::string line;
    bool header = true;
    int rows = 0;
    for (int number = 1; std::getline(in, line); ++number) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        if (header) {
            header = false;
            if (line != "z,energy_keV,cm2_per_g") {
                problem = path + " line " + std::to_string(number) +
                          ": the header must be z,energy_keV,cm2_per_g";
                return std::nullopt;
            }
            continue;
        }
        int z = 0;
        double energy = 0.0, value = 0.0;
        char comma1 = 0, comma2 = 0;
        std::istringstream row(line);
        if (!(row >> z >> comma1 >> energy >> comma2 >> value) || comma1 != ',' || comma2 != ',' ||
            z < 1 || z > 92 || !(energy > 0.0) || !(value > 0.0) ||
            (!table.by_z[z].empty() && energy <= table.by_z[z].back().energy_kev)) {
            problem = path + " line " + std::to_string(number) + ": \"" + line +
                      "\" is not Z 1-92, a rising energy and a value above 0";
            return std::nullopt;
        }
        table.by_z[z].push_back({energy, value});
        ++rows;
    }
    // An empty or cut file would give every sample no attenuation at all.
    if (rows == 0) {
        problem = path + " line 1: no rows of z,energy_keV,cm2_per_g";
        return std::nullopt;
    }
    return table;
}

MassAttenuation mass_attenuation(const AttenuationTable& table, const Composition& composition,
                                 double energy_kev) {
    double sum = 0.0;
    for (const auto& element : composition) {
        const auto value = element.z > 0 && element.z < static_cast<int>(table.by_z.size())
                               ? element_value(table.by_z[element.z], energy_kev)
                               : std::nullopt;
        if (!value)
            return {std::nullopt, "no attenuation coefficient of Z " + std::to_string(element.z) +
                                      " at " + std::to_string(energy_kev) + " keV in the table"};
        sum += element.mass_fraction * *value;
    }
    return {sum, {}};
}

}  // namespace sorvane::corrections
