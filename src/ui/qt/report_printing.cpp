#include "ui/qt/report_printing.h"

#include <QFileInfo>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTextDocument>
#include <QUrl>

#include "ui/qt/qt_text.h"

#ifdef SORVANE_HAVE_QT_SVG
#include <QSvgRenderer>
#endif

namespace sorvane {
namespace {

// The plot as a picture sharp enough for paper; a null image without the SVG module.
QImage plot_image(const std::string& svg_path) {
#ifdef SORVANE_HAVE_QT_SVG
    QSvgRenderer renderer(to_qt(svg_path));
    if (!renderer.isValid()) return {};
    const QSize size = renderer.defaultSize().scaled(2000, 2000, Qt::KeepAspectRatio);
    QImage image(size, QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    renderer.render(&painter);
    return image;
#else
    (void)svg_path;
    return {};
#endif
}

}  // namespace

std::unique_ptr<QTextDocument> report_document(const ReportPage& page) {
    auto document = std::make_unique<QTextDocument>();
    QString html = to_qt(page.html);
    const QFileInfo html_file(to_qt(page.html_path));
    document->setBaseUrl(QUrl::fromLocalFile(html_file.absolutePath() + QLatin1Char('/')));
    if (!page.svg_path.empty()) {
        const QImage image = plot_image(page.svg_path);
        const QString name = QFileInfo(to_qt(page.svg_path)).fileName();
        if (!image.isNull()) {
            document->addResource(QTextDocument::ImageResource, QUrl(name), image);
            document->addResource(QTextDocument::ImageResource,
                                  QUrl::fromLocalFile(to_qt(page.svg_path)), image);
            // A page that draws its plot inline (which the layout cannot show) gets the
            // picture below it.
            if (!html.contains(name))
                html += QStringLiteral("<p><img src=\"%1\" width=\"640\"></p>").arg(name);
        }
    }
    document->setHtml(html);
    return document;
}

void print_report(const ReportPage& page, QPagedPaintDevice& device) {
    report_document(page)->print(&device);
}

bool write_report_pdf(const ReportPage& page, const QString& path) {
    QPdfWriter writer(path);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setTitle(QFileInfo(to_qt(page.html_path)).completeBaseName());
    writer.setCreator(QStringLiteral("Sorvane"));
    print_report(page, writer);
    return QFileInfo(path).size() > 0;
}

}  // namespace sorvane
