#pragma once

#include <QMainWindow>
#include <string>

#include "results/opened_result.h"

class QCheckBox;
class QLabel;
class QTableWidget;

namespace sorvane {

class FileSystem;
class ResultPlotWidget;
class Ui;

// A window of its own showing one result: the plot with zoom, pan and read-out
// above, the peak table, the nuclides found and the run's calibration, options and
// messages below.
class ResultView final : public QMainWindow {
public:
    ResultView(OpenedResult opened, FileSystem& fs, Ui& ui, QWidget* parent = nullptr);

    const OpenedResult& opened() const { return opened_; }
    ResultPlotWidget* plot() const { return plot_; }
    QTableWidget* table() const { return table_; }
    // The nuclide list; none when the result holds no identification.
    QTableWidget* nuclides() const { return nuclides_; }

    // Selects the peak table's row of a mark and centres the plot on it.
    void select_mark(std::size_t mark);
    // The selected rows as text on the clipboard.
    void copy_rows();
    // Asks for a file name and writes the peak table as CSV.
    void export_csv();
    // The report page beside the result on a printer, or as a PDF file; without the
    // page the user is told why.
    void print_report();
    void export_report_pdf();

private:
    QWidget* build_plot_panel();
    QWidget* build_table_panel();
    QWidget* build_nuclide_panel(QWidget* parent);
    void fill_table();
    void on_row_selected();

    OpenedResult opened_;
    FileSystem& fs_;
    Ui& ui_;
    ResultPlotWidget* plot_ = nullptr;
    QTableWidget* table_ = nullptr;
    QTableWidget* nuclides_ = nullptr;
    QLabel* readout_ = nullptr;
    QCheckBox* log_counts_ = nullptr;
};

// Opens the result file in a new window (or a window saying why it cannot be read).
// A parent (the main window) closes it with itself.
ResultView* show_result(const std::string& path, FileSystem& fs, Ui& ui, QWidget* parent = nullptr);

}  // namespace sorvane
