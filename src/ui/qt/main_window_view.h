#pragma once

#include <QMainWindow>
#include <array>
#include <optional>
#include <utility>
#include <vector>

#include "form/option_groups.h"
#include "ui/main_window.h"
#include "ui/startup.h"

class QAction;
class QButtonGroup;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QSplitter;
class QTabWidget;
class QTimer;

namespace sorvane {

class FileListView;
class FolderTreeWidget;

// The main window on the screen. It holds no behaviour: every widget signal runs
// a handler on the form model, then sync() copies the model back into the widgets.
class MainWindowView final : public QMainWindow {
public:
    MainWindowView(MainWindow& window, Services& services, StartupEnvironment environment,
                   QWidget* parent = nullptr);

    // Start-up: fills the model, copies it in, places and shows the window.
    void start();
    // Copies the form model into the widgets with their signals blocked.
    void sync();

    MainWindow& model() { return window_; }
    // The control the handlers last gave the keyboard focus.
    Focus last_focus() const { return last_focus_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    struct OptionWidgets {
        OptionGroup group;
        QButtonGroup* buttons;
        std::vector<QRadioButton*> radios;
    };

    QWidget* build_cal_option_tab();
    QWidget* build_io_option_tab();
    QWidget* build_files_tab();
    QWidget* build_browser(int index, Frame& frame);
    void build_menu();
    QSplitter* browser_splitter(int index, QWidget* parent);
    void build_status_line();

    QGroupBox* frame(Frame& model, QWidget* parent, const char* name);
    QGroupBox* option_frame(Frame& model, OptionGroup group, QWidget* parent, const char* name);
    QLineEdit* line_field(TextBox& box, QWidget* parent, const QString& name);
    QPlainTextEdit* text_area(TextBox& box, QWidget* parent, const char* name);

    // Runs a handler and shows what it changed.
    template <typename Handler>
    void handle(Handler handler) {
        handler();
        sync();
    }
    void report_view_sizes();
    // A ".res" entry of the result list opens its result view; other entries do nothing.
    void open_result_entry(std::size_t entry);
    // The run summary of the named results of the result list's folder; after a
    // run, told which results are that run's.
    void show_summary(const std::vector<std::string>& names,
                      const std::optional<ThisRun>& this_run = std::nullopt);
    void apply_focus();

    MainWindow& window_;
    Services& services_;
    StartupEnvironment environment_;
    Focus last_focus_ = Focus::none;
    // The raw tree's focus waits for the window to become active: before that the
    // toolkit would hand the focus to the first visible control ("GO").
    bool tree_focus_pending_ = false;

    QTabWidget* tabs_ = nullptr;
    QPushButton* go_ = nullptr;
    QLabel* status_line_ = nullptr;
    QTimer* run_watch_timer_ = nullptr;
    QComboBox* combo_ = nullptr;
    std::array<FolderTreeWidget*, 2> trees_{};
    std::array<FileListView*, 2> lists_{};
    std::vector<std::pair<Frame*, QGroupBox*>> frames_;
    std::vector<OptionWidgets> options_;
    std::vector<std::pair<TextBox*, QLineEdit*>> line_fields_;
    std::vector<std::pair<TextBox*, QPlainTextEdit*>> text_areas_;
};

}  // namespace sorvane
