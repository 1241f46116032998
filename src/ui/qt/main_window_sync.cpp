#include <QButtonGroup>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTabWidget>

#include "ui/qt/field_mark.h"
#include "ui/qt/file_list_view.h"
#include "ui/qt/folder_tree_widget.h"
#include "ui/qt/main_window_view.h"
#include "ui/qt/qt_text.h"

namespace sorvane {
namespace {

void sync_combo(QComboBox& combo, const ComboBox& model) {
    const QSignalBlocker blocker(&combo);
    const QSignalBlocker line_blocker(combo.lineEdit());
    bool same = combo.count() == static_cast<int>(model.entries.size());
    for (int at = 0; same && at < combo.count(); ++at) {
        same = combo.itemText(at) == to_qt(model.entries[static_cast<std::size_t>(at)]);
    }
    if (!same) {
        combo.clear();
        for (const std::string& entry : model.entries) combo.addItem(to_qt(entry));
    }
    if (combo.currentIndex() != model.selection) combo.setCurrentIndex(model.selection);
    if (combo.currentText() != to_qt(model.text)) combo.setEditText(to_qt(model.text));
}

}  // namespace

void MainWindowView::sync() {
    const Form1& form = window_.form;
    setWindowTitle(to_qt(window_.caption));
    for (auto& [model, box] : frames_) {
        box->setTitle(to_qt(model->caption));
        box->setVisible(model->visible);
    }
    for (OptionWidgets& widgets : options_) {
        std::span<const OptionButton> buttons = row_of(widgets.group).buttons.read(form);
        // An exclusive group cannot show "none selected"; lift it while setting.
        widgets.buttons->setExclusive(false);
        for (std::size_t index = 0; index < widgets.radios.size(); ++index) {
            QRadioButton* radio = widgets.radios[index];
            const QSignalBlocker blocker(radio);
            radio->setChecked(buttons[index].selected);
            radio->setEnabled(buttons[index].enabled);
            radio->setVisible(buttons[index].visible);
        }
        widgets.buttons->setExclusive(true);
    }
    for (auto& [box, field] : line_fields_) {
        const QSignalBlocker blocker(field);
        if (field->text() != to_qt(box->text)) field->setText(to_qt(box->text));
        field->setEnabled(box->enabled);
        field->setVisible(box->visible);
        if (box->max_length > 0) field->setMaxLength(static_cast<int>(box->max_length));
        show_field_mark(*field, *box);
    }
    for (auto& [box, area] : text_areas_) {
        const QSignalBlocker blocker(area);
        if (lines_from_qt(area->toPlainText()) != box->text)
            area->setPlainText(lines_to_qt(box->text));
        area->setEnabled(box->enabled);
    }
    sync_combo(*combo_, form.Combo1);
    for (std::size_t index = 0; index < trees_.size(); ++index) {
        trees_[index]->sync(window_.browsers.TreeView1[index]);
        lists_[index]->sync(form.File1[index]);
    }
    {
        const QSignalBlocker blocker(tabs_);
        tabs_->setCurrentIndex(form.SSTab1.tab);
    }
    go_->setEnabled(form.Command1.enabled);
    if (status_line_->text() != to_qt(window_.status_line))
        status_line_->setText(to_qt(window_.status_line));
    apply_focus();
}

}  // namespace sorvane
