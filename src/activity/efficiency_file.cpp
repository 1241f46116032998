#include "activity/efficiency_file.h"
#include "platform/text_helpers.h"

#include <charconv>
#include <cmath>

namespace sorvane::activity {
namespace {

constexpr std::string_view crlf = "\r\n";

// Shortest text that reads back to the same double.
std::string exact_text(double value) {
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::string numbers_text(const std::vector<double>& values, std::size_t from, std::size_t count) {
    std::vector<std::string> texts;
    for (std::size_t i = from; i < from + count && i < values.size(); ++i)
        texts.push_back(exact_text(values[i]));
    return joined(texts);
}

std::vector<std::string_view> words(std::string_view text) {
    std::vector<std::string_view> out;
    std::size_t at = 0;
    while (true) {
        at = text.find_first_not_of(" \t", at);
        if (at == std::string_view::npos) break;
        const auto end = text.find_first_of(" \t", at);
        out.push_back(text.substr(at, end == std::string_view::npos ? end : end - at));
        if (end == std::string_view::npos) break;
        at = end;
    }
    return out;
}

std::optional<double> finite_number(std::string_view word) {
    double value = 0.0;
    if (!word.empty() && word.front() == '+') word.remove_prefix(1);
    const auto result = std::from_chars(word.data(), word.data() + word.size(), value);
    if (result.ec != std::errc{} || result.ptr != word.data() + word.size() ||
        !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<std::vector<double>> numbers(std::string_view text) {
    std::vector<double> out;
    for (std::string_view word : words(text)) {
        const auto value = finite_number(word);
        if (!value) return std::nullopt;
        out.push_back(*value);
    }
    return out;
}

// Reads the lines into the curve; every problem names the line.
class Reader {
public:
    Reader(const std::string& file_name, EfficiencyFileRead& out) : file_(file_name), out_(out) {}

    void line(int number, std::string_view key, std::string_view value) {
        number_ = number;
        if (key == "order") {
            const auto v = single(value);
            if (v && *v == std::floor(*v) && *v >= lowest_efficiency_order &&
                *v <= highest_efficiency_order)
                curve_.order = static_cast<int>(*v);
            else if (v)
                fail("the order must be 2 to 5");
        } else if (key == "reference_energy_kev") {
            positive(value, curve_.reference_energy_kev);
        } else if (key == "energy_min_kev") {
            positive(value, curve_.energy_min_kev);
        } else if (key == "energy_max_kev") {
            positive(value, curve_.energy_max_kev);
        } else if (key == "chi2_reduced") {
            if (const auto v = single(value)) curve_.chi2_reduced = *v;
        } else if (key == "points") {
            // Checked before the conversion: a huge number would not fit an int.
            const auto v = single(value);
            if (v && *v >= 0.0 && *v <= 1e6 && *v == std::floor(*v))
                curve_.points = static_cast<int>(*v);
            else if (v)
                fail("the number of points must be a whole number from 0 to 1000000");
        } else if (key == "standard") {
            curve_.standard = std::string(value);
        } else if (key == "coefficients") {
            if (const auto v = list(value)) curve_.coefficients = *v;
        } else if (key == "covariance") {
            if (const auto v = list(value)) rows_.push_back(*v);
        } else if (key == "point") {
            point(value);
        }
    }

    void problem(int number, std::string_view why) {
        number_ = number;
        fail(why);
    }

    std::optional<EfficiencyCurve> finish() {
        if (broken_) return std::nullopt;
        const std::size_t n = static_cast<std::size_t>(curve_.order) + 1;
        if (curve_.order == 0) return missing("no order");
        if (curve_.coefficients.size() != n)
            return missing("the coefficients are not " + std::to_string(n) + " numbers");
        if (rows_.size() != n)
            return missing("the covariance is not " + std::to_string(n) + " rows");
        for (std::size_t i = 0; i < n; ++i) {
            if (rows_[i].size() != n)
                return missing("a covariance row is not " + std::to_string(n) + " numbers");
            curve_.covariance.insert(curve_.covariance.end(), rows_[i].begin(), rows_[i].end());
        }
        for (std::size_t i = 0; i < n; ++i) {
            if (curve_.covariance[i * n + i] < 0.0)
                return missing("a negative variance in the covariance");
            for (std::size_t j = 0; j < i; ++j) {
                const double a = curve_.covariance[i * n + j], b = curve_.covariance[j * n + i];
                if (std::abs(a - b) > 1e-9 * (std::abs(a) + std::abs(b)))
                    return missing("the covariance is not symmetric");
            }
        }
        if (!(curve_.energy_min_kev > 0.0) || !(curve_.energy_max_kev >= curve_.energy_min_kev))
            return missing("no energy range (energy_min_kev, energy_max_kev)");
        return curve_;
    }

private:
    void fail(std::string_view why) {
        out_.problems.push_back(file_ + " line " + std::to_string(number_) + ": " +
                                std::string(why));
        broken_ = true;
    }
    std::optional<EfficiencyCurve> missing(const std::string& why) {
        out_.problems.push_back(file_ + ": " + why);
        return std::nullopt;
    }
    std::optional<double> single(std::string_view value) {
        const auto v = finite_number(trimmed(value));
        if (!v) fail("\"" + std::string(value) + "\" is not a number");
        return v;
    }
    void positive(std::string_view value, double& field) {
        const auto v = single(value);
        if (v && *v > 0.0)
            field = *v;
        else if (v)
            fail("the energy must be above 0 keV");
    }
    std::optional<std::vector<double>> list(std::string_view value) {
        auto v = numbers(value);
        if (!v || v->empty()) {
            fail("\"" + std::string(value) + "\" is not a list of numbers");
            return std::nullopt;
        }
        return v;
    }
    void point(std::string_view value) {
        const auto w = words(value);
        EfficiencyPoint p;
        if (w.size() == 4) {
            p.nuclide = std::string(w[0]);
            const auto e = finite_number(w[1]), eff = finite_number(w[2]), d = finite_number(w[3]);
            if (e && eff && d) {
                p.energy_kev = *e;
                p.efficiency = *eff;
                p.d_efficiency = *d;
                curve_.fitted.push_back(p);
                return;
            }
        }
        // A point is shown beside the curve only; a bad one does not spoil the curve.
        out_.problems.push_back(file_ + " line " + std::to_string(number_) +
                                ": a point is \"nuclide energy efficiency uncertainty\"");
    }

    const std::string& file_;
    EfficiencyFileRead& out_;
    EfficiencyCurve curve_;
    std::vector<std::vector<double>> rows_;
    int number_ = 0;
    bool broken_ = false;
};

}  // namespace

std::string render_efficiency_file(const EfficiencyCurve& curve) {
    std::string text;
    auto pair = [&text](std::string_view key, std::string_view value) {
        text += key;
        text += " = ";
        text += value;
        text += crlf;
    };
    const std::size_t n = curve.coefficients.size();
    text += "[efficiency]";
    text += crlf;
    pair("model", "ln(eff) = sum of a_k x^k, x = ln(E / reference_energy_kev)");
    pair("reference_energy_kev", exact_text(curve.reference_energy_kev));
    pair("order", std::to_string(curve.order));
    pair("energy_min_kev", exact_text(curve.energy_min_kev));
    pair("energy_max_kev", exact_text(curve.energy_max_kev));
    pair("points", std::to_string(curve.points));
    pair("chi2_reduced", exact_text(curve.chi2_reduced));
    pair("standard", curve.standard);
    pair("coefficients", numbers_text(curve.coefficients, 0, n));
    for (std::size_t row = 0; row < n; ++row)
        pair("covariance", numbers_text(curve.covariance, row * n, n));
    for (const EfficiencyPoint& p : curve.fitted)
        pair("point", (p.nuclide.empty() ? std::string("-") : p.nuclide) + " " +
                          exact_text(p.energy_kev) + " " + exact_text(p.efficiency) + " " +
                          exact_text(p.d_efficiency));
    return text;
}

EfficiencyFileRead parse_efficiency_file(std::string_view text, const std::string& file_name) {
    EfficiencyFileRead out;
    Reader reader(file_name, out);
    int number = 0;
    bool header_seen = false;
    std::size_t at = 0;
    while (at <= text.size()) {
        const auto end = text.find('\n', at);
        const std::string_view raw =
            text.substr(at, end == std::string_view::npos ? std::string_view::npos : end - at);
        at = end == std::string_view::npos ? text.size() + 1 : end + 1;
        ++number;
        const std::string_view line = trimmed(raw);
        if (line.empty()) continue;
        if (line.front() == '[') {
            header_seen = header_seen || line == "[efficiency]";
            continue;
        }
        const auto equals = line.find('=');
        if (equals == std::string_view::npos) {
            reader.problem(number, "a line is \"key = value\"");
            continue;
        }
        reader.line(number, trimmed(line.substr(0, equals)), trimmed(line.substr(equals + 1)));
    }
    if (!header_seen) {
        out.problems.push_back(file_name + ": not an efficiency file (no [efficiency] line)");
        return out;
    }
    out.curve = reader.finish();
    return out;
}

}  // namespace sorvane::activity
