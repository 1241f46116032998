#include "ui/qt/report_printing.h"

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTextDocument>
#include <QUrl>
#include <utility>
#include <vector>

#include "ui/qt/qt_text.h"

#ifdef SORVANE_HAVE_QT_SVG
#include <QSvgRenderer>
#endif

namespace sorvane {
namespace {

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
            replacement = QStringLiteral("<img src=\"%1\" width=\"640\">").arg(name);
        }
        html.replace(at, end - at, replacement);
        at += replacement.size();
    }
    return html;
}

}  // namespace

std::unique_ptr<QTextDocument> report_document(const ReportPage& page) {
    auto document = std::make_unique<QTextDocument>();
    const QFileInfo html_file(to_qt(page.html_path));
    document->setBaseUrl(QUrl::fromLocalFile(html_file.absolutePath() + QLatin1Char('/')));
    const bool inline_plot = page.html.find("<svg") != std::string::npos;
    // The pictures of the plots, added under the names the page uses once it is set.
    std::vector<std::pair<QString, QImage>> images;
    QString html = with_plots_as_images(QString::fromUtf8(page.html), images);
    if (!inline_plot && !page.svg_path.empty()) {
        // A page that names its plot file gets the picture of it in its place.
        QFile svg(to_qt(page.svg_path));
        const QImage image = svg.open(QIODevice::ReadOnly) ? plot_image(svg.readAll()) : QImage();
        const QString name = QFileInfo(svg).fileName();
        if (!image.isNull()) {
            images.emplace_back(name, image);
            if (!html.contains(name))
                html += QStringLiteral("<p><img src=\"%1\" width=\"640\"></p>").arg(name);
        }
    }
    document->setHtml(html);
    // The layout looks a picture up by its name resolved against the page's folder.
    for (const auto& [name, image] : images)
        document->addResource(QTextDocument::ImageResource,
                              document->baseUrl().resolved(QUrl(name)), image);
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
