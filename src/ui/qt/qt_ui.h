#pragma once

#include <QPointer>
#include <QProgressDialog>
#include <memory>

#include "platform/ui.h"

class QWidget;

namespace sorvane {

// The person in front of the window: Qt message boxes, input boxes, file
// dialogs, the wait cursor and a progress dialog with Cancel.
class QtUi final : public Ui {
public:
    explicit QtUi(QWidget* parent = nullptr) : parent_(parent) {}
    ~QtUi() override;
    void set_parent(QWidget* parent) { parent_ = parent; }

    Answer message_box(std::string_view text, std::string_view title, Buttons buttons) override;
    std::optional<std::string> input_box(std::string_view prompt, std::string_view title,
                                         std::string_view initial) override;
    std::optional<std::string> open_file_dialog(std::string_view filter,
                                                std::string_view initial_folder) override;
    std::optional<std::string> save_file_dialog(std::string_view filter,
                                                std::string_view initial_folder) override;
    std::optional<std::string> run_time_box(std::string_view prompt, std::string_view title,
                                            std::string_view runtime_folder) override;
    void set_pointer(Pointer pointer) override;
    bool show_progress(std::string_view text, int done, int total) override;
    void end_progress() override;
    bool answers_again() const override { return true; }

private:
    QPointer<QWidget> parent_;
    std::unique_ptr<QProgressDialog> progress_;
    bool waiting_ = false;
};

// "caption|*.ext|caption|*.ext" as Qt's filter list ("caption (*.ext);;...").
QString qt_filter(std::string_view filter);

}  // namespace sorvane
