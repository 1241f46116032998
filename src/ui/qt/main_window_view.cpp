#include "ui/qt/main_window_view.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QTextCursor>
#include <QTimer>
#include <QVBoxLayout>

#include "form/option_groups.h"
#include "platform/text_helpers.h"
#include "ui/file_menu.h"
#include "ui/qt/efficiency_dialog.h"
#include "ui/qt/field_mark.h"
#include "ui/qt/file_list_view.h"
#include "ui/qt/folder_tree_widget.h"
#include "ui/qt/nuclide_settings_dialog.h"
#include "ui/qt/qt_child.h"
#include "ui/qt/qt_text.h"
#include "ui/qt/result_view.h"
#include "ui/qt/run_summary_view.h"
#include "ui/result_entry.h"
#include "ui/window_events.h"

namespace sorvane {
namespace {

QLabel* label(const char* text, QWidget* parent) {
    return child<QLabel>(parent, QString(text));
}

QString option_name(OptionGroup group) {
    switch (group) {
        case OptionGroup::Option1:
            return QStringLiteral("Option1");
        case OptionGroup::Option2:
            return QStringLiteral("Option2");
        case OptionGroup::Option3:
            return QStringLiteral("Option3");
        case OptionGroup::Option4:
            return QStringLiteral("Option4");
        case OptionGroup::Option5:
            return QStringLiteral("Option5");
        case OptionGroup::Option6:
            return QStringLiteral("Option6");
        case OptionGroup::Option7:
            return QStringLiteral("Option7");
        case OptionGroup::Option8:
            return QStringLiteral("Option8");
    }
    return {};
}

// Cuts a multi-line text to a field's limit without splitting a line break.
std::string limited(std::string text, std::size_t max_length) {
    if (max_length == 0 || text.size() <= max_length) return text;
    text = utf8_prefix(text, max_length);
    if (!text.empty() && text.back() == '\r') text.pop_back();
    return text;
}

}  // namespace

MainWindowView::MainWindowView(MainWindow& window, Services& services,
                               StartupEnvironment environment, QWidget* parent)
    : QMainWindow(parent),
      window_(window),
      services_(services),
      environment_(std::move(environment)) {
    setObjectName(QStringLiteral("Form1"));
    auto* central = child<QWidget>(this);
    auto* layout = child<QVBoxLayout>(central);
    tabs_ = child<QTabWidget>(central);
    tabs_->setObjectName(QStringLiteral("SSTab1"));
    const Form1& form = window_.form;
    tabs_->addTab(build_cal_option_tab(), to_qt(form.SSTab1.captions.at(0)));
    tabs_->addTab(build_io_option_tab(), to_qt(form.SSTab1.captions.at(1)));
    tabs_->addTab(build_files_tab(), to_qt(form.SSTab1.captions.at(2)));
    connect(tabs_, &QTabWidget::currentChanged, this,
            [this](int tab) { handle([&] { SSTab1_Click(window_, tab); }); });
    go_ = child<QPushButton>(central, to_qt(form.Command1.caption));
    go_->setObjectName(QStringLiteral("Command1"));
    connect(go_, &QPushButton::clicked, this, [this] {
        std::optional<BatchReport> report;
        handle([&] { report = Command1_Click(window_, services_); });
        if (report) show_summary(waited_run_names(window_.form, *report), this_run_of(*report));
        if (!window_.watched_runs.empty()) run_watch_timer_->start();
    });
    // The runtimes "GO" did not wait for: looked at a few times a second.
    run_watch_timer_ = child<QTimer>(this);
    run_watch_timer_->setInterval(250);
    connect(run_watch_timer_, &QTimer::timeout, this, [this] {
        std::optional<EndedRun> ended;
        handle([&] { ended = look_at_runs(window_, services_); });
        if (ended) show_summary(ended->names, ended->this_run);
        if (window_.watched_runs.empty()) run_watch_timer_->stop();
    });
    layout->addWidget(tabs_, 1);
    layout->addWidget(go_, 0, Qt::AlignRight);
    setCentralWidget(central);
    build_menu();
    build_status_line();
}

QGroupBox* MainWindowView::frame(Frame& model, QWidget* parent, const char* name) {
    auto* box = child<QGroupBox>(parent, to_qt(model.caption));
    box->setObjectName(QString::fromLatin1(name));
    frames_.emplace_back(&model, box);
    return box;
}

QGroupBox* MainWindowView::option_frame(Frame& model, OptionGroup group, QWidget* parent,
                                        const char* name) {
    QGroupBox* box = frame(model, parent, name);
    auto* layout = child<QVBoxLayout>(box);
    OptionWidgets widgets{group, child<QButtonGroup>(box), {}};
    std::span<OptionButton> buttons = row_of(group).buttons.change(window_.form);
    for (std::size_t index = 0; index < buttons.size(); ++index) {
        auto* radio = child<QRadioButton>(box, to_qt(buttons[index].caption));
        radio->setObjectName(QStringLiteral("%1_%2").arg(option_name(group)).arg(index));
        widgets.buttons->addButton(radio, static_cast<int>(index));
        layout->addWidget(radio);
        widgets.radios.push_back(radio);
        connect(radio, &QRadioButton::clicked, this, [this, group, index] {
            handle([&] { Option_Click(window_, group, static_cast<int>(index)); });
        });
    }
    options_.push_back(std::move(widgets));
    return box;
}

QLineEdit* MainWindowView::line_field(TextBox& box, QWidget* parent, const QString& name) {
    auto* field = child<QLineEdit>(parent);
    field->setObjectName(name);
    connect(field, &QLineEdit::textEdited, this, [&box, field](const QString& text) {
        box.text = from_qt(text);
        show_field_mark(*field, box);
    });
    line_fields_.emplace_back(&box, field);
    return field;
}

QPlainTextEdit* MainWindowView::text_area(TextBox& box, QWidget* parent, const char* name) {
    auto* area = child<QPlainTextEdit>(parent);
    area->setObjectName(QString::fromLatin1(name));
    connect(area, &QPlainTextEdit::textChanged, this, [&box, area] {
        std::string text = lines_from_qt(area->toPlainText());
        const std::string kept = limited(text, box.max_length);
        box.text = kept;
        if (kept.size() != text.size()) {
            const QSignalBlocker blocker(area);
            area->setPlainText(lines_to_qt(kept));
            area->moveCursor(QTextCursor::End);
        }
    });
    text_areas_.emplace_back(&box, area);
    return area;
}

QWidget* MainWindowView::build_cal_option_tab() {
    Form1& form = window_.form;
    auto* page = child<QWidget>(this);
    auto* layout = child<QVBoxLayout>(page);

    QGroupBox* cntl = frame(form.Frame1, page, "Frame1");
    auto* grid = child<QGridLayout>(cntl);
    grid->addWidget(option_frame(form.Frame2, OptionGroup::Option1, cntl, "Frame2"), 0, 0);
    grid->addWidget(option_frame(form.Frame3, OptionGroup::Option2, cntl, "Frame3"), 0, 1);
    grid->addWidget(option_frame(form.Frame4, OptionGroup::Option3, cntl, "Frame4"), 0, 2);
    auto* defaults = child<QPushButton>(cntl, to_qt(form.Command2.caption));
    defaults->setObjectName(QStringLiteral("Command2"));
    connect(defaults, &QPushButton::clicked, this,
            [this] { handle([&] { Command2_Click(window_); }); });
    grid->addWidget(defaults, 0, 3, Qt::AlignTop);

    QGroupBox* bkg = frame(form.Frame7, cntl, "Frame7");
    auto* bkg_layout = child<QHBoxLayout>(bkg);
    bkg_layout->addWidget(line_field(form.Text1, bkg, QStringLiteral("Text1")));
    bkg_layout->addWidget(label("(0.1-10.0) (lin-atan)", bkg));
    grid->addWidget(bkg, 1, 0);
    QGroupBox* sens = frame(form.Frame10, cntl, "Frame10");
    auto* sens_layout = child<QHBoxLayout>(sens);
    sens_layout->addWidget(line_field(form.Text2, sens, QStringLiteral("Text2")));
    sens_layout->addWidget(label("(3.0-8.0) (high- low)", sens));
    grid->addWidget(sens, 1, 1);

    QGroupBox* area = option_frame(form.Frame8, OptionGroup::Option6, cntl, "Frame8");
    auto* range = nested<QHBoxLayout>(static_cast<QVBoxLayout*>(area->layout()));
    range->addWidget(label("from", area));
    range->addWidget(line_field(form.Text3[0], area, QStringLiteral("Text3_0")));
    range->addWidget(label("to", area));
    range->addWidget(line_field(form.Text3[1], area, QStringLiteral("Text3_1")));
    range->addWidget(label("CH", area));
    grid->addWidget(area, 1, 2, 1, 2);

    QGroupBox* calib = option_frame(form.Frame9, OptionGroup::Option7, cntl, "Frame9");
    auto* points = nested<QGridLayout>(static_cast<QVBoxLayout*>(calib->layout()));
    points->addWidget(label("CH", calib), 0, 1);
    points->addWidget(label("Energy", calib), 0, 2);
    points->addWidget(label("FWHM", calib), 0, 3);
    for (std::size_t index = 0; index < 2; ++index) {
        const int row = static_cast<int>(index) + 1;
        const QString suffix = QStringLiteral("_%1").arg(index);
        points->addWidget(label(index == 0 ? "low" : "high", calib), row, 0);
        points->addWidget(line_field(form.Text4[index], calib, QStringLiteral("Text4") + suffix),
                          row, 1);
        points->addWidget(line_field(form.Text5[index], calib, QStringLiteral("Text5") + suffix),
                          row, 2);
        points->addWidget(line_field(form.Text6[index], calib, QStringLiteral("Text6") + suffix),
                          row, 3);
    }
    grid->addWidget(calib, 2, 0, 1, 3);

    QGroupBox* peaks = frame(form.Frame15, cntl, "Frame15");
    auto* peaks_layout = child<QVBoxLayout>(peaks);
    QPlainTextEdit* peak_list = text_area(form.Text7, peaks, "Text7");
    peak_list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    peaks_layout->addWidget(peak_list);
    grid->addWidget(peaks, 2, 3);
    layout->addWidget(cntl);

    QGroupBox* info = frame(form.Frame18, page, "Frame18");
    auto* info_layout = child<QVBoxLayout>(info);
    QPlainTextEdit* user_text = text_area(form.Text8, info, "Text8");
    user_text->setLineWrapMode(QPlainTextEdit::NoWrap);
    info_layout->addWidget(user_text);
    layout->addWidget(info, 1);
    return page;
}

QWidget* MainWindowView::build_io_option_tab() {
    Form1& form = window_.form;
    auto* page = child<QWidget>(this);
    auto* layout = child<QVBoxLayout>(page);

    QGroupBox* input = frame(form.Frame17, page, "Frame17");
    auto* input_layout = child<QHBoxLayout>(input);
    QGroupBox* type = frame(form.Frame13, input, "Frame13");
    auto* type_layout = child<QVBoxLayout>(type);
    combo_ = child<QComboBox>(type);
    combo_->setObjectName(QStringLiteral("Combo1"));
    combo_->setEditable(true);
    combo_->setInsertPolicy(QComboBox::NoInsert);
    connect(combo_, &QComboBox::activated, this, [this](int position) {
        handle([&] { Combo1_Select(window_, position, services_.fs); });
    });
    connect(combo_->lineEdit(), &QLineEdit::textEdited, this, [this](const QString& text) {
        handle([&] { Combo1_Edit(window_, from_qt(text), services_.fs); });
    });
    type_layout->addWidget(combo_);
    type_layout->addStretch();
    input_layout->addWidget(type, 1);
    input_layout->addWidget(option_frame(form.Frame14, OptionGroup::Option8, input, "Frame14"));
    layout->addWidget(input);

    QGroupBox* output = frame(form.Frame16, page, "Frame16");
    auto* output_layout = child<QHBoxLayout>(output);
    output_layout->addWidget(option_frame(form.Frame6, OptionGroup::Option5, output, "Frame6"));
    output_layout->addWidget(option_frame(form.Frame5, OptionGroup::Option4, output, "Frame5"), 0,
                             Qt::AlignTop);
    layout->addWidget(output);
    layout->addStretch();
    return page;
}

QWidget* MainWindowView::build_browser(int index, Frame& model) {
    const auto at = static_cast<std::size_t>(index);
    QGroupBox* box = frame(model, this, index == 0 ? "Frame11" : "Frame12");
    auto* layout = child<QVBoxLayout>(box);
    layout->addWidget(
        line_field(window_.form.Text9.at(at), box, QStringLiteral("Text9_%1").arg(index)));
    trees_[at] = child<FolderTreeWidget>(box);
    trees_[at]->setObjectName(QStringLiteral("TreeView1_%1").arg(index));
    trees_[at]->on_expand = [this, index](int node) {
        handle([&] { TreeView1_Expand(window_, index, node, services_.fs); });
    };
    trees_[at]->on_collapse = [this, index](int node) {
        handle([&] { TreeView1_Collapse(window_, index, node); });
    };
    trees_[at]->on_click = [this, index](int node) {
        handle([&] { TreeView1_NodeClick(window_, index, node, services_); });
    };
    lists_[at] = child<FileListView>(box);
    lists_[at]->setObjectName(QStringLiteral("File1_%1").arg(index));
    lists_[at]->on_select = [this, index](const std::vector<bool>& flags) {
        File1_Select(window_, index, flags);
    };
    lists_[at]->on_drop = [this, index](const std::optional<std::vector<std::string>>& paths) {
        handle([&] {
            report_view_sizes();
            File1_OLEDragDrop(window_, index, paths, services_.fs);
        });
    };
    if (index == 1) {
        lists_[at]->on_open = [this](std::size_t entry) { open_result_entry(entry); };
        auto* summary = new QAction(QStringLiteral("Run summary..."), lists_[at]);
        summary->setObjectName(QStringLiteral("run_summary"));
        lists_[at]->setContextMenuPolicy(Qt::ActionsContextMenu);
        lists_[at]->addAction(summary);
        connect(summary, &QAction::triggered, this,
                [this] { show_summary(summary_names(window_.form.File1[1])); });
    }
    layout->addWidget(browser_splitter(index, box), 1);
    return box;
}

// The tree and the file list side by side; the user moves the border between them
// to read long folder or file names.
QSplitter* MainWindowView::browser_splitter(int index, QWidget* parent) {
    const auto at = static_cast<std::size_t>(index);
    auto* splitter = child<QSplitter>(parent, Qt::Horizontal);
    splitter->setObjectName(QStringLiteral("Splitter_%1").arg(index));
    splitter->setChildrenCollapsible(false);
    splitter->addWidget(trees_[at]);
    splitter->addWidget(lists_[at]);
    return splitter;
}

void MainWindowView::build_status_line() {
    status_line_ = child<QLabel>(statusBar());
    status_line_->setObjectName(QStringLiteral("StatusLine"));
    statusBar()->addWidget(status_line_, 1);
}

QWidget* MainWindowView::build_files_tab() {
    auto* page = child<QWidget>(this);
    auto* layout = child<QHBoxLayout>(page);
    layout->addWidget(build_browser(0, window_.form.Frame11), 1);
    layout->addWidget(build_browser(1, window_.form.Frame12), 1);
    return page;
}

void MainWindowView::build_menu() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("File"));
    file->setObjectName(QStringLiteral("f1"));
    for (const MenuItem& item : window_.form.f11) {
        if (item.caption == "-") {
            file->addSeparator()->setObjectName(QStringLiteral("f11_%1").arg(item.index));
            continue;
        }
        QAction* action = file->addAction(to_qt(item.caption));
        action->setObjectName(QStringLiteral("f11_%1").arg(item.index));
        const int index = item.index;
        connect(action, &QAction::triggered, this, [this, index] {
            handle([&] { f11_Click(window_, index, services_); });
            if (window_.closed) close();
        });
    }
    // Beside the File menu, whose items stay as they are.
    QMenu* nuclides = menuBar()->addMenu(QStringLiteral("Nuclides"));
    nuclides->setObjectName(QStringLiteral("nuclides_menu"));
    QAction* settings = nuclides->addAction(QStringLiteral("Nuclide settings..."));
    settings->setObjectName(QStringLiteral("nuclide_settings"));
    connect(settings, &QAction::triggered, this, [this] {
        open_nuclide_settings(window_.settings.system_dir, services_.fs, services_.ui, this);
    });
    QAction* efficiency = nuclides->addAction(QStringLiteral("Efficiency calibration..."));
    efficiency->setObjectName(QStringLiteral("efficiency_calibration"));
    connect(efficiency, &QAction::triggered, this, [this] {
        open_efficiency_dialog(window_.settings.system_dir, window_.settings.run_time_dir,
                               services_.fs, services_.ui, this);
    });
}

void MainWindowView::open_result_entry(std::size_t entry) {
    const auto path = result_entry_path(window_.form.File1[1], entry, services_.fs.separator());
    if (path) show_result(*path, services_.fs, services_.ui, this);
}

void MainWindowView::show_summary(const std::vector<std::string>& names,
                                  const std::optional<ThisRun>& this_run) {
    if (names.empty()) return;
    std::string folder = window_.form.File1[1].folder;
    if (!folder.empty() && folder.back() != services_.fs.separator())
        folder += services_.fs.separator();
    show_run_summary(names, folder, services_.fs, services_.ui, this, this_run);
}

void MainWindowView::report_view_sizes() {
    for (std::size_t index = 0; index < trees_.size(); ++index) {
        window_.browsers.TreeView1[index].visible_rows = trees_[index]->visible_rows();
    }
}

void MainWindowView::start() {
    report_view_sizes();
    Form_Load(window_, services_.fs, environment_);
    restore_set_aside_results(window_, services_.fs);
    if (window_.placement) {
        move(window_.placement->left, window_.placement->top);
        resize(window_.placement->width, window_.placement->height);
    }
    if (window_.shown) show();
    sync();
}

void MainWindowView::apply_focus() {
    if (window_.focus == Focus::none) return;
    last_focus_ = window_.focus;
    if (window_.focus == Focus::TreeView1_0) {
        tree_focus_pending_ = !isActiveWindow();
        trees_[0]->setFocus(Qt::OtherFocusReason);
    } else {
        activateWindow();
        setFocus(Qt::OtherFocusReason);
    }
    // A request is carried out once; later events keep the user's focus.
    window_.focus = Focus::none;
}

void MainWindowView::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::ActivationChange || !isActiveWindow() || !tree_focus_pending_)
        return;
    tree_focus_pending_ = false;
    // Queued: the activation itself ends by focusing the first visible control.
    QMetaObject::invokeMethod(
        this, [this] { trees_[0]->setFocus(Qt::OtherFocusReason); }, Qt::QueuedConnection);
}

void MainWindowView::closeEvent(QCloseEvent* event) {
    // Closing by the frame saves nothing; only Exit writes the run file.
    event->accept();
}

}  // namespace sorvane
