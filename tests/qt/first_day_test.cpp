// A new user's first day through the real window: an empty config home, no
// control file, the runtime the build made found by itself, real folders and
// the real runtime. Folders are picked in the trees, as a person does it.
#include <unistd.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTreeWidget>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "app/cli.h"
#include "import/raw_file_types.h"
#include "platform/bundled_runtime.h"
#include "platform/real_platform.h"
#include "platform/system_folder.h"
#include "support/raw_texts.h"
#include "support/scripted_ui.h"
#include "support/test_files.h"
#include "support/window_harness.h"
#include "ui/qt/main_window_view.h"
#include "ui/qt/nuclide_settings_dialog.h"
#include "ui/qt/run_summary_view.h"

namespace sorvane {
namespace {

namespace stdfs = std::filesystem;

// The ids of this process's children, running or ended and not yet reaped.
std::string children_of_this_process() {
    return read_text("/proc/self/task/" + std::to_string(::getpid()) + "/children");
}

// A home folder of the test's own, removed after it.
struct TemporaryHome {
    TemporaryHome() : config(home.path() + "config"), results(home.path() + "results/") {}
    TempFolder home;
    const std::string config;
    const std::string results;
};

// The window started as the program starts it, with XDG_CONFIG_HOME pointing at a
// folder that does not exist yet. The home comes first, so that it outlives the window.
struct FirstStart : TemporaryHome, WindowHarness<RealFileSystem, RealProcess> {
    FirstStart() {
        qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(config));
        stdfs::create_directories(results);
        environment.system_dir = default_system_dir();
        environment.bundled_runtime_dir = bundled_runtime_dir(fs, {"", BUILD_RUNTIME_DIR});
        environment.date_text = [](std::int64_t) { return std::string("today"); };
    }
    // Expands the tree from its drive down to `folder` and clicks it.
    bool open_in_tree(const char* tree_name, const std::string& folder) {
        auto* tree = find<QTreeWidget>(tree_name);
        QTreeWidgetItem* item = tree->topLevelItem(0)->child(0);
        std::istringstream parts(folder);
        for (std::string part; std::getline(parts, part, '/');) {
            if (part.empty()) continue;
            item->setExpanded(true);
            QTreeWidgetItem* next = nullptr;
            for (int at = 0; at < item->childCount(); ++at) {
                if (item->child(at)->text(0) == QString::fromStdString(part))
                    next = item->child(at);
            }
            if (next == nullptr) return false;
            item = next;
        }
        emit tree->itemClicked(item, 0);
        return true;
    }
    void choose_type(const char* name) {
        auto* combo = find<QComboBox>("Combo1");
        const int position = position_of(type_of_name(name)->code);
        combo->setCurrentIndex(position);
        emit combo->activated(position);  // as a person's choice in the list
    }
    void select_raw_files(const QStringList& names) {
        auto* list = find<QListView>("File1_0");
        list->clearSelection();
        for (int row = 0; row < list->model()->rowCount(); ++row) {
            const QModelIndex index = list->model()->index(row, 0);
            if (names.contains(index.data().toString()))
                list->selectionModel()->select(index, QItemSelectionModel::Select);
        }
    }
    void go() { find<QAbstractButton>("Command1")->click(); }
    NuclideSettingsDialog* open_nuclide_settings() {
        find<QAction>("nuclide_settings")->trigger();
        return find<NuclideSettingsDialog>("NuclideSettings");
    }
};

}  // namespace

class FirstDayTest : public QObject {
    Q_OBJECT

private slots:
    // Folders picked in the trees, demo files selected, "GO": results on disk.
    // Then the same spectrum again with a wrong type: the good result stays.
    void goOnDemoFilesThenAWrongTypeKeepsTheGoodResult() {
        FirstStart day;
        day.start();
        QVERIFY(day.open_in_tree("TreeView1_0", DEMO_DIR));
        QVERIFY(day.open_in_tree("TreeView1_1", day.results));
        day.choose_type("simple");
        day.select_raw_files({"simple_co60.asc", "simple_cs137.asc"});
        day.go();
        QVERIFY(day.ui.messages.empty());
        QVERIFY(stdfs::exists(day.config + "/sorvane/sorvane.inf"));
        const std::string good = read_text(day.results + "simple_co60.res");
        QVERIFY(good.find("[peaks]") != std::string::npos);
        QVERIFY(read_text(day.results + "simple_cs137.res").find("[peaks]") != std::string::npos);
        QVERIFY(!stdfs::exists(day.results + "simple_co60.chn"));
        QVERIFY2(!stdfs::exists(day.config + "/sorvane/sorvane.inf.nuclides"),
                 "no nuclide settings without the dialog");

        day.choose_type("oxford-win");  // lists the same file and cannot read it
        day.select_raw_files({"simple_co60.asc"});
        day.go();
        QCOMPARE(read_text(day.results + "simple_co60.res"), good);
        const std::string log = read_text(day.results + "sorvane-run.log");
        QVERIFY2(log.find("simple_co60.asc: not read: ") != std::string::npos, log.c_str());
        QVERIFY(log.find("the earlier result " + day.results + "simple_co60.res is kept") !=
                std::string::npos);
    }

    // "GO" on CHN files does not wait: the status line counts this run's results as
    // they come, says when the runtime has ended and with what, the run summary
    // opens, and the ended runtime is reaped. SORVANE_WATCH_FILES sets how many
    // files (20); SORVANE_SCREENSHOT_DIR, when set, gets pictures of the status line
    // during and after the run.
    void goOnChnFilesEndsVisiblyWithASummary() {
        FirstStart day;
        const std::string chn = day.home.path() + "chn/";
        stdfs::create_directories(chn);
        std::ostringstream printed;
        QCOMPARE(run_sorvanecli({"convert", "--type", "simple", "--out", chn,
                                 std::string(DEMO_DIR) + "/simple_co60.asc"},
                                day.fs, printed, printed),
                 0);
        const int count = qEnvironmentVariableIsSet("SORVANE_WATCH_FILES")
                              ? qEnvironmentVariableIntValue("SORVANE_WATCH_FILES")
                              : 20;
        QStringList names;
        for (int at = 0; at < count; ++at) {
            const QString name = QStringLiteral("s%1.chn").arg(at, 5, 10, QLatin1Char('0'));
            stdfs::copy_file(chn + "simple_co60.chn", chn + name.toStdString());
            names << name;
        }
        stdfs::remove(chn + "simple_co60.chn");
        // An earlier run's result of the first file: not this run's until rewritten.
        std::ofstream(day.results + "s00000.res", std::ios::binary) << "an earlier result";
        stdfs::last_write_time(day.results + "s00000.res",
                               stdfs::file_time_type::clock::now() - std::chrono::hours(1));
        day.start();
        day.view->resize(1100, 700);
        QVERIFY(day.open_in_tree("TreeView1_0", chn));
        QVERIFY(day.open_in_tree("TreeView1_1", day.results));
        day.choose_type("chn");
        day.select_raw_files(names);
        const std::string children_before = children_of_this_process();
        day.go();
        auto* status = day.find<QLabel>("StatusLine");
        const QString shots = qEnvironmentVariable("SORVANE_SCREENSHOT_DIR");
        if (!shots.isEmpty()) {
            QTRY_VERIFY_WITH_TIMEOUT(status->text().contains(QStringLiteral("results written")),
                                     20000);
            QTest::qWait(1500);
            day.view->grab().save(shots + QStringLiteral("/status-line-during-chn-run.png"));
        }
        const QString ended = QStringLiteral(
                                  "the runtime has ended (exit status 0): %1 of %1 "
                                  "results written, 0 failed, 0 without a result")
                                  .arg(count);
        QTRY_VERIFY_WITH_TIMEOUT(status->text().contains(ended), 600000);
        QVERIFY2(status->text().startsWith(QStringLiteral("GO: %1 CHN files listed; ").arg(count)),
                 qPrintable(status->text()));
        QVERIFY(day.window.watched_runs.empty());
        RunSummaryView* summary = nullptr;
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (widget->objectName() == QStringLiteral("RunSummaryView"))
                summary = static_cast<RunSummaryView*>(widget);
        QVERIFY(summary != nullptr);
        QCOMPARE(summary->table()->rowCount(), count);
        if (!shots.isEmpty()) {
            day.view->grab().save(shots + QStringLiteral("/status-line-after-chn-run.png"));
            summary->grab().save(shots + QStringLiteral("/run-summary-after-chn-run.png"));
        }
        // Every runtime this run started is reaped: no new child of ours is left,
        // not even as a zombie.
        QCOMPARE(children_of_this_process(), children_before);
        QVERIFY(day.ui.messages.empty());
        delete summary;
    }

    void exitFromAFirstStartWritesTheControlFileAndCloses() {
        FirstStart day;
        day.start();
        day.view->findChild<QAction*>(QStringLiteral("f11_300"))->trigger();
        QVERIFY(!day.view->isVisible());
        QVERIFY(read_text(day.config + "/sorvane/sorvane.inf").starts_with("[system dir]"));
        QVERIFY(day.ui.messages.empty());
    }

    // `make run` leaves the demo's control file in a config home of its own: the
    // window opens on the demo's folders and options, and "GO" on a demo file
    // writes its result into the demo's result folder.
    void goInTheStateMakeRunLeavesWritesResultsAtOnce() {
        FirstStart day;
        const std::string out = day.home.path() + "demo/";
        std::ostringstream printed;
        QCOMPARE(run_sorvanecli({"demo", "--out", out, "--runtime-dir", BUILD_RUNTIME_DIR}, day.fs,
                                printed, printed),
                 0);
        stdfs::create_directories(day.config + "/sorvane");
        stdfs::copy_file(out + "system/sorvane.inf", day.config + "/sorvane/sorvane.inf");
        stdfs::remove(out + "naig_eu152.res");
        day.start();
        QCOMPARE(day.find<QLineEdit>("Text9_1")->text(),
                 QStringLiteral("open dir: ") + QString::fromStdString(out));
        day.select_raw_files({"naig_eu152.txt"});
        day.go();
        QVERIFY(day.ui.messages.empty());
        QVERIFY(read_text(out + "naig_eu152.res").find("[peaks]") != std::string::npos);
    }

    // The dialog writes nothing until OK, and OK stays off while a field is wrong.
    void nuclideSettingsAreWrittenBesideTheControlFileOnOk() {
        FirstStart day;
        day.start();
        const std::string path = day.config + "/sorvane/sorvane.inf.nuclides";
        NuclideSettingsDialog* dialog = day.open_nuclide_settings();
        auto* tolerance = dialog->findChild<QLineEdit*>(QStringLiteral("nuclide_field_1"));
        auto* ok = dialog->findChild<QPushButton*>(QStringLiteral("ok"));
        tolerance->selectAll();
        QTest::keyClicks(tolerance, QStringLiteral("0.0001"));
        QVERIFY(!ok->isEnabled());
        QVERIFY(!tolerance->toolTip().isEmpty());
        tolerance->selectAll();
        QTest::keyClicks(tolerance, QStringLiteral("0,8"));
        QVERIFY(ok->isEnabled());
        QVERIFY(tolerance->toolTip().isEmpty());
        dialog->findChild<QCheckBox*>(QStringLiteral("identify"))->setChecked(true);
        QVERIFY(!stdfs::exists(path));
        ok->click();
        const NuclideSettingsRead saved = parse_nuclide_settings(read_text(path));
        QVERIFY(saved.problems.empty());
        QVERIFY(saved.settings.identify);
        QCOMPARE(saved.settings.energy_tolerance_kev, 0.8);
        QVERIFY(day.ui.messages.empty());
        QCOMPARE(dialog->result(), int(QDialog::Accepted));
    }

    // The close-geometry part: the summing correction keeps OK off until its
    // peak-to-total file is named; the chains' equilibrium is saved beside it.
    void closeGeometrySettingsNeedTheirFiles() {
        FirstStart day;
        day.start();
        const std::string path = day.config + "/sorvane/sorvane.inf.nuclides";
        const std::string pt = day.home.path() + "PT.txt";
        std::ofstream(pt) << "order 1\n";
        NuclideSettingsDialog* dialog = day.open_nuclide_settings();
        auto* ok = dialog->findChild<QPushButton*>(QStringLiteral("ok"));
        dialog->findChild<QCheckBox*>(QStringLiteral("summing_correction"))->setChecked(true);
        QVERIFY(!ok->isEnabled());
        auto* pt_field = dialog->findChild<QLineEdit*>(
            QStringLiteral("nuclide_field_%1").arg(int(NuclideField::peak_to_total_file)));
        QVERIFY(pt_field);
        QTest::keyClicks(pt_field, QString::fromStdString(pt));
        QVERIFY2(ok->isEnabled(),
                 qPrintable(dialog->findChild<QLabel*>(QStringLiteral("problem"))->text()));
        dialog->findChild<QCheckBox*>(QStringLiteral("chains_in_equilibrium"))->setChecked(true);
        ok->click();
        const NuclideSettingsRead saved = parse_nuclide_settings(read_text(path));
        QVERIFY(saved.problems.empty());
        QVERIFY(saved.settings.summing_correction);
        QCOMPARE(saved.settings.peak_to_total_file, pt);
        QVERIFY(saved.settings.chains_in_equilibrium);
    }

    // A file with values that cannot be used is named with the line; its defaults are
    // shown and the file stays as it is when the user cancels.
    void aBadNuclideSettingsFileIsNamedAndKeptUntilOk() {
        FirstStart day;
        const std::string path = day.config + "/sorvane/sorvane.inf.nuclides";
        stdfs::create_directories(day.config + "/sorvane");
        std::ofstream(path, std::ios::binary) << "[nuclides]\r\nidentify = 1\r\nalpha = 9\r\n";
        day.start();
        NuclideSettingsDialog* dialog = day.open_nuclide_settings();
        QCOMPARE(day.ui.messages.size(), std::size_t{1});
        const std::string& text = day.ui.messages[0].text;
        QVERIFY2(text.find(path) != std::string::npos && text.find("line 3") != std::string::npos,
                 text.c_str());
        QCOMPARE(dialog->findChild<QLineEdit*>(QStringLiteral("nuclide_field_7"))->text(),
                 QStringLiteral("0.05"));
        QVERIFY(dialog->findChild<QCheckBox*>(QStringLiteral("identify"))->isChecked());
        dialog->findChild<QPushButton*>(QStringLiteral("cancel"))->click();
        QCOMPARE(read_text(path), std::string("[nuclides]\r\nidentify = 1\r\nalpha = 9\r\n"));
    }
};

}  // namespace sorvane

QTEST_MAIN(sorvane::FirstDayTest)
#include "first_day_test.moc"
