#include "ui/qt/nuclide_settings_dialog.h"

#include <algorithm>

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

#include "control/nuclide_settings_store.h"
#include "platform/file_system.h"
#include "platform/ui.h"
#include "ui/qt/field_mark.h"
#include "ui/qt/qt_text.h"

namespace sorvane {
namespace {

constexpr std::string_view dialog_title = "Nuclide settings";

QString field_name(NuclideField field) {
    return QStringLiteral("nuclide_field_%1").arg(static_cast<int>(field));
}

const NuclideFieldInfo& info_of(NuclideField field) {
    for (const NuclideFieldInfo& info : nuclide_fields)
        if (info.field == field) return info;
    return nuclide_fields.front();
}

}  // namespace

NuclideSettingsDialog::NuclideSettingsDialog(std::string path, NuclideSettings settings,
                                             FileSystem& fs, Ui& ui, QWidget* parent)
    : QDialog(parent), path_(std::move(path)), settings_(std::move(settings)), fs_(fs), ui_(ui) {
    setObjectName(QStringLiteral("NuclideSettings"));
    setWindowTitle(to_qt(dialog_title));
    auto* layout = new QVBoxLayout(this);
    auto* file_line = new QLabel(to_qt("Kept in " + path_), this);
    file_line->setObjectName(QStringLiteral("settings_file"));
    layout->addWidget(file_line);
    // The parts scroll, so that the dialog fits a small or highly scaled screen.
    auto* scroll = new QScrollArea(this);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    auto* content = new QWidget(scroll);
    auto* parts = new QVBoxLayout(content);
    parts->setContentsMargins(0, 0, 0, 0);
    scroll->setWidget(content);
    layout->addWidget(scroll, 1);

    auto* identification = new QGroupBox(QStringLiteral("Identification"), this);
    auto* id_form = new QFormLayout(identification);
    id_form->addRow(flag_box(&NuclideSettings::identify, "identify",
                             "Identify nuclides after each analysis", identification));
    id_form->addRow(flag_box(&NuclideSettings::bundled_library, "bundled_library",
                             "Use the line library shipped with the program", identification));
    for (NuclideField field : {NuclideField::library_files, NuclideField::energy_tolerance,
                               NuclideField::nuclides_of_interest})
        id_form->addRow(to_qt(info_of(field).label), typed_field(field, identification));
    parts->addWidget(identification);

    auto* activities = new QGroupBox(QStringLiteral("Activities"), this);
    auto* act_form = new QFormLayout(activities);
    for (NuclideField field : {NuclideField::efficiency_file, NuclideField::reference_time,
                               NuclideField::sample_quantity, NuclideField::sample_unit,
                               NuclideField::alpha, NuclideField::beta, NuclideField::coverage,
                               NuclideField::always_report, NuclideField::background_spectrum})
        act_form->addRow(to_qt(info_of(field).label), typed_field(field, activities));
    act_form->addRow(flag_box(&NuclideSettings::write_report, "write_report",
                              "Write a printable report page beside each result", activities));
    act_form->addRow(flag_box(
        &NuclideSettings::chains_in_equilibrium, "chains_in_equilibrium",
        "Natural chains in equilibrium (Bi-214, Tl-208 decay as their parent)", activities));
    parts->addWidget(activities);

    // Close geometries: the corrections and what they need.
    auto* geometry = new QGroupBox(QStringLiteral("Close geometry"), this);
    geometry->setObjectName(QStringLiteral("close_geometry_part"));
    auto* geometry_form = new QFormLayout(geometry);
    geometry_form->addRow(flag_box(&NuclideSettings::summing_correction, "summing_correction",
                                   "Correct for true-coincidence summing", geometry));
    geometry_form->addRow(
        flag_box(&NuclideSettings::attenuation_correction, "attenuation_correction",
                 "Correct for self-attenuation (sample against standard)", geometry));
    for (NuclideField field : close_geometry_fields)
        geometry_form->addRow(to_qt(info_of(field).label), typed_field(field, geometry));
    parts->addWidget(geometry);

    // Beside the activities: who issues the printed page and what was measured.
    auto* page = new QGroupBox(QStringLiteral("Report"), this);
    page->setObjectName(QStringLiteral("report_part"));
    auto* page_form = new QFormLayout(page);
    for (NuclideField field : report_fields)
        page_form->addRow(to_qt(info_of(field).label), typed_field(field, page));
    parts->addWidget(page);

    problem_line_ = new QLabel(this);
    problem_line_->setObjectName(QStringLiteral("problem"));
    problem_line_->setWordWrap(true);
    problem_line_->setStyleSheet(QStringLiteral("QLabel { color: #9a5b00; }"));
    layout->addWidget(problem_line_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    ok_ = buttons->button(QDialogButtonBox::Ok);
    ok_->setObjectName(QStringLiteral("ok"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        if (save()) accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    // As wide as the parts want and as high as they want, up to most of the screen.
    const QSize parts_size = content->sizeHint();
    scroll->setMinimumWidth(parts_size.width() + scroll->verticalScrollBar()->sizeHint().width());
    const int room = screen() ? screen()->availableGeometry().height() * 9 / 10 : 800;
    resize(sizeHint().width(), std::min(room, sizeHint().height() + parts_size.height()));
    // A file written by hand, or one named before it was moved, is marked at once.
    for (const auto& [field, widget] : widgets_) {
        const auto* area = qobject_cast<const QPlainTextEdit*>(widget);
        const auto* line = qobject_cast<const QLineEdit*>(widget);
        field_edited(field, area ? area->toPlainText() : line->text(), widget);
    }
}

QCheckBox* NuclideSettingsDialog::flag_box(bool NuclideSettings::*flag, const char* name,
                                           const char* caption, QWidget* parent) {
    auto* box = new QCheckBox(QString::fromUtf8(caption), parent);
    box->setObjectName(QString::fromUtf8(name));
    box->setChecked(settings_.*flag);
    connect(box, &QCheckBox::toggled, this, [this, flag](bool on) {
        settings_.*flag = on;
        show_problems();
    });
    return box;
}

QWidget* NuclideSettingsDialog::typed_field(NuclideField field, QWidget* parent) {
    const NuclideFieldInfo& info = info_of(field);
    const QString text = to_qt(nuclide_field_text(field, settings_));
    auto* row = new QWidget(parent);
    auto* row_layout = new QHBoxLayout(row);
    row_layout->setContentsMargins(0, 0, 0, 0);
    QWidget* editor = nullptr;
    if (field == NuclideField::library_files) {
        auto* area = new QPlainTextEdit(text, row);
        area->setMaximumHeight(70);
        area->setPlaceholderText(to_qt(info.hint));
        connect(area, &QPlainTextEdit::textChanged, this,
                [this, field, area] { field_edited(field, area->toPlainText(), area); });
        editor = area;
    } else {
        auto* line = new QLineEdit(text, row);
        line->setPlaceholderText(to_qt(info.hint));
        connect(line, &QLineEdit::textEdited, this,
                [this, field, line](const QString& typed) { field_edited(field, typed, line); });
        editor = line;
    }
    editor->setObjectName(field_name(field));
    row_layout->addWidget(editor, 1);
    if (field == NuclideField::library_files || field == NuclideField::efficiency_file ||
        field == NuclideField::background_spectrum || field == NuclideField::peak_to_total_file ||
        field == NuclideField::cascades_file) {
        auto* browse = new QPushButton(QStringLiteral("Browse..."), row);
        browse->setObjectName(field_name(field) + QStringLiteral("_browse"));
        const std::string filter =
            field == NuclideField::library_files         ? "line library (*.csv)|*.csv"
            : field == NuclideField::cascades_file       ? "cascades table (*.csv)|*.csv"
            : field == NuclideField::background_spectrum ? "CHN file (*.chn)|*.chn"
            : field == NuclideField::peak_to_total_file  ? "peak-to-total file (*.txt)|*.txt"
                                                         : "efficiency file (*.*)|*.*";
        connect(browse, &QPushButton::clicked, this,
                [this, field, filter] { browse_into(field, filter); });
        row_layout->addWidget(browse);
    } else {
        auto* hint = new QLabel(to_qt(info.hint), row);
        hint->setObjectName(field_name(field) + QStringLiteral("_hint"));
        hints_[field] = hint;
        row_layout->addWidget(hint);
    }
    widgets_[field] = editor;
    return row;
}

void NuclideSettingsDialog::field_edited(NuclideField field, const QString& text, QWidget* widget) {
    const std::string problem = apply_nuclide_field(field, from_qt(text), settings_, fs_);
    if (problem.empty())
        problems_.erase(field);
    else
        problems_[field] = problem;
    show_amber_frame(*widget, to_qt(problem));
    // A number taken otherwise than it reads says, beside the field, what was used.
    if (const auto hint = hints_.find(field); hint != hints_.end()) {
        const std::string note =
            problem.empty() ? taken_value_note(field, from_qt(text), settings_) : std::string();
        hint->second->setText(to_qt(note.empty() ? info_of(field).hint : note));
    }
    show_problems();
}

void NuclideSettingsDialog::browse_into(NuclideField field, std::string_view filter) {
    const std::optional<std::string> chosen =
        ui_.open_file_dialog(filter, folder_of_path(path_, fs_.separator()));
    if (!chosen) return;
    QWidget* widget = widgets_.at(field);
    if (auto* area = qobject_cast<QPlainTextEdit*>(widget)) {
        // An added library goes on a line of its own below the others.
        QString text = area->toPlainText();
        if (!text.isEmpty() && !text.endsWith(QLatin1Char('\n'))) text += QLatin1Char('\n');
        area->setPlainText(text + to_qt(*chosen));
    } else if (auto* line = qobject_cast<QLineEdit*>(widget)) {
        line->setText(to_qt(*chosen));
        field_edited(field, line->text(), line);
    }
}

void NuclideSettingsDialog::show_problems() {
    std::string text;
    for (const auto& [field, problem] : problems_)
        text += (text.empty() ? "" : "\n") + std::string(info_of(field).label) + ": " + problem;
    if (text.empty()) text = nuclide_settings_problem(settings_);
    problem_line_->setText(to_qt(text));
    ok_->setEnabled(text.empty());
}

bool NuclideSettingsDialog::save() {
    if (!ok_->isEnabled()) return false;
    const FsResult written = save_nuclide_settings(path_, settings_, fs_);
    if (written.ok()) return true;
    ui_.message_box(
        "The nuclide settings file " + path_ + " could not be written.\r\n" + written.reason,
        dialog_title, Buttons::ok);
    return false;
}

NuclideSettingsDialog* open_nuclide_settings(const std::string& system_dir, FileSystem& fs, Ui& ui,
                                             QWidget* parent) {
    const std::string path = nuclide_settings_path(system_dir, fs);
    NuclideSettingsLoad load = load_nuclide_settings(path, fs);
    if (!load.problem.empty()) ui.message_box(load.problem, dialog_title, Buttons::ok);
    auto* dialog = new NuclideSettingsDialog(path, std::move(load.settings), fs, ui, parent);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::WindowModal);
    dialog->show();
    return dialog;
}

}  // namespace sorvane
