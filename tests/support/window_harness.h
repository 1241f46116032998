#pragma once

#include <QAbstractButton>
#include <QAction>
#include <QString>
#include <QWidget>
#include <memory>
#include <utility>

#include "support/scripted_ui.h"
#include "ui/qt/main_window_view.h"

namespace sorvane {

// The main window started as the program starts it, on the file system and process a
// test gives it, with scripted dialogs; its widgets are found by their object names.
template <typename Files, typename Processes>
struct WindowHarness {
    template <typename... FileArguments>
    explicit WindowHarness(FileArguments&&... arguments)
        : fs(std::forward<FileArguments>(arguments)...) {}

    void start() {
        view = std::make_unique<MainWindowView>(window, services, environment);
        view->start();
    }
    // The widget of that name; a test without it stops at once.
    template <typename Widget>
    Widget* find(const char* name) {
        Widget* found = view->findChild<Widget*>(QString::fromLatin1(name));
        if (found == nullptr) qFatal("no widget %s", name);
        return found;
    }
    // A user click on a button, wherever the layout has put it.
    void click(const char* name) { find<QAbstractButton>(name)->click(); }
    void trigger(const char* name) { find<QAction>(name)->trigger(); }
    bool shown(const char* name) { return !find<QWidget>(name)->isHidden(); }

    Files fs;
    ScriptedUi ui;
    Processes process;
    Services services{fs, process, ui};
    StartupEnvironment environment;
    MainWindow window;
    std::unique_ptr<MainWindowView> view;
};

}  // namespace sorvane
