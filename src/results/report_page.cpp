#include "results/report_page.h"

#include "platform/file_system.h"

namespace sorvane {
namespace {

// The result's path with another extension ("/r/B.res" gives "/r/B.html").
std::string beside(const std::string& result_path, const char* extension) {
    const auto name_start = result_path.find_last_of("/\\");
    const auto dot = result_path.rfind('.');
    const bool has_extension =
        dot != std::string::npos && (name_start == std::string::npos || dot > name_start);
    return (has_extension ? result_path.substr(0, dot) : result_path) + extension;
}

}  // namespace

ReportPage find_report_page(const FileSystem& fs, const std::string& result_path) {
    ReportPage page;
    page.html_path = beside(result_path, ".html");
    if (!fs.file_exists(page.html_path)) {
        page.problem = "There is no report page " + page.html_path +
                       ". The runtime writes it beside the result when \"Write a printable "
                       "report page\" is on in Nuclides > Nuclide settings; run the spectrum "
                       "again to make it.";
        return page;
    }
    const FsResult read = fs.read_file(page.html_path, page.html);
    if (!read.ok()) {
        page.problem =
            "The report page " + page.html_path + " could not be read.\r\n" + read.reason;
        return page;
    }
    const std::string svg = beside(result_path, ".svg");
    if (fs.file_exists(svg)) page.svg_path = svg;
    return page;
}

std::string with_pdf_extension(std::string path) {
    const auto name_start = path.find_last_of("/\\");
    if (path.find('.', name_start == std::string::npos ? 0 : name_start) == std::string::npos)
        path += ".pdf";
    return path;
}

std::string default_pdf_path(const std::string& result_path) {
    return beside(result_path, ".pdf");
}

}  // namespace sorvane
