#include "ui/qt/result_view.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QShortcut>
#include <QSplitter>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>
#include <set>

#include "platform/file_system.h"
#include "platform/ui.h"
#include "results/nuclide_list.h"
#include "results/option_words.h"
#include "results/peak_table.h"
#include "results/report_page.h"
#include "results/result_writer.h"
#include "ui/qt/qt_text.h"
#include "ui/qt/report_printing.h"
#include "ui/qt/result_plot_widget.h"

namespace sorvane {
namespace {

// Sorts by the number behind the cell, not by its text; text cells by text.
class SortItem final : public QTableWidgetItem {
public:
    SortItem(const QString& text, std::optional<double> key) : QTableWidgetItem(text), key_(key) {}
    bool operator<(const QTableWidgetItem& other) const override {
        const auto* that = dynamic_cast<const SortItem*>(&other);
        if (that && key_ && that->key_) return *key_ < *that->key_;
        if (that && key_ != that->key_) return key_.has_value();  // numbers before blanks
        return QTableWidgetItem::operator<(other);
    }

private:
    std::optional<double> key_;
};

QString section_text(const NamedValues& values) {
    QString text;
    for (const auto& [name, value] : values) text += to_qt(name) + " = " + to_qt(value) + "\n";
    return text;
}

QPlainTextEdit* read_only_text(const QString& text, QWidget* parent, const char* name) {
    auto* edit = new QPlainTextEdit(text, parent);
    edit->setReadOnly(true);
    edit->setObjectName(QString::fromLatin1(name));
    return edit;
}

// A read-only table with the given column headers; rows are set by the caller.
QTableWidget* filled_table(const std::vector<std::string>& headers, std::size_t rows,
                           QWidget* parent, const char* name) {
    auto* table = new QTableWidget(parent);
    table->setObjectName(QString::fromLatin1(name));
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->verticalHeader()->setVisible(false);
    table->setColumnCount(static_cast<int>(headers.size()));
    table->setRowCount(static_cast<int>(rows));
    QStringList labels;
    for (const std::string& header : headers) labels << to_qt(header);
    table->setHorizontalHeaderLabels(labels);
    table->horizontalHeader()->setStretchLastSection(true);
    return table;
}

}  // namespace

ResultView::ResultView(OpenedResult opened, FileSystem& fs, Ui& ui, QWidget* parent)
    : QMainWindow(parent), opened_(std::move(opened)), fs_(fs), ui_(ui) {
    setObjectName(QStringLiteral("ResultView"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(to_qt(opened_.name) + QStringLiteral(" - result"));
    // A window of its own that a reader opens and closes often: Escape closes it.
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this,
            &QWidget::close);
    auto* splitter = new QSplitter(Qt::Vertical, this);
    splitter->addWidget(build_plot_panel());
    splitter->addWidget(build_table_panel());
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 2);
    setCentralWidget(splitter);
    resize(1000, 720);
}

QWidget* ResultView::build_plot_panel() {
    auto* panel = new QWidget(this);
    auto* layout = new QVBoxLayout(panel);
    std::vector<std::string> notes = opened_.notes;
    if (!opened_.error.empty()) notes.insert(notes.begin(), opened_.error);
    if (!notes.empty()) {
        QString text;
        for (const auto& note : notes) text += (text.isEmpty() ? "" : "\n") + to_qt(note);
        auto* label = new QLabel(text, panel);
        label->setObjectName(QStringLiteral("note"));
        label->setWordWrap(true);
        label->setStyleSheet(QStringLiteral("QLabel { background: #fff4d0; padding: 6px; }"));
        layout->addWidget(label);
    }
    auto* bar = new QHBoxLayout();
    auto* whole = new QPushButton(QStringLiteral("Whole spectrum"), panel);
    whole->setObjectName(QStringLiteral("whole"));
    log_counts_ = new QCheckBox(QStringLiteral("Log counts"), panel);
    log_counts_->setObjectName(QStringLiteral("log_counts"));
    log_counts_->setChecked(true);
    readout_ = new QLabel(panel);
    readout_->setObjectName(QStringLiteral("readout"));
    bar->addWidget(whole);
    bar->addWidget(log_counts_);
    bar->addStretch(1);
    bar->addWidget(readout_);
    auto* print = new QPushButton(QStringLiteral("Print..."), panel);
    print->setObjectName(QStringLiteral("print_report"));
    auto* pdf = new QPushButton(QStringLiteral("Export PDF..."), panel);
    pdf->setObjectName(QStringLiteral("export_pdf"));
    bar->addWidget(print);
    bar->addWidget(pdf);
    connect(print, &QPushButton::clicked, this, &ResultView::print_report);
    connect(pdf, &QPushButton::clicked, this, &ResultView::export_report_pdf);
    layout->addLayout(bar);
    plot_ = new ResultPlotWidget(panel);
    plot_->setObjectName(QStringLiteral("plot"));
    const bool drawable = opened_.error.empty() && opened_.picture.has_counts();
    plot_->set_picture(drawable ? &opened_.picture : nullptr);
    plot_->setVisible(drawable);
    whole->setEnabled(drawable);
    log_counts_->setEnabled(drawable);
    layout->addWidget(plot_, 1);
    connect(whole, &QPushButton::clicked, this, [this] {
        if (plot_->view()) plot_->view()->reset();
        plot_->refresh();
    });
    connect(log_counts_, &QCheckBox::toggled, this, [this](bool on) {
        if (plot_->view()) plot_->view()->set_log_y(on);
        plot_->refresh();
    });
    plot_->on_readout = [this](const QString& text) { readout_->setText(text); };
    plot_->on_mark_clicked = [this](std::size_t mark) { select_mark(mark); };
    return panel;
}

QWidget* ResultView::build_table_panel() {
    auto* tabs = new QTabWidget(this);
    tabs->setObjectName(QStringLiteral("result_tabs"));
    auto* peaks = new QWidget(tabs);
    auto* layout = new QVBoxLayout(peaks);
    table_ = new QTableWidget(peaks);
    table_->setObjectName(QStringLiteral("peak_table"));
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->verticalHeader()->setVisible(false);
    fill_table();
    layout->addWidget(table_, 1);
    auto* buttons = new QHBoxLayout();
    auto* copy = new QPushButton(QStringLiteral("Copy"), peaks);
    auto* csv = new QPushButton(QStringLiteral("Export CSV..."), peaks);
    copy->setObjectName(QStringLiteral("copy"));
    csv->setObjectName(QStringLiteral("export_csv"));
    buttons->addStretch(1);
    buttons->addWidget(copy);
    buttons->addWidget(csv);
    layout->addLayout(buttons);
    connect(copy, &QPushButton::clicked, this, &ResultView::copy_rows);
    connect(csv, &QPushButton::clicked, this, &ResultView::export_csv);
    auto* shortcut = new QShortcut(QKeySequence::Copy, table_);
    connect(shortcut, &QShortcut::activated, this, &ResultView::copy_rows);
    connect(table_, &QTableWidget::itemSelectionChanged, this, &ResultView::on_row_selected);
    tabs->addTab(peaks, QStringLiteral("Peaks"));
    if (!opened_.result.nuclides.columns.empty()) {
        const auto found = identified_nuclides(opened_.result).size();
        tabs->addTab(build_nuclide_panel(tabs), QStringLiteral("Nuclides (%1)").arg(found));
    }

    const ResultModel& r = opened_.result;
    tabs->addTab(read_only_text(
                     section_text(spectrum_values(r)) + "\n" + section_text(calibration_values(r)),
                     tabs, "calibration"),
                 QStringLiteral("Spectrum and calibration"));
    QString options;
    for (const std::string& line : options_in_words(options_values(r)))
        options += to_qt(line) + "\n";
    tabs->addTab(read_only_text(options, tabs, "options"), QStringLiteral("Options"));
    QString messages;
    for (const auto& m : r.messages) messages += to_qt(m) + "\n";
    tabs->addTab(
        read_only_text(messages.isEmpty() ? QStringLiteral("(none)") : messages, tabs, "messages"),
        QStringLiteral("Messages (%1)").arg(r.messages.size()));
    return tabs;
}

QWidget* ResultView::build_nuclide_panel(QWidget* parent) {
    const ResultModel& r = opened_.result;
    const NuclideList list = nuclide_list(r);
    auto* panel = new QWidget(parent);
    auto* layout = new QVBoxLayout(panel);
    QString notes;
    for (const std::string& note : list.notes) notes += to_qt(note) + "\n";
    if (const auto recal = recalibration(r)) {
        notes += QStringLiteral("energy recalibrated from %1 lines").arg(recal->lines);
        if (recal->rms_kev)
            notes += QStringLiteral(", residuals %1 keV rms").arg(*recal->rms_kev, 0, 'g', 3);
        notes += "\n";
    }
    if (!notes.isEmpty()) {
        auto* label = new QLabel(notes.trimmed(), panel);
        label->setObjectName(QStringLiteral("nuclide_notes"));
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        layout->addWidget(label);
    }
    nuclides_ = filled_table(list.headers, list.rows.size(), panel, "nuclide_list");
    for (std::size_t row = 0; row < list.rows.size(); ++row) {
        const NuclideListRow& line = list.rows[row];
        for (std::size_t col = 0; col < line.cells.size(); ++col) {
            auto* item = new QTableWidgetItem(to_qt(line.cells[col]));
            QFont font = item->font();
            font.setBold(line.identified && col == 0);
            item->setFont(font);
            if (line.flagged) item->setBackground(QColor(0xff, 0xe0, 0x99));
            nuclides_->setItem(static_cast<int>(row), static_cast<int>(col), item);
        }
    }
    nuclides_->resizeColumnsToContents();
    layout->addWidget(nuclides_, 2);

    const std::vector<UnexplainedPeak> unexplained = unexplained_peaks(r);
    layout->addWidget(new QLabel(
        QStringLiteral("Peaks no nuclide explains (%1)").arg(unexplained.size()), panel));
    auto* rest = filled_table({"No.", "Energy (keV)", "Area", "Flags"}, unexplained.size(), panel,
                              "unexplained_peaks");
    for (std::size_t row = 0; row < unexplained.size(); ++row) {
        const UnexplainedPeak& peak = unexplained[row];
        const std::string cells[] = {peak.number, peak.energy, peak.area, peak.flags};
        for (int col = 0; col < 4; ++col)
            rest->setItem(static_cast<int>(row), col, new QTableWidgetItem(to_qt(cells[col])));
    }
    rest->resizeColumnsToContents();
    layout->addWidget(rest, 1);
    return panel;
}

void ResultView::fill_table() {
    const PeakTable& t = opened_.table;
    table_->setColumnCount(static_cast<int>(t.headers.size()));
    table_->setRowCount(static_cast<int>(t.rows.size()));
    QStringList headers;
    for (const auto& h : t.headers) headers << to_qt(h);
    table_->setHorizontalHeaderLabels(headers);
    for (std::size_t row = 0; row < t.rows.size(); ++row) {
        for (std::size_t col = 0; col < t.rows[row].cells.size(); ++col) {
            auto* item = new SortItem(to_qt(t.rows[row].cells[col]), t.rows[row].keys[col]);
            // The table's own row: sorting moves items, not this.
            item->setData(Qt::UserRole, static_cast<qulonglong>(row));
            if (t.rows[row].keys[col]) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            table_->setItem(static_cast<int>(row), static_cast<int>(col), item);
        }
    }
    table_->setSortingEnabled(true);
    table_->sortByColumn(0, Qt::AscendingOrder);
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->resizeColumnsToContents();
}

void ResultView::on_row_selected() {
    const auto items = table_->selectedItems();
    if (items.isEmpty()) {
        plot_->set_highlight(std::nullopt);
        return;
    }
    const auto row = items.front()->data(Qt::UserRole).toULongLong();
    const std::size_t result_row = opened_.table.rows[row].result_row;
    const auto& marks = opened_.picture.marks;
    for (std::size_t m = 0; m < marks.size(); ++m) {
        if (marks[m].row != result_row) continue;
        if (plot_->view()) plot_->view()->centre_on(marks[m].x);
        plot_->set_highlight(m);
        return;
    }
}

void ResultView::select_mark(std::size_t mark) {
    if (mark >= opened_.picture.marks.size()) return;
    const std::size_t result_row = opened_.picture.marks[mark].row;
    for (int r = 0; r < table_->rowCount(); ++r) {
        const auto row = table_->item(r, 0)->data(Qt::UserRole).toULongLong();
        if (opened_.table.rows[row].result_row == result_row) {
            table_->selectRow(r);
            table_->scrollToItem(table_->item(r, 0));
            return;
        }
    }
}

void ResultView::copy_rows() {
    std::set<std::size_t> rows;
    for (const QTableWidgetItem* item : table_->selectedItems())
        rows.insert(item->data(Qt::UserRole).toULongLong());
    std::vector<std::size_t> chosen;
    // Nothing selected copies the whole table, in the order shown.
    for (int r = 0; r < table_->rowCount(); ++r) {
        const auto row = table_->item(r, 0)->data(Qt::UserRole).toULongLong();
        if (rows.empty() || rows.count(row)) chosen.push_back(row);
    }
    QApplication::clipboard()->setText(to_qt(table_text(opened_.table, chosen)));
}

void ResultView::export_csv() {
    const auto slash = opened_.path.find_last_of("/\\");
    const std::string folder =
        slash == std::string::npos ? std::string() : opened_.path.substr(0, slash);
    auto chosen = ui_.save_file_dialog("CSV file (*.csv)|*.csv", folder);
    if (!chosen) return;
    const std::string path = with_csv_extension(*chosen);
    const FsResult written = fs_.write_file(path, peaks_csv(opened_.result));
    if (!written.ok())
        ui_.message_box("cannot write " + path + ": " + written.reason, "Export CSV...",
                        Buttons::ok);
}

void ResultView::print_report() {
    const ReportPage page = find_report_page(fs_, opened_.path);
    if (!page.problem.empty()) {
        ui_.message_box(page.problem, "Print...", Buttons::ok);
        return;
    }
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() == QDialog::Accepted) sorvane::print_report(page, printer);
}

void ResultView::export_report_pdf() {
    const ReportPage page = find_report_page(fs_, opened_.path);
    if (!page.problem.empty()) {
        ui_.message_box(page.problem, "Export PDF...", Buttons::ok);
        return;
    }
    const auto chosen =
        ui_.save_file_dialog("PDF file (*.pdf)|*.pdf", default_pdf_path(opened_.path));
    if (!chosen) return;
    const std::string path = with_pdf_extension(*chosen);
    if (!write_report_pdf(page, to_qt(path)))
        ui_.message_box("cannot write " + path, "Export PDF...", Buttons::ok);
}

ResultView* show_result(const std::string& path, FileSystem& fs, Ui& ui, QWidget* parent) {
    auto* view = new ResultView(open_result(fs, path), fs, ui, parent);
    view->setWindowFlag(Qt::Window);
    view->show();
    return view;
}

}  // namespace sorvane
