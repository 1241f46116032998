#pragma once

#include <QString>
#include <memory>
#include <string>

#include "results/report_page.h"

class QPagedPaintDevice;
class QTextDocument;

namespace sorvane {

class FileSystem;

// The report page laid out for paper: its HTML, with the plot drawn from the SVG
// beside it where the page names it (or below the page when it does not).
std::unique_ptr<QTextDocument> report_document(const ReportPage& page);

// Prints the page on a printer or a PDF writer.
void print_report(const ReportPage& page, QPagedPaintDevice& device);

// Writes the page as a PDF file; false when the file could not be written.
bool write_report_pdf(const ReportPage& page, const QString& path);

// The report page of a result as a PDF file, as the result view's export writes it,
// without a window. Why it could not be written, or nothing when it was.
std::string report_pdf_of_result(const FileSystem& fs, const std::string& result_path,
                                 const std::string& pdf_path);

}  // namespace sorvane
