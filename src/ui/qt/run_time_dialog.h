#pragma once

#include <QDialog>
#include <QString>
#include <functional>

class QLineEdit;

namespace sorvane {

// The "run time" input box: prompt, title and an empty answer field as the menu
// has always shown them, plus a "Browse..." button that picks the runtime
// program and puts its folder into the field.
class RunTimeDialog final : public QDialog {
public:
    // Picks a file starting in a folder; empty when cancelled.
    using FilePicker = std::function<QString(QWidget* parent, const QString& folder)>;

    RunTimeDialog(QWidget* parent, const QString& prompt, const QString& title,
                  const QString& runtime_folder);

    QString answer() const;
    void set_file_picker(FilePicker picker) { pick_file_ = std::move(picker); }

private:
    void browse();

    QLineEdit* answer_ = nullptr;
    QString runtime_folder_;
    FilePicker pick_file_;
};

}  // namespace sorvane
