#include "ui/win32/result_document.h"

#include <array>
#include <string_view>

#include "platform/file_system.h"

namespace sorvane {

std::string result_document_of(const std::string& res_path, const FileSystem& files) {
    const std::size_t dot = res_path.rfind('.');
    const std::size_t separator = res_path.find_last_of("\\/");
    const bool has_extension =
        dot != std::string::npos && (separator == std::string::npos || dot > separator);
    const std::string base = has_extension ? res_path.substr(0, dot) : res_path;
    constexpr std::array<std::string_view, 2> companions = {".html", ".svg"};
    for (std::string_view extension : companions) {
        std::string candidate = base + std::string(extension);
        if (files.file_exists(candidate)) return candidate;
    }
    return res_path;
}

std::vector<std::string> summary_lines(const std::vector<SummaryRow>& rows) {
    std::vector<std::string> lines;
    lines.reserve(rows.size());
    for (const SummaryRow& row : rows) {
        std::string line = row.name;
        if (!row.failure.empty()) {
            line += "   " + row.failure;
        } else {
            if (!row.live_time.empty()) line += "   live time " + row.live_time + " s";
            line += "   " + (row.peaks.empty() ? std::string("0") : row.peaks) + " peaks";
            if (!row.strongest.empty()) line += "   " + row.strongest;
            if (!row.nuclides.empty()) line += "   " + row.nuclides;
        }
        if (row.earlier) line += "   (earlier result)";
        lines.push_back(std::move(line));
    }
    return lines;
}

}  // namespace sorvane
