#include "ui/qt/report_printing.h"

#include <QAbstractTextDocumentLayout>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextLayout>
#include <QUrl>
#include <algorithm>
#include <utility>
#include <vector>

#include "platform/file_system.h"
#include "ui/qt/qt_text.h"

#ifdef SORVANE_HAVE_QT_SVG
#include <QSvgRenderer>
#endif

namespace sorvane {
namespace {

// The page in the layout's own units (1/96 inch): A4, 14 mm margins all round,
// the margins the page's own style asks a browser for.
constexpr double layout_dpi = 96.0;
constexpr double mm_per_inch = 25.4;
constexpr double page_margin_mm = 14.0;
QSizeF a4_layout_size() {
    const QSizeF mm = QPageSize(QPageSize::A4).size(QPageSize::Millimeter);
    return {mm.width() / mm_per_inch * layout_dpi, mm.height() / mm_per_inch * layout_dpi};
}
constexpr double page_margin = page_margin_mm / mm_per_inch * layout_dpi;
// Width of the text column, where a plot picture goes edge to edge.
double text_width() {
    return a4_layout_size().width() - 2 * page_margin;
}

// The layout reads a cell's padding only in px: a page that gives it in pt (as
// pages of earlier versions do) would print its cells run together. Added after
// the page's own rules, which it then overrides.
constexpr const char* paper_style = "td, th { padding-left: 3px; padding-right: 8px; }\n";

QString with_paper_style(QString html) {
    const qsizetype end = html.indexOf(QLatin1String("</style>"));
    if (end < 0) return QStringLiteral("<style>%1</style>").arg(QLatin1String(paper_style)) + html;
    return html.insert(end, QLatin1String(paper_style));
}

// A plot as a picture sharp enough for paper; a null image without the SVG module.
QImage plot_image(const QByteArray& svg) {
#ifdef SORVANE_HAVE_QT_SVG
    QSvgRenderer renderer(svg);
    if (!renderer.isValid()) return {};
    const QSize size = renderer.defaultSize().scaled(2000, 2000, Qt::KeepAspectRatio);
    QImage image(size, QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    renderer.render(&painter);
    return image;
#else
    (void)svg;
    return {};
#endif
}

// The picture tag of a plot: as wide as the text, as high as its own shape wants.
QString image_tag(const QString& name, const QImage& image) {
    const double width = text_width();
    const double height = width * image.height() / std::max(1, image.width());
    return QStringLiteral("<img src=\"%1\" width=\"%2\" height=\"%3\">")
        .arg(name)
        .arg(static_cast<int>(width))
        .arg(static_cast<int>(height));
}

// The layout shows no inline SVG (it would print the plot's labels as loose text):
// each one becomes a picture of itself; none is dropped silently.
QString with_plots_as_images(QString html, std::vector<std::pair<QString, QImage>>& images) {
    int count = 0;
    for (qsizetype at = html.indexOf(QLatin1String("<svg")); at >= 0;
         at = html.indexOf(QLatin1String("<svg"), at)) {
        const qsizetype close = html.indexOf(QLatin1String("</svg>"), at);
        if (close < 0) break;
        const qsizetype end = close + 6;
        const QImage image = plot_image(html.mid(at, end - at).toUtf8());
        const QString name = QStringLiteral("report-plot-%1").arg(++count);
        QString replacement = QStringLiteral("<p>(the plot cannot be drawn here)</p>");
        if (!image.isNull()) {
            images.emplace_back(name, image);
            replacement = image_tag(name, image);
        }
        html.replace(at, end - at, replacement);
        at += replacement.size();
    }
    return html;
}

// Which page a layout position falls on.
int page_of(double y, double page_height) {
    return static_cast<int>(y / page_height);
}

// The layout has no "keep with next": a heading that would end a page, its
// content on the next, starts that next page itself. Repeated until nothing moves,
// since each break shifts what follows.
void keep_headings_with_content(QTextDocument& document) {
    const double page_height = document.pageSize().height();
    for (bool moved = true; moved;) {
        moved = false;
        QAbstractTextDocumentLayout* layout = document.documentLayout();
        for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
            if (block.blockFormat().headingLevel() < 2) continue;
            // The content is the next block that shows something: a plot's frame
            // starts with an empty block of its own.
            QTextBlock next = block.next();
            while (next.isValid() && next.text().isEmpty()) next = next.next();
            if (!next.isValid()) continue;
            // The layout moves a line that would reach into the page's bottom margin
            // to the next page without moving its block: the line tells the page.
            const QRectF heading = layout->blockBoundingRect(block);
            const QTextLayout* lines = next.layout();
            const double content_end =
                lines->lineCount() > 0
                    ? layout->blockBoundingRect(next).top() + lines->lineAt(0).rect().bottom()
                    : layout->blockBoundingRect(next).bottom();
            if (page_of(heading.top(), page_height) == page_of(content_end, page_height)) continue;
            QTextBlockFormat format = block.blockFormat();
            if (format.pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore) continue;
            format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
            QTextCursor(block).setBlockFormat(format);
            moved = true;
            break;
        }
    }
}

}  // namespace

std::unique_ptr<QTextDocument> report_document(const ReportPage& page) {
    auto document = std::make_unique<QTextDocument>();
    const QFileInfo html_file(to_qt(page.html_path));
    document->setBaseUrl(QUrl::fromLocalFile(html_file.absolutePath() + QLatin1Char('/')));
    const bool inline_plot = page.html.find("<svg") != std::string::npos;
    // The pictures of the plots, added under the names the page uses once it is set.
    std::vector<std::pair<QString, QImage>> images;
    QString html = with_paper_style(with_plots_as_images(QString::fromUtf8(page.html), images));
    if (!inline_plot && !page.svg_path.empty()) {
        // A page that names its plot file gets the picture of it in its place.
        QFile svg(to_qt(page.svg_path));
        const QImage image = svg.open(QIODevice::ReadOnly) ? plot_image(svg.readAll()) : QImage();
        const QString name = QFileInfo(svg).fileName();
        if (!image.isNull()) {
            images.emplace_back(name, image);
            if (!html.contains(name))
                html += QStringLiteral("<p>%1</p>").arg(image_tag(name, image));
        }
    }
    // Pictures first: the layout looks each up once, when the page is set. They go
    // under the bare name and under the name resolved against the page's folder, as
    // the layout asks for one or the other.
    for (const auto& [name, image] : images) {
        document->addResource(QTextDocument::ImageResource, QUrl(name), image);
        document->addResource(QTextDocument::ImageResource,
                              document->baseUrl().resolved(QUrl(name)), image);
    }
    document->setHtml(html);
    // Laid out once on A4 in its own units, whatever prints it: the page breaks are
    // those of this layout, and a printer only scales the pages.
    document->setPageSize(a4_layout_size());
    QTextFrameFormat root = document->rootFrame()->frameFormat();
    root.setMargin(page_margin);
    document->rootFrame()->setFrameFormat(root);
    keep_headings_with_content(*document);
    return document;
}

void print_report(const ReportPage& page, QPagedPaintDevice& device) {
    report_document(page)->print(&device);
}

bool write_report_pdf(const ReportPage& page, const QString& path) {
    {
        QPdfWriter writer(path);
        // The page carries its own margins; the writer's would shrink it twice.
        writer.setPageLayout(
            QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
        writer.setResolution(300);
        writer.setTitle(QFileInfo(to_qt(page.html_path)).completeBaseName());
        writer.setCreator(QStringLiteral("Sorvane"));
        print_report(page, writer);
    }  // the file is complete once the writer is gone
    return QFileInfo(path).size() > 0;
}

std::string report_pdf_of_result(const FileSystem& fs, const std::string& result_path,
                                 const std::string& pdf_path) {
    if (!fs.file_exists(result_path)) return "there is no result " + result_path;
    const ReportPage page = find_report_page(fs, result_path);
    if (!page.problem.empty()) return page.problem;
    if (!write_report_pdf(page, to_qt(pdf_path))) return "cannot write " + pdf_path;
    return {};
}

}  // namespace sorvane
