#pragma once

#include <QDialog>
#include <optional>
#include <string>
#include <vector>

#include "activity/efficiency_curve.h"
#include "nuclides/line_library.h"
#include "results/result_file.h"
#include "results/standard_calibration.h"
#include "results/summing_calibration.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTableWidget;

namespace sorvane {

class EfficiencyPlot;
class FileSystem;
class Ui;

// The efficiency calibration from the result of a standard source: per identified
// nuclide the certified activity, its uncertainty and date (each nuclide its own:
// mixed standards are common), the order of the curve; the points and the curve
// with its band are shown as they are typed, and the curve is saved as an
// efficiency file that the nuclide settings can name.
class EfficiencyDialog final : public QDialog {
public:
    EfficiencyDialog(nuclides::LineLibrary library, std::string settings_path, FileSystem& fs,
                     Ui& ui, QWidget* parent = nullptr);

    // Reads a standard's result; false (the user told why) when it has no nuclides.
    bool load_standard(const std::string& result_path);
    QTableWidget* certificates() const { return table_; }
    QSpinBox* order() const { return order_; }
    const std::optional<activity::EfficiencyFit>& fit() const { return fit_; }
    // Asks for a file name and writes the curve; then offers to name it in the settings.
    void save();
    // Fills the table from a certificate file (its rows that name the standard's
    // result, or all when they are of one source) and says what was taken; a
    // certificate of photon rates per line is used beside the table. False (the user
    // told why) when the file cannot be used.
    bool import_certificate(const std::string& path);
    // Corrects the standard's lines for true-coincidence summing with the detector's
    // peak-to-total curve in `path` (as `sorvanecli peak-to-total` writes it) and the
    // cascades in `cascades_folder`; false (the user told why) when it cannot be used,
    // and the lines are left as they were.
    bool use_peak_to_total(const std::string& path);
    // Where the bundled cascades are: the bundled line library's folder.
    void set_cascades_folder(std::string folder) { cascades_folder_ = std::move(folder); }

private:
    std::vector<Certificate> read_certificates();
    std::vector<Certificate> line_rates_;  // photon rates per line from an imported certificate
    void refit();

    nuclides::LineLibrary library_;
    std::string settings_path_;
    FileSystem& fs_;
    Ui& ui_;
    std::string result_path_;
    ResultModel standard_;
    std::optional<activity::EfficiencyFit> fit_;
    std::string cascades_folder_;
    std::optional<SummingInputs> summing_;
    std::string peak_to_total_path_;  // the file summing_ came from
    QLineEdit* source_ = nullptr;
    QLineEdit* standard_name_ = nullptr;
    QTableWidget* table_ = nullptr;
    QSpinBox* order_ = nullptr;
    EfficiencyPlot* plot_ = nullptr;
    QLabel* summary_ = nullptr;
    QPushButton* save_ = nullptr;
};

// Opens the dialog (window-modal) with the line library the nuclide settings in
// `system_dir` name, the bundled one looked for beside the runtime in `runtime_dir`.
EfficiencyDialog* open_efficiency_dialog(const std::string& system_dir,
                                         const std::string& runtime_dir, FileSystem& fs, Ui& ui,
                                         QWidget* parent);

}  // namespace sorvane
