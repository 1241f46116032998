#include "raw_energy_tables.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>

#include "contract/number_text.h"

namespace sorvane {
namespace {

constexpr std::string_view record_mark = "A004";
constexpr std::size_t first_table_record = 11;  // records count from 1
constexpr std::size_t header_records = 58;

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

// Lines ending at CR LF, CR or LF, without their ends.
std::vector<std::string_view> lines_of(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') continue;
        lines.push_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

// Where the keyword starts in the line, letters compared ignoring case; npos if not.
std::size_t find_keyword(std::string_view line, std::string_view keyword) {
    const auto at =
        std::search(line.begin(), line.end(), keyword.begin(), keyword.end(), [](char a, char b) {
            return std::toupper(static_cast<unsigned char>(a)) ==
                   std::toupper(static_cast<unsigned char>(b));
        });
    return at == line.end() ? std::string_view::npos : static_cast<std::size_t>(at - line.begin());
}

// The n characters from column c (from 1); fewer when the line is short.
std::string_view columns(std::string_view line, std::size_t c, std::size_t n) {
    return c - 1 < line.size() ? line.substr(c - 1, n) : std::string_view{};
}

// Least squares of energy = sum of c_k ch^k, k < terms (2 or 3), by the normal
// equations, channels scaled by 1/1000 so that they stay well conditioned.
bool least_squares(std::span<const EnergyChannelPoint> points, int terms,
                   std::array<double, 3>& c) {
    constexpr double scale = 1000.0;
    std::array<std::array<double, 4>, 3> m{};
    for (const EnergyChannelPoint& p : points) {
        const double x = p.channel / scale;
        const std::array<double, 3> powers = {1.0, x, x * x};
        for (int i = 0; i < terms; ++i) {
            for (int j = 0; j < terms; ++j) m[i][j] += powers[i] * powers[j];
            m[i][3] += powers[i] * p.energy_kev;
        }
    }
    for (int i = 0; i < terms; ++i) {  // Gauss-Jordan with partial pivoting
        int pivot = i;
        for (int r = i + 1; r < terms; ++r)
            if (std::abs(m[r][i]) > std::abs(m[pivot][i])) pivot = r;
        std::swap(m[i], m[pivot]);
        if (!(std::abs(m[i][i]) > 1e-12)) return false;
        for (int r = 0; r < terms; ++r) {
            if (r == i) continue;
            const double f = m[r][i] / m[i][i];
            for (int k = i; k < 4; ++k) m[r][k] -= f * m[i][k];
        }
    }
    c = {0.0, 0.0, 0.0};
    for (int i = 0; i < terms; ++i) c[i] = m[i][3] / m[i][i] / std::pow(scale, i);
    return true;
}

}  // namespace

std::vector<double> iec_record_numbers(std::string_view line) {
    std::vector<double> numbers;
    const std::size_t mark = find_keyword(line, record_mark);
    if (mark == std::string_view::npos) return numbers;
    const std::string_view text = line.substr(mark + record_mark.size());
    std::size_t at = 0;
    while (at < text.size()) {
        if (text[at] == ' ' || text[at] == '\t' || text[at] == '\r' || text[at] == '\n') {
            ++at;
            continue;
        }
        std::size_t end = at + 1;
        while (end < text.size() && text[end] != ' ' && text[end] != '\t' && text[end] != '\r' &&
               text[end] != '\n' &&
               !((text[end] == '-' || text[end] == '+') && is_digit(text[end - 1])))
            ++end;
        numbers.push_back(number_value(text.substr(at, end - at)));
        at = end;
    }
    return numbers;
}

std::vector<EnergyChannelPoint> iec_energy_table(std::string_view text) {
    std::vector<EnergyChannelPoint> table;
    const std::vector<std::string_view> lines = lines_of(text);
    std::size_t first = 0;  // the first record: the first line with the mark
    while (first < lines.size() &&
           find_keyword(lines[first], record_mark) == std::string_view::npos)
        ++first;
    for (std::size_t record = first_table_record; record <= header_records; ++record) {
        const std::size_t index = first + record - 1;
        if (index >= lines.size() ||
            find_keyword(lines[index], record_mark) == std::string_view::npos)
            break;
        const std::vector<double> numbers = iec_record_numbers(lines[index]);
        bool any = false;
        for (std::size_t k = 0; k + 1 < numbers.size() && k < 4; k += 2) {
            if (numbers[k] != 0.0 || numbers[k + 1] != 0.0) any = true;
            if (numbers[k] > 0.0 && numbers[k + 1] > 0.0)
                table.push_back({numbers[k], numbers[k + 1]});
        }
        if (!any) break;
    }
    return table;
}

std::vector<EnergyChannelPoint> rms_energy_table(std::string_view text) {
    constexpr std::size_t most_rows = 33;  // what the reader accepts
    std::vector<EnergyChannelPoint> table;
    const std::vector<std::string_view> lines = lines_of(text);
    auto line_with = [&lines](std::string_view keyword, std::size_t from) {
        while (from < lines.size() && find_keyword(lines[from], keyword) == std::string_view::npos)
            ++from;
        return from;
    };
    if (line_with("BEGIN RMS2.0", 0) == lines.size()) return table;
    std::size_t at = line_with("#Energy", 0) + 1;
    for (; at < lines.size() && table.size() < most_rows; ++at) {
        if (lines[at].find('#') != std::string_view::npos) break;
        try {
            const double energy = number_value(columns(lines[at], 9, 7));
            const double channel = number_value(columns(lines[at], 26, 7));
            if (energy > 0.0 && channel > 0.0) table.push_back({energy, channel});
        } catch (const ReadFault&) {  // a number beyond a double is no point
        }
    }
    return table;
}

EnergyTableReader energy_table_reader(int type_code) {
    constexpr int iec_code = 10, rms_code = 9;  // import's raw file types (a test compares)
    if (type_code == iec_code) return iec_energy_table;
    if (type_code == rms_code) return rms_energy_table;
    return nullptr;
}

TableCalibration calibration_from_table(std::span<const EnergyChannelPoint> points,
                                        std::size_t channels) {
    TableCalibration out;
    out.points = static_cast<int>(points.size());
    if (points.size() < 2) {
        out.reason =
            points.empty() ? "no channel-energy table" : "the channel-energy table holds one point";
        return out;
    }
    const double last = channels > 0 ? static_cast<double>(channels - 1) : 0.0;
    // Rising over every channel: the slope c1 + 2 c2 ch is positive at both ends.
    auto rises = [last](const std::array<double, 3>& c) {
        return c[1] > 0.0 && c[1] + 2.0 * c[2] * last > 0.0;
    };
    std::array<double, 3> c{};
    bool found = points.size() >= 3 && least_squares(points, 3, c) && rises(c);
    if (!found) found = least_squares(points, 2, c) && rises(c);
    if (!found) {
        out.reason = "the channel-energy table does not rise with the channel";
        return out;
    }
    double sum = 0.0;
    for (const EnergyChannelPoint& p : points) {
        const double r = p.energy_kev - (c[0] + (c[1] + c[2] * p.channel) * p.channel);
        sum += r * r;
    }
    out.ok = true;
    out.c0 = c[0];
    out.c1 = c[1];
    out.c2 = c[2];
    out.residual_rms_kev = std::sqrt(sum / static_cast<double>(points.size()));
    return out;
}

}  // namespace sorvane
