#include "ui/qt/efficiency_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "activity/certificate_file.h"
#include "activity/decay.h"
#include "activity/efficiency_storage.h"
#include "control/nuclide_settings_store.h"
#include "corrections/cascade_files.h"
#include "nuclides/library_files.h"
#include "pipeline/line_corrections.h"
#include "platform/system_folder.h"
#include "platform/ui.h"
#include "results/certificate_calibration.h"
#include "results/nuclide_list.h"
#include "ui/qt/efficiency_plot.h"
#include "ui/qt/qt_text.h"

namespace sorvane {
namespace {

constexpr std::string_view dialog_title = "Efficiency calibration";
enum Column { nuclide_column, activity_column, uncertainty_column, date_column };

std::string cell_text(const QTableWidget& table, int row, int column) {
    const QTableWidgetItem* item = table.item(row, column);
    return item ? from_qt(item->text().trimmed()) : std::string();
}

void mark(QTableWidgetItem* item, const std::string& problem) {
    if (!item) return;
    item->setToolTip(to_qt(problem));
    item->setBackground(problem.empty() ? QBrush() : QBrush(QColor(0xff, 0xe0, 0x99)));
}

// A number typed with "." or "," as decimal mark, or nothing.
std::optional<double> typed_number(std::string text) {
    for (char& c : text)
        if (c == ',') c = '.';
    return parse_number(text);
}

std::string with_eff_extension(std::string path) {
    const auto name_start = path.find_last_of("/\\");
    if (path.find('.', name_start == std::string::npos ? 0 : name_start) == std::string::npos)
        path += ".eff";
    return path;
}

}  // namespace

EfficiencyDialog::EfficiencyDialog(nuclides::LineLibrary library, std::string settings_path,
                                   FileSystem& fs, Ui& ui, QWidget* parent)
    : QDialog(parent),
      library_(std::move(library)),
      settings_path_(std::move(settings_path)),
      fs_(fs),
      ui_(ui) {
    setObjectName(QStringLiteral("EfficiencyCalibration"));
    setWindowTitle(to_qt(dialog_title));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout();
    auto* source_row = new QHBoxLayout();
    source_ = new QLineEdit(this);
    source_->setObjectName(QStringLiteral("standard_result"));
    source_->setReadOnly(true);
    source_->setPlaceholderText(QStringLiteral("the result of a standard, with its nuclides"));
    auto* open = new QPushButton(QStringLiteral("Open..."), this);
    open->setObjectName(QStringLiteral("open_standard"));
    source_row->addWidget(source_, 1);
    source_row->addWidget(open);
    form->addRow(QStringLiteral("Standard result"), source_row);
    standard_name_ = new QLineEdit(this);
    standard_name_->setObjectName(QStringLiteral("standard_name"));
    form->addRow(QStringLiteral("Standard"), standard_name_);
    order_ = new QSpinBox(this);
    order_->setObjectName(QStringLiteral("order"));
    order_->setRange(activity::lowest_efficiency_order, activity::highest_efficiency_order);
    order_->setValue(3);
    form->addRow(QStringLiteral("Order of ln(eff) in ln(E)"), order_);
    layout->addLayout(form);

    table_ = new QTableWidget(0, 4, this);
    table_->setObjectName(QStringLiteral("certificates"));
    table_->setHorizontalHeaderLabels({QStringLiteral("Nuclide"),
                                       QStringLiteral("Certified activity (Bq)"),
                                       QStringLiteral("Uncertainty (Bq)"),
                                       QStringLiteral("Certificate date (YYYY-MM-DD HH:MM:SS)")});
    table_->verticalHeader()->setVisible(false);
    table_->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(table_, 1);
    plot_ = new EfficiencyPlot(this);
    plot_->setObjectName(QStringLiteral("efficiency_plot"));
    layout->addWidget(plot_, 2);
    summary_ = new QLabel(this);
    summary_->setObjectName(QStringLiteral("fit_summary"));
    summary_->setWordWrap(true);
    layout->addWidget(summary_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    save_ = buttons->addButton(QStringLiteral("Save..."), QDialogButtonBox::ActionRole);
    save_->setObjectName(QStringLiteral("save_efficiency"));
    save_->setEnabled(false);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(save_, &QPushButton::clicked, this, &EfficiencyDialog::save);
    auto* import =
        buttons->addButton(QStringLiteral("Certificate..."), QDialogButtonBox::ActionRole);
    import->setObjectName(QStringLiteral("import_certificate"));
    connect(import, &QPushButton::clicked, this, [this] {
        const auto chosen = ui_.open_file_dialog("certificate (*.csv)|*.csv",
                                                 folder_of_path(result_path_, fs_.separator()));
        if (chosen) import_certificate(*chosen);
    });
    auto* peak_to_total =
        buttons->addButton(QStringLiteral("Peak-to-total..."), QDialogButtonBox::ActionRole);
    peak_to_total->setObjectName(QStringLiteral("choose_peak_to_total"));
    peak_to_total->setToolTip(
        QStringLiteral("Correct the lines for true-coincidence summing with the detector's "
                       "peak-to-total curve"));
    connect(peak_to_total, &QPushButton::clicked, this, [this] {
        const auto chosen = ui_.open_file_dialog("peak-to-total curve (*.txt)|*.txt",
                                                 folder_of_path(result_path_, fs_.separator()));
        if (chosen) use_peak_to_total(*chosen);
    });
    connect(open, &QPushButton::clicked, this, [this] {
        const auto chosen = ui_.open_file_dialog("result (*.res)|*.res",
                                                 folder_of_path(result_path_, fs_.separator()));
        if (chosen) load_standard(*chosen);
    });
    connect(order_, &QSpinBox::valueChanged, this, [this] { refit(); });
    connect(table_, &QTableWidget::itemChanged, this, [this] { refit(); });
    connect(standard_name_, &QLineEdit::textEdited, this, [this] { refit(); });
    resize(760, 720);
    refit();
}

bool EfficiencyDialog::load_standard(const std::string& result_path) {
    std::string text;
    const FsResult read = fs_.read_file(result_path, text);
    ResultModel result = read.ok() ? read_result(text) : ResultModel{};
    const std::vector<std::string> names = identified_nuclides(result);
    if (!read.ok() || names.empty()) {
        ui_.message_box("The standard's result " + result_path +
                            (read.ok() ? " names no identified nuclide: analyse the standard "
                                         "with identification on first."
                                       : " could not be read.\r\n" + read.reason),
                        dialog_title, Buttons::ok);
        return false;
    }
    result_path_ = result_path;
    standard_ = std::move(result);
    source_->setText(to_qt(result_path));
    if (standard_name_->text().isEmpty()) {
        const auto slash = result_path.find_last_of("/\\");
        std::string name = slash == std::string::npos ? result_path : result_path.substr(slash + 1);
        standard_name_->setText(to_qt(name.substr(0, name.rfind('.'))));
    }
    const QSignalBlocker blocker(table_);
    table_->setRowCount(static_cast<int>(names.size()));
    for (std::size_t row = 0; row < names.size(); ++row) {
        auto* name = new QTableWidgetItem(to_qt(names[row]));
        name->setFlags(name->flags() & ~Qt::ItemIsEditable);
        table_->setItem(static_cast<int>(row), nuclide_column, name);
        for (int column : {activity_column, uncertainty_column, date_column})
            table_->setItem(static_cast<int>(row), column, new QTableWidgetItem());
    }
    table_->resizeColumnsToContents();
    refit();
    return true;
}

// Rows without an activity are not in the standard; a row with a value that cannot
// be used is marked and left out until it is mended.
std::vector<Certificate> EfficiencyDialog::read_certificates() {
    const QSignalBlocker blocker(table_);
    std::vector<Certificate> certificates;
    for (int row = 0; row < table_->rowCount(); ++row) {
        const std::string activity = cell_text(*table_, row, activity_column);
        const std::string uncertainty = cell_text(*table_, row, uncertainty_column);
        const std::string date = cell_text(*table_, row, date_column);
        const auto a = typed_number(activity);
        const auto u = typed_number(uncertainty);
        const bool used = !activity.empty();
        const std::string a_problem = used && !(a && *a > 0.0) ? "a positive number of Bq" : "";
        const std::string u_problem =
            used && !(u && *u >= 0.0) ? "a number of Bq, 0 or more (standard uncertainty)" : "";
        const std::string d_problem = used && !activity::seconds_of_date(date)
                                          ? "the certificate's date: YYYY-MM-DD HH:MM:SS"
                                          : "";
        mark(table_->item(row, activity_column), a_problem);
        mark(table_->item(row, uncertainty_column), u_problem);
        mark(table_->item(row, date_column), d_problem);
        if (used && a_problem.empty() && u_problem.empty() && d_problem.empty())
            certificates.push_back({cell_text(*table_, row, nuclide_column), *a, *u, date});
    }
    return certificates;
}

bool EfficiencyDialog::import_certificate(const std::string& path) {
    std::string text;
    const FsResult read = fs_.read_file(path, text);
    if (!read.ok()) {
        ui_.message_box("The certificate " + path + " could not be read.\r\n" + read.reason,
                        dialog_title, Buttons::ok);
        return false;
    }
    const activity::CertificateRead certificate = activity::parse_certificate_file(text, path);
    const auto slash = result_path_.find_last_of("/\\");
    std::string spectrum =
        slash == std::string::npos ? result_path_ : result_path_.substr(slash + 1);
    spectrum = spectrum.substr(0, spectrum.rfind('.'));
    activity::CertificateChoice choice = activity::choose_certificate(certificate, spectrum, "");
    // A file of one source needs no spectra column naming this result.
    if (!choice.problem.empty() && certificate.problem.empty() && !certificate.values.empty() &&
        std::all_of(certificate.values.begin(), certificate.values.end(),
                    [&](const activity::CertifiedValue& v) {
                        return v.source == certificate.values.front().source;
                    }))
        choice =
            activity::choose_certificate(certificate, spectrum, certificate.values.front().source);
    if (!choice.problem.empty()) {
        ui_.message_box("The certificate cannot be used.\r\n" + choice.problem, dialog_title,
                        Buttons::ok);
        return false;
    }
    line_rates_.clear();
    std::string said = "Taken from " + path + " (standard uncertainties):";
    {
        const QSignalBlocker blocker(table_);
        for (const activity::CertifiedValue& value : choice.values) {
            said += "\r\n" + value.nuclide + ": " + value.taken;
            if (value.quantity == activity::CertifiedQuantity::photon_rate) {
                line_rates_.push_back(certificates_of({value}).front());
                continue;
            }
            for (int row = 0; row < table_->rowCount(); ++row) {
                if (cell_text(*table_, row, nuclide_column) != value.nuclide) continue;
                table_->item(row, activity_column)->setText(QString::number(value.value, 'g', 8));
                table_->item(row, uncertainty_column)
                    ->setText(QString::number(value.standard_uncertainty, 'g', 4));
                table_->item(row, date_column)->setText(to_qt(value.reference_time));
            }
        }
    }
    said += "\r\nThe certificate's reference time (" +
            (choice.values.front().time_zone.empty() ? std::string("no zone named")
                                                     : choice.values.front().time_zone) +
            ") and the spectrum's start are taken in one time zone.";
    refit();
    ui_.message_box(said, dialog_title, Buttons::ok);
    return true;
}

bool EfficiencyDialog::use_peak_to_total(const std::string& path) {
    std::string text, why;
    const FsResult read = fs_.read_file(path, text);
    const auto curve = read.ok() ? corrections::read_peak_to_total(text, why) : std::nullopt;
    if (!curve) {
        ui_.message_box("The peak-to-total file " + path + " cannot be used.\r\n" +
                            (read.ok() ? why : read.reason),
                        dialog_title, Buttons::ok);
        return false;
    }
    const std::string cascades_path =
        cascades_folder_ + std::string(corrections::bundled_cascades_file);
    SummingInputs inputs{*curve, corrections::load_cascades(fs_, {cascades_path})};
    if (inputs.cascades.cascades.empty()) {
        std::string said = "No cascades were found in " + cascades_path + ".";
        for (const std::string& problem : inputs.cascades.problems) said += "\r\n" + problem;
        ui_.message_box(said, dialog_title, Buttons::ok);
        return false;
    }
    // The standard in the jar the nuclide settings size: its factors over the jar's
    // volume, as the runtime takes a sample's.
    const NuclideSettings settings = load_nuclide_settings(settings_path_, fs_).settings;
    std::string no_table;
    inputs.cells = standard_jar_cells(fs_, cascades_folder_, settings, no_table);
    if (!no_table.empty()) {
        ui_.message_box(
            "The nuclide settings give the standard's matter, but the attenuation "
            "table cannot be read.\r\n" +
                no_table,
            dialog_title, Buttons::ok);
        return false;
    }
    summing_ = std::move(inputs);
    peak_to_total_path_ = path;
    refit();
    return true;
}

namespace {

// "summing corrected (N rounds): Eu-152 121.8 keV 0.912, ..." for the lines a cascade holds.
// The rounds are followed by ", over the nuclide settings' jar" when the factors are averaged
// over one.
QString summing_text(const SummedFit& summed, bool over_the_jar) {
    QString text =
        QStringLiteral("\nsumming corrected (%1 rounds%2):")
            .arg(summed.rounds)
            .arg(over_the_jar ? QStringLiteral(", over the nuclide settings' jar") : QString());
    bool first = true;
    for (const SummedPoint& p : summed.points) {
        if (!p.corrected) continue;
        text += QStringLiteral("%1 %2 %3 keV %4")
                    .arg(first ? QString() : QStringLiteral(","))
                    .arg(to_qt(p.point.nuclide))
                    .arg(p.point.energy_kev, 0, 'f', 1)
                    .arg(p.factor, 0, 'f', 3);
        first = false;
    }
    if (!summed.uncorrected.empty()) {
        text += QStringLiteral("\nno cascade (factor 1):");
        for (const std::string& name : summed.uncorrected) text += " " + to_qt(name);
    }
    return text;
}

}  // namespace

void EfficiencyDialog::refit() {
    fit_.reset();
    std::vector<Certificate> certificates = read_certificates();
    certificates.insert(certificates.end(), line_rates_.begin(), line_rates_.end());
    StandardPoints points = standard_points(standard_, library_, certificates);
    QString text, summed_text;
    if (!points.points.empty()) {
        const std::string name = from_qt(standard_name_->text().trimmed());
        if (summing_) {
            const SummedFit summed =
                fit_with_summing(points.points, order_->value(), name, *summing_);
            fit_ = summed.fit;
            summed_text = summing_text(summed, summing_->cells != nullptr);
            for (std::size_t i = 0; i < points.points.size(); ++i)
                points.points[i] = summed.points[i].point;
        } else {
            fit_ = activity::fit_efficiency(points.points, order_->value(), name);
        }
        if (fit_->problem.empty()) {
            const activity::EfficiencyCurve& c = fit_->curve;
            text = QStringLiteral("reduced chi^2 = %1 from %2 points, %3 to %4 keV, order %5")
                       .arg(c.chi2_reduced, 0, 'g', 3)
                       .arg(c.points)
                       .arg(c.energy_min_kev, 0, 'f', 1)
                       .arg(c.energy_max_kev, 0, 'f', 1)
                       .arg(c.order);
        } else {
            text = to_qt(fit_->problem);
        }
    } else {
        text = QStringLiteral(
            "Give the certified activity, its uncertainty and date of each "
            "nuclide of the standard.");
    }
    text += summed_text;
    for (const std::string& note : points.notes) text += "\n" + to_qt(note);
    summary_->setText(text);
    const bool fitted = fit_ && fit_->problem.empty();
    plot_->show_fit(points.points,
                    fitted ? sample_curve(fit_->curve, 120) : std::vector<CurveSample>{});
    save_->setEnabled(fitted);
}

void EfficiencyDialog::save() {
    if (!fit_ || !fit_->problem.empty()) return;
    const auto chosen = ui_.save_file_dialog("efficiency file (*.eff)|*.eff",
                                             folder_of_path(result_path_, fs_.separator()));
    if (!chosen) return;
    const std::string path = with_eff_extension(*chosen);
    const FsResult written = activity::save_efficiency_file(fs_, path, fit_->curve);
    if (!written.ok()) {
        ui_.message_box(
            "The efficiency file " + path + " could not be written.\r\n" + written.reason,
            dialog_title, Buttons::ok);
        return;
    }
    if (ui_.message_box("Use " + path + " for activities (in the nuclide settings)?", dialog_title,
                        Buttons::yes_no) != Answer::yes)
        return;
    NuclideSettingsLoad load = load_nuclide_settings(settings_path_, fs_);
    if (!load.problem.empty()) {
        ui_.message_box(load.problem +
                            "\r\nThe settings are left as they are; name the file in "
                            "Nuclides > Nuclide settings.",
                        dialog_title, Buttons::ok);
        return;
    }
    load.settings.efficiency_file = path;
    // A curve of summing-corrected lines is the efficiency without summing: a sample's
    // lines need the same correction, from the same peak-to-total curve.
    if (summing_) {
        load.settings.summing_correction = true;
        load.settings.peak_to_total_file = peak_to_total_path_;
    }
    const FsResult saved = save_nuclide_settings(settings_path_, load.settings, fs_);
    if (!saved.ok())
        ui_.message_box("The nuclide settings file " + settings_path_ +
                            " could not be written.\r\n" + saved.reason,
                        dialog_title, Buttons::ok);
    else if (summing_)
        ui_.message_box(
            "The curve's lines were corrected for coincidence summing, so the "
            "summing correction is now on for activities, with " +
                peak_to_total_path_ + ".",
            dialog_title, Buttons::ok);
}

EfficiencyDialog* open_efficiency_dialog(const std::string& system_dir,
                                         const std::string& runtime_dir, FileSystem& fs, Ui& ui,
                                         QWidget* parent) {
    const std::string settings_path = nuclide_settings_path(system_dir, fs);
    const NuclideSettingsLoad load = load_nuclide_settings(settings_path, fs);
    const char s = fs.separator();
    std::vector<std::string> folders;
    if (!runtime_dir.empty())
        folders.push_back(runtime_dir + (runtime_dir.back() == s ? "" : std::string(1, s)) +
                          "nuclides" + s);
    const std::string beside = executable_folder();
    if (!beside.empty()) {
        folders.push_back(beside + "nuclides" + s);
        folders.push_back(beside + ".." + s + "share" + s + "sorvane" + s + "nuclides" + s);
    }
    const std::string bundled = nuclides::find_bundled_library(fs, folders);
    nuclides::LineLibrary library = nuclides::load_line_library(fs, load.settings, bundled);
    if (library.lines.empty()) {
        std::string text =
            "No line library was found, so the standard's lines have no emission "
            "probabilities.";
        for (const std::string& problem : library.problems) text += "\r\n" + problem;
        ui.message_box(text, dialog_title, Buttons::ok);
    }
    auto* dialog = new EfficiencyDialog(std::move(library), settings_path, fs, ui, parent);
    dialog->set_cascades_folder(bundled);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::WindowModal);
    dialog->show();
    return dialog;
}

}  // namespace sorvane
