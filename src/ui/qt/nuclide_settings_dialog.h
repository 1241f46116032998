#pragma once

#include <QDialog>
#include <map>
#include <string>

#include "contract/nuclide_settings.h"
#include "control/nuclide_settings_fields.h"

class QCheckBox;
class QLabel;
class QPushButton;
class QWidget;

namespace sorvane {

class FileSystem;
class Ui;

// The nuclide settings beside the control file: identification and activities.
// Each typed field is checked as the user types; OK stays off while a field holds
// a problem, and writes the file only then.
class NuclideSettingsDialog final : public QDialog {
public:
    NuclideSettingsDialog(std::string path, NuclideSettings settings, FileSystem& fs, Ui& ui,
                          QWidget* parent = nullptr);

    const NuclideSettings& settings() const { return settings_; }
    // Writes the file; false (the user told why) when it could not be written.
    bool save();

private:
    // A checkbox bound to one flag of the settings; the problems are shown again on a change.
    QCheckBox* flag_box(bool NuclideSettings::*flag, const char* name, const char* caption,
                        QWidget* parent);
    QWidget* typed_field(NuclideField field, QWidget* parent);
    void field_edited(NuclideField field, const QString& text, QWidget* widget);
    void browse_into(NuclideField field, std::string_view filter);
    void show_problems();

    std::string path_;
    NuclideSettings settings_;
    FileSystem& fs_;
    Ui& ui_;
    std::map<NuclideField, QWidget*> widgets_;
    std::map<NuclideField, std::string> problems_;
    QLabel* problem_line_ = nullptr;
    std::map<NuclideField, QLabel*> hints_;  // what a field takes, or what it used
    QPushButton* ok_ = nullptr;
};

// Opens the dialog on the settings file in `system_dir` (window-modal); a file that
// cannot be read is named with its reason first, and its defaults are shown.
NuclideSettingsDialog* open_nuclide_settings(const std::string& system_dir, FileSystem& fs, Ui& ui,
                                             QWidget* parent);

}  // namespace sorvane
