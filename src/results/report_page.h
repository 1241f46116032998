#pragma once

#include <string>

namespace sorvane {

class FileSystem;

// The printable report page the runtime writes beside a result (B.html, with the
// plot in B.svg) when the nuclide settings ask for it.
struct ReportPage {
    std::string html_path;
    std::string svg_path;  // empty when the plot is not there
    std::string html;
    std::string problem;  // why there is nothing to print; empty when there is
};

ReportPage find_report_page(const FileSystem& fs, const std::string& result_path);

// The path a PDF export writes to: a name without an extension gets ".pdf".
std::string with_pdf_extension(std::string path);

// The name a PDF export offers: the result's own, with ".pdf" ("/r/B.res" gives
// "/r/B.pdf"), so a page handed out names the spectrum it reports.
std::string default_pdf_path(const std::string& result_path);

}  // namespace sorvane
