#pragma once

#include <QString>
#include <memory>

#include "results/report_page.h"

class QPagedPaintDevice;
class QTextDocument;

namespace sorvane {

// The report page laid out for paper: its HTML, with the plot drawn from the SVG
// beside it where the page names it (or below the page when it does not).
std::unique_ptr<QTextDocument> report_document(const ReportPage& page);

// Prints the page on a printer or a PDF writer.
void print_report(const ReportPage& page, QPagedPaintDevice& device);

// Writes the page as a PDF file; false when the file could not be written.
bool write_report_pdf(const ReportPage& page, const QString& path);

}  // namespace sorvane
