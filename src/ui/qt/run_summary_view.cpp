#include "ui/qt/run_summary_view.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "platform/file_system.h"
#include "platform/ui.h"
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
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    table_ = new QTableWidget(static_cast<int>(rows_.size()), 5, central);
    table_->setObjectName(QStringLiteral("summary_table"));
    table_->setHorizontalHeaderLabels({QStringLiteral("Spectrum"), QStringLiteral("Live time (s)"),
                                       QStringLiteral("Peaks"), QStringLiteral("Strongest lines"),
                                       QStringLiteral("Failure")});
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->verticalHeader()->setVisible(false);
    for (std::size_t r = 0; r < rows_.size(); ++r) {
        const SummaryRow& row = rows_[r];
        const std::string cells[] = {row.name, row.live_time, row.peaks, row.strongest,
                                     row.failure};
        for (int c = 0; c < 5; ++c)
            table_->setItem(static_cast<int>(r), c, new QTableWidgetItem(to_qt(cells[c])));
    }
    table_->resizeColumnsToContents();
    table_->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(table_, 1);
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

void RunSummaryView::export_csv() {
    auto chosen = ui_.save_file_dialog("CSV file (*.csv)|*.csv", res_dir_);
    if (!chosen) return;
    const std::string path = with_csv_extension(*chosen);
    const FsResult written = fs_.write_file(path, summary_csv(rows_));
    if (!written.ok())
        ui_.message_box("cannot write " + path + ": " + written.reason, "Export CSV...",
                        Buttons::ok);
}

RunSummaryView* show_run_summary(const std::vector<std::string>& names, const std::string& res_dir,
                                 FileSystem& fs, Ui& ui, QWidget* parent) {
    auto* view = new RunSummaryView(summarise_run(fs, res_dir, names), res_dir, fs, ui, parent);
    view->setWindowFlag(Qt::Window);
    view->show();
    return view;
}

}  // namespace sorvane
