#include "ui/qt/run_summary_view.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "platform/file_system.h"
#include "platform/ui.h"
#include "results/nuclide_list.h"
#include "results/peak_table.h"
#include "ui/qt/qt_text.h"
#include "ui/qt/result_view.h"

namespace sorvane {

RunSummaryView::RunSummaryView(std::vector<SummaryRow> rows, std::string res_dir, FileSystem& fs,
                               Ui& ui, QWidget* parent)
    : QMainWindow(parent), rows_(std::move(rows)), res_dir_(std::move(res_dir)), fs_(fs), ui_(ui) {
    setObjectName(QStringLiteral("RunSummaryView"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Run summary - %1").arg(to_qt(res_dir_)));
    // As the result views it opens: Escape closes it.
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this,
            &QWidget::close);
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    const bool nuclides = std::any_of(rows_.begin(), rows_.end(),
                                      [](const SummaryRow& row) { return !row.nuclides.empty(); });
    const int columns = nuclides ? 6 : 5;
    table_ = new QTableWidget(static_cast<int>(rows_.size()), columns, central);
    table_->setObjectName(QStringLiteral("summary_table"));
    QStringList headers{QStringLiteral("Spectrum"), QStringLiteral("Live time (s)"),
                        QStringLiteral("Peaks"), QStringLiteral("Strongest lines"),
                        QStringLiteral("Failure")};
    if (nuclides) headers << QStringLiteral("Nuclides");
    table_->setHorizontalHeaderLabels(headers);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->verticalHeader()->setVisible(false);
    for (std::size_t r = 0; r < rows_.size(); ++r) {
        const SummaryRow& row = rows_[r];
        const std::string cells[] = {row.name,      row.live_time, row.peaks,
                                     row.strongest, row.failure,   row.nuclides};
        for (int c = 0; c < columns; ++c)
            table_->setItem(static_cast<int>(r), c, new QTableWidgetItem(to_qt(cells[c])));
    }
    table_->resizeColumnsToContents();
    table_->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(table_, 1);
    if (!activity_nuclides(rows_).empty()) layout->addWidget(build_activities(central), 1);
    auto* buttons = new QHBoxLayout();
    auto* csv = new QPushButton(QStringLiteral("Export CSV..."), central);
    csv->setObjectName(QStringLiteral("export_csv"));
    buttons->addStretch(1);
    buttons->addWidget(csv);
    layout->addLayout(buttons);
    setCentralWidget(central);
    connect(csv, &QPushButton::clicked, this, &RunSummaryView::export_csv);
    connect(table_, &QTableWidget::cellDoubleClicked, this, [this](int row, int) {
        const auto& path = rows_[static_cast<std::size_t>(row)].result_path;
        if (!path.empty()) show_result(path, fs_, ui_, parentWidget());
    });
    resize(900, 420);
}

QWidget* RunSummaryView::build_activities(QWidget* parent) {
    auto* box = new QWidget(parent);
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    const std::vector<std::string> names = activity_nuclides(rows_);
    activities_ =
        new QTableWidget(static_cast<int>(rows_.size()), static_cast<int>(names.size()) + 1, box);
    activities_->setObjectName(QStringLiteral("activity_table"));
    QStringList headers{QStringLiteral("Spectrum")};
    for (const std::string& name : names) headers << to_qt(name);
    activities_->setHorizontalHeaderLabels(headers);
    activities_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    activities_->verticalHeader()->setVisible(false);
    for (std::size_t r = 0; r < rows_.size(); ++r) {
        const int row = static_cast<int>(r);
        activities_->setItem(row, 0, new QTableWidgetItem(to_qt(rows_[r].name)));
        for (const SummaryActivity& a : rows_[r].activities) {
            const auto column =
                std::find(names.begin(), names.end(), a.nuclide) - names.begin() + 1;
            auto* item = new QTableWidgetItem(to_qt(a.shown));
            std::string tip = verdict_in_words(verdict_of_word(a.verdict));
            if (!a.decision.empty() && a.decision != "-")
                tip += "; primary result " + a.primary_result + " +- " + a.d_primary_result +
                       ", identified: " + a.identified;
            item->setToolTip(to_qt(tip));
            activities_->setItem(row, static_cast<int>(column), item);
        }
    }
    activities_->resizeColumnsToContents();
    layout->addWidget(new QLabel(QStringLiteral("Activities"), box));
    layout->addWidget(activities_, 1);
    auto* buttons = new QHBoxLayout();
    auto* csv = new QPushButton(QStringLiteral("Export activities CSV..."), box);
    csv->setObjectName(QStringLiteral("export_activities_csv"));
    connect(csv, &QPushButton::clicked, this, &RunSummaryView::export_activities_csv);
    buttons->addStretch(1);
    buttons->addWidget(csv);
    layout->addLayout(buttons);
    return box;
}

void RunSummaryView::export_csv() {
    write_csv(summary_csv(rows_));
}

void RunSummaryView::export_activities_csv() {
    write_csv(activities_csv(rows_));
}

void RunSummaryView::write_csv(const std::string& text) {
    auto chosen = ui_.save_file_dialog("CSV file (*.csv)|*.csv", res_dir_);
    if (!chosen) return;
    const std::string path = with_csv_extension(*chosen);
    const FsResult written = fs_.write_file(path, text);
    if (!written.ok())
        ui_.message_box("cannot write " + path + ": " + written.reason, "Export CSV...",
                        Buttons::ok);
}

RunSummaryView* show_run_summary(const std::vector<std::string>& names, const std::string& res_dir,
                                 FileSystem& fs, Ui& ui, QWidget* parent,
                                 const std::optional<ThisRun>& this_run) {
    auto* view =
        new RunSummaryView(summarise_run(fs, res_dir, names, this_run), res_dir, fs, ui, parent);
    view->setWindowFlag(Qt::Window);
    view->show();
    return view;
}

}  // namespace sorvane
