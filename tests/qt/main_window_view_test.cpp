#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>
#include <QUrl>
#include <filesystem>
#include <fstream>
#include <memory>

#include "control/collect_settings.h"
#include "control/control_file.h"
#include "control/settings_view.h"
#include "form/directory_field.h"
#include "form/option_groups.h"
#include "form/type_selector.h"
#include "platform/real_platform.h"

#include "support/memory_file_system.h"
#include "support/scripted_process.h"
#include "support/scripted_ui.h"
#include "support/test_files.h"
#include "support/window_harness.h"
#include "ui/file_menu.h"
#include "ui/qt/main_window_view.h"
#include "ui/qt/qt_text.h"
#include "ui/qt/qt_ui.h"
#include "ui/qt/result_view.h"
#include "ui/qt/run_time_dialog.h"

namespace sorvane {

// One window on an in-memory machine, started as the program starts it.
struct Harness : WindowHarness<MemoryFileSystem, ScriptedProcess> {
    explicit Harness(MemoryFileSystem::Flavour flavour) : WindowHarness(flavour) {
        const bool windows = flavour == MemoryFileSystem::Flavour::windows;
        const std::string root = windows ? "C:\\" : "/";
        const char sep = windows ? '\\' : '/';
        fs.add_folder(root + "Sorvane");
        fs.add_folder(root + "data" + sep + "spectra");
        fs.add_folder(root + "sets");
        for (const char* name : {"a.chn", "b.chn", "c.chn"})
            fs.add_file(root + "data" + sep + name, "x");
        environment.system_dir = root + "Sorvane";
        environment.version = Version{2, 1, 8};
        environment.date_text = [](std::int64_t) { return std::string("08/12/2026 05:00"); };
    }
};

class MainWindowViewTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<Harness> h;

private slots:
    void init() {
        h = std::make_unique<Harness>(MemoryFileSystem::Flavour::windows);
        h->start();
    }
    void cleanup() { h.reset(); }

    void startUpShowsTheTitleTabsAndDefaults() {
        QCOMPARE(h->view->windowTitle(), QStringLiteral("Sorvane  Ver: 2. 1 Rev: 8"));
        QVERIFY(h->view->isVisible());
        auto* tabs = h->find<QTabWidget>("SSTab1");
        QCOMPARE(tabs->count(), 3);
        QCOMPARE(tabs->tabText(0), QStringLiteral("Cal Option"));
        QCOMPARE(tabs->tabText(1), QStringLiteral("I/O Option"));
        QCOMPARE(tabs->tabText(2), QStringLiteral("Cal File(s)"));
        QCOMPARE(h->find<QComboBox>("Combo1")->currentIndex(), 0);
        QVERIFY(!h->shown("Frame14"));
        QVERIFY(!h->shown("Frame15"));
        QVERIFY(h->find<QRadioButton>("Option1_0")->isChecked());
        QVERIFY(h->find<QRadioButton>("Option8_1")->isChecked());
        QCOMPARE(h->find<QLineEdit>("Text1")->text(), QStringLiteral("10.0"));
        QCOMPARE(h->find<QPlainTextEdit>("Text8")->toPlainText(), QStringLiteral("user inf"));
        QCOMPARE(h->find<QLineEdit>("Text9_0")->text(), QStringLiteral("open dir: C:\\"));
        QCOMPARE(h->find<QLineEdit>("Text9_1")->text(), QStringLiteral("open dir: C:\\"));
        QCOMPARE(h->view->last_focus(), Focus::TreeView1_0);
    }

    void startUpBuildsBothTrees() {
        for (const char* name : {"TreeView1_0", "TreeView1_1"}) {
            auto* tree = h->find<QTreeWidget>(name);
            QCOMPARE(tree->topLevelItemCount(), 1);
            QTreeWidgetItem* root = tree->topLevelItem(0);
            QCOMPARE(root->text(0), QStringLiteral("my computer"));
            QCOMPARE(root->childCount(), 3);
            QCOMPARE(root->child(0)->text(0), QStringLiteral("(C:)"));
            QCOMPARE(root->child(2)->text(0), QStringLiteral("(E:)"));
            QVERIFY(root->child(0)->isSelected());
            QVERIFY(root->isExpanded());
        }
    }

    void startUpRestoresASavedRunFile() {
        h = std::make_unique<Harness>(MemoryFileSystem::Flavour::windows);
        h->fs.add_folder("D:\\x");
        h->fs.add_file("C:\\Sorvane\\sorvane.inf", test_data("window/saved.inf"));
        h->start();
        QCOMPARE(h->view->windowTitle(),
                 QStringLiteral("Sorvane  Ver: 2. 1 Rev: 8  /run_tovalu update:"));
        QVERIFY(h->find<QRadioButton>("Option5_3")->isChecked());
        QVERIFY(h->shown("Frame14"));
        QCOMPARE(h->find<QLineEdit>("Text9_1")->text(), QStringLiteral("open dir: D:\\x\\"));
        QCOMPARE(h->view->pos(), QPoint(200, 100));
    }

    void everyCaptionAsDesigned() {
        const std::vector<std::pair<const char*, const char*>> captions = {
            {"Command1", "GO"},
            {"Command2", "SET Default"},
            {"Option1_0", "Auto"},
            {"Option1_1", "Manual"},
            {"Option2_0", "5 ch"},
            {"Option2_1", "7 ch"},
            {"Option3_0", "Gauss+exp"},
            {"Option3_1", "Gauss"},
            {"Option4_0", "none"},
            {"Option4_1", "simple plot"},
            {"Option5_0", "none"},
            {"Option5_1", "output (with area cal)"},
            {"Option5_2", "output (no area cal)"},
            {"Option5_3", "make csv file (no area cal)"},
            {"Option6_0", "All CH"},
            {"Option6_1", "Manual setting"},
            {"Option7_0", "Auto (Use file include parm) (Set CH,FWHM)"},
            {"Option7_1", "Manual setting        (Set CH, Energy, FWHM) "},
            {"Option8_0", "yes, make chn"},
            {"Option8_1", "no"},
            {"Option8_2", "yes, only conversion (no cal)"}};
        for (const auto& [name, caption] : captions) {
            QCOMPARE(h->find<QAbstractButton>(name)->text(), QString::fromLatin1(caption));
        }
        const std::vector<std::pair<const char*, const char*>> frames = {
            {"Frame1", "CNTL Option"},
            {"Frame2", "PK search"},
            {"Frame3", "Smoothing"},
            {"Frame4", "PK shape"},
            {"Frame5", "Fitted data plot"},
            {"Frame6", "Raw Data "},
            {"Frame7", "BKG shape"},
            {"Frame8", "Cal area"},
            {"Frame9", "Energy Calib."},
            {"Frame10", "PKfind sensitivity"},
            {"Frame12", "Result(s) Output dir"},
            {"Frame13", "Type of Raw Data File "},
            {"Frame14", "CHN file conversion"},
            {"Frame15", "Manual PK search ch(s)"},
            {"Frame16", "Output Option (write of res)"},
            {"Frame17", "Input Option (read of data file)"},
            {"Frame18", "Inf. (max: 128 chrs, including CRLF)"}};
        for (const auto& [name, caption] : frames) {
            QCOMPARE(h->find<QGroupBox>(name)->title(), QString::fromLatin1(caption));
        }
        const std::vector<std::pair<const char*, const char*>> menu = {{"f11_160", "read parm"},
                                                                       {"f11_180", "save parm"},
                                                                       {"f11_200", "run time"},
                                                                       {"f11_300", "Exit"}};
        for (const auto& [name, caption] : menu) {
            QCOMPARE(h->find<QAction>(name)->text(), QString::fromLatin1(caption));
        }
        QVERIFY(h->find<QAction>("f11_199")->isSeparator());
        QVERIFY(h->find<QAction>("f11_299")->isSeparator());
        for (const char* name : {"Text2", "Text3_0", "Text3_1", "Text4_0", "Text4_1", "Text5_0",
                                 "Text5_1", "Text6_0", "Text6_1"}) {
            h->find<QLineEdit>(name);
        }
        h->find<QPlainTextEdit>("Text7");
        h->find<QListView>("File1_0");
        h->find<QListView>("File1_1");
    }

    void manualPeakSearchShowsItsFrame() {
        h->click("Option1_1");
        QVERIFY(h->shown("Frame15"));
        QVERIFY(h->window.form.Option1[1].selected);
        h->click("Option1_0");
        QVERIFY(!h->shown("Frame15"));
    }

    void calAreaChoiceEnablesItsFields() {
        h->click("Option6_0");
        QVERIFY(!h->find<QLineEdit>("Text3_0")->isEnabled());
        QVERIFY(!h->find<QLineEdit>("Text3_1")->isEnabled());
        h->click("Option6_1");
        QVERIFY(h->find<QLineEdit>("Text3_0")->isEnabled());
        QVERIFY(h->find<QLineEdit>("Text3_1")->isEnabled());
    }

    void energyCalibrationKeepsAllSixFieldsUsable() {
        for (const char* choice : {"Option7_1", "Option7_0"}) {
            h->click(choice);
            for (const char* name :
                 {"Text4_0", "Text4_1", "Text5_0", "Text5_1", "Text6_0", "Text6_1"}) {
                QVERIFY2(h->find<QLineEdit>(name)->isEnabled(), name);
            }
        }
    }

    void choosingARawTypeShowsTheConversionFrame() {
        auto* combo = h->find<QComboBox>("Combo1");
        combo->setCurrentIndex(2);
        emit combo->activated(2);
        QVERIFY(h->shown("Frame14"));
        QCOMPARE(h->find<QGroupBox>("Frame11")->title(), combo->itemText(2));
        combo->setCurrentIndex(0);
        emit combo->activated(0);
        QVERIFY(!h->shown("Frame14"));
        QCOMPARE(h->find<QGroupBox>("Frame11")->title(), combo->itemText(0));
    }

    void setDefaultRestoresTheFactoryValues() {
        h->find<QTabWidget>("SSTab1")->setCurrentIndex(0);
        auto* field = h->find<QLineEdit>("Text1");
        field->clear();
        QTest::keyClicks(field, "3.5");
        QCOMPARE(h->window.form.Text1.text, std::string("3.5"));
        h->click("Option2_1");
        h->click("Option6_1");
        h->click("Command2");
        QCOMPARE(field->text(), QStringLiteral("10.0"));
        QVERIFY(h->find<QRadioButton>("Option2_0")->isChecked());
        QVERIFY(h->find<QRadioButton>("Option6_0")->isChecked());
        QCOMPARE(h->find<QLineEdit>("Text3_1")->text(), QStringLiteral("4095"));
        QVERIFY(h->find<QLineEdit>("Text3_0")->isEnabled());
    }

    void readParmLoadsAnOptionSet() {
        h->fs.add_file("C:\\sets\\manual.opa", test_data("window/manual.opa"));
        h->ui.file_answers.push_back("C:\\sets\\manual.opa");
        h->trigger("f11_160");
        QCOMPARE(h->ui.prompts.at(0), std::string("open option parm file(*.opa)|*.opa in C:\\"));
        QVERIFY(h->find<QRadioButton>("Option1_1")->isChecked());
        QVERIFY(h->shown("Frame15"));
        QCOMPARE(h->find<QLineEdit>("Text1")->text(), QStringLiteral("3"));
        QCOMPARE(h->window.settings.res_dir, std::string("C:\\sets\\"));
    }

    void saveParmWritesTheNameAsTyped() {
        h->ui.file_answers.push_back("C:\\sets\\test");
        h->trigger("f11_180");
        QVERIFY(h->fs.contents("C:\\sets\\test").has_value());
        QCOMPARE(h->window.control_file_path, std::string("C:\\sets\\test"));
    }

    void runTimeTakesTheAnswer() {
        h->ui.input_answers.push_back("c:\\tools");
        h->trigger("f11_200");
        QCOMPARE(h->window.settings.run_time_dir, std::string("c:\\tools"));
        QCOMPARE(h->ui.prompts.at(0).substr(0, 15), std::string("Sorvane SETUP: "));
    }

    void runTimeBrowsePutsTheProgramsFolderInTheBox() {
        RunTimeDialog dialog(h->view.get(), lines_to_qt(run_time_prompt), to_qt(run_time_title),
                             QStringLiteral("/opt/sorvane/bin/"));
        QString asked_in;
        dialog.set_file_picker([&](QWidget*, const QString& folder) {
            asked_in = folder;
            return QStringLiteral("/usr/lib/sorvane/run_Tovalu.exe");
        });
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Sorvane SETUP"));
        QCOMPARE(dialog.findChild<QLabel*>()->text(),
                 QStringLiteral("Input fullpath of runtime(run_Sorvane.exe)\n\n"
                                "          (ex. c:\\Lindorva\\ )"));
        QCOMPARE(dialog.answer(), QString());
        auto* browse = dialog.findChild<QPushButton*>(QStringLiteral("run_time_browse"));
        QCOMPARE(browse->text(), QStringLiteral("Browse..."));
        browse->click();
        QCOMPARE(asked_in, QStringLiteral("/opt/sorvane/bin/"));
        QCOMPARE(dialog.answer(), QStringLiteral("/usr/lib/sorvane/"));
    }

    void exitSavesAndCloses() {
        h->trigger("f11_300");
        QVERIFY(!h->view->isVisible());
        QVERIFY(h->fs.contents("C:\\Sorvane\\sorvane.inf").has_value());
    }

    void closingByTheFrameSavesNothing() {
        h->view->close();
        QVERIFY(!h->fs.contents("C:\\Sorvane\\sorvane.inf").has_value());
    }

    void calFilesTabFocusesTheRawTree() {
        h->find<QTabWidget>("SSTab1")->setCurrentIndex(1);
        h->find<QTabWidget>("SSTab1")->setCurrentIndex(2);
        QCOMPARE(h->window.form.SSTab1.tab, 2);
        QCOMPARE(h->view->last_focus(), Focus::TreeView1_0);
    }

    // Where the keyboard focus really lands: at start-up and on the tab change.
    void theRawTreeHoldsTheKeyboardFocus() {
        auto* tree = h->find<QTreeWidget>("TreeView1_0");
        QVERIFY(QTest::qWaitForWindowActive(h->view.get()));
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(tree));
        auto* tabs = h->find<QTabWidget>("SSTab1");
        tabs->setCurrentIndex(1);
        h->find<QRadioButton>("Option8_0")->setFocus();
        tabs->setCurrentIndex(2);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(tree));
    }

    void aFieldNotUsedAsTypedIsMarkedUntilEdited() {
        auto* field = h->find<QLineEdit>("Text1");
        field->clear();
        QTest::keyClicks(field, "2,5");
        h->click("Command1");  // no runtime here: the run stops after collecting
        QCOMPARE(field->toolTip(), QStringLiteral("used as 2"));
        QVERIFY(field->styleSheet().contains(QStringLiteral("border")));
        QCOMPARE(field->text(), QStringLiteral("2,5"));
        QCOMPARE(h->find<QLabel>("StatusLine")->text(),
                 QStringLiteral("GO: stopped by an OPTION error"));
        QTest::keyClicks(field, "0");
        QCOMPARE(field->toolTip(), QString());
        QCOMPARE(field->styleSheet(), QString());
    }

    void expandingAndClickingAFolder() {
        auto* tree = h->find<QTreeWidget>("TreeView1_0");
        QTreeWidgetItem* drive = tree->topLevelItem(0)->child(0);
        drive->setExpanded(true);
        QTreeWidgetItem* data = nullptr;
        for (int at = 0; at < drive->childCount(); ++at) {
            if (drive->child(at)->text(0) == QStringLiteral("data")) data = drive->child(at);
        }
        QVERIFY(data != nullptr);
        QCOMPARE(data->childCount(), 1);  // spectra, listed when C: was expanded
        emit tree->itemClicked(data, 0);
        QCOMPARE(h->find<QLineEdit>("Text9_0")->text(), QStringLiteral("open dir: C:\\data\\"));
        auto* list = h->find<QListView>("File1_0");
        QCOMPARE(list->model()->rowCount(), 3);
        QCOMPARE(list->model()->index(0, 0).data().toString(), QStringLiteral("a.chn"));
    }

    void dropOfTwoFilesOnTheRawList() {
        h = std::make_unique<Harness>(MemoryFileSystem::Flavour::posix);
        h->start();
        h->find<QTabWidget>("SSTab1")->setCurrentIndex(2);
        auto* list = h->find<QListView>("File1_0");
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(QStringLiteral("/data/a.chn")),
                      QUrl::fromLocalFile(QStringLiteral("/data/c.chn"))});
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(list->viewport(), &enter);
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(list->viewport(), &drop);
        QCOMPARE(h->find<QLineEdit>("Text9_0")->text(), QStringLiteral("open dir: /data/"));
        QCOMPARE(list->model()->rowCount(), 3);
        QStringList selected;
        for (const QModelIndex& index : list->selectionModel()->selectedRows()) {
            selected << index.data().toString();
        }
        selected.sort();
        QCOMPARE(selected, (QStringList{QStringLiteral("a.chn"), QStringLiteral("c.chn")}));
        QCOMPARE(h->window.form.File1[0].selected_names(),
                 (std::vector<std::string>{"a.chn", "c.chn"}));
        QCOMPARE(h->view->last_focus(), Focus::window);
    }

    void fileDialogFiltersInQtForm() {
        QCOMPARE(qt_filter("option parm file(*.opa)|*.opa"),
                 QStringLiteral("option parm file(*.opa)"));
        QCOMPARE(qt_filter("Text|*.txt|All|*.*"), QStringLiteral("Text (*.txt);;All (*.*)"));
    }

    // A whole "GO" from the window: real folders, the real process start and the
    // stand-in runtime, the results checked on disk.
    void goFromTheWindowLeavesTheResultsOnDisk() {
        namespace stdfs = std::filesystem;
        TempFolder temp;
        const std::string raw = temp.path() + "raw.asc/";
        const std::string res = temp.path() + "res/";
        const std::string sys = temp.path() + "sys";
        for (const std::string& folder : {raw, res, sys + "/", temp.path() + "rt/"})
            stdfs::create_directories(folder);
        stdfs::copy_file(TEST_RUNTIME, temp.path() + "rt/run_Tovalu.exe");
        for (const char* name : {"a.asc", "b.asc"})
            std::ofstream(raw + name, std::ios::binary)
                << crlf_lines({"0, 9", "1, 9", "2, 5", "3, 6"});

        RealFileSystem fs;
        RealProcess process;
        ScriptedUi ui;
        {  // what the window saved last time: "Simple data", temporary CHN files
            Form1 form;
            AnalysisSettings settings;
            settings.system_dir = sys;
            settings.run_time_dir = temp.path() + "rt/";
            fill_type_list(form, fs);
            set_default(form);
            select_type_position(form, 10, fs);
            select_option(form, OptionGroup::Option8, 1);
            show_folder_in_field(form.Text9[0], raw);
            show_folder_in_field(form.Text9[1], res);
            QCOMPARE(collect_settings(form, settings, fs, ui, true), std::int16_t{0});
            QVERIFY(write_control_file(form, settings, run_file_path(settings, fs), fs, ui));
        }
        Services services{fs, process, ui};
        StartupEnvironment environment;
        environment.system_dir = sys;
        environment.date_text = [](std::int64_t) { return std::string("today"); };
        MainWindow window;
        MainWindowView view(window, services, environment);
        view.start();

        auto* list = view.findChild<QListView*>(QStringLiteral("File1_0"));
        QVERIFY(list != nullptr);
        list->selectAll();
        QCOMPARE(window.form.File1[0].selected_names(),
                 (std::vector<std::string>{"a.asc", "b.asc"}));
        view.findChild<QAbstractButton*>(QStringLiteral("Command1"))->click();

        QVERIFY(stdfs::exists(res + "a.res"));
        QVERIFY(stdfs::exists(res + "b.res"));
        QVERIFY(!stdfs::exists(res + "a.chn"));
        QCOMPARE(ui.pointer(), Pointer::normal);
        QCOMPARE(view.findChild<QLabel*>(QStringLiteral("StatusLine"))->text(),
                 QString::fromStdString("GO: 2 files converted, 0 failed; 2 of 2 results "
                                        "appeared; result folder " +
                                        res));
    }

    // A ".res" entry of the result list opens its view; any other entry does nothing.
    void aResultEntryOpensItsView() {
        h = std::make_unique<Harness>(MemoryFileSystem::Flavour::posix);
        h->fs.add_file("/res/a.res", test_data("results/iec_eu152.res"));
        h->fs.add_file("/res/a.svg", "<svg/>");
        h->start();
        h->find<QTabWidget>("SSTab1")->setCurrentIndex(2);
        set_file_list_folder(h->window.form.File1[1], "/res", h->fs);
        h->view->sync();
        auto* list = h->find<QListView>("File1_1");
        auto row_of = [&](const char* name) {
            for (int row = 0; row < list->model()->rowCount(); ++row)
                if (list->model()->index(row, 0).data().toString() == QLatin1String(name))
                    return list->model()->index(row, 0);
            return QModelIndex();
        };
        QCOMPARE(list->model()->rowCount(), 2);
        list->setCurrentIndex(row_of("a.svg"));
        QTest::keyClick(list, Qt::Key_Return);
        QVERIFY(h->view->findChildren<ResultView*>().isEmpty());
        list->setCurrentIndex(row_of("a.res"));
        QTest::keyClick(list, Qt::Key_Return);
        const auto views = h->view->findChildren<ResultView*>();
        QCOMPARE(views.size(), 1);
        QCOMPARE(views[0]->opened().table.rows.size(), std::size_t{8});
        emit list->doubleClicked(row_of("a.res"));  // as the view reports a double-click
        QCOMPARE(h->view->findChildren<ResultView*>().size(), 2);
    }

    void selectingInTheListReachesTheModel() {
        h = std::make_unique<Harness>(MemoryFileSystem::Flavour::posix);
        h->start();
        auto* tree = h->find<QTreeWidget>("TreeView1_0");
        QTreeWidgetItem* root_drive = tree->topLevelItem(0)->child(0);
        QTreeWidgetItem* data = nullptr;
        for (int at = 0; at < root_drive->childCount(); ++at) {
            if (root_drive->child(at)->text(0) == QStringLiteral("data"))
                data = root_drive->child(at);
        }
        QVERIFY(data != nullptr);
        emit tree->itemClicked(data, 0);
        auto* list = h->find<QListView>("File1_0");
        list->selectionModel()->select(list->model()->index(1, 0), QItemSelectionModel::Select);
        QCOMPARE(h->window.form.File1[0].selected_names(), (std::vector<std::string>{"b.chn"}));
    }
};

}  // namespace sorvane

QTEST_MAIN(sorvane::MainWindowViewTest)
#include "main_window_view_test.moc"
