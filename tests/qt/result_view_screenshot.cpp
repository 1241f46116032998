// Draws the result view of one result on its nuclides tab into a PNG, for the
// documentation: result_view_screenshot RESULT.res OUTPUT.png (run under Xvfb by
// tools/result-view-screenshot.sh). The view is made as wide as its nuclide table, so
// that identification, activity, primary result and decision stand side by side.
#include <QApplication>
#include <QHeaderView>
#include <QPixmap>
#include <QScrollBar>
#include <QTabWidget>
#include <QTableWidget>
#include <algorithm>
#include <cstdio>

#include "platform/real_platform.h"
#include "support/scripted_ui.h"
#include "ui/qt/result_view.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: result_view_screenshot RESULT.res OUTPUT.png\n");
        return 2;
    }
    using namespace sorvane;
    RealFileSystem fs;
    ScriptedUi ui;
    ResultView* view = show_result(argv[1], fs, ui);
    if (view == nullptr) {
        std::fprintf(stderr, "%s: no result view\n", argv[1]);
        return 1;
    }
    auto* tabs = view->findChild<QTabWidget*>(QStringLiteral("result_tabs"));
    auto* table = view->findChild<QTableWidget*>(QStringLiteral("nuclide_list"));
    if (tabs == nullptr || table == nullptr) {
        std::fprintf(stderr, "%s: the result has no nuclides\n", argv[1]);
        return 1;
    }
    tabs->setCurrentIndex(1);
    view->resize(1280, 760);
    QApplication::processEvents();
    // Every column in sight: the table's own width plus what the window puts around it.
    const int columns = table->verticalHeader()->width() + table->horizontalHeader()->length() +
                        2 * table->frameWidth() + table->verticalScrollBar()->sizeHint().width();
    const int around = view->width() - table->viewport()->width();
    view->resize(std::clamp(columns + around, 1280, 2400), 760);
    QApplication::processEvents();
    if (!view->grab().save(QString::fromLocal8Bit(argv[2]))) {
        std::fprintf(stderr, "%s: cannot be written\n", argv[2]);
        return 1;
    }
    return 0;
}
