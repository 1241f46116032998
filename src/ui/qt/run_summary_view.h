#pragma once

#include <QMainWindow>
#include <optional>
#include <string>
#include <vector>

#include "results/run_summary.h"

class QTableWidget;

namespace sorvane {

class FileSystem;
class Ui;

// The results of a run in one table: spectrum, live time, peaks, the strongest
// lines, why a spectrum failed and the nuclides identified; below it, when the run
// gave activities, a table of them. A double-click opens a result's view.
class RunSummaryView final : public QMainWindow {
public:
    RunSummaryView(std::vector<SummaryRow> rows, std::string res_dir, FileSystem& fs, Ui& ui,
                   QWidget* parent = nullptr);

    QTableWidget* table() const { return table_; }
    // The activities per nuclide (columns) per spectrum (rows); none without activities.
    QTableWidget* activities() const { return activities_; }
    void export_csv();
    void export_activities_csv();

private:
    std::vector<SummaryRow> rows_;
    std::string res_dir_;
    FileSystem& fs_;
    Ui& ui_;
    QTableWidget* table_ = nullptr;
    QTableWidget* activities_ = nullptr;

    QWidget* build_activities(QWidget* parent);
    void write_csv(const std::string& text);
};

// The summary of the named results in the result folder, in a window of its own.
RunSummaryView* show_run_summary(const std::vector<std::string>& names, const std::string& res_dir,
                                 FileSystem& fs, Ui& ui, QWidget* parent = nullptr,
                                 const std::optional<ThisRun>& this_run = std::nullopt);

}  // namespace sorvane
